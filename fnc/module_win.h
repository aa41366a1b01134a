#pragma once
// The library's module handle, recorded when the library is attached to a process; the
// dialogs load their templates from it.
#include <windows.h>

namespace cardo::fnc {
HINSTANCE ModuleInstance();
// Moves `dialog` so that it is centred over `owner` (over the screen without an owner).
void CentreOver(HWND dialog, HWND owner);
}  // namespace cardo::fnc
