// The main window driven in-process by window messages, with every question answered by a
// scripted Ui.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "app/controls/dpi_win.h"
#include "app/list/messages.h"
#include "app/platform/codec.h"
#include "app/platform/profile.h"
#include "app/platform/text.h"
#include "app/resources/resource.h"
#include "app/shell/main_window.h"
#include "app/shell/messages.h"
#include "app/shell/startup.h"
#include "app/shell/text_meter_win.h"
#include "tests/ui/failure_cases.h"
#include "tests/ui/main_window_fixture.h"

namespace cardo {
namespace {

using testing::MainWindowTest;
using testing::MenuEnabled;
using testing::MenuText;
using testing::TempDir;
using testing::WindowText;
using Lines = std::vector<std::u16string>;

TEST_F(MainWindowTest, CancelledSessionEndAsksAgainAtTheNextClose) {
  EXPECT_TRUE(SendMessageW(window->hwnd(), WM_QUERYENDSESSION, 0, 0));
  SendMessageW(window->hwnd(), WM_ENDSESSION, FALSE, 0);
  window->list().AppendLine(u"x");
  window->shell().document.MarkModified();
  ui.answers = {MessageAnswer::Cancel};
  SendMessageW(window->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(window->closed());
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].title, u"質問");
}

TEST_F(MainWindowTest, StoredSizeIsTheRestoredOne) {
  ShowWindow(window->hwnd(), SW_SHOWNORMAL);
  const auto width = window->Width();
  const auto height = window->Height();
  for (const int show : {SW_MINIMIZE, SW_MAXIMIZE}) {
    ShowWindow(window->hwnd(), show);
    EXPECT_EQ(window->Width(), width) << show;
    EXPECT_EQ(window->Height(), height) << show;
  }
}

TEST_F(MainWindowTest, StartsUntitledWithTheSpecifiedMenus) {
  EXPECT_EQ(WindowText(window->hwnd()), u"Cardo - [無題]");
  HMENU bar = GetMenu(window->hwnd());
  const char16_t* top[] = {u"ファイル(&F)", u"編集(&E)", u"表示(&V)", u"ヘルプ(&H)"};
  for (UINT i = 0; i < 4; ++i) EXPECT_EQ(MenuText(bar, i, MF_BYPOSITION), top[i]);
  HMENU edit = GetSubMenu(bar, 1);
  EXPECT_EQ(MenuText(edit, IDM_EDIT_CUT, MF_BYCOMMAND), u"切り取り(&T)\tCtrl+X");
  EXPECT_EQ(MenuText(edit, IDM_EDIT_REMOVE_DUPLICATES, MF_BYCOMMAND), u"重複を削除(&O)");
  EXPECT_EQ(MenuText(edit, 6, MF_BYPOSITION), u"リンクを貼り付け(&L)\tCtrl+Shift+V");
  EXPECT_EQ(MenuText(edit, 17, MF_BYPOSITION), u"整列(&S)");
  HMENU history = GetSubMenu(GetSubMenu(bar, 0), 6);
  ASSERT_EQ(GetMenuItemCount(history), 1);
  EXPECT_EQ(MenuText(history, 0, MF_BYPOSITION), u"履歴はありません");
  EXPECT_FALSE(MenuEnabled(history, IDM_HISTORY_FIRST));
}

TEST_F(MainWindowTest, EditMenuFollowsSelectionAndClipboard) {
  HMENU edit = GetSubMenu(GetMenu(window->hwnd()), 1);
  window->list().ReplaceAll({u"a", u"b"});
  SendMessageW(window->hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), 1);
  constexpr int kFollowing[] = {IDM_EDIT_CUT, IDM_EDIT_COPY, IDM_EDIT_PASTE, IDM_EDIT_DELETE};
  for (int command : kFollowing) EXPECT_FALSE(MenuEnabled(edit, command)) << command;
  EXPECT_TRUE(MenuEnabled(edit, IDM_EDIT_SELECT_ALL));

  window->list().SetSelected(1, true);
  ui.clipboard = u"x";
  SendMessageW(window->hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), 1);
  for (int command : kFollowing) EXPECT_TRUE(MenuEnabled(edit, command)) << command;
}

