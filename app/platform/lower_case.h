#pragma once
// Lower case one code unit at a time, so positions survive: ASCII, Latin-1, Greek, Cyrillic and
// the full-width Latin letters. CodePageLower does the same for code page 932 character codes
// (lead byte x 256 + trail byte for double-byte characters).
#include <string>
#include <string_view>

namespace cardo {

char16_t LowerUnit(char16_t c);
std::u16string LowerText(std::u16string_view text);

char16_t CodePageLower(char16_t code);

}  // namespace cardo
