// A run over several pages from the main list's menu: the extraction dialog's URL page with
// the selected lines, the progress window with a row per page, 中止 keeping what was found.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <map>

#include "app/list/messages.h"
#include "app/platform/text.h"
#include "app/resources/resource.h"
#include "tests/ui/main_window_fixture.h"

namespace cardo {
namespace {

using Lines = std::vector<std::u16string>;
using Rows = std::vector<std::vector<std::u16string>>;
using testing::PumpUntil;
using testing::WindowText;

class ExtractPagesTest : public testing::MainWindowTest {
 protected:
  // Each start page links to a page beside it; both show the same image.
  ExtractPagesTest() {
    for (const char16_t* start : {u"http://g/a/", u"http://g/b/"}) {
      site[start] = "<a href='p.html'>p</a><a href='../b/i.jpg'>b</a><img src='i.jpg'>";
      site[start + std::u16string(u"p.html")] = "<img src='i.jpg'><img src='j.jpg'>";
    }
    download = [this](const std::u16string& url, const std::u16string& path,
                      DownloadControl& control) -> DownloadOutcome {
      const auto page = site.find(url);
      if (page == site.end()) return {DownloadStatus::Failed, u"HTTP/1.1 404 Not Found", {}, {}};
      while (hold && url.find(u"p.html") != std::u16string::npos && !control.Cancelled()) {
        Sleep(1);
      }
      PageFile file(path, control);
      if (!file.Write(page->second) || !file.Close()) {
        return {DownloadStatus::Cancelled, {}, {}, {}};
      }
      return {DownloadStatus::Done, {}, url, "text/html"};
    };
  }
  void TearDown() override {
    hold = false;
    Sleep(50);  // the workers let go end once their downloads return
  }
  frmExtract& form() { return window->Tools().Extract(); }
  frmExtractPages& pages() { return form().PagesWindow(); }
  void Start() {
    SendMessageW(form().hwnd(), WM_COMMAND, MAKEWPARAM(IDC_CMDSTARTCANCEL0, BN_CLICKED), 0);
  }
  // The main list holding `lines`, the first two selected.
  void SelectTwo(const Lines& lines) {
    for (const std::u16string& line : lines) window->list().AppendLine(line);
    window->list().SetSelected(0, true);
    window->list().SetSelected(1, true);
  }

