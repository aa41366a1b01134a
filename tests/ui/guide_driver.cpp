// Not a test: drives a running Cardo.exe from outside for the user's guide's screenshots
// (tools/screenshot-guide.sh) and the extension's run against it (tools/browser-cardo-e2e.sh).
//   guide_driver command ID     posts menu command ID to the main window
//   guide_driver close CAPTION  closes the top-level window with that caption
//   guide_driver text CAPTION ID TEXT   sets the text of control ID of that window
//   guide_driver label CAPTION ID TEXT  sets the text of a control that is no edit (a label)
//   guide_driver press CAPTION ID       presses button ID of that window
//   guide_driver check CAPTION ID       checks check box ID of that window, as a click does
// Exits 1 when the window is not there.
#include <windows.h>

#include <cwchar>
#include <string>

// Control `id` of `window`, or of one of the dialogs inside it (the preferences' pages).
HWND Item(HWND window, int id) {
  if (HWND direct = GetDlgItem(window, id)) return direct;
  struct Search {
    int id;
    HWND found;
  } search{id, nullptr};
  EnumChildWindows(
      window,
      [](HWND child, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        if (GetDlgCtrlID(child) != s.id) return TRUE;
        s.found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
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
  if (verb == L"text" && argc == 5) {
    HWND window = FindWindowW(nullptr, argv[2]);
    if (!window) return 1;
    // Typed, as a replacement of the selection: a multi-line edit reports no change for
    // WM_SETTEXT.
    HWND control = GetDlgItem(window, std::wcstol(argv[3], nullptr, 10));
    SendMessageW(control, EM_SETSEL, 0, -1);
    SendMessageW(control, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(argv[4]));
    return 0;
  }
  if (verb == L"label" && argc == 5) {
    HWND window = FindWindowW(nullptr, argv[2]);
    if (!window) return 1;
    SetWindowTextW(GetDlgItem(window, std::wcstol(argv[3], nullptr, 10)), argv[4]);
    return 0;
  }
  if (verb == L"press" && argc == 4) {
    HWND window = FindWindowW(nullptr, argv[2]);
    if (!window) return 1;
    const int id = static_cast<int>(std::wcstol(argv[3], nullptr, 10));
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, id)));
    return 0;
  }
  if (verb == L"check" && argc == 4) {
    HWND window = FindWindowW(nullptr, argv[2]);
    if (!window) return 1;
    const int id = static_cast<int>(std::wcstol(argv[3], nullptr, 10));
    HWND box = Item(window, id);
    SendMessageW(box, BM_SETCHECK, BST_CHECKED, 0);
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(box));
    return 0;
  }
  return 2;
}