TEST_F(MainWindowTest, PasteSortAndTitle) {
  ui.clipboard = u"http://b/\r\nhttp://a/\r\nhttp://c/\r\n";
  Command(IDM_EDIT_PASTE);
  EXPECT_EQ(window->list().Lines(), (Lines{u"http://b/", u"http://a/", u"http://c/"}));
  EXPECT_EQ(SendMessageW(list(), LB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(list(), LB_GETSELCOUNT, 0, 0), 3);
  EXPECT_EQ(WindowText(window->hwnd()), u"Cardo - [無題*]");

  Command(IDM_SORT_ASCENDING);
  EXPECT_EQ(window->list().Lines(), (Lines{u"http://a/", u"http://b/", u"http://c/"}));
  ClickToolbar(11);  // sort descending
  EXPECT_EQ(window->list().Line(0), u"http://c/");
}

// A failure that no command names reaches the window procedure: the user is told, by what it
// was, and the list stays as it was.
TEST_F(MainWindowTest, AFailureNoCommandNamesIsShownAndTheListStays) {
  window->list().ReplaceAll({u"http://a/"});
  ui.clipboard = u"http://b/";
  for (const UnexpectedFailure& c : UnexpectedFailures()) {
    ui.clipboardFailure = c.failure;
    ui.messages.clear();
    Command(IDM_EDIT_PASTE);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages.back().text, c.text);
    EXPECT_EQ(ui.messages.back().icon, MessageIcon::Warning);
    EXPECT_EQ(window->list().Lines(), Lines{u"http://a/"});
  }
  ui.clipboardFailure = nullptr;
  Command(IDM_EDIT_PASTE);
  EXPECT_EQ(window->list().Lines(), (Lines{u"http://a/", u"http://b/"}));
}

TEST_F(MainWindowTest, HorizontalExtentFollowsTheWidestLine) {
  window->list().ReplaceAll({u"short"});
  window->UpdateHorizontalExtent();
  const auto narrow = SendMessageW(list(), LB_GETHORIZONTALEXTENT, 0, 0);
  window->list().AppendLine(std::u16string(300, u'W'));
  window->UpdateHorizontalExtent();
  const auto wide = SendMessageW(list(), LB_GETHORIZONTALEXTENT, 0, 0);
  EXPECT_GT(narrow, 5);
  EXPECT_GT(wide, narrow * 10);
  window->list().Clear();
  window->UpdateHorizontalExtent();
  EXPECT_EQ(SendMessageW(list(), LB_GETHORIZONTALEXTENT, 0, 0), 5);
}

TEST_F(MainWindowTest, MeterMeasuresAsTheSystemDoes) {
  auto font = reinterpret_cast<HFONT>(SendMessageW(list(), WM_GETFONT, 0, 0));
  AnsiTextMeter meter(font);
  const UniqueDc dc(CreateCompatibleDC(nullptr));
  const ScopedSelect selected(dc.get(), font);
  for (const char16_t* line :
       {u"http://www.example.com/images/img001.jpg", u"http://例え.jp/画像/ソフト.zip",
        u"ｱｲｳｴｵ half-width", u"caf\u00E9 \u00E9t\u00E9", u"\u4E02\uFF5E\u2014", u"",
        u"WWWWWWWWWWiiiiiiii", u"\U0001F600 emoji"}) {
    const std::string bytes = WideToAnsi(line);
    SIZE size{};
    GetTextExtentPoint32A(dc.get(), bytes.data(), static_cast<int>(bytes.size()), &size);
    EXPECT_EQ(meter.Width(line), size.cx) << Utf16ToUtf8(line);
  }
}

TEST_F(MainWindowTest, InsertKeyTogglesSelection) {
  window->list().ReplaceAll({u"a", u"b", u"c"});
  window->list().SetFocusIndex(2);
  Command(IDM_EDIT_SELECT_ALL);
  EXPECT_EQ(SendMessageW(list(), LB_GETSELCOUNT, 0, 0), 3);
  SendMessageW(list(), WM_KEYDOWN, VK_INSERT, 0);
  EXPECT_EQ(SendMessageW(list(), LB_GETSELCOUNT, 0, 0), 0);
  SendMessageW(list(), WM_KEYDOWN, VK_INSERT, 0);
  EXPECT_EQ(SendMessageW(list(), LB_GETSELCOUNT, 0, 0), 1);
  EXPECT_TRUE(window->list().Selected(2));

  window->list().ReplaceAll({u"0", u"1", u"2", u"3", u"4", u"5"});
  for (int row : {0, 1, 3}) window->list().SetSelected(row, true);
  Command(IDM_EDIT_INVERT_SELECTION);  // invert selection
  EXPECT_EQ(window->list().SelectedIndices(), (std::vector<int>{2, 4, 5}));
  EXPECT_EQ(WindowText(window->hwnd()), u"Cardo - [無題]");
}

