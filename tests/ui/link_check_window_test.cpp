// The link check window over WinHTTP against one-connection servers on this machine: a row
// per URL with its answer in Japanese, sorting, 中止 at once, the actions on the main list, the
// failed rows asked again, the rows copied and saved, and a size that is kept.
#include <gtest/gtest.h>

#include <chrono>
#include <map>

#include <windows.h>

#include <commctrl.h>

#include "app/controls/up_down_text_box_win.h"
#include "app/platform/text.h"
#include "tests/support/loopback_server.h"
#include "tests/ui/dialog_driver.h"
#include "tests/ui/main_window_fixture.h"

namespace cardo {
namespace {

using namespace std::chrono_literals;
using testing::LoopbackServer;

class LinkCheckWindowTest : public testing::MainWindowTest {
 protected:
  static std::string Answer(const std::string& statusLine, const std::string& fields = "") {
    return "HTTP/1.1 " + statusLine + "\r\n" + fields +
           "Content-Length: 0\r\nConnection: close\r\n\r\n";
  }
  static std::u16string Address(const LoopbackServer& server, const char16_t* path) {
    return u"http://127.0.0.1:" + Utf8ToUtf16(std::to_string(server.port())) + path;
  }
  // Delivers the window's messages until `done` holds, for at most ten seconds.
  template <typename Done>
  bool Until(Done done) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      testing::DeliverPosted();
    }
    return true;
  }
  void Press(int id) {
    SendMessageW(window->LinkCheckWindow().hwnd(), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
  }
  std::u16string Progress() {
    return testing::WindowText(GetDlgItem(window->LinkCheckWindow().hwnd(), IDC_LBLCHECKPROGRESS));
  }
};

TEST_F(LinkCheckWindowTest, EveryAnswerHasItsRowAndTheActionsChangeTheMainList) {
  LoopbackServer alive(
      {"HTTP/1.1 200 OK\r\nContent-Type: application/zip\r\nContent-Length: "
       "4096\r\nConnection: close\r\n\r\n"});
  LoopbackServer target({Answer("200 OK")});
  LoopbackServer missing({Answer("404 Not Found")});
  const std::u16string moved = Address(target, u"/new.zip");
  LoopbackServer redirect({Answer("302 Found", "Location: " + Utf16ToUtf8(moved) + "\r\n")});
  const std::u16string refused =
      u"http://127.0.0.1:" + Utf8ToUtf16(std::to_string(LoopbackServer::ClosedPort())) + u"/";
  const std::vector<std::u16string> lines = {Address(alive, u"/a.zip"), Address(missing, u"/b.zip"),
                                             Address(redirect, u"/c.zip"), refused, u"ftp://h/d"};
  window->list().AppendLines(lines, false);
  ASSERT_TRUE(testing::MenuEnabled(GetMenu(window->hwnd()), IDM_EDIT_CHECK_LINKS));
  Command(IDM_EDIT_CHECK_LINKS);
  frmLinkCheck& check = window->LinkCheckWindow();
  ASSERT_TRUE(check.IsOpen());
  ASSERT_TRUE(Until([&] { return !check.Running(); })) << Utf16ToUtf8(Progress());
  EXPECT_EQ(Progress(), u"完了: 5 / 5 件   有効: 2   無効: 2   エラー: 0");
  const auto rows = check.Rows();
  ASSERT_EQ(rows.size(), 5u);
  // Status, URL, final URL, size, type; the reason is the system's words.
  const std::u16string expected[][5] = {
      {u"200 正常", lines[0], lines[0], u"4096", u"application/zip"},
      {u"404 無効", lines[1], lines[1], u"", u""},
      {u"200 正常", lines[2], moved, u"0", u""},
      {u"接続拒否", lines[3], refused, u"", u""},
      {u"未確認", u"ftp://h/d", u"ftp://h/d", u"", u""},
  };
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::u16string shown[] = {rows[i][0], rows[i][1], rows[i][3], rows[i][4], rows[i][5]};
    for (int column = 0; column < 5; ++column) {
      EXPECT_EQ(Utf16ToUtf8(shown[column]), Utf16ToUtf8(expected[i][column])) << i << "," << column;
    }
  }
  EXPECT_FALSE(rows[3][2].empty());  // the system's reason
  // The tip holds the reason whole, whatever the column's width.
  EXPECT_NE(check.RowTip(3).find(rows[3][2]), std::u16string::npos);

