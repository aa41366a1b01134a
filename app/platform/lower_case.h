#pragma once
// Lower case one code unit at a time, so positions survive: ASCII, Latin-1, Greek, Cyrillic and
// the full-width Latin letters.
#include <string>
#include <string_view>

namespace cardo {

char16_t LowerUnit(char16_t c);
std::u16string LowerText(std::u16string_view text);

// ASCII letters of bytes in lower case, every other byte as it is (UTF-8 and code page 932 text
// stay whole): names in protocols and files (schemes, hosts, charset labels, INI keys).
std::string AsciiLower(std::string_view text);

}  // namespace cardo
