#include "app/platform/win_check.h"

#include <windows.h>

#include <cstdio>

#include "app/platform/wide_text_win.h"
#include "app/platform/win_handle.h"

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

std::u16string SystemErrorText(unsigned long code) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  const UniqueLocal owned(text);
  std::u16string out = U(std::wstring_view(text, n));
  while (!out.empty() && (out.back() == u'\n' || out.back() == u'\r')) out.pop_back();
  return out;
}

}  // namespace cardo
