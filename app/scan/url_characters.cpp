#include "app/scan/url_characters.h"

#include <cstdint>
#include <cstring>
#include <iterator>

namespace cardo {
namespace {

// The double-byte characters a URL may hold when full-width characters are allowed.
constexpr char16_t kRanges[][2] = {
    {0x8140, 0x81AC}, {0x81B8, 0x81BF}, {0x81C8, 0x81CE}, {0x81DA, 0x81E8}, {0x81F0, 0x81F7},
    {0x81FC, 0x81FC}, {0x824F, 0x8258}, {0x8260, 0x8279}, {0x8281, 0x829A}, {0x829F, 0x82F1},
    {0x8340, 0x8396}, {0x839F, 0x83B6}, {0x83BF, 0x83D6}, {0x8440, 0x8460}, {0x8470, 0x8491},
    {0x849F, 0x84BE}, {0x8740, 0x875D}, {0x875F, 0x8775}, {0x877E, 0x877E}, {0x8780, 0x879C},
    {0x889F, 0x9FFC}, {0xE040, 0xFC4B}};

}  // namespace

namespace detail {

const std::array<bool, 256> kSingleByteUrlChar = [] {
  std::array<bool, 256> v{};
  for (int c = 0; c < 256; ++c) {
    v[static_cast<std::size_t>(c)] = (c >= '#' && c <= '&') || (c >= '-' && c <= ';') ||
                                     (c >= '?' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '!' ||
                                     c == '*' || c == '+' || c == '=' || c == '^' || c == '_' ||
                                     c == '|' || c == '~';
  }
  return v;
}();

bool IsFullWidthUrlChar(char16_t code) {
  for (const auto& range : kRanges) {
    if (code >= range[0] && code <= range[1]) return true;
  }
  return false;
}

}  // namespace detail

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

std::size_t FindSeparator(std::u16string_view text, std::size_t from) {
  for (std::size_t at = FindUnit(text, u':', from); at != std::u16string_view::npos;
       at = FindUnit(text, u':', at + 1)) {
    if (at + 2 < text.size() && text[at + 1] == u'/' && text[at + 2] == u'/') return at;
  }
  return std::u16string_view::npos;
}

}  // namespace cardo
