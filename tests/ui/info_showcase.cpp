// Not a test: opens the topic viewer on one topic of the THELP.TXT beside it, for screenshots
// (tools/screenshot-tool.sh topic:KEY OUT.png).
#include <windows.h>

#include <commctrl.h>

#include "app/info/topic_file.h"
#include "app/info/viewer_window.h"
#include "app/platform/file_system.h"
#include "app/platform/win_ui.h"
#include "app/shell/win_app.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR key, int) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  cardo::WinUi ui([] { return static_cast<HWND>(nullptr); });
  std::u16string folder = cardo::ModuleDirectory(nullptr) + u"\\";
  cardo::frmSmplViewer viewer(instance, ui, cardo::SystemFileSystem(), folder);
  viewer.Key = reinterpret_cast<const char16_t*>(key);
  viewer.LoadFile = cardo::kTopicFileName;
  viewer.Show(nullptr);
  MSG msg;
  while (viewer.IsOpen() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(viewer.hwnd(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
