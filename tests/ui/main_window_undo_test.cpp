// Undo and redo of the list through the main window, for each kind of command that changes
// lines, and the keys that edit and move lines.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

#include "app/controls/dialog_win.h"
#include "app/editing/find_replace.h"
#include "app/resources/resource.h"
#include "tests/ui/dialog_driver.h"
#include "tests/ui/main_window_fixture.h"

namespace cardo {
namespace {

using Lines = std::vector<std::u16string>;
using testing::MenuEnabled;
using testing::WindowText;

class UndoTest : public testing::MainWindowTest {
 protected:
  void Start(const Lines& lines) {
    window->list().ReplaceAll(lines);
    window->shell().document.ClearHistory();
    window->shell().document.ClearModified();
  }
  // A key pressed with Ctrl held, as the program's loop hands it to the accelerators.
  bool PressCtrl(WPARAM key) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    MSG msg{list(), WM_KEYDOWN, key, 0, 0, {}};
    const bool taken = window->TranslateAccelerators(msg);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
    return taken;
  }
  void Click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  }
  bool EditItemEnabled(int id) {
    HMENU edit = GetSubMenu(GetMenu(window->hwnd()), 1);
    SendMessageW(window->hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), 1);
    return MenuEnabled(edit, id);
  }
};

TEST_F(UndoTest, EveryKindOfChangeIsOneStepBackAndForth) {
  const Lines start = {u"http://b/2.zip", u"http://a/1.zip", u"http://b/2.zip"};
  const struct {
    const char* name;
    std::function<void()> change;
  } cases[] = {
      {"paste",
       [&] {
         ui.clipboard = u"x\r\ny\r\n";
         Command(IDM_EDIT_PASTE);
       }},
      {"cut",
       [&] {
         window->list().SetSelected(0, true);
         Command(IDM_EDIT_CUT);
       }},
      {"delete",
       [&] {
         window->list().SetRangeSelected(1, 2, true);
         Command(IDM_EDIT_DELETE);
       }},
      {"replace", [&] { ReplaceInList(window->shell(), u"zip", u"rar", false); }},
      {"remove duplicates", [&] { Command(IDM_EDIT_REMOVE_DUPLICATES); }},
      {"sort", [&] { Command(IDM_SORT_ASCENDING); }},
      {"random order",
       [&] {
         // Three lines have six orders: shuffled again from the start until another comes.
         do {
           Start(start);
           Command(IDM_SORT_RANDOM);
         } while (window->list().Lines() == start);
       }},
      {"paste links",
       [&] {
         settings.UrlExtProtocol = u"http://";
         settings.UrlExtFilter = u"*.zip";
         ui.clipboard = u"see http://c/3.zip and http://d/4.zip";
         Command(IDM_PASTE_LINKS);
       }},
      {"drop text",
       [&] {
         DropData data;
         data.text = u"p\r\nq";
         window->lstMainList_OLEDragDrop(data);
       }},
      {"generate",
       [&] {
         settings.NumStart = 1;
         settings.NumEnd = 3;
         window->Tools().GeneList().Show();
         HWND gen = window->Tools().GeneList().hwnd();
         SetControlText(GetDlgItem(gen, IDC_CMBURL), u"http://g/");
         Click(gen, IDC_CMDGENECLOSE0);
       }},
      {"free input",
       [&] {
         window->Tools().FreeInput().Show();
         HWND form = window->Tools().FreeInput().hwnd();
         SetControlText(GetDlgItem(form, IDC_TXTFREEINPUT), u"f1\r\nf2");
         Click(form, IDC_CMDINPUT);
       }},
      {"one-line edit by F2",
       [&] {
         window->list().SetFocusIndex(1);
         testing::WhenDialogOpens(L"一行編集", [](HWND dialog) {
           SetControlText(GetDlgItem(dialog, IDC_TXTLINEDATA), u"edited");
           testing::PressKey(GetDlgItem(dialog, IDC_TXTLINEDATA), VK_RETURN);
         });
         SendMessageW(list(), WM_KEYDOWN, VK_F2, 0);
       }},
      {"move by Ctrl+Down",
       [&] {
         window->list().SetSelected(0, true);
         EXPECT_TRUE(PressCtrl(VK_DOWN));
       }},
  };
  for (const auto& c : cases) {
    Start(start);
    EXPECT_FALSE(EditItemEnabled(IDM_EDIT_UNDO)) << c.name;
    c.change();
    const Lines after = window->list().Lines();
    const int focusAfter = window->list().FocusIndex();
    ui.messages.clear();
    ASSERT_NE(after, start) << c.name;
    EXPECT_TRUE(WindowText(window->hwnd()).starts_with(u"Cardo - [無題*]")) << c.name;
    EXPECT_TRUE(EditItemEnabled(IDM_EDIT_UNDO)) << c.name;
    EXPECT_FALSE(EditItemEnabled(IDM_EDIT_REDO)) << c.name;

    EXPECT_TRUE(PressCtrl('Z')) << c.name;
    EXPECT_EQ(window->list().Lines(), start) << c.name;
    EXPECT_EQ(SendMessageW(list(), LB_GETCOUNT, 0, 0), std::ssize(start)) << c.name;
    EXPECT_EQ(WindowText(window->hwnd()), u"Cardo - [無題]") << c.name;  // back to the saved
    EXPECT_FALSE(EditItemEnabled(IDM_EDIT_UNDO)) << c.name;
    EXPECT_TRUE(EditItemEnabled(IDM_EDIT_REDO)) << c.name;

    EXPECT_TRUE(PressCtrl('Y')) << c.name;
    EXPECT_EQ(window->list().Lines(), after) << c.name;
    EXPECT_EQ(window->list().FocusIndex(), focusAfter) << c.name;  // added lines shown again
    EXPECT_EQ(WindowText(window->hwnd()), u"Cardo - [無題*]") << c.name;
    EXPECT_TRUE(ui.messages.empty()) << c.name;
  }
}

