#pragma once
// The text codec: bytes in the system ANSI code page (932, Shift-JIS, on the target systems)
// <-> UTF-16. Every file and library boundary goes through here.
#include <string>
#include <string_view>

namespace cardo {

// Undecodable bytes become the code page's replacement character; never fails.
std::u16string AnsiToWide(std::string_view bytes);

// Characters the code page lacks become "?"; never fails.
std::string WideToAnsi(std::u16string_view text);

// True for a byte that starts a double-byte character in the ANSI code page.
bool IsAnsiLeadByte(unsigned char byte);

}  // namespace cardo
