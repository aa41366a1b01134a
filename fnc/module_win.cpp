#include "fnc/module_win.h"

namespace cardo::fnc {
namespace {
HINSTANCE instance = nullptr;
}  // namespace

HINSTANCE ModuleInstance() {
  return instance;
}

void CentreOver(HWND dialog, HWND owner) {
  RECT own{};
  if (!owner || !IsWindow(owner) || !GetWindowRect(owner, &own)) {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &own, 0);
  }
  RECT self{};
  GetWindowRect(dialog, &self);
  const int width = self.right - self.left;
  const int height = self.bottom - self.top;
  // Halves truncated toward zero, as integer division does.
  const int left = own.left + ((own.right - own.left) - width) / 2;
  const int top = own.top + ((own.bottom - own.top) - height) / 2;
  SetWindowPos(dialog, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
}

}  // namespace cardo::fnc

extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    cardo::fnc::instance = module;
    DisableThreadLibraryCalls(module);
  }
  return TRUE;
}
