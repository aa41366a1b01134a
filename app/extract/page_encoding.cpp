#include "app/extract/page_encoding.h"

#include <algorithm>
#include <cctype>

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

}  // namespace

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
  if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return (c & 0x80) == 0; })) {
    return std::string(utf8);
  }
  std::string out;
  out.reserve(utf8.size());
  AppendInCodePage(out, Utf8ToUtf16(utf8));
  return out;
}

bool Utf8LineSource::Next(std::string& line) {
  if (!source_.Next(raw_)) return false;
  std::string_view text = raw_;
  if (first_ && text.substr(0, kBom.size()) == kBom) text.remove_prefix(kBom.size());
  first_ = false;
  line = Utf8ToCodePage(text);
  return true;
}

}  // namespace cardo
