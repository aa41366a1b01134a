// The find window and the one-line edit, driven in-process through the main window.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "app/controls/dialog_win.h"
#include "app/controls/dpi_win.h"
#include "app/editing/messages.h"
#include "app/resources/resource.h"
#include "tests/ui/dialog_driver.h"
#include "tests/ui/main_window_fixture.h"

namespace cardo {
namespace {

using Lines = std::vector<std::u16string>;

bool Visible(HWND dialog, int id) {
  return (GetWindowLongPtrW(GetDlgItem(dialog, id), GWL_STYLE) & WS_VISIBLE) != 0;
}

// Presses a key in a control as the program's message loop delivers it.
void PressKey(HWND control, WPARAM key) {
  MSG msg{control, WM_KEYDOWN, key, 0, 0, {}};
  if (!RouteDialogMessage(msg)) DispatchMessageW(&msg);
}

class EditingWindowsTest : public testing::MainWindowTest {
 protected:
  HWND Search() { return window->SearchWindow().hwnd(); }
  void Type(int id, const std::u16string& text) { SetControlText(GetDlgItem(Search(), id), text); }
  void Click(int id) {
    SendMessageW(Search(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(Search(), id)));
  }
  std::vector<int> SelectedRows() { return window->list().SelectedIndices(); }
};

TEST_F(EditingWindowsTest, FindWindowShowsItsModeAndTakesTheOtherWhileOpen) {
  settings.SearchHistory = Lines{u"b", u"a"};
  settings.BigSmall = 1;
  Command(IDM_EDIT_FIND);
  ASSERT_TRUE(window->SearchWindow().IsOpen());
  EXPECT_EQ(testing::WindowText(Search()), u"検索");
  EXPECT_EQ(testing::WindowText(GetDlgItem(Search(), IDC_CMDBUTTONS0)), u"検索(&F)");
  EXPECT_TRUE(Visible(Search(), IDC_CMDBUTTONS1));
  EXPECT_FALSE(Visible(Search(), IDC_TXTREPWORD));
  EXPECT_FALSE(Visible(Search(), IDC_LBLREPWORD));
  EXPECT_EQ(LOWORD(SendMessageW(Search(), DM_GETDEFID, 0, 0)), IDC_CMDBUTTONS0);
  EXPECT_EQ(SendDlgItemMessageW(Search(), IDC_CMBSEARCHWORD, CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(testing::WindowText(GetDlgItem(Search(), IDC_CMBSEARCHWORD)), u"");
  EXPECT_EQ(IsDlgButtonChecked(Search(), IDC_CHKBIGSMALL), BST_CHECKED);
  EXPECT_EQ(GetWindow(Search(), GW_OWNER), window->hwnd());

  Command(IDM_EDIT_REPLACE);  // replace while the find window is open
  EXPECT_EQ(testing::WindowText(Search()), u"置換");
  EXPECT_EQ(testing::WindowText(GetDlgItem(Search(), IDC_CMDBUTTONS0)), u"置換(&R)");
  EXPECT_FALSE(Visible(Search(), IDC_CMDBUTTONS1));
  EXPECT_TRUE(Visible(Search(), IDC_TXTREPWORD));

  Click(IDC_CMDBUTTONS0);  // no word: a warning, and the window stays
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, msg::kNoReplaceWord);
  EXPECT_EQ(ui.messages[0].title, u"警告");
  EXPECT_TRUE(window->SearchWindow().IsOpen());

  CheckDlgButton(Search(), IDC_CHKBIGSMALL, BST_UNCHECKED);
  PressKey(GetDlgItem(Search(), IDC_CMBSEARCHWORD), VK_ESCAPE);
  EXPECT_FALSE(window->SearchWindow().IsOpen());
  EXPECT_EQ(settings.SearchHistory, (Lines{u"b", u"a"}));
  EXPECT_EQ(settings.BigSmall, 0);
}

TEST_F(EditingWindowsTest, FindByEnterThenFindNextByF3) {
  window->list().ReplaceAll({u"a.zip", u"b.lzh", u"c.zip"});
  Command(IDM_EDIT_FIND);
  Type(IDC_CMBSEARCHWORD, u"ZIP");
  HWND comboEdit = GetWindow(GetDlgItem(Search(), IDC_CMBSEARCHWORD), GW_CHILD);
  PressKey(comboEdit ? comboEdit : GetDlgItem(Search(), IDC_CMBSEARCHWORD), VK_RETURN);
  EXPECT_FALSE(window->SearchWindow().IsOpen());
  EXPECT_EQ(SelectedRows(), std::vector<int>{0});
  EXPECT_EQ(settings.SearchHistory, Lines{u"ZIP"});

  MSG f3{list(), WM_KEYDOWN, VK_F3, 0, 0, {}};
  EXPECT_TRUE(window->TranslateAccelerators(f3));
  EXPECT_EQ(SelectedRows(), std::vector<int>{2});
  EXPECT_EQ(SendMessageW(list(), LB_GETTOPINDEX, 0, 0), 0);  // all three lines fit
  EXPECT_TRUE(ui.messages.empty());

  // Toolbar button 8 opens the window in find mode; its own find next keeps it open.
  ClickToolbar(8);
  ASSERT_TRUE(window->SearchWindow().IsOpen());
  Click(IDC_CMDBUTTONS1);
  EXPECT_TRUE(window->SearchWindow().IsOpen());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, msg::kSearchReachedEnd);
}

TEST_F(EditingWindowsTest, ReplaceThroughTheWindow) {
  window->list().ReplaceAll({u"DIR/A.ZIP", u"x"});
  Command(IDM_EDIT_REPLACE);
  Type(IDC_CMBSEARCHWORD, u"zip");
  Type(IDC_TXTREPWORD, u"rar");
  Click(IDC_CMDBUTTONS0);
  EXPECT_FALSE(window->SearchWindow().IsOpen());
  EXPECT_EQ(window->list().Lines(), (Lines{u"DIR/A.rar", u"x"}));
  EXPECT_EQ(testing::WindowText(window->hwnd()), u"Cardo - [無題*]");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, u"終了しました。\r\n置き換えた回数:1");
}

TEST_F(EditingWindowsTest, OneLineEditWritesBackOnlyAChangedText) {
  const std::u16string longLine(40000, u'x');
  const struct {
    std::u16string typed;  // empty: close without typing
    bool type;
    std::u16string expected;
    bool modified;
  } cases[] = {
      {u"", false, u"b.zip", false},
      {u"b.zip", true, u"b.zip", false},  // typed back to its first form
      {u"B.zip", true, u"B.zip", true},
      {u"", true, u"", true},
      {u"http://x/\r\nhttp://y/", true, u"http://x/http://y/", true},
      {std::u16string(5000, u'a'), true, std::u16string(5000, u'a'), true},
  };
  for (const auto& c : cases) {
    window->list().ReplaceAll({u"a.zip", u"b.zip", longLine});
    window->shell().document.ClearModified();
    window->list().SetFocusIndex(1);
    testing::WhenDialogOpens(L"一行編集", [&](HWND dialog) {
      EXPECT_EQ(testing::WindowText(GetDlgItem(dialog, IDC_TXTLINEDATA)), u"b.zip");
      if (c.type) SetControlText(GetDlgItem(dialog, IDC_TXTLINEDATA), c.typed);
      PressKey(GetDlgItem(dialog, IDC_TXTLINEDATA), VK_RETURN);
    });
    SendMessageW(list(), WM_LBUTTONDBLCLK, MK_LBUTTON, RowPoint(1));
    EXPECT_EQ(window->list().Lines(), (Lines{u"a.zip", c.expected, longLine}));
    EXPECT_EQ(window->shell().document.Modified(), c.modified);
  }

  // A line longer than an edit box's default limit comes back whole.
  window->shell().document.ClearModified();
  window->list().SetFocusIndex(2);
  testing::WhenDialogOpens(L"一行編集", [](HWND dialog) { PressKey(dialog, VK_ESCAPE); });
  Command(IDM_EDIT_LINE);
  EXPECT_EQ(window->list().Line(2), longLine);
  EXPECT_FALSE(window->shell().document.Modified());
}

TEST_F(EditingWindowsTest, OneLineEditShowsTheLineFromItsStartAllSelected) {
  for (const std::u16string& line :
       {std::u16string(u"http://h/a.zip"), std::u16string(400, u'x')}) {
    window->list().ReplaceAll({line});
    window->list().SetFocusIndex(0);
    LRESULT firstChar = -1;
    DWORD start = 1, end = 0;
    testing::WhenDialogOpens(L"一行編集", [&](HWND dialog) {
      HWND text = GetDlgItem(dialog, IDC_TXTLINEDATA);
      firstChar = SendMessageW(text, EM_POSFROMCHAR, 0, 0);
      SendMessageW(text, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
      PressKey(text, VK_ESCAPE);
    });
    Command(IDM_EDIT_LINE);
    // The first character stands inside the box, at its left edge.
    const auto x = static_cast<short>(LOWORD(firstChar));
    EXPECT_GE(x, 0) << line.size() << " sel " << start << "-" << end;
    EXPECT_LT(x, 10) << line.size();
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, line.size());
  }
}

TEST_F(EditingWindowsTest, OneLineEditKeepsItsHeightAndItsDesignedLayout) {
  window->list().ReplaceAll({u"a"});
  RECT before{}, after{}, client{}, text{}, button{};
  testing::WhenDialogOpens(L"一行編集", [&](HWND dialog) {
    GetWindowRect(dialog, &before);
    GetClientRect(dialog, &client);
    GetWindowRect(GetDlgItem(dialog, IDC_TXTLINEDATA), &text);
    GetWindowRect(GetDlgItem(dialog, IDC_CMDCLOSE), &button);
    RECT proposed = before;
    proposed.bottom += 100;
    proposed.right += 50;
    SendMessageW(dialog, WM_SIZING, WMSZ_BOTTOMRIGHT, reinterpret_cast<LPARAM>(&proposed));
    after = proposed;
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), window->hwnd());
    SendMessageW(dialog, WM_CLOSE, 0, 0);
  });
  Command(IDM_EDIT_LINE);
  EXPECT_EQ(after.bottom - after.top, before.bottom - before.top);
  EXPECT_EQ(after.right - after.left, before.right - before.left + 50);
  EXPECT_NEAR(PixelsToTwips(window->hwnd(), client.right), 6870, 15);
  EXPECT_NEAR(PixelsToTwips(window->hwnd(), client.bottom), 495, 15);
  EXPECT_NEAR(PixelsToTwips(window->hwnd(), text.right - text.left), 6870 - 1545, 15);
  EXPECT_NEAR(PixelsToTwips(window->hwnd(), button.right - button.left), 1095, 15);

  window->list().Clear();  // no focus line: the window does not open
  bool opened = false;
  testing::WhenDialogOpens(L"一行編集", [&](HWND dialog) {
    opened = true;
    SendMessageW(dialog, WM_CLOSE, 0, 0);
  });
  Command(IDM_EDIT_LINE);
  testing::CancelDialogAction();
  EXPECT_FALSE(opened);
}

}  // namespace
}  // namespace cardo