  std::map<std::u16string, std::string> site;  // fixed before any download starts
  std::atomic<bool> hold{false};
};

TEST_F(ExtractPagesTest, TheSelectedLinesAndTheirLinkedPagesGiveEachUrlOnce) {
  settings.UrlExtFilter = u"*.jpg";
  SelectTwo({u"http://g/a/", u"http://g/b/", u"http://g/c/"});
  Command(IDM_EXTRACT_FROM_SELECTED);
  HWND d = form().hwnd();
  EXPECT_EQ(SendDlgItemMessageW(d, IDC_CMBMODESELECT, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(WindowText(GetDlgItem(d, IDC_TXTURL)), u"http://g/a/\r\nhttp://g/b/\r\n");
  CheckDlgButton(d, IDC_CHKURLLINKED, BST_CHECKED);
  Start();
  ASSERT_TRUE(pages().IsOpen());
  EXPECT_EQ(GetActiveWindow(), pages().hwnd());  // not hidden behind the dialog
  EXPECT_TRUE(PumpUntil([&] { return !pages().Running(); }));
  EXPECT_EQ(window->list().Lines(),
            (Lines{u"http://g/a/", u"http://g/b/", u"http://g/c/", u"http://g/b/i.jpg",
                   u"http://g/a/i.jpg", u"http://g/a/j.jpg", u"http://g/b/j.jpg"}));
  // Each line keeps the page it was first found on, a start page or one it links to.
  const LinkPages& found = window->shell().document.Pages();
  EXPECT_EQ(found.PageOf(u"http://g/b/i.jpg"), u"http://g/a/");
  EXPECT_EQ(found.PageOf(u"http://g/a/j.jpg"), u"http://g/a/p.html");
  EXPECT_EQ(found.PageOf(u"http://g/b/j.jpg"), u"http://g/b/p.html");
  EXPECT_EQ(pages().Rows(), (Rows{{u"http://g/a/", u"完了 2 件"},
                                  {u"http://g/b/", u"完了 1 件"},
                                  {u"http://g/a/p.html", u"完了 2 件"},
                                  {u"http://g/b/p.html", u"完了 2 件"}}));
  EXPECT_EQ(WindowText(GetDlgItem(pages().hwnd(), IDCANCEL)), u"閉じる(&C)");
  SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_CMDSTARTCANCEL1, BN_CLICKED), 0);
  EXPECT_EQ(settings.UrlExtLinked, 1);
}

TEST_F(ExtractPagesTest, StopKeepsWhatWasFoundAndBadLinesAreNamed) {
  settings.UrlExtFilter = u"*.jpg";
  Command(IDM_VIEW_EXTRACT);
  HWND d = form().hwnd();
  SendDlgItemMessageW(d, IDC_CMBMODESELECT, CB_SETCURSEL, 2, 0);
  form().cmbModeSelect_Click();
  SetControlText(GetDlgItem(d, IDC_TXTURL), u"http://g/a/\r\n\r\nnot an address\r\nhttp://g/x/");
  Start();
  EXPECT_FALSE(pages().Running());
  EXPECT_EQ(ui.messages.back().text, u"次の行はURLとして読めません (行番号): 3");

  hold = true;
  SetControlText(GetDlgItem(d, IDC_TXTURL), u"http://g/a/\r\nhttp://g/x/");
  CheckDlgButton(d, IDC_CHKURLLINKED, BST_CHECKED);
  Start();
  EXPECT_TRUE(
      PumpUntil([&] { return pages().Rows().size() == 3 && pages().Rows()[1][1] != u"取得中"; }));
  pages().cmdStop_Click();
  EXPECT_FALSE(pages().Running());
  EXPECT_EQ(window->list().Lines(), (Lines{u"http://g/b/i.jpg", u"http://g/a/i.jpg"}));
  EXPECT_EQ(pages().Rows(), (Rows{{u"http://g/a/", u"完了 2 件"},
                                  {u"http://g/x/", u"エラー HTTP/1.1 404 Not Found"},
                                  {u"http://g/a/p.html", u"中止"}}));
  // The state column takes the width the page column leaves, enough for the error.
  HWND view = GetDlgItem(pages().hwnd(), IDC_LVWPAGES);
  RECT client{};
  GetClientRect(view, &client);
  EXPECT_EQ(ListView_GetColumnWidth(view, 0) + ListView_GetColumnWidth(view, 1), client.right);
  EXPECT_LT(ListView_GetStringWidth(view, L"エラー HTTP/1.1 404 Not Found") + 12,
            ListView_GetColumnWidth(view, 1));
}

// A list that can take no more stops the run: what fit is added, the rest is said once.
TEST_F(ExtractPagesTest, AFullListStopsTheRunAndSaysSoOnce) {
  settings.UrlExtFilter = u"*.jpg";
  {
    RedrawSuspension quiet(window->list());
    for (int i = 1; i < kMaxListLines; ++i)
      window->list().AppendLine(u"x" + Utf8ToUtf16(std::to_string(i)));
  }
  Command(IDM_VIEW_EXTRACT);
  HWND d = form().hwnd();
  SendDlgItemMessageW(d, IDC_CMBMODESELECT, CB_SETCURSEL, 2, 0);
  form().cmbModeSelect_Click();
  SetControlText(GetDlgItem(d, IDC_TXTURL), u"http://g/a/\r\nhttp://g/b/");
  CheckDlgButton(d, IDC_CHKURLLINKED, BST_CHECKED);
  Start();
  EXPECT_TRUE(PumpUntil([&] { return !pages().Running(); }));
  EXPECT_EQ(window->list().Count(), kMaxListLines);
  EXPECT_EQ(window->list().Line(kMaxListLines - 1), u"http://g/b/i.jpg");
  EXPECT_EQ(std::count_if(ui.messages.begin(), ui.messages.end(),
                          [](const auto& m) { return m.text == msg::kListFull; }),
            1);
}

}  // namespace
}  // namespace cardo
