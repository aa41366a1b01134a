// ShowVerDialog and GetDllVersion: the library's own information dialog and version text.
#include <windows.h>
#include <oleauto.h>

#include <cstring>

#include "fnc/module_win.h"
#include "fnc/resource.h"
#include "fnc/version.h"

namespace cardo::fnc {
namespace {

constexpr char kVersionText[] = CARDOFNC_VERSION_TEXT;

// The owner of the last dialog, kept for the whole process as its callers expect.
HWND versionOwner = nullptr;

INT_PTR CALLBACK VersionProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG: {
      CentreOver(dialog, versionOwner);
      char text[64];
      wsprintfA(text, "CARDOFNC.DLL Ver %s", kVersionText);
      SetDlgItemTextA(dialog, IDC_VERSION_TEXT, text);
      return TRUE;
    }
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    case WM_COMMAND:
      // Esc arrives as the cancel command and is consumed: only OK and the close box end it.
      if (LOWORD(wParam) == IDOK) EndDialog(dialog, 1);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace
}  // namespace cardo::fnc

extern "C" LONG WINAPI ShowVerDialog(HWND owner) {
  cardo::fnc::versionOwner = owner;
  return static_cast<LONG>(DialogBoxParamW(cardo::fnc::ModuleInstance(),
                                           MAKEINTRESOURCEW(IDD_VERSION), owner,
                                           cardo::fnc::VersionProc, 0));
}

extern "C" BSTR WINAPI GetDllVersion() {
  // An ANSI string in a BSTR of nine characters: callers read it up to its first zero byte.
  constexpr UINT kLength = sizeof cardo::fnc::kVersionText - 1;
  BSTR version = SysAllocStringLen(nullptr, kLength);
  if (!version) return nullptr;
  std::memset(version, 0, (kLength + 1) * sizeof(OLECHAR));
  std::memcpy(version, cardo::fnc::kVersionText, sizeof cardo::fnc::kVersionText);
  return version;
}
