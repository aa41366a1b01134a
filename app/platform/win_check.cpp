#include "app/platform/win_check.h"

#include <windows.h>

#include <cstdio>

namespace cardo {

bool CheckWin32(bool ok, const char* expression, const char* file, int line) {
  if (ok) return true;
  const DWORD error = GetLastError();
  char text[512];
  std::snprintf(text, sizeof text, "%s(%d): %s failed, error %lu\n", file, line, expression,
                static_cast<unsigned long>(error));
  OutputDebugStringA(text);
  return false;
}

}  // namespace cardo
