#include "app/extract/page_encoding.h"

#include <algorithm>
#include <cctype>

#include "app/platform/codec.h"
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

void PercentEncode(char32_t cp, std::string& out) {
  char utf8[4];
  int n = 0;
  if (cp < 0x800) {
    utf8[n++] = static_cast<char>(0xC0 | (cp >> 6));
  } else if (cp < 0x10000) {
    utf8[n++] = static_cast<char>(0xE0 | (cp >> 12));
    utf8[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  } else {
    utf8[n++] = static_cast<char>(0xF0 | (cp >> 18));
    utf8[n++] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    utf8[n++] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  }
  utf8[n++] = static_cast<char>(0x80 | (cp & 0x3F));
  for (int k = 0; k < n; ++k) {
    const auto b = static_cast<unsigned char>(utf8[k]);
    out += '%';
    out += "0123456789ABCDEF"[b >> 4];
    out += "0123456789ABCDEF"[b & 15];
  }
}

// A run of characters beyond ASCII: whole when the code page holds every one of them, else one
// by one.
void AppendRun(std::u16string_view run, std::string& out) {
  const std::string bytes = WideToAnsi(run);
  if (AnsiToWide(bytes) == run) {
    out += bytes;
    return;
  }
  for (std::size_t i = 0; i < run.size(); ++i) {
    std::size_t units = 1;
    char32_t cp = run[i];
    if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < run.size() && run[i + 1] >= 0xDC00 &&
        run[i + 1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (run[i + 1] - 0xDC00);
      units = 2;
    }
    const std::u16string_view one = run.substr(i, units);
    const std::string single = WideToAnsi(one);
    if (units == 1 && AnsiToWide(single) == one) {
      out += single;
    } else {
      PercentEncode(cp, out);
    }
    i += units - 1;
  }
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
  const std::u16string wide = Utf8ToUtf16(utf8);
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < wide.size()) {
    std::size_t end = i;
    while (end < wide.size() && wide[end] < 0x80) ++end;
    for (; i < end; ++i) out += static_cast<char>(wide[i]);
    while (end < wide.size() && wide[end] >= 0x80) ++end;
    if (end > i) AppendRun(std::u16string_view(wide).substr(i, end - i), out);
    i = end;
  }
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
