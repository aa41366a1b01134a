#include "app/scan/url_characters.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "app/text/utf8_text.h"
#include "app/platform/code_page_table.h"

namespace cardo {
namespace {

// The double-byte codes of code page 932 a URL may hold when full-width characters are allowed.
constexpr std::uint16_t kRanges[][2] = {
    {0x8140, 0x81AC}, {0x81B8, 0x81BF}, {0x81C8, 0x81CE}, {0x81DA, 0x81E8}, {0x81F0, 0x81F7},
    {0x81FC, 0x81FC}, {0x824F, 0x8258}, {0x8260, 0x8279}, {0x8281, 0x829A}, {0x829F, 0x82F1},
    {0x8340, 0x8396}, {0x839F, 0x83B6}, {0x83BF, 0x83D6}, {0x8440, 0x8460}, {0x8470, 0x8491},
    {0x849F, 0x84BE}, {0x8740, 0x875D}, {0x875F, 0x8775}, {0x877E, 0x877E}, {0x8780, 0x879C},
    {0x889F, 0x9FFC}, {0xE040, 0xFC4B}};

bool IsSurrogate(char32_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}

void AppendPercentEncoded(std::u16string& out, char32_t c) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  unsigned char bytes[4];
  std::size_t n = 0;
  if (c < 0x800) {
    bytes[n++] = static_cast<unsigned char>(0xC0 | c >> 6);
  } else if (c < 0x10000) {
    bytes[n++] = static_cast<unsigned char>(0xE0 | c >> 12);
    bytes[n++] = static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F));
  } else {
    bytes[n++] = static_cast<unsigned char>(0xF0 | c >> 18);
    bytes[n++] = static_cast<unsigned char>(0x80 | (c >> 12 & 0x3F));
    bytes[n++] = static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F));
  }
  bytes[n++] = static_cast<unsigned char>(0x80 | (c & 0x3F));
  for (std::size_t k = 0; k < n; ++k) {
    out.push_back(u'%');
    out.push_back(static_cast<char16_t>(kHex[bytes[k] >> 4]));
    out.push_back(static_cast<char16_t>(kHex[bytes[k] & 0xF]));
  }
}

}  // namespace

namespace detail {

const std::array<bool, 128> kAsciiUrlChar = [] {
  std::array<bool, 128> v{};
  for (int c = 0; c < 128; ++c) {
    v[static_cast<std::size_t>(c)] = (c >= '#' && c <= '&') || (c >= '-' && c <= ';') ||
                                     (c >= '?' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '!' ||
                                     c == '*' || c == '+' || c == '=' || c == '^' || c == '_' ||
                                     c == '|' || c == '~';
  }
  return v;
}();

}  // namespace detail

bool IsTextUrlChar(char32_t c, bool fullWidth) {
  if (c < 0x80) return detail::kAsciiUrlChar[c];
  const std::uint16_t code = CodePageTable::Get().Code(c);
  if (code == 0) return true;  // percent-encoded: ASCII URL characters
  if (!fullWidth || code < 0x100) return false;
  return std::any_of(std::begin(kRanges), std::end(kRanges),
                     [code](const auto& range) { return code >= range[0] && code <= range[1]; });
}

bool IsSpaceBeyondAscii(char32_t c) {
  return c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 ||
         c == 0x202F || c == 0x205F || c == 0x3000;
}

void AppendUrlCharacter(std::u16string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char16_t>(c));
  } else if (CodePageTable::Get().Holds(c)) {
    out.push_back(static_cast<char16_t>(c));  // the code page holds only characters of the plane
  } else {
    AppendPercentEncoded(out, IsSurrogate(c) || c > 0x10FFFF ? 0xFFFD : c);
  }
}

void AppendUrlText(std::u16string& out, std::string_view utf8) {
  const auto* d = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t n = utf8.size();
  for (std::size_t i = 0; i < n;) {
    if (d[i] < 0x80) {
      out.push_back(d[i++]);
      continue;
    }
    const std::size_t length = Utf8SequenceLength(d, i, n);
    if (length == 0) {
      AppendUrlCharacter(out, 0xFFFD);
      ++i;
      continue;
    }
    AppendUrlCharacter(out, Utf8SequenceValue(d, i, length));
    i += length;
  }
}

std::u16string UrlText(std::u16string text) {
  const auto lacked = std::find_if(text.begin(), text.end(), [](char16_t unit) {
    return unit >= 0x80 && (IsSurrogate(unit) || !CodePageTable::Get().Holds(unit));
  });
  if (lacked == text.end()) return text;
  std::u16string out(text.begin(), lacked);
  for (auto at = lacked; at != text.end(); ++at) {
    char32_t c = *at;
    if (c >= 0xD800 && c <= 0xDBFF && at + 1 != text.end() && at[1] >= 0xDC00 && at[1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (*++at - 0xDC00);
    }
    AppendUrlCharacter(out, c);
  }
  return out;
}

std::size_t FindUnit(std::u16string_view text, char16_t unit, std::size_t from) {
  const char16_t* p = text.data();
  const std::size_t n = text.size();
  constexpr std::uint64_t kOnes = 0x0001000100010001ull;
  const std::uint64_t pattern = kOnes * unit;
  std::size_t i = from;
  for (; i + 4 <= n; i += 4) {
    std::uint64_t v = 0;
    std::memcpy(&v, p + i, sizeof v);
    v ^= pattern;
    // Nonzero exactly when one of the four units is zero, that is, equal to `unit`.
    if ((v - kOnes) & ~v & 0x8000800080008000ull) break;
  }
  for (; i < n; ++i) {
    if (p[i] == unit) return i;
  }
  return std::u16string_view::npos;
}

}  // namespace cardo
