#include "app/extract/page_encoding.h"

#include <algorithm>
#include <cctype>
#include <utility>
#include <vector>

#include "app/platform/percent_encoding.h"
#include "app/platform/text.h"

namespace cardo {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 0x20) : c;
}

std::string LowerCopy(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), Lower);
  return lower;
}

// The charset named after "charset" in `text` (lower-case), or empty.
std::string CharsetIn(std::string_view lower) {
  for (std::size_t at = lower.find("charset"); at != std::string_view::npos;
       at = lower.find("charset", at + 1)) {
    std::size_t i = at + 7;
    while (i < lower.size() && (lower[i] == ' ' || lower[i] == '\t')) ++i;
    if (i >= lower.size() || lower[i] != '=') continue;
    ++i;
    while (i < lower.size() &&
           (lower[i] == ' ' || lower[i] == '\t' || lower[i] == '"' || lower[i] == '\'')) {
      ++i;
    }
    std::size_t end = i;
    while (end < lower.size() &&
           (std::isalnum(static_cast<unsigned char>(lower[end])) || lower[end] == '-' ||
            lower[end] == '_' || lower[end] == ':' || lower[end] == '.')) {
      ++end;
    }
    if (end > i) return std::string(lower.substr(i, end - i));
  }
  return {};
}

PageEncoding FromCharset(std::string_view charset) {
  return charset == "utf-8" || charset == "utf8" ? PageEncoding::Utf8 : PageEncoding::CodePage932;
}

// The length of `bytes` without an unfinished UTF-8 sequence at its end.
std::size_t WholeUtf8(std::string_view bytes) {
  std::size_t back = 0;
  while (back < 4 && back < bytes.size() &&
         (static_cast<unsigned char>(bytes[bytes.size() - 1 - back]) & 0xC0) == 0x80) {
    ++back;
  }
  if (back == bytes.size()) return bytes.size();
  const auto lead = static_cast<unsigned char>(bytes[bytes.size() - 1 - back]);
  const std::size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return need > back + 1 ? bytes.size() - 1 - back : bytes.size();
}

// UTF-8 blocks in code page 932, whole characters at a time (Utf8ToCodePage).
class Utf8Blocks final : public BlockConverter {
 public:
  void Convert(std::string_view block, bool final, std::string& out) override {
    carry_.append(block);
    std::string_view bytes = carry_;
    if (atStart_) {
      // A file's first bytes may be only part of its mark so far.
      if (!final && bytes.size() < kBom.size() && kBom.substr(0, bytes.size()) == bytes) return;
      if (bytes.substr(0, kBom.size()) == kBom) bytes.remove_prefix(kBom.size());
      atStart_ = false;
    }
    const std::size_t whole = final ? bytes.size() : WholeUtf8(bytes);
    out += Utf8ToCodePage(bytes.substr(0, whole));
    carry_.erase(0, carry_.size() - (bytes.size() - whole));
  }

 private:
  std::string carry_;  // bytes not yet converted: an unfinished character
  bool atStart_ = true;
};

}  // namespace

PageEncoding DecideEncoding(const EncodingRule& rule, std::string_view head) {
  return rule.forced ? *rule.forced : DetectPageEncoding(rule.contentType, head);
}

PageEncoding DetectPageEncoding(std::string_view contentType, std::string_view head) {
  head = head.substr(0, kEncodingHeadBytes);
  if (head.substr(0, kBom.size()) == kBom) return PageEncoding::Utf8;
  const std::string declared = CharsetIn(LowerCopy(contentType));
  if (!declared.empty()) return FromCharset(declared);
  const std::string lower = LowerCopy(head);
  for (std::size_t at = lower.find("<meta"); at != std::string::npos;
       at = lower.find("<meta", at + 5)) {
    const std::size_t end = lower.find('>', at);
    const std::string charset =
        CharsetIn(std::string_view(lower).substr(at, end == std::string::npos ? end : end - at));
    if (!charset.empty()) return FromCharset(charset);
  }
  return PageEncoding::CodePage932;
}

std::string Utf8ToCodePage(std::string_view utf8) {
  // ASCII goes across as it is; only the runs beyond it are decoded and converted, all at once.
  std::vector<std::pair<std::size_t, std::size_t>> spans;  // byte runs beyond ASCII
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if ((utf8[i] & 0x80) == 0) continue;
    const std::size_t start = i;
    while (i < utf8.size() && (utf8[i] & 0x80) != 0) ++i;
    spans.emplace_back(start, i);
  }
  if (spans.empty()) return std::string(utf8);
  std::u16string wide;
  std::vector<std::size_t> ends;
  for (const auto& [start, end] : spans) {
    wide += Utf8ToUtf16(utf8.substr(start, end - start));
    ends.push_back(wide.size());
  }
  std::vector<std::u16string_view> runs;
  for (std::size_t k = 0, from = 0; k < ends.size(); from = ends[k++]) {
    runs.push_back(std::u16string_view(wide).substr(from, ends[k] - from));
  }
  const std::vector<std::string> converted = RunsInCodePage(runs);
  std::string out;
  out.reserve(utf8.size());
  std::size_t at = 0;
  for (std::size_t k = 0; k < spans.size(); ++k) {
    out.append(utf8, at, spans[k].first - at);
    out += converted[k];
    at = spans[k].second;
  }
  out.append(utf8, at, std::string_view::npos);
  return out;
}

std::unique_ptr<LineSource> OpenLineSource(std::FILE* file, std::string_view head,
                                           PageEncoding encoding) {
  switch (encoding) {
    case PageEncoding::Utf8:
      return std::make_unique<FileLineSource>(file, head, std::make_unique<Utf8Blocks>());
    case PageEncoding::CodePage932:
      break;
  }
  return std::make_unique<FileLineSource>(file, head);
}

}  // namespace cardo
