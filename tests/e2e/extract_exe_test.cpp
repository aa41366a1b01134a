// The extraction dialog of Cardo.exe against web servers the test runs on this machine: the
// page's URLs reach the list over http and https, redirected and compressed; a failure says
// why and adds nothing; the program stays usable while a server keeps it waiting.
#include <gtest/gtest.h>

#include <windows.h>

#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "app/url/web_address.h"
#include "app/platform/text.h"
#include "app/resources/resource.h"
#include "cli/extract_command.h"
#include "tests/e2e/cardo_exe.h"
#include "tests/e2e/charset_pages.h"
#include "tests/e2e/web_pages.h"
#include "tests/support/loopback_server.h"

namespace cardo {
namespace {

using namespace e2e;

class ExtractExe : public CardoExeWithLibrary {
 protected:
  // Opens the dialog in download mode with `url` typed and the start button pressed.
  HWND StartDownload(RunningCardo& cardo, HWND main, const std::wstring& url) {
    PostMessageW(main, WM_COMMAND, IDM_VIEW_EXTRACT, 0);
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

constexpr char16_t kFailed[] =
    u"URL先のドキュメントが無いか、URLが存在しないか、ファイルの取得に失敗しました。\r\n"
    u"URLやネットワークの接続を確認してください。\r\n\r\n";

class ExtractExeOverTls : public ExtractExe {
 protected:
  static void SetUpTestSuite() { pages = new WebPages(); }
  static void TearDownTestSuite() {
    delete pages;
    pages = nullptr;
  }
  void SetUp() override {
    ExtractExe::SetUp();
    ASSERT_TRUE(pages->ready()) << "web_pages.py did not start or its CA was not trusted";
  }
  static std::wstring Https(int port, const wchar_t* path) {
    return L"https://localhost:" + std::to_wstring(port) + path;
  }
  // Starts the download of `url` in a new dialog or the open one and waits for its end.
  HWND Download(RunningCardo& cardo, HWND main, const std::wstring& url) {
    HWND dialog = StartDownload(cardo, main, url);
    if (dialog) WaitFor([&] { return Title(dialog) == u"URLの抜き出し"; });
    return dialog;
  }
  static WebPages* pages;
};
WebPages* ExtractExeOverTls::pages = nullptr;

TEST_F(ExtractExeOverTls, HttpsPagesRedirectedAndCompressedReachTheListAsSent) {
  RunningCardo cardo(dir, u"");
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  const std::wstring secure = Https(pages->https(), L"");
  const std::u16string base(secure.begin(), secure.end());

  ASSERT_NE(Download(cardo, main, secure + L"/page.html"), nullptr);
  EXPECT_EQ(Answer(cardo.pid(), L"情報", IDOK), u"終了しました。");
  EXPECT_EQ(ListLines(main), (Lines{base + u"/abs.zip", base + u"/rel/two.zip"}));
  // The body alone, byte for byte: no status line, no headers, LF left alone.
  const std::string page =
      "<a href=\"" + Utf16ToUtf8(base) + "/abs.zip\">a</a>\n<a href=\"rel/two.zip\">r</a>\n";
  EXPECT_EQ(dir.Read(u"TEMP.HTML"), page);

  // Typed without a scheme: http, then https on another port, then a relative Location.
  HWND dialog = Download(cardo, main, L"localhost:" + std::to_wstring(pages->http()) + L"/start");
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(Answer(cardo.pid(), L"情報", IDOK), u"終了しました。");
  EXPECT_EQ(ListLines(main).back(), base + u"/final/x.zip");
  EXPECT_EQ(Text(GetDlgItem(dialog, IDC_TXTURL)),
            u"http://localhost:" + Utf8ToUtf16(std::to_string(pages->http())) + u"/start");

  ASSERT_NE(Download(cardo, main, secure + L"/gzip.html"), nullptr);
  EXPECT_EQ(Answer(cardo.pid(), L"情報", IDOK), u"終了しました。");
  EXPECT_EQ(ListLines(main).back(), base + u"/g.zip");
  EXPECT_EQ(dir.Read(u"TEMP.HTML"), "<a href=\"g.zip\">g</a>\n");

  // Served as UTF-8: the link's characters, which code page 932 lacks, percent-encoded.
  ASSERT_NE(Download(cardo, main, secure + L"/utf8.html"), nullptr);
  EXPECT_EQ(Answer(cardo.pid(), L"情報", IDOK), u"終了しました。");
  EXPECT_EQ(ListLines(main).back(), base + u"/%ED%95%9C%EA%B5%AD/%EC%82%AC%EC%A7%84.zip");
  EXPECT_EQ(ListLines(main).size(), 5u);
}

TEST_F(ExtractExeOverTls, EveryCharsetGivesTheSameUrlsInTheDialogAndTheCommandLine) {
  RunningCardo cardo(dir, u"");
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  const std::string expected = testing::CharsetPageUrls(pages->http());
  for (const char* page : testing::kCharsetPages) {
    const std::string url = testing::CharsetPageUrl(pages->http(), page);
    const std::size_t before = ListLines(main).size();
    ASSERT_NE(Download(cardo, main, std::wstring(url.begin(), url.end())), nullptr);
    EXPECT_EQ(Answer(cardo.pid(), L"情報", IDOK), u"終了しました。") << page;
    std::string dialog;
    for (const auto& line : ListLines(main)) dialog += Utf16ToUtf8(line) + "\n";
    EXPECT_EQ(dialog.substr(dialog.size() < expected.size() ? 0 : dialog.size() - expected.size()),
              expected)
        << page;
    EXPECT_EQ(ListLines(main).size(), before + 2) << page;
    // cardo-cli.exe's extract, run here: its bytes, not the program's list, are compared.
    const std::u16string printed = dir.File(u"printed.txt");
    std::FILE* out = _wfopen(reinterpret_cast<const wchar_t*>(printed.c_str()), L"w+b");
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(cli::RunExtract({"--filter", "*.zip", "--url", url}, stdin, out, stderr), 0) << page;
    std::fclose(out);
    EXPECT_EQ(dir.Read(u"printed.txt"), expected) << page;
  }
}

TEST_F(ExtractExeOverTls, AnUntrustedCertificateAnErrorStatusAndALoopSayWhyAndAddNothing) {
  RunningCardo cardo(dir, u"");
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  const struct {
    std::wstring url;
    std::u16string reason;  // the start of what follows the general text
  } cases[] = {
      {Https(pages->untrusted(), L"/page.html"), u""},
      {Https(pages->https(), L"/missing.html"), u"HTTP/1.0 404 Not Found"},
      {Https(pages->https(), L"/loop"), u"転送先が循環しています: "},
      {L"http://b\uFFFDcher.example/", kBadHostReason},
      // Raw UTF-8 the system gives only as code page 932 text that lost a byte: no other address
      // is asked for. (Where WinHttpQueryHeadersEx gives the bytes, the page is read instead.)
      {L"http://localhost:" + std::to_wstring(pages->http()) + L"/raw-utf8-slash",
       kUnreadableLocationReason},
  };
  const bool wireBytes =
      GetProcAddress(LoadLibraryW(L"winhttp.dll"), "WinHttpQueryHeadersEx") != nullptr;
  for (const auto& c : cases) {
    if (wireBytes && c.reason == kUnreadableLocationReason) continue;
    ASSERT_NE(Download(cardo, main, c.url), nullptr);
    const std::u16string message = Answer(cardo.pid(), L"エラー", IDOK);
    ASSERT_EQ(message.rfind(kFailed, 0), 0u) << Utf16ToUtf8(message);
    const std::u16string reason = message.substr(std::char_traits<char16_t>::length(kFailed));
    EXPECT_EQ(reason.rfind(c.reason, 0), 0u) << Utf16ToUtf8(reason);
    EXPECT_FALSE(reason.empty());
  }
  EXPECT_EQ(ListLines(main), Lines{});
}

// Servers send a Location as raw bytes: it is read as UTF-8, requested encoded as a browser
// requests it, and the page's relative links resolve against that encoded address.
TEST_F(ExtractExeOverTls, ARawLocationIsRequestedEncodedAndIsThePagesBase) {
  RunningCardo cardo(dir, u"");
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  const std::u16string plain = u"http://localhost:" + Utf8ToUtf16(std::to_string(pages->http()));
  const struct {
    const char16_t* start;
    const char16_t* folder;
  } cases[] = {
      {u"/raw-utf8", u"/%E6%97%A5%E6%9C%AC/"},
      {u"/raw-space", u"/a%20b/"},
      {u"/raw-cp932", u"/%93%FA%96%7B/"},
  };
  Lines expected;
  for (const auto& c : cases) {
    HWND dialog = Download(cardo, main, Wide(plain + c.start));
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(Answer(cardo.pid(), L"情報", IDOK), u"終了しました。") << Utf16ToUtf8(c.start);
    // The next download can start only once the box is gone: it disables the dialog.
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(dialog) != FALSE; }));
    expected.push_back(plain + c.folder + u"x.zip");
  }
  EXPECT_EQ(ListLines(main), expected);
}

TEST_F(ExtractExeOverTls, A200MegabytePageKeepsTheProgramsMemoryFlat) {
  RunningCardo cardo(dir, u"");
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, cardo.pid());
  ASSERT_NE(process, nullptr);
  PROCESS_MEMORY_COUNTERS idle{sizeof idle};
  ASSERT_TRUE(GetProcessMemoryInfo(process, &idle, sizeof idle));
  HWND dialog = StartDownload(cardo, main, Https(pages->https(), L"/big.html"));
  ASSERT_NE(dialog, nullptr);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(3);
  while (!WaitForDialog(cardo.pid(), L"情報") && std::chrono::steady_clock::now() < deadline) {
  }
  EXPECT_EQ(Answer(cardo.pid(), L"情報", IDOK), u"終了しました。");
  PROCESS_MEMORY_COUNTERS done{sizeof done};
  ASSERT_TRUE(GetProcessMemoryInfo(process, &done, sizeof done));
  CloseHandle(process);
  const std::size_t idleBytes = idle.WorkingSetSize;
  RecordProperty("idle_kb", std::to_string(idleBytes / 1024));
  RecordProperty("peak_kb", std::to_string(done.PeakWorkingSetSize / 1024));
  EXPECT_LE(done.PeakWorkingSetSize, 2 * idleBytes + 16 * 1024 * 1024)
      << "idle " << idleBytes / 1024 << " KB, peak " << done.PeakWorkingSetSize / 1024 << " KB";
  const Lines lines = ListLines(main);
  ASSERT_EQ(lines.size(), 200u);
  EXPECT_EQ(Wide(lines.back()), Https(pages->https(), L"/big199.zip"));
}

