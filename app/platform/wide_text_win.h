#pragma once
// The program's UTF-16 text and the Win32 W functions' wchar_t text are the same code units
// on Windows: these views convert between them without copying (W) or with one copy (U).
#include <string>
#include <string_view>

namespace cardo {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows' wchar_t holds UTF-16");

inline const wchar_t* W(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}
inline std::u16string U(std::wstring_view text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

}  // namespace cardo