TEST_F(UndoTest, TheEditMenuCarriesUndoAndRedoAndNewClearsThem) {
  HMENU edit = GetSubMenu(GetMenu(window->hwnd()), 1);
  EXPECT_EQ(testing::MenuText(edit, 0, MF_BYPOSITION), u"元に戻す(&U)\tCtrl+Z");
  EXPECT_EQ(testing::MenuText(edit, 1, MF_BYPOSITION), u"やり直し(&Y)\tCtrl+Y");
  EXPECT_EQ(GetMenuItemID(edit, 2), 0u);  // a separator

  ui.clipboard = u"a";
  Command(IDM_EDIT_PASTE);
  Command(IDM_EDIT_PASTE);
  Command(IDM_EDIT_UNDO);
  EXPECT_TRUE(EditItemEnabled(IDM_EDIT_UNDO));
  EXPECT_TRUE(EditItemEnabled(IDM_EDIT_REDO));
  ui.answers.push_back(MessageAnswer::No);  // do not save
  Command(IDM_FILE_NEW);
  EXPECT_FALSE(EditItemEnabled(IDM_EDIT_UNDO));
  EXPECT_FALSE(EditItemEnabled(IDM_EDIT_REDO));
}

TEST_F(UndoTest, EnterOpensTheOneLineEditOnTheFocusLine) {
  Start({u"a", u"b"});
  window->list().SetFocusIndex(1);
  std::u16string shown;
  testing::WhenDialogOpens(L"一行編集", [&](HWND dialog) {
    shown = WindowText(GetDlgItem(dialog, IDC_TXTLINEDATA));
    testing::PressKey(GetDlgItem(dialog, IDC_TXTLINEDATA), VK_ESCAPE);
  });
  SendMessageW(list(), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(shown, u"b");
  EXPECT_EQ(WindowText(window->hwnd()), u"Cardo - [無題]");
}

TEST_F(UndoTest, DraggingMovesTheWholeSelection) {
  ShowWindow(window->hwnd(), SW_SHOWNA);
  Start({u"a", u"b", u"c", u"d", u"e"});
  window->list().SetSelected(0, true);
  window->list().SetSelected(1, true);
  window->list().SetFocusIndex(0);
  // A press on the selection keeps it; the drag puts both lines from row 3 on.
  SendMessageW(list(), WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(1));
  EXPECT_EQ(window->list().SelectedCount(), 2);
  SendMessageW(list(), WM_MOUSEMOVE, MK_LBUTTON, RowPoint(3));
  SendMessageW(list(), WM_LBUTTONUP, 0, RowPoint(3));
  EXPECT_EQ(window->list().Lines(), (Lines{u"c", u"d", u"e", u"a", u"b"}));
  EXPECT_EQ(window->list().SelectedIndices(), (std::vector<int>{3, 4}));
  Command(IDM_EDIT_UNDO);
  EXPECT_EQ(window->list().Lines(), (Lines{u"a", u"b", u"c", u"d", u"e"}));

  // A click on the selection that is no drag selects that line alone.
  SendMessageW(list(), WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(1));
  SendMessageW(list(), WM_LBUTTONUP, 0, RowPoint(1));
  EXPECT_EQ(window->list().SelectedIndices(), std::vector<int>{1});
}

}  // namespace
}  // namespace cardo
