#include <windows.h>

#include "app/shell/win_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandTail, int showCommand) {
  return cardo::RunCardo(instance, commandTail ? commandTail : L"", showCommand);
}