TEST_F(ExtractExeOverTls, CancelEndsADownloadThatNeverAnswersAndTheProgramClosesCleanly) {
  RunningCardo cardo(dir, u"");
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  HWND dialog = StartDownload(cardo, main, Https(pages->https(), L"/silent"));
  ASSERT_NE(dialog, nullptr);
  ASSERT_TRUE(WaitFor([&] { return Title(dialog).rfind(u"ダウンロード中...", 0) == 0; }));
  HWND cancel = GetDlgItem(dialog, IDC_CMDSTARTCANCEL1);
  EXPECT_EQ(Text(cancel), u"中止(&C)");
  const auto pressed = std::chrono::steady_clock::now();
  Press(dialog, IDC_CMDSTARTCANCEL1);
  ASSERT_TRUE(WaitFor([&] { return Text(cancel) == u"閉じる(&C)"; }));
  EXPECT_LT(std::chrono::steady_clock::now() - pressed, std::chrono::seconds(2));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDC_CMDSTARTCANCEL0)));
  EXPECT_EQ(Title(dialog), u"URLの抜き出し");
  EXPECT_TRUE(IsWindowVisible(dialog));
  EXPECT_EQ(ListLines(main), Lines{});

  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(cardo.WaitForExit(10));
  EXPECT_EQ(cardo.ExitCode(), 0u);
}

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
