#include <windows.h>

#include <new>

#include "app/shell/win_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandTail, int showCommand) {
  try {
    return cardo::RunCardo(instance, commandTail ? commandTail : L"", showCommand);
  } catch (const std::bad_alloc&) {
    MessageBoxW(nullptr, L"メモリが不足しているため、Cardo を終了します。", L"エラー",
                MB_OK | MB_ICONEXCLAMATION);
  } catch (...) {
    MessageBoxW(nullptr, L"予期しないエラーのため、Cardo を終了します。", L"エラー",
                MB_OK | MB_ICONEXCLAMATION);
  }
  return 1;
}