  check.lvwResults_ColumnClick(0);  // by status: 200, 200, 404, 接続拒否, 未確認
  EXPECT_EQ(check.Rows()[2][1], lines[1]);
  check.lvwResults_ColumnClick(0);
  EXPECT_EQ(check.Rows()[0][1], lines[4]);

  EXPECT_EQ(window->list().Lines(), lines);  // nothing changes until the user acts
  Press(IDC_CMDSELECTFAILED);
  EXPECT_EQ(window->list().SelectedIndices(), (std::vector<int>{1, 3}));
  Press(IDC_CMDREPLACEREDIRECTED);
  Press(IDC_CMDREMOVEDEAD);
  EXPECT_EQ(window->list().Lines(), (std::vector<std::u16string>{lines[0], moved, lines[4]}));
  EXPECT_EQ(Progress(), u"無効な 2 行を削除しました: 5 / 5 件   有効: 2   無効: 2   エラー: 0");
  Press(IDCANCEL);
  EXPECT_FALSE(check.IsOpen());
}

TEST_F(LinkCheckWindowTest, StopEndsTheCheckAtOnce) {
  testing::ServerScript silent{Answer("200 OK")};
  silent.holdAfter = 0;
  LoopbackServer held(silent);
  window->list().AppendLines({Address(held, u"/x"), Address(held, u"/y")}, false);
  Command(IDM_EDIT_CHECK_LINKS);
  frmLinkCheck& check = window->LinkCheckWindow();
  ASSERT_TRUE(check.Running());
  const auto start = std::chrono::steady_clock::now();
  Press(IDCANCEL);
  EXPECT_FALSE(check.Running());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  EXPECT_EQ(Progress(), u"中止しました: 0 / 2 件   有効: 0   無効: 0   エラー: 0");
  EXPECT_EQ(check.Rows()[0][0], u"未確認");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(check.hwnd(), IDC_CMDREMOVEDEAD)));
  held.Release();
  Press(IDCANCEL);
  EXPECT_FALSE(check.IsOpen());
}

TEST_F(LinkCheckWindowTest, FailedRowsAreCheckedAgainAloneAndTheRowsCopyAndSaveAsTabText) {
  LoopbackServer server(std::map<std::string, testing::TargetScript>{
      {"/ok", {.script = {Answer("200 OK", "Content-Type: text/plain\r\n")}}}});
  const std::vector<std::u16string> lines = {Address(server, u"/ok"), Address(server, u"/gone")};
  window->list().AppendLines(lines, false);
  Command(IDM_EDIT_CHECK_LINKS);
  frmLinkCheck& check = window->LinkCheckWindow();
  ASSERT_TRUE(Until([&] { return !check.Running(); })) << Utf16ToUtf8(Progress());
  ASSERT_EQ(server.requests().size(), 2u);

  Press(IDC_CMDRECHECKFAILED);  // only /gone is asked again
  ASSERT_TRUE(Until([&] { return !check.Running(); })) << Utf16ToUtf8(Progress());
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_NE(requests[2].find("/gone"), std::string::npos);
  EXPECT_EQ(check.Rows()[0][0], u"200 正常");
  EXPECT_EQ(check.Rows()[1][0], u"404 無効");

  HWND view = GetDlgItem(check.hwnd(), IDC_LVWCHECKRESULTS);
  ListView_SetItemState(view, 1, LVIS_SELECTED, LVIS_SELECTED);
  Press(IDC_CMDCOPYRESULTS);
  EXPECT_EQ(ui.clipboard, u"404 無効\t" + lines[1] + u"\t\t" + lines[1] + u"\t\t\r\n");

  ui.saveResults.push_back(FileDialogResult{dir.File(u"results.tsv"), 1});
  Press(IDC_CMDSAVERESULTS);
  EXPECT_EQ(dir.Read(u"results.tsv"),
            "\xEF\xBB\xBF状態\tURL\t理由\t転送先URL\tサイズ\t種類\r\n200 正常\t" +
                Utf16ToUtf8(lines[0]) + "\t\t" + Utf16ToUtf8(lines[0]) + "\t0\ttext/plain\r\n" +
                "404 無効\t" + Utf16ToUtf8(lines[1]) + "\t\t" + Utf16ToUtf8(lines[1]) + "\t\t\r\n");
  Press(IDCANCEL);
}