TEST_F(MainWindowTest, DraggingMovesTheFocusLine) {
  ShowWindow(window->hwnd(), SW_SHOWNA);
  window->list().ReplaceAll({u"a", u"b", u"c", u"d"});
  SendMessageW(list(), WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(0));
  SendMessageW(list(), WM_MOUSEMOVE, MK_LBUTTON, RowPoint(2));
  SendMessageW(list(), WM_LBUTTONUP, 0, RowPoint(2));
  EXPECT_EQ(window->list().Lines(), (Lines{u"b", u"c", u"a", u"d"}));
  EXPECT_EQ(window->list().FocusIndex(), 2);
  EXPECT_TRUE(window->list().Selected(2));
  EXPECT_EQ(WindowText(window->hwnd()), u"Cardo - [無題*]");

  // Dropped below the last line: the line goes to the end.
  RECT client{};
  GetClientRect(list(), &client);
  SendMessageW(list(), WM_LBUTTONDOWN, MK_LBUTTON, RowPoint(0));
  SendMessageW(list(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(5, client.bottom - 2));
  SendMessageW(list(), WM_LBUTTONUP, 0, MAKELPARAM(5, client.bottom - 2));
  EXPECT_EQ(window->list().Lines(), (Lines{u"c", u"a", u"d", u"b"}));
}

TEST_F(MainWindowTest, RecentFilesShowInTheSubmenu) {
  HMENU history = GetSubMenu(GetSubMenu(GetMenu(window->hwnd()), 0), 6);
  window->RecentFiles().AddItem(u"C:\\lists\\a.lst");
  window->RecentFiles().AddItem(u"C:\\lists\\b.lst");
  ASSERT_EQ(GetMenuItemCount(history), 2);
  EXPECT_EQ(MenuText(history, 0, MF_BYPOSITION), u"&1: C:\\lists\\b.lst");
  EXPECT_TRUE(MenuEnabled(history, IDM_HISTORY_FIRST));
}

TEST_F(MainWindowTest, WindowSizeInTwips) {
  window->SetWidth(9000);
  window->SetHeight(6000);
  EXPECT_NEAR(window->Width(), 9000, PixelsToTwips(window->hwnd(), 1));
  EXPECT_NEAR(window->Height(), 6000, PixelsToTwips(window->hwnd(), 1));
  window->SetWidth(-5);  // damaged values still leave a usable window
  window->SetHeight(2000000000);
  EXPECT_GT(window->Width(), 0);
  EXPECT_LT(window->Height(), 2000000000);
}

TEST_F(MainWindowTest, ExportButtonsFollowTheManagerPaths) {
  window->SetPrefarence();
  EXPECT_FALSE(ToolbarEnabled(13));
  EXPECT_FALSE(ToolbarEnabled(14));
  settings.ReGetPath = u"C:\\ReGet\\ReGet.exe";
  window->SetPrefarence();
  EXPECT_TRUE(ToolbarEnabled(13));
  EXPECT_FALSE(ToolbarEnabled(14));
  HMENU file = GetSubMenu(GetMenu(window->hwnd()), 0);
  SendMessageW(window->hwnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
  EXPECT_TRUE(MenuEnabled(file, IDM_EXPORT_REGET));
  EXPECT_FALSE(MenuEnabled(file, IDM_EXPORT_IRIA));
}

TEST_F(MainWindowTest, ClosingAsksAndSavesSettings) {
  window->list().AppendLine(u"x");
  window->shell().document.MarkModified();
  ui.answers = {MessageAnswer::Cancel};
  SendMessageW(window->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(window->closed());
  EXPECT_EQ(ui.messages.back().text, u"無題" + std::u16string(msg::kSaveQuestion));
  EXPECT_EQ(dir.Read(u"CARDO.INI"), "<missing>");

  ui.answers = {MessageAnswer::No};
  SendMessageW(window->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(window->closed());
  EXPECT_NE(dir.Read(u"CARDO.INI").find("[WINDOW]"), std::string::npos);
}

// A close that fails while it asks whether to save is told and called off: the window and its
// unsaved list stay, and the next close asks again.
TEST_F(MainWindowTest, ACloseThatFailsOnItsWayKeepsTheWindow) {
  window->list().AppendLine(u"x");
  window->shell().document.MarkModified();
  bool failed = false;
  ui.whileAsking = [&] {
    if (!std::exchange(failed, true)) throw std::bad_alloc();
  };
  SendMessageW(window->hwnd(), WM_CLOSE, 0, 0);
  ui.whileAsking = nullptr;
  EXPECT_FALSE(window->closed());
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1].text, msg::kUnexpectedOutOfMemory);
  EXPECT_EQ(window->list().Lines(), Lines{u"x"});

  ui.answers = {MessageAnswer::Cancel};
  SendMessageW(window->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(window->closed());
  EXPECT_EQ(ui.messages.back().text, u"無題" + std::u16string(msg::kSaveQuestion));
}

// Builds the HDROP the shell sends for dropped files.
HGLOBAL MakeDrop(const std::vector<std::wstring>& files) {
  std::wstring list;
  for (const auto& f : files) list += f + L'\0';
  list += L'\0';
  HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  drop->fWide = TRUE;
  memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(),
         list.size() * sizeof(wchar_t));
  GlobalUnlock(block);
  return block;
}

TEST_F(MainWindowTest, DroppedFileOpensAsTheList) {
  dir.Write(u"drop.lst", "one\r\ntwo\r\n");
  const std::u16string path = dir.File(u"drop.lst");
  SendMessageW(list(), WM_DROPFILES,
               reinterpret_cast<WPARAM>(MakeDrop({std::wstring(path.begin(), path.end())})), 0);
  EXPECT_EQ(window->list().Lines(), (Lines{u"one", u"two"}));
  EXPECT_EQ(WindowText(window->hwnd()), u"Cardo - [drop.lst]");
  EXPECT_EQ(window->RecentFiles().MenuItem(1), path);
}

TEST_F(MainWindowTest, DroppedTextAppendsEveryPiece) {
  window->list().ReplaceAll({u"old"});
  DropData text;
  text.text = u"a\r\nb\r\nc\r\n";
  text.files = {u"C:\\ignored.lst"};  // text wins when both are offered
  EXPECT_EQ(window->lstMainList_OLEDragDrop(text), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(window->list().Lines(), (Lines{u"old", u"a", u"b", u"c", u""}));
  EXPECT_EQ(WindowText(window->hwnd()), u"Cardo - [無題*]");

  dir.Write(u"x.lst", "x\r\n");
  DropData withCtrl;
  withCtrl.files = {dir.File(u"x.lst")};
  withCtrl.keys = MK_CONTROL;
  window->lstMainList_OLEDragDrop(withCtrl);  // another modifier: nothing happens
  EXPECT_EQ(window->list().Count(), 5);
  withCtrl.keys = MK_SHIFT;
  window->lstMainList_OLEDragDrop(withCtrl);
  EXPECT_EQ(window->list().Line(5), u"x");
  EXPECT_EQ(window->list().Count(), 6);
  EXPECT_EQ(window->lstMainList_OLEDragDrop(DropData{}), static_cast<DWORD>(DROPEFFECT_NONE));
}

TEST_F(MainWindowTest, AddedLinesAreBroughtIntoViewWithTheFocusOnTheLast) {
  settings.UrlExtFilter = u"*.zip";
  const struct {
    const char* name;
    std::function<void()> add;
  } commands[] = {
      {"paste",
       [&] {
         ui.clipboard = u"http://n/1\r\nhttp://n/2";
         Command(IDM_EDIT_PASTE);
       }},
      {"paste of links",
       [&] {
         ui.clipboard = u"see https://n/1.zip and https://n/2.zip";
         Command(IDM_PASTE_LINKS);
       }},
      {"dropped text",
       [&] {
         window->lstMainList_OLEDragDrop(DropData{u"a\r\nb", {}});
       }},
  };
  for (const auto& c : commands) {
    window->list().ReplaceAll(std::vector<std::u16string>(300, u"old"));
    window->list().SetTopIndex(0);
    window->list().SetFocusIndex(0);
    c.add();
    const int last = window->list().Count() - 1;
    EXPECT_EQ(last, 301) << c.name;
    EXPECT_EQ(window->list().FocusIndex(), last) << c.name;
    RECT row{}, client{};
    SendMessageW(list(), LB_GETITEMRECT, static_cast<WPARAM>(last), reinterpret_cast<LPARAM>(&row));
    GetClientRect(list(), &client);
    EXPECT_GE(row.top, 0) << c.name;
    EXPECT_LE(row.bottom, client.bottom) << c.name;
  }
}

TEST_F(MainWindowTest, FullListSaysSoOnce) {
  std::vector<std::u16string> lines(kMaxListLines - 1, u"http://example.com/x.jpg");
  window->list().ReplaceAll(lines);
  EXPECT_EQ(SendMessageW(list(), LB_GETCOUNT, 0, 0), kMaxListLines - 1);
  ui.clipboard = u"1\r\n2\r\n3";
  Command(IDM_EDIT_PASTE);
  EXPECT_EQ(SendMessageW(list(), LB_GETCOUNT, 0, 0), kMaxListLines);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, msg::kListFull);
}

TEST_F(MainWindowTest, PasteLinksAndTheClipboardWatch) {
  // Ctrl+Shift+V, before Ctrl+V in the table: the first match wins.
  HACCEL table = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_ACCELERATORS));
  std::vector<ACCEL> keys(static_cast<std::size_t>(CopyAcceleratorTableW(table, nullptr, 0)));
  CopyAcceleratorTableW(table, keys.data(), static_cast<int>(keys.size()));
  const auto pasteLinks = std::find_if(keys.begin(), keys.end(), [](const ACCEL& a) {
    return a.key == 'V' && a.fVirt == (FVIRTKEY | FCONTROL | FSHIFT);
  });
  ASSERT_NE(pasteLinks, keys.end());
  EXPECT_EQ(pasteLinks->cmd, IDM_PASTE_LINKS);
  const UniqueMenu popups(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_POPUPMENUS)));
  EXPECT_EQ(MenuText(GetSubMenu(popups.get(), POPUP_RMNU), IDM_PASTE_LINKS, MF_BYCOMMAND),
            u"リンクを貼り付け(&L)");

  Command(IDM_PASTE_LINKS);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, u"クリップボードに URL が見つかりませんでした。");
  EXPECT_EQ(ui.messages[0].title, u"情報");

  settings.UrlExtProtocol = u"http://";
  settings.UrlExtFilter = u"*.zip";
  settings.NotReturnSearch = 1;
  ui.clipboard = u"see http://a.jp/1.zip\r\nhttp://a.jp/2.zip and http://a.jp/x.html";
  Command(IDM_PASTE_LINKS);
  EXPECT_EQ(window->list().Lines(), (Lines{u"http://a.jp/1.zip", u"http://a.jp/2.zip"}));
  EXPECT_EQ(WindowText(window->hwnd()), u"Cardo - [無題*]");
  EXPECT_EQ(window->StatusText(3), u"2 行を追加しました");

  HMENU view = GetSubMenu(GetMenu(window->hwnd()), 2);
  EXPECT_EQ(MenuText(view, IDM_WATCH_CLIPBOARD, MF_BYCOMMAND), u"クリップボードを監視(&W)");
  Command(IDM_WATCH_CLIPBOARD);
  EXPECT_EQ(settings.WatchClipboard, 1);
  EXPECT_TRUE(GetMenuState(view, IDM_WATCH_CLIPBOARD, MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_EQ(WindowText(window->hwnd()), u"Cardo - [無題*]");
  EXPECT_EQ(window->StatusText(2), u"クリップボード監視中");

  // The watcher: only new links, nothing said when there are none, its own copies ignored.
  ui.clipboard = u"http://a.jp/2.zip\r\nhttp://a.jp/3.zip";
  ui.clipboardFromThisProgram = true;
  SendMessageW(window->hwnd(), WM_CLIPBOARDUPDATE, 0, 0);
  EXPECT_EQ(window->list().Count(), 2);
  ui.clipboardFromThisProgram = false;
  SendMessageW(window->hwnd(), WM_CLIPBOARDUPDATE, 0, 0);
  SendMessageW(window->hwnd(), WM_CLIPBOARDUPDATE, 0, 0);
  EXPECT_EQ(window->list().Lines(),
            (Lines{u"http://a.jp/1.zip", u"http://a.jp/2.zip", u"http://a.jp/3.zip"}));
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(window->StatusText(3), u"1 行を追加しました");

  Command(IDM_WATCH_CLIPBOARD);
  EXPECT_EQ(settings.WatchClipboard, 0);
  EXPECT_FALSE(GetMenuState(view, IDM_WATCH_CLIPBOARD, MF_BYCOMMAND) & MF_CHECKED);
  ui.clipboard = u"http://a.jp/4.zip";
  SendMessageW(window->hwnd(), WM_CLIPBOARDUPDATE, 0, 0);
  EXPECT_EQ(window->list().Count(), 3);
  EXPECT_EQ(window->StatusText(2), u"");
}

}  // namespace
}  // namespace cardo
