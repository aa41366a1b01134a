#pragma once
// The characters a URL is made of, and the two searches every scan runs over a line of codes.
#include <array>
#include <cstddef>
#include <string_view>

namespace cardo {

namespace detail {
extern const std::array<bool, 256> kSingleByteUrlChar;
bool IsFullWidthUrlChar(char16_t code);
}  // namespace detail

// The letters, digits and ! # $ % & * + - . / : ; = ? @ ^ _ | ~; double-byte characters of the
// listed ranges only when allowed.
inline bool IsUrlChar(char16_t code, bool allowFullWidth) {
  if (code < 0x100) return detail::kSingleByteUrlChar[code];
  return allowFullWidth && detail::IsFullWidthUrlChar(code);
}

// The first `unit` of `text` at or after `from`, or npos: four units at a time.
std::size_t FindUnit(std::u16string_view text, char16_t unit, std::size_t from = 0);
// The first "://" of `text` at or after `from`, or npos.
std::size_t FindSeparator(std::u16string_view text, std::size_t from = 0);

}  // namespace cardo