// The window grows with its list and keeps its buttons at their edges; its size, its columns'
// widths and the limits come back the next time it opens.
TEST_F(LinkCheckWindowTest, ResizesAndKeepsItsSizeColumnsAndLimits) {
  window->list().AppendLines({u"ftp://h/a"}, false);
  Command(IDM_EDIT_CHECK_LINKS);
  frmLinkCheck& check = window->LinkCheckWindow();
  ASSERT_TRUE(Until([&] { return !check.Running(); }));
  HWND hwnd = check.hwnd();
  EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_STYLE) & WS_THICKFRAME);
  RECT main{}, opened{};
  GetWindowRect(window->hwnd(), &main);
  GetWindowRect(hwnd, &opened);
  const POINT middle{(opened.left + opened.right) / 2, (opened.top + opened.bottom) / 2};
  EXPECT_TRUE(PtInRect(&main, middle)) << "opened over the main window";
  HWND view = GetDlgItem(hwnd, IDC_LVWCHECKRESULTS);
  auto rectOf = [&](HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
    return r;
  };
  RECT outer{};
  GetWindowRect(hwnd, &outer);
  const RECT viewBefore = rectOf(view), closeBefore = rectOf(GetDlgItem(hwnd, IDCANCEL));
  const RECT removeBefore = rectOf(GetDlgItem(hwnd, IDC_CMDREMOVEDEAD));
  SetWindowPos(hwnd, nullptr, 0, 0, outer.right - outer.left + 200, outer.bottom - outer.top + 100,
               SWP_NOMOVE | SWP_NOZORDER);
  const RECT viewAfter = rectOf(view), closeAfter = rectOf(GetDlgItem(hwnd, IDCANCEL));
  const RECT removeAfter = rectOf(GetDlgItem(hwnd, IDC_CMDREMOVEDEAD));
  EXPECT_EQ(viewAfter.right - viewBefore.right, 200);
  EXPECT_EQ(viewAfter.bottom - viewBefore.bottom, 100);
  EXPECT_EQ(viewAfter.left, viewBefore.left);
  EXPECT_EQ(closeAfter.left - closeBefore.left, 200);
  EXPECT_EQ(closeAfter.top - closeBefore.top, 100);
  EXPECT_EQ(removeAfter.left, removeBefore.left);
  EXPECT_EQ(removeAfter.top - removeBefore.top, 100);
  // Never smaller than designed.
  SetWindowPos(hwnd, nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER);
  RECT least{};
  GetWindowRect(hwnd, &least);
  EXPECT_EQ(least.right - least.left, outer.right - outer.left);

  SetWindowPos(hwnd, nullptr, 0, 0, outer.right - outer.left + 200, outer.bottom - outer.top + 100,
               SWP_NOMOVE | SWP_NOZORDER);
  ListView_SetColumnWidth(view, 2, MulDiv(345, check.Dpi(), 96));
  auto spin = [&](int id) { return UpDownTextBox::From(GetDlgItem(check.hwnd(), id)); };
  SetWindowTextW(spin(IDC_UDTCHECKTIMEOUT)->EditHwnd(), L"7");
  SetWindowTextW(spin(IDC_UDTCHECKPERHOST)->EditHwnd(), L"99");  // past its bound: the bound
  Press(IDCANCEL);
  ASSERT_FALSE(check.IsOpen());
  EXPECT_EQ(settings.CheckWidth, MulDiv(outer.right - outer.left + 200, 96, check.Dpi()));
  EXPECT_EQ(settings.CheckColumns, u"110,250,345,200,70,110");
  EXPECT_EQ(settings.CheckTimeout, 7);
  EXPECT_EQ(settings.CheckPerHost, 16);

  Command(IDM_EDIT_CHECK_LINKS);
  ASSERT_TRUE(check.IsOpen());
  GetWindowRect(check.hwnd(), &least);
  EXPECT_EQ(least.right - least.left, outer.right - outer.left + 200);
  EXPECT_EQ(ListView_GetColumnWidth(GetDlgItem(check.hwnd(), IDC_LVWCHECKRESULTS), 2),
            MulDiv(345, check.Dpi(), 96));
  EXPECT_EQ(spin(IDC_UDTCHECKTIMEOUT)->Value(), 7);
  Press(IDCANCEL);
}

}  // namespace
}  // namespace cardo
