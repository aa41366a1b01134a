// The main window's status bar: its counts and note as commands run, hiding it, its setting
// and its size at another DPI.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "app/controls/dpi_win.h"
#include "app/platform/text.h"
#include "tests/ui/dialog_driver.h"
#include "tests/ui/main_window_fixture.h"

namespace cardo {
namespace {

using testing::DeliverPosted;
using testing::MainWindowTest;

class StatusBarTest : public MainWindowTest {
 protected:
  // Lines, selected lines and the note, as the bar shows them once posted updates ran.
  std::u16string Bar() {
    DeliverPosted();
    return window->StatusText(0) + u" | " + window->StatusText(1) + u" | " + window->StatusText(3);
  }
  RECT ChildRect(HWND child) const {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, window->hwnd(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  bool BarShown() const { return GetWindowLongPtrW(window->statusHwnd(), GWL_STYLE) & WS_VISIBLE; }
};

TEST_F(StatusBarTest, CountsAndNoteFollowTheCommands) {
  EXPECT_TRUE(BarShown());
  EXPECT_EQ(Bar(), u"0 行 | 選択 0 行 | ");

  ui.clipboard = u"http://a/\r\nhttp://b/\r\nhttp://c/";
  Command(IDM_EDIT_PASTE);
  EXPECT_EQ(Bar(), u"3 行 | 選択 3 行 | 3 行を追加しました");

  // A click selects one line: the list tells its parent.
  SendMessageW(list(), WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(1));
  SendMessageW(list(), WM_LBUTTONUP, 0, RowPoint(1));
  DeliverPosted();
  EXPECT_EQ(window->StatusText(1), u"選択 1 行");

  Command(IDM_EDIT_DELETE);
  const std::u16string selected = DecimalText(window->list().SelectedCount());
  EXPECT_EQ(Bar(), u"2 行 | 選択 " + selected + u" 行 | 1 行を削除しました");

  Command(IDM_EDIT_SELECT_ALL);
  EXPECT_EQ(Bar(), u"2 行 | 選択 2 行 | 1 行を削除しました");
  // Another window's selection (the find window's) reaches the bar through the list.
  window->list().SetAllSelected(false);
  EXPECT_EQ(Bar(), u"2 行 | 選択 0 行 | 1 行を削除しました");

  Command(IDM_SORT_DESCENDING);
  EXPECT_EQ(window->StatusText(3), u"2 行を並べ替えました");
  Command(IDM_EDIT_UNDO);
  EXPECT_EQ(window->StatusText(3), u"元に戻しました");

  // A new list has done nothing yet.
  ui.answers = {MessageAnswer::No};
  Command(IDM_FILE_NEW);
  EXPECT_EQ(Bar(), u"0 行 | 選択 0 行 | ");
}

TEST_F(StatusBarTest, HiddenFromTheViewMenuAndKeptInTheSettings) {
  HMENU view = GetSubMenu(GetMenu(window->hwnd()), 2);
  EXPECT_EQ(testing::MenuText(view, IDM_VIEW_STATUSBAR, MF_BYCOMMAND), u"ステータスバー(&S)");
  EXPECT_TRUE(GetMenuState(view, IDM_VIEW_STATUSBAR, MF_BYCOMMAND) & MF_CHECKED);
  RECT client{};
  GetClientRect(window->hwnd(), &client);
  const RECT bar = ChildRect(window->statusHwnd());
  EXPECT_EQ(bar.bottom, client.bottom);
  EXPECT_EQ(ChildRect(list()).bottom, bar.top);

  Command(IDM_VIEW_STATUSBAR);
  EXPECT_FALSE(BarShown());
  EXPECT_FALSE(GetMenuState(view, IDM_VIEW_STATUSBAR, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_EQ(ChildRect(list()).bottom, client.bottom);
  EXPECT_EQ(settings.StatusBar, 0);

  SendMessageW(window->hwnd(), WM_CLOSE, 0, 0);
  ASSERT_TRUE(window->closed());
  EXPECT_NE(dir.Read(u"CARDO.INI").find("StatusBar=0\r\n"), std::string::npos);
  // The next start applies what it read (the file's reading is the settings tests').
  Settings read;
  read.StatusBar = 0;
  frmMain next(GetModuleHandleW(nullptr),
               frmMain::Services{ui, SystemFileSystem(), read, store, /*quitOnDestroy=*/false});
  next.SetPrefarence();
  EXPECT_FALSE(GetWindowLongPtrW(next.statusHwnd(), GWL_STYLE) & WS_VISIBLE);
}

TEST_F(StatusBarTest, FollowsTheDpi) {
  auto height = [&] {
    const RECT r = ChildRect(window->statusHwnd());
    return r.bottom - r.top;
  };
  auto firstEdge = [&] {
    int edges[4] = {};
    SendMessageW(window->statusHwnd(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges));
    return edges[0];
  };
  const int dpi = WindowDpi(window->hwnd());
  const int at = height();
  const int edge = firstEdge();
  RECT outer{};
  GetWindowRect(window->hwnd(), &outer);
  SendMessageW(window->hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi * 2, dpi * 2),
               reinterpret_cast<LPARAM>(&outer));
  EXPECT_GT(height(), at * 3 / 2);
  EXPECT_EQ(firstEdge(), edge * 2);
  RECT client{};
  GetClientRect(window->hwnd(), &client);
  EXPECT_EQ(ChildRect(window->statusHwnd()).bottom, client.bottom);
  EXPECT_EQ(ChildRect(list()).bottom, ChildRect(window->statusHwnd()).top);
}

}  // namespace
}  // namespace cardo
