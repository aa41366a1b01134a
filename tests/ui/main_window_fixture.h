#pragma once
// The main window created in-process with a scripted Ui, for the form tests.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "app/controls/register_controls_win.h"
#include "app/export/export.h"
#include "app/platform/file_system.h"
#include "app/platform/profile.h"
#include "app/platform/win_handle.h"
#include "app/resources/resource.h"
#include "app/shell/main_window.h"
#include "tests/support/fakes.h"

namespace cardo::testing {

// The number CARDO.INI stores for one of the third manager's formats (ToOtherFormat's inverse):
// the preferences store the combo box's position, so only tests go from a format to it.
inline std::int16_t StoredOtherFormat(ExportFormat format) {
  return static_cast<std::int16_t>(static_cast<int>(format) - kFirstOtherFormat);
}

inline std::u16string WindowText(HWND hwnd) {
  wchar_t text[512] = {};
  GetWindowTextW(hwnd, text, 512);
  return std::u16string(reinterpret_cast<const char16_t*>(text));
}

inline std::u16string MenuText(HMENU menu, UINT item, UINT flags) {
  wchar_t text[256] = {};
  GetMenuStringW(menu, item, text, 256, flags);
  return std::u16string(reinterpret_cast<const char16_t*>(text));
}

inline bool MenuEnabled(HMENU menu, UINT command) {
  return !(GetMenuState(menu, command, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
}

// Delivers this thread's messages until `done()` holds, for about `rounds` milliseconds at
// least; whether it holds then.
template <typename Done>
bool PumpUntil(Done done, int rounds = 5000) {
  for (int i = 0; i < rounds && !done(); ++i) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(1);
  }
  return done();
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES |
                                                       ICC_UPDOWN_CLASS | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    ASSERT_TRUE(RegisterCustomControls());
    window = std::make_unique<frmMain>(
        GetModuleHandleW(nullptr), frmMain::Services{ui, SystemFileSystem(), settings, store,
                                                     /*quitOnDestroy=*/false, spread, download});
    ASSERT_FALSE(window->closed());
  }

  void Command(int id) { SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
  // The command of the toolbar's button at `position` (from 1, separators included).
  int ToolbarCommand(int position) const {
    TBBUTTON button{};
    SendMessageW(window->toolbarHwnd(), TB_GETBUTTON, position - 1,
                 reinterpret_cast<LPARAM>(&button));
    return button.idCommand;
  }
  bool ToolbarEnabled(int position) const {
    return SendMessageW(window->toolbarHwnd(), TB_ISBUTTONENABLED, ToolbarCommand(position), 0);
  }
  // A click on the button at `position`, as the toolbar reports it to its parent.
  void ClickToolbar(int position) {
    SendMessageW(window->hwnd(), WM_COMMAND, MAKEWPARAM(ToolbarCommand(position), BN_CLICKED),
                 reinterpret_cast<LPARAM>(window->toolbarHwnd()));
  }
  // The command of item `item` (from 1) of the toolbar's tool menu.
  static int ToolMenuCommand(int item) {
    const UniqueMenu popups(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_POPUPMENUS)));
    return static_cast<int>(GetMenuItemID(GetSubMenu(popups.get(), POPUP_TOOLMNU), item - 1));
  }
  // Whether the text of the status bar's part shows whole in it.
  bool StatusPartFits(int part) const {
    HWND bar = window->statusHwnd();
    RECT rect{};
    SendMessageW(bar, SB_GETRECT, part, reinterpret_cast<LPARAM>(&rect));
    const std::u16string text = window->StatusText(part);
    const WindowDc dc(bar);
    const ScopedSelect font(dc.get(), reinterpret_cast<HFONT>(SendMessageW(bar, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), reinterpret_cast<const wchar_t*>(text.c_str()),
                          static_cast<int>(text.size()), &size);
    return size.cx < rect.right - rect.left;
  }
  HWND list() const { return window->listHwnd(); }
  LPARAM RowPoint(int row) const {
    RECT item{};
    SendMessageW(list(), LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&item));
    return MAKELPARAM(item.left + 5, (item.top + item.bottom) / 2);
  }

  TempDir dir;
  ScriptedUi ui;
  Settings settings;
  SettingsStore store{
      SystemProfile(), SystemFileSystem(), dir.File(u"CARDO.INI"), dir.path(), u"3.00", 3};
  SpreadFunction spread;  // set before SetUp to stand in for the library
  Download download;      // the same
  std::unique_ptr<frmMain> window;
};

}  // namespace cardo::testing
