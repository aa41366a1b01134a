// The link check window over WinHTTP against one-connection servers on this machine: a row
// per URL with its answer, sorting, 中止 at once, and the actions on the main list.
#include <gtest/gtest.h>

#include <chrono>

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
  const std::u16string expected[][4] = {
      {u"200", u"4096", u"application/zip", lines[0]},
      {u"404", u"", u"", lines[1]},
      {u"200", u"0", u"", moved},
      {u"REFUSED", u"", u"", refused},
      {u"NOT-CHECKED", u"", u"", u"ftp://h/d"},
  };
  for (std::size_t i = 0; i < rows.size(); ++i) {
    for (int column = 0; column < 4; ++column) {
      EXPECT_EQ(Utf16ToUtf8(rows[i][column]), Utf16ToUtf8(expected[i][column]))
          << i << "," << column;
    }
    EXPECT_EQ(rows[i][4], lines[i]);
  }
  EXPECT_FALSE(rows[3][5].empty());  // the system's reason

  check.lvwResults_ColumnClick(0);  // by status: 200, 200, 404, NOT-CHECKED, REFUSED
  EXPECT_EQ(check.Rows()[2][4], lines[1]);
  check.lvwResults_ColumnClick(0);
  EXPECT_EQ(check.Rows()[0][4], lines[3]);

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
  EXPECT_EQ(check.Rows()[0][0], u"NOT-CHECKED");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(check.hwnd(), IDC_CMDREMOVEDEAD)));
  held.Release();
  Press(IDCANCEL);
  EXPECT_FALSE(check.IsOpen());
}

}  // namespace
}  // namespace cardo
