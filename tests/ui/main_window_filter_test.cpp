// The filter box of the main window, driven as the program's loop delivers keys: Ctrl+E, typing,
// Enter and Esc; the commands act on the shown lines, Save writes every line, undo keeps the
// filter, a new list ends it.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/list/edit_commands.h"
#include "app/resources/resource.h"
#include "tests/ui/dialog_driver.h"
#include "tests/ui/main_window_fixture.h"

namespace cardo {
namespace {

using Lines = std::vector<std::u16string>;

class FilterTest : public testing::MainWindowTest {
 protected:
  // A message as the program's loop hands it on: the accelerators first.
  void Loop(HWND to, UINT message, WPARAM wParam) {
    MSG msg{to, message, wParam, 0, 0, {}};
    if (!window->TranslateAccelerators(msg)) testing::Deliver(msg);
    testing::DeliverPosted();
  }
  void Key(HWND to, WPARAM key, bool ctrl = false) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = ctrl ? 0x80 : 0;
    SetKeyboardState(keys);
    Loop(to, WM_KEYDOWN, key);
    Loop(to, WM_KEYUP, key);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
  }
  void Type(const std::u16string& text) {
    for (const char16_t c : text) Loop(GetFocus(), WM_CHAR, c);
  }
  int Rows() const { return static_cast<int>(SendMessageW(list(), LB_GETCOUNT, 0, 0)); }
  std::u16string Row(int row) const {
    wchar_t text[256] = {};
    SendMessageW(list(), LB_GETTEXT, row, reinterpret_cast<LPARAM>(text));
    return std::u16string(reinterpret_cast<const char16_t*>(text));
  }
};

TEST_F(FilterTest, TypingFiltersTheCommandsActOnTheShownLinesAndSaveWritesAll) {
  const Lines start = {u"http://a/1.zip", u"http://b/img.JPG", u"http://c/3.zip",
                       u"http://d/photo.jpg", u"http://e/5.zip"};
  window->list().ReplaceAll(start);
  window->shell().document.ClearHistory();
  SetFocus(list());

  Key(list(), 'E', true);
  ASSERT_EQ(GetFocus(), window->filterHwnd());
  Type(u".jpg");
  EXPECT_EQ(Rows(), 2);
  EXPECT_EQ(Row(1), u"http://d/photo.jpg");
  testing::DeliverPosted();
  EXPECT_EQ(window->StatusText(0), u"フィルタ: 2 / 5 行を表示中");

  // In the box, Ctrl+A and Del edit its text, not the list.
  Key(window->filterHwnd(), 'A', true);
  Key(window->filterHwnd(), VK_DELETE);
  EXPECT_EQ(GetWindowTextLengthW(window->filterHwnd()), 0);
  EXPECT_EQ(window->list().Count(), 5);
  EXPECT_EQ(window->list().SelectedCount(), 0);
  Type(u"JPG");
  Key(window->filterHwnd(), VK_RETURN);
  EXPECT_EQ(GetFocus(), list());
  EXPECT_EQ(Rows(), 2);

  // Select all and delete take the shown lines only, and say so.
  Key(list(), 'A', true);
  EXPECT_EQ(window->list().SelectedCount(), 2);
  Key(list(), VK_DELETE);
  EXPECT_EQ(window->list().Lines(), (Lines{start[0], start[2], start[4]}));
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(window->StatusText(3), u"2 行を削除しました (表示中の行のみ)");
  // At the window's first width the note says whole that only the shown lines were taken.
  EXPECT_TRUE(StatusPartFits(0));
  EXPECT_TRUE(StatusPartFits(3));
  // The watch part, given up while the clipboard is not watched, comes back with the watch.
  Command(IDM_WATCH_CLIPBOARD);
  EXPECT_EQ(window->StatusText(2), u"クリップボード監視中");
  EXPECT_TRUE(StatusPartFits(2));
  Command(IDM_WATCH_CLIPBOARD);

  // Save writes the hidden lines too.
  const std::u16string path = dir.File(u"list.txt");
  window->shell().document.SetPath(path);
  Key(list(), 'S', true);
  EXPECT_EQ(SystemFileSystem().ReadAll(path),
            "http://a/1.zip\r\nhttp://c/3.zip\r\nhttp://e/5.zip\r\n");

  // Undo brings the lines back where they stood, and the filter shows them again.
  Key(list(), 'Z', true);
  EXPECT_EQ(window->list().Lines(), start);
  EXPECT_EQ(Rows(), 2);
  EXPECT_EQ(Row(0), u"http://b/img.JPG");

  // Esc in the box clears the filter and goes back to the list.
  Key(list(), 'E', true);
  Key(window->filterHwnd(), VK_ESCAPE);
  EXPECT_EQ(GetFocus(), list());
  EXPECT_EQ(Rows(), 5);
  testing::DeliverPosted();
  EXPECT_EQ(window->StatusText(0), u"5 行");

  // A new list ends the filter and empties its box.
  Key(list(), 'E', true);
  Type(u"zip");
  EXPECT_EQ(Rows(), 3);
  window->shell().document.ClearModified();
  Key(list(), 'N', true);
  EXPECT_EQ(window->list().Count(), 0);
  EXPECT_EQ(GetWindowTextLengthW(window->filterHwnd()), 0);
  ui.clipboard = u"x\r\ny";
  Command(IDM_EDIT_PASTE);
  EXPECT_EQ(Rows(), 2);
}

TEST_F(FilterTest, CtrlUpAndDownInTheBoxMoveItsCaretNotTheLines) {
  const Lines start = {u"http://a/1.zip", u"http://b/2.zip", u"http://c/3.zip"};
  window->list().ReplaceAll(start);
  window->list().SetSelected(1, true);
  window->shell().document.ClearHistory();
  Key(list(), 'E', true);
  Type(u"zip");
  const auto caret = [&] {
    DWORD first = 0;
    DWORD last = 0;
    SendMessageW(window->filterHwnd(), EM_GETSEL, reinterpret_cast<WPARAM>(&first),
                 reinterpret_cast<LPARAM>(&last));
    return last;
  };
  ASSERT_EQ(caret(), 3u);
  Key(window->filterHwnd(), VK_UP, true);
  EXPECT_LT(caret(), 3u);
  Key(window->filterHwnd(), VK_DOWN, true);
  EXPECT_EQ(caret(), 3u);
  EXPECT_EQ(GetFocus(), window->filterHwnd());
  EXPECT_EQ(window->list().Lines(), start);
  EXPECT_FALSE(CanUndo(window->shell()));
  // In the list the same keys move the selected lines.
  Key(window->filterHwnd(), VK_DOWN);
  ASSERT_EQ(GetFocus(), list());
  Key(list(), VK_UP, true);
  EXPECT_EQ(window->list().Line(0), start[1]);
}

TEST_F(FilterTest, HiddenLinesKeepTheirSelectionWhileClicksAndKeysSelectTheShownOnes) {
  ShowWindow(window->hwnd(), SW_SHOWNA);
  const Lines start = {u"http://a/1.zip", u"http://b/2.jpg", u"http://c/3.zip", u"http://d/4.jpg",
                       u"http://e/5.zip"};
  window->list().ReplaceAll(start);
  // A click and a Ctrl+click, as the mouse sends them.
  const auto click = [&](int row, WPARAM keys) {
    SendMessageW(list(), WM_LBUTTONDOWN, MK_LBUTTON | keys, RowPoint(row));
    SendMessageW(list(), WM_LBUTTONUP, keys, RowPoint(row));
  };
  click(0, 0);
  click(2, MK_CONTROL);
  click(3, MK_CONTROL);
  EXPECT_EQ(window->list().SelectedIndices(), (std::vector<int>{0, 2, 3}));

  Key(list(), 'E', true);
  Type(u"jpg");
  ASSERT_EQ(Rows(), 2);
  EXPECT_EQ(SendMessageW(list(), LB_GETSELCOUNT, 0, 0), 1);
  EXPECT_EQ(SendMessageW(list(), LB_GETSEL, 1, 0), 1);
  testing::DeliverPosted();
  EXPECT_EQ(window->StatusText(1), u"選択 1 行");
  // A click selects that shown line alone, Shift+Up adds the one above; the hidden lines keep
  // their selection.
  click(1, 0);
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  Loop(list(), WM_KEYDOWN, VK_UP);
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(SendMessageW(list(), LB_GETSELCOUNT, 0, 0), 2);
  EXPECT_EQ(window->list().SelectedIndices(), (std::vector<int>{0, 1, 2, 3}));

  // Shown again, the hidden lines are selected as before.
  Key(list(), 'E', true);
  Key(window->filterHwnd(), VK_ESCAPE);
  ASSERT_EQ(Rows(), 5);
  EXPECT_EQ(SendMessageW(list(), LB_GETSELCOUNT, 0, 0), 4);
  for (int row = 0; row < 5; ++row) {
    EXPECT_EQ(SendMessageW(list(), LB_GETSEL, row, 0), row < 4 ? 1 : 0) << row;
  }
  // End selects the last line alone.
  Loop(list(), WM_KEYDOWN, VK_END);
  EXPECT_EQ(window->list().SelectedIndices(), (std::vector<int>{4}));
}

}  // namespace
}  // namespace cardo
