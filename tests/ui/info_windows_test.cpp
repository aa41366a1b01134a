// The topic viewer, the version window and F1, driven in-process through the main window.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/controls/dialog_win.h"
#include "app/info/topic_file.h"
#include "app/info/version_window.h"
#include "app/platform/codec.h"
#include "app/resources/resource.h"

#include "tests/ui/dialog_driver.h"
#include "tests/ui/main_window_fixture.h"

namespace cardo {
namespace {

using testing::WindowText;

class InfoWindowsTest : public testing::MainWindowTest {
 protected:
  HWND Viewer() { return window->Viewer().hwnd(); }
  void ViewerCommand(int id) { SendMessageW(Viewer(), WM_COMMAND, MAKEWPARAM(id, 0), 0); }
};

TEST_F(InfoWindowsTest, ViewerShowsTheTopicAndKeepsItWhileOpen) {
  const std::string file = testing::Ansi(
      "'comment\r\n[KEY]:filter\r\n* 任意の文字\r\n'hidden\r\n[KEY]:baseurl\r\nbase\r\n");
  dir.Write(u"THELP.TXT", file);
  window->ShowTopic(window->hwnd(), u"filter");
  ASSERT_TRUE(window->Viewer().IsOpen());
  EXPECT_EQ(WindowText(Viewer()), u"SimpleViewer");
  EXPECT_EQ(window->Viewer().Text(), testing::U("* 任意の文字\r\n"));
  window->ShowTopic(window->hwnd(), u"baseurl");  // the open viewer comes up unchanged
  EXPECT_EQ(window->Viewer().Text(), testing::U("* 任意の文字\r\n"));

  // The text box fills the window at every size.
  SetWindowPos(Viewer(), nullptr, 0, 0, 500, 300, SWP_NOMOVE | SWP_NOZORDER);
  RECT client{}, box{};
  GetClientRect(Viewer(), &client);
  GetWindowRect(GetDlgItem(Viewer(), IDC_TXTVALUE), &box);
  // Long lines wrap at the box's width: nothing to scroll sideways.
  EXPECT_EQ(GetWindowLongPtrW(GetDlgItem(Viewer(), IDC_TXTVALUE), GWL_STYLE) &
                (WS_HSCROLL | ES_AUTOHSCROLL),
            0);
  EXPECT_EQ(box.right - box.left, client.right);
  EXPECT_EQ(box.bottom - box.top, client.bottom);

  // Copy is offered only for a selection, and copies exactly it.
  HMENU edit = GetSubMenu(GetMenu(Viewer()), 1);
  SetFocus(GetDlgItem(Viewer(), IDC_TXTVALUE));
  SendDlgItemMessageW(Viewer(), IDC_TXTVALUE, EM_SETSEL, 0, 0);
  SendMessageW(Viewer(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), 1);
  EXPECT_FALSE(testing::MenuEnabled(edit, IDM_VIEWER_COPY));
  SendDlgItemMessageW(Viewer(), IDC_TXTVALUE, EM_SETSEL, 2, 4);
  SendMessageW(Viewer(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), 1);
  EXPECT_TRUE(testing::MenuEnabled(edit, IDM_VIEWER_COPY));
  ViewerCommand(IDM_VIEWER_COPY);
  EXPECT_EQ(ui.clipboard, testing::U("任意"));

  // Save writes the whole text in the code page, CR LF at its end.
  ui.saveResults = {FileDialogResult{dir.File(u"saved.txt"), 1}};
  ViewerCommand(IDM_VIEWER_SAVE);
  ASSERT_EQ(ui.saveRequests.size(), 1u);
  EXPECT_EQ(ui.saveRequests[0].title, u"保存");
  EXPECT_EQ(ui.saveRequests[0].filter, u"テキストファイル(*.txt)|*.txt|すべてのファイル(*.*)|*.*");
  EXPECT_EQ(dir.Read(u"saved.txt"), testing::Ansi("* 任意の文字\r\n"));

  ViewerCommand(IDM_VIEWER_CLOSE);
  EXPECT_FALSE(window->Viewer().IsOpen());
  window->ShowTopic(window->hwnd(), u"baseurl");  // closed: the new key is read
  EXPECT_EQ(window->Viewer().Text(), u"base\r\n");
  PostMessageW(Viewer(), WM_COMMAND, IDCANCEL, 0);  // cmdClose and Esc
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_FALSE(window->Viewer().IsOpen());
}

TEST_F(InfoWindowsTest, ViewerWithoutItsFileSaysSoAndOpensEmpty) {
  window->ShowTopic(window->hwnd(), u"filter");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, u"[" + dir.File(u"THELP.TXT") +
                                     u"]が見つかりません。\r\nテキストを表示できませんでした。");
  EXPECT_EQ(ui.messages[0].title, u"エラー");
  EXPECT_TRUE(window->Viewer().IsOpen());
  EXPECT_EQ(window->Viewer().Text(), u"");
}

TEST_F(InfoWindowsTest, HelpOpensTheHelpFileOrTheGuideAndSaysWhyNot) {
  Command(IDM_HELP_CONTENTS);
  dir.Write(u"CARDHELP.HLP", "x");
  Command(IDM_HELP_CONTENTS);
  EXPECT_EQ(ui.opened,
            (std::vector<std::u16string>{dir.File(u"CARDHELP.html"), dir.File(u"CARDHELP.HLP")}));
  EXPECT_TRUE(ui.messages.empty());
  ui.openError = u"%1 の EXE フォーマットが不正です。";
  Command(IDM_HELP_CONTENTS);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, u"ヘルプファイル「" + dir.File(u"CARDHELP.HLP") +
                                     u"」を開けませんでした。この種類のファイルを開くプログラムが"
                                     u"設定されていません。");
  EXPECT_EQ(ui.messages[0].title, u"エラー");
  DeleteFileW(reinterpret_cast<const wchar_t*>(dir.File(u"CARDHELP.HLP").c_str()));
  ui.openError = u"ファイルが見つかりません。";
  Command(IDM_HELP_CONTENTS);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1].text, u"ファイルが見つかりません。");
}

TEST_F(InfoWindowsTest, VersionWindowLinkMenuAndLibrary) {
  const std::u16string home = u"https://cardo.example/";
  bool ran = false;
  testing::WhenDialogOpens(L"バージョン情報", [&](HWND dialog) {
    ran = true;
    HWND link = GetDlgItem(dialog, IDC_LBLURL);
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_LBLVERSION)), u"Ver 3.00");
    EXPECT_EQ(WindowText(link), home);
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), window->hwnd());

    SendMessageW(link, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    HFONT underlined = reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0));
    SendMessageW(dialog, WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
    EXPECT_NE(reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)), underlined);

    // Pressed and released outside: no visit, the link stays armed.
    SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(-50, -50));
    EXPECT_TRUE(ui.opened.empty());
    SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(ui.opened, std::vector<std::u16string>{home});

    SendMessageW(dialog, WM_COMMAND, IDM_VERSION_COPY, 0);
    EXPECT_EQ(ui.clipboard, home);
    SendMessageW(dialog, WM_COMMAND, IDM_VERSION_OPEN, 0);
    EXPECT_EQ(ui.opened.size(), 2u);

    // No library beside the tests: a beep, then the system's reason.
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_IMGDLL, STN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_IMGDLL)));
    EXPECT_EQ(ui.beeps, 1);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_FALSE(ui.messages[0].text.empty());
    EXPECT_EQ(ui.messages[0].title, u"エラー");
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  Command(IDM_HELP_VERSION);
  testing::CancelDialogAction();
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace cardo
