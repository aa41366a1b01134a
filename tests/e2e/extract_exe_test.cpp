// The extraction dialog of Cardo.exe against a web server the test runs on 127.0.0.1: the
// page's URLs reach the list, and the program stays usable while a server keeps it waiting.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "app/resources/resource.h"
#include "tests/e2e/cardo_exe.h"
#include "tests/support/loopback_server.h"

namespace cardo {
namespace {

using namespace e2e;

class ExtractExe : public CardoExeWithLibrary {
 protected:
  // Opens the dialog in download mode with `url` typed and the start button pressed.
  HWND StartDownload(RunningCardo& cardo, HWND main, const std::wstring& url) {
    PostMessageW(main, WM_COMMAND, IDM_VIEW_BASE + 6, 0);
    HWND dialog = WaitForDialog(cardo.pid(), L"URLの抜き出し");
    if (!dialog) return nullptr;
    SendMessageW(GetDlgItem(dialog, IDC_CMBMODESELECT), CB_SETCURSEL, 2, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_CMBMODESELECT, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_CMBMODESELECT)));
    SetText(GetDlgItem(dialog, IDC_TXTFILTER2), L"*.zip");
    SetText(GetDlgItem(dialog, IDC_TXTURL), url.c_str());
    Press(dialog, IDC_CMDSTARTCANCEL0);
    return dialog;
  }
};

TEST_F(ExtractExe, DownloadModeAddsThePagesUrlsAndStoresTheDialogsState) {
  testing::LoopbackServer server(
      {"HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n"
       "<a href=\"http://h/one.zip\">1</a>\n<a href=\"two.zip\">2</a>\n",
       7});
  RunningCardo cardo(dir, u"");
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  const std::wstring host = L"127.0.0.1:" + std::to_wstring(server.port());
  HWND dialog = StartDownload(cardo, main, host + L"/dir/page.html");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Answer(cardo.pid(), L"情報", IDOK), u"終了しました。");
  EXPECT_NE(server.request().find("GET /dir/page.html HTTP/1.1"), std::string::npos);
  const std::u16string base = u"http://" + std::u16string(host.begin(), host.end());
  EXPECT_EQ(ListLines(main), (Lines{u"http://h/one.zip", base + u"/dir/two.zip"}));
  EXPECT_EQ(Text(GetDlgItem(dialog, IDC_TXTURL)), base + u"/dir/page.html");

  PostMessageW(main, WM_CLOSE, 0, 0);
  Answer(cardo.pid(), L"質問", IDNO);
  ASSERT_TRUE(cardo.WaitForExit(10));
  const std::string ini = dir.Read(u"CARDO.INI");
  for (const char* key : {"UrlExtSelMode=2", "UrlExtFilter=*.zip"}) {
    EXPECT_NE(ini.find(key), std::string::npos) << key << "\n" << ini;
  }
  EXPECT_NE(dir.Read(u"TEMP.HTML").find("two.zip"), std::string::npos);
}

TEST_F(ExtractExe, AServerThatNeverAnswersLeavesTheProgramUsableAndClosable) {
  testing::ServerScript silent{"HTTP/1.0 200 OK\r\n\r\n<a href=\"x.zip\">"};
  silent.holdAfter = 0;
  testing::LoopbackServer server(silent);
  RunningCardo cardo(dir, u"");
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  const std::wstring url = L"http://127.0.0.1:" + std::to_wstring(server.port()) + L"/";
  HWND dialog = StartDownload(cardo, main, url);
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(WaitFor([&] { return Title(dialog).rfind(u"ダウンロード中...", 0) == 0; }));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, IDC_CMDSTARTCANCEL0)));
  DWORD_PTR answer = 0;
  EXPECT_TRUE(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer));

  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(cardo.WaitForExit(10));
  EXPECT_EQ(cardo.ExitCode(), 0u);
  EXPECT_NE(dir.Read(u"CARDO.INI").find("UrlExtSelMode=2"), std::string::npos);
}

}  // namespace
}  // namespace cardo
