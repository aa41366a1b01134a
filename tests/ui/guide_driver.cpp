// Not a test: drives a running Cardo.exe from outside for the user's guide's screenshots
// (tools/screenshot-guide.sh).
//   guide_driver command ID     posts menu command ID to the main window
//   guide_driver close CAPTION  closes the visible top-level window with that caption
// Exits 1 when the window is not there.
#include <windows.h>

#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  const std::wstring verb = argv[1];
  if (verb == L"command") {
    HWND main = FindWindowW(L"CardoMainWindow", nullptr);
    if (!main) return 1;
    PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(std::wcstol(argv[2], nullptr, 10)), 0);
    return 0;
  }
  if (verb == L"close") {
    HWND window = FindWindowW(nullptr, argv[2]);
    if (!window) return 1;
    PostMessageW(window, WM_CLOSE, 0, 0);
    return 0;
  }
  return 2;
}
