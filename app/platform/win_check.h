#pragma once
// One way to check a Win32 call: a failed call is reported to the debugger output with the
// expression, file, line and the system's error code, and the result is passed on.
#define CARDO_CHECK_WIN32(expr) \
  ::cardo::CheckWin32(static_cast<bool>(expr), #expr, __FILE__, __LINE__)

#include <string>

namespace cardo {
bool CheckWin32(bool ok, const char* expression, const char* file, int line);
// The system's description of an error code (GetLastError), without the final line break.
std::u16string SystemErrorText(unsigned long code);
}  // namespace cardo
