#pragma once
// UTF-8, the form in which the scanners read text: checked and turned into UTF-16 at the speed
// of the byte searches over runs of ASCII, which most pages are made of.
#include <cstddef>
#include <string>
#include <string_view>

namespace cardo {

// The length of the valid UTF-8 sequence that starts with the byte beyond ASCII at data[i], 0
// when none does: a stray or cut-off byte, an overlong form, a surrogate, a value past U+10FFFF.
inline std::size_t Utf8SequenceLength(const unsigned char* data, std::size_t i, std::size_t size) {
  const unsigned char b = data[i];
  const auto continues = [&](std::size_t k, unsigned char low = 0x80, unsigned char high = 0xBF) {
    return i + k < size && data[i + k] >= low && data[i + k] <= high;
  };
  if (b >= 0xC2 && b <= 0xDF) return continues(1) ? 2 : 0;
  if (b >= 0xE0 && b <= 0xEF) {
    const bool second = b == 0xE0   ? continues(1, 0xA0)
                        : b == 0xED ? continues(1, 0x80, 0x9F)
                                    : continues(1);
    return second && continues(2) ? 3 : 0;
  }
  if (b >= 0xF0 && b <= 0xF4) {
    const bool second = b == 0xF0   ? continues(1, 0x90)
                        : b == 0xF4 ? continues(1, 0x80, 0x8F)
                                    : continues(1);
    return second && continues(2) && continues(3) ? 4 : 0;
  }
  return 0;
}

// The character of the valid sequence of `length` bytes at data[i].
inline char32_t Utf8SequenceValue(const unsigned char* data, std::size_t i, std::size_t length) {
  char32_t c = data[i] & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) c = c << 6 | (data[i + k] & 0x3Fu);
  return c;
}

// Appends `utf8` as it is, each byte that starts no valid sequence as U+FFFD.
void AppendValidUtf8(std::string& out, std::string_view utf8);

// Appends the UTF-16 of `utf8` (a byte that starts no valid sequence as U+FFFD) and returns
// how many bytes it used: all of them when `final`, else all but a sequence cut off at the
// end, whose rest may come next.
std::size_t AppendUtf16(std::string_view utf8, bool final, std::u16string& out);

}  // namespace cardo
