// Shows the library's windows for a person to look at (screenshots): "version" opens the
// version dialog over an owner window; "progress" runs large expansions one after another for
// a few seconds, so that the progress window is on screen most of the time.
#include <windows.h>
#include <oleauto.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  HMODULE dll = LoadLibraryW(L"CARDOFNC.DLL");
  if (!dll) return 1;
  HWND owner = CreateWindowExW(0, L"STATIC", L"Cardo", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 150, 120,
                               420, 260, nullptr, nullptr, nullptr, nullptr);
  const std::wstring mode = commandLine ? commandLine : L"";
  if (mode == L"version") {
    using ShowVerDialogFn = LONG(WINAPI*)(HWND);
    auto show = reinterpret_cast<ShowVerDialogFn>(
        reinterpret_cast<void*>(GetProcAddress(dll, "ShowVerDialog")));
    show(owner);
  } else {
    using SpreadUrlFn = LONG(WINAPI*)(BSTR*, BSTR*, HWND);
    auto spread =
        reinterpret_cast<SpreadUrlFn>(reinterpret_cast<void*>(GetProcAddress(dll, "SpreadURL")));
    const std::string line = "http://example.com/[0-2147483647]/[0000-9999].jpg";
    const DWORD end = GetTickCount() + 15000;
    while (GetTickCount() < end) {
      BSTR source = SysAllocStringByteLen(line.data(), static_cast<UINT>(line.size()));
      BSTR result = nullptr;
      spread(&result, &source, owner);
      SysFreeString(result);
      SysFreeString(source);
    }
  }
  DestroyWindow(owner);
  FreeLibrary(dll);
  return 0;
}
