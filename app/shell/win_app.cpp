#include "app/shell/win_app.h"

#include <commctrl.h>
#include <ole2.h>

#include <cstring>
#include <memory>

#include "app/controls/dialog_win.h"
#include "app/controls/register_controls_win.h"
#include "app/export/export.h"
#include "app/platform/codec.h"
#include "app/platform/file_system.h"
#include "app/platform/profile.h"
#include "app/platform/wide_text_win.h"
#include "app/platform/win_ui.h"
#include "app/settings/app_settings.h"
#include "app/shell/main_window.h"
#include "app/shell/startup.h"

namespace cardo {

// The one settings record of the program.
Settings AppSettings;

std::optional<ProgramVersion> ReadProgramVersion(HMODULE module) {
  HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
  if (!info) return std::nullopt;
  HGLOBAL loaded = LoadResource(module, info);
  const auto* bytes = static_cast<const unsigned char*>(LockResource(loaded));
  const DWORD size = SizeofResource(module, info);
  if (!bytes) return std::nullopt;
  // VS_FIXEDFILEINFO starts with its signature on a 32-bit boundary.
  for (DWORD offset = 0; offset + sizeof(VS_FIXEDFILEINFO) <= size; offset += 4) {
    VS_FIXEDFILEINFO fixed;
    std::memcpy(&fixed, bytes + offset, sizeof fixed);
    if (fixed.dwSignature == 0xFEEF04BD) {
      return ProgramVersion{HIWORD(fixed.dwFileVersionMS), LOWORD(fixed.dwFileVersionMS)};
    }
  }
  return std::nullopt;
}

std::u16string ModuleDirectory(HMODULE module) {
  std::u16string path(32768, u'\0');
  const DWORD n = GetModuleFileNameW(module, reinterpret_cast<wchar_t*>(path.data()),
                                     static_cast<DWORD>(path.size()));
  path.resize(n);
  const auto slash = path.find_last_of(u"\\/");
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash);
}

std::optional<std::u16string> LongPathName(const std::u16string& path) {
  const std::string ansi = WideToAnsi(path);
  char buffer[255] = {};
  const DWORD n = GetLongPathNameA(ansi.c_str(), buffer, sizeof buffer);
  // A result as large as the buffer reports the room it would need, not a path.
  if (n == 0 || n >= sizeof buffer) return std::nullopt;
  return AnsiToWide(std::string(buffer, std::strlen(buffer)));
}

namespace {

// OLE for the lifetime of the program: drag and drop goes through it.
class OleSession {
 public:
  OleSession() : ok_(SUCCEEDED(OleInitialize(nullptr))) {}
  ~OleSession() {
    if (ok_) OleUninitialize();
  }
  OleSession(const OleSession&) = delete;
  OleSession& operator=(const OleSession&) = delete;

 private:
  bool ok_;
};

}  // namespace

int RunCardo(HINSTANCE instance, const wchar_t* commandTail, int showCommand) {
  OleSession ole;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES |
                                                     ICC_UPDOWN_CLASS | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  RegisterCustomControls();

  std::unique_ptr<frmMain> main;
  WinUi ui([&main] { return main ? main->hwnd() : nullptr; });

  const ProgramVersion version = ReadProgramVersion(instance).value_or(ProgramVersion{3, 0});
  const std::u16string appDirectory = MakeAppDirectory(ModuleDirectory(instance));
  SettingsStore store{SystemProfile(),
                      SystemFileSystem(),
                      appDirectory + kSettingsFileName,
                      appDirectory,
                      FormatAppVersion(version.major, version.minor),
                      version.major};

  main = std::make_unique<frmMain>(instance,
                                   frmMain::Services{ui, SystemFileSystem(), AppSettings, store});
  if (main->closed()) return 1;

  StartupContext startup{
      main->shell(), AppSettings, store, *main, U(commandTail), LongPathName, [&main] {
        main->SetPrefarence();
      }};
  RunStartup(startup);

  ShowWindow(main->hwnd(), showCommand);
  UpdateWindow(main->hwnd());

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (main->TranslateAccelerators(msg)) continue;
    if (RouteDialogMessage(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace cardo
