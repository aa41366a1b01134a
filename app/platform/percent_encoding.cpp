#include "app/platform/percent_encoding.h"

#include "app/platform/codec.h"
#include "app/platform/text.h"

namespace cardo {
namespace {

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// A run beyond ASCII: converted whole when the code page holds all of it (the common case),
// else one character (or surrogate pair) at a time.
void AppendBeyondAscii(std::string& out, std::u16string_view run) {
  const std::string bytes = WideToAnsi(run);
  if (AnsiToWide(bytes) == run) {
    out += bytes;
    return;
  }
  for (std::size_t i = 0; i < run.size();) {
    const std::size_t n =
        IsHighSurrogate(run[i]) && i + 1 < run.size() && IsLowSurrogate(run[i + 1]) ? 2 : 1;
    const std::u16string_view one = run.substr(i, n);
    const std::string converted = WideToAnsi(one);
    if (AnsiToWide(converted) != one) {
      AppendPercentEncoded(out, Utf16ToUtf8(one));
    } else {
      out += converted;
    }
    i += n;
  }
}

}  // namespace

void AppendPercentEncoded(std::string& out, std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char b : bytes) {
    const auto u = static_cast<unsigned char>(b);
    out.push_back('%');
    out.push_back(kHex[u >> 4]);
    out.push_back(kHex[u & 0xF]);
  }
}

void AppendInCodePage(std::string& out, std::u16string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    std::size_t end = i;
    while (end < text.size() && text[end] < 0x80) out.push_back(static_cast<char>(text[end++]));
    i = end;
    while (end < text.size() && text[end] >= 0x80) ++end;
    if (end > i) AppendBeyondAscii(out, text.substr(i, end - i));
    i = end;
  }
}

}  // namespace cardo
