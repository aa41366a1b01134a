// The list generators' windows of Cardo.exe, driven from outside: each adds to the list that
// another program reads, and what it stores reaches CARDO.INI at exit.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <vector>

#include "app/resources/resource.h"
#include "tests/e2e/cardo_exe.h"

namespace cardo {
namespace {

using namespace e2e;
class GeneratorsExe : public CardoExeWithLibrary {
 protected:
  // Closes the program without saving the list.
  void CloseDiscarding(RunningCardo& cardo, HWND main) {
    PostMessageW(main, WM_CLOSE, 0, 0);
    Answer(cardo.pid(), L"質問", IDNO);
    ASSERT_TRUE(cardo.WaitForExit(10));
  }
};

TEST_F(GeneratorsExe, RegularListGeneratorAddsNamesAndItsHistoryReachesTheSettings) {
  RunningCardo cardo(dir, u"");
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, IDM_VIEW_GENE_LIST, 0);
  HWND gen = WaitForDialog(cardo.pid(), L"規則的リストの生成");
  ASSERT_NE(gen, nullptr);
  SetText(GetDlgItem(gen, IDC_CMBURL), L"http://h/img");
  SetText(SpinEdit(gen, IDC_UDTNUM0), L"9");
  SetText(SpinEdit(gen, IDC_UDTNUM1), L"11");
  PostMessageW(GetDlgItem(gen, IDC_OPTCONTINUE1), BM_CLICK, 0, 0);
  SetText(GetDlgItem(gen, IDC_CMBEXTLIST), L"jpg");
  Press(gen, IDC_CMDGENECLOSE0);
  ASSERT_TRUE(WaitFor([&] { return ListLines(main).size() == 3; }));
  EXPECT_EQ(ListLines(main),
            (Lines{u"http://h/img9.jpg", u"http://h/img10.jpg", u"http://h/img11.jpg"}));
  EXPECT_EQ(Title(main), u"Cardo - [無題*]");

  CloseDiscarding(cardo, main);  // the open window stores its state on the way out
  const std::string ini = dir.Read(u"CARDO.INI");
  for (const char* key : {"LsHstryUBound=0", "ListHistory0=http://h/img", "NumStart=9", "NumEnd=11",
                          "properties=198"}) {
    EXPECT_NE(ini.find(key), std::string::npos) << key << "\n" << ini;
  }
}

TEST_F(GeneratorsExe, BracketExpansionThroughTheLibrary) {
  RunningCardo cardo(dir, u"");
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, IDM_VIEW_SPREAD_URL, 0);
  HWND spread = WaitForDialog(cardo.pid(), L"短縮リストの伸長");
  ASSERT_NE(spread, nullptr);
  SetText(GetDlgItem(spread, IDC_TXTSOURCE), L"http://h/日本[1-3].jpg\r\nno brackets");
  Press(spread, IDC_CMDSPREAD);
  EXPECT_EQ(Answer(cardo.pid(), L"エラー", IDOK), u"no brackets - 文字列内に[が見つかりません。");
  ASSERT_TRUE(WaitFor([&] { return ListLines(main).size() == 3; }));
  EXPECT_EQ(ListLines(main)[2], u"http://h/日本3.jpg");
  EXPECT_TRUE(IsWindowEnabled(main));
  CloseDiscarding(cardo, main);
}

TEST_F(GeneratorsExe, ClosingTheProgramDuringALongExpansionEndsItAtOnce) {
  RunningCardo cardo(dir, u"");
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, IDM_VIEW_SPREAD_URL, 0);
  HWND spread = WaitForDialog(cardo.pid(), L"短縮リストの伸長");
  ASSERT_NE(spread, nullptr);
  SetText(GetDlgItem(spread, IDC_TXTSOURCE), L"http://h/[1-99999999].jpg");
  Press(spread, IDC_CMDSPREAD);
  ASSERT_NE(WaitForDialog(cardo.pid(), L"作成中..."), nullptr);
  EXPECT_FALSE(IsWindowEnabled(main));  // the main window waits for the expansion too

  const auto start = std::chrono::steady_clock::now();
  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(cardo.WaitForExit(10));
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_LT(took, std::chrono::seconds(3));  // generous under load; about 0.1 s here
  EXPECT_EQ(cardo.ExitCode(), 0u);
}

TEST_F(GeneratorsExe, FreeInputAddsTheTextAndStoresItsCheckBox) {
  RunningCardo cardo(dir, u"");
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, IDM_VIEW_FREE_INPUT, 0);
  HWND input = WaitForDialog(cardo.pid(), L"フリー入力");
  ASSERT_NE(input, nullptr);
  SetText(GetDlgItem(input, IDC_TXTFREEINPUT), L"a\r\n\r\n b ");
  PostMessageW(GetDlgItem(input, IDC_CHKTEXTCLEAR), BM_CLICK, 0, 0);  // off: the text stays
  Press(input, IDC_CMDINPUT);
  ASSERT_TRUE(WaitFor([&] { return ListLines(main).size() == 3; }));
  EXPECT_EQ(ListLines(main), (Lines{u"a", u"", u" b "}));
  EXPECT_EQ(Text(GetDlgItem(input, IDC_TXTFREEINPUT)), u"a\r\n\r\n b ");
  PostMessageW(input, WM_CLOSE, 0, 0);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(input); }));
  CloseDiscarding(cardo, main);
  EXPECT_NE(dir.Read(u"CARDO.INI").find("properties=66"), std::string::npos);  // 194 - 128
}

TEST_F(GeneratorsExe, DropDialogSitsBesideTheMainWindowAndFollowsADraggedLabel) {
  RunningCardo cardo(dir, u"");
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, IDM_VIEW_DROP_DIALOG, 0);
  HWND drop = WaitForDialog(cardo.pid(), L"Drop Dialog");
  ASSERT_NE(drop, nullptr);
  EXPECT_EQ(GetWindow(drop, GW_OWNER), main);
  RECT client{};
  GetClientRect(drop, &client);
  EXPECT_EQ(client.right, 1395 / 15);  // twips at 96 DPI
  EXPECT_EQ(client.bottom, 345 / 15);
  HWND panel = GetDlgItem(drop, IDC_VOPDROPPANELL0);
  HWND label = GetWindow(panel, GW_CHILD);
  EXPECT_EQ(Text(label), u"URL");

  RECT before{};
  GetWindowRect(drop, &before);
  // A press on the label reaches its panel; the window then follows the pointer.
  SendMessageW(panel, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
  POINT at{4, 4};
  MapWindowPoints(panel, drop, &at, 1);
  SendMessageW(drop, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(at.x + 25, at.y + 15));
  SendMessageW(drop, WM_LBUTTONUP, 0, MAKELPARAM(at.x + 25, at.y + 15));
  RECT after{};
  GetWindowRect(drop, &after);
  EXPECT_EQ(after.left - before.left, 25);
  EXPECT_EQ(after.top - before.top, 15);

  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(cardo.WaitForExit(10));  // an unchanged list: no question
  EXPECT_EQ(cardo.ExitCode(), 0u);
}

}  // namespace
}  // namespace cardo
