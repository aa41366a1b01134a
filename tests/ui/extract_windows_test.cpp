// The extraction dialog and the preferences dialog, driven in-process through the main window;
// the download is stood in for.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <atomic>
#include <fstream>

#include "app/controls/up_down_text_box_win.h"
#include "app/list/messages.h"
#include "app/platform/codec.h"
#include "app/platform/text.h"
#include "app/resources/resource.h"
#include "app/settings/settings_keys.h"

#include "tests/settings/setting_values.h"
#include "tests/ui/dialog_driver.h"
#include "tests/ui/main_window_fixture.h"

namespace cardo {
namespace {

using Lines = std::vector<std::u16string>;
using testing::PumpUntil;
using testing::WindowText;

constexpr char16_t kFailed[] =
    u"URL先のドキュメントが無いか、URLが存在しないか、ファイルの取得に失敗しました。\r\n"
    u"URLやネットワークの接続を確認してください。";

void Click(HWND dialog, int id) {
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

class ExtractWindowTest : public testing::MainWindowTest {
 protected:
  ExtractWindowTest() {
    download = [this](const std::u16string& url, const std::u16string& path,
                      DownloadControl& control) -> DownloadOutcome {
      seenUrl = url;
      seenPath = path;
      seenPageBytes = control.Limits().pageBytes;
      PageFile file(path, control);
      const bool written = file.Write(page);
      while (!release) Sleep(1);
      // A cancelled download writes no more into the page file.
      lateWrite = file.Write("late");
      finished = true;
      if (!written || !file.Close()) return {DownloadStatus::Cancelled, {}, {}, {}};
      DownloadOutcome given = outcome;
      if (given.finalUrl.empty()) given.finalUrl = url;
      return given;
    };
  }
  void TearDown() override {
    release = true;
    ASSERT_TRUE(PumpUntil([this] { return finished || seenUrl.empty(); }));
  }
  frmExtract& form() { return window->Tools().Extract(); }
  HWND Control(int id) { return GetDlgItem(form().hwnd(), id); }
  void SelectMode(int mode) {
    SendMessageW(Control(IDC_CMBMODESELECT), CB_SETCURSEL, mode, 0);
    form().cmbModeSelect_Click();
  }
  // The dialog as a download leaves it: usable, its close button back.
  void ExpectIdle(HWND d) {
    EXPECT_TRUE(IsWindowEnabled(d));
    EXPECT_TRUE(IsWindowEnabled(Control(IDC_CMDSTARTCANCEL0)));
    EXPECT_TRUE(IsWindowEnabled(Control(IDC_TXTURL)));
    EXPECT_EQ(WindowText(Control(IDC_CMDSTARTCANCEL1)), u"閉じる(&C)");
    EXPECT_EQ(WindowText(d), u"URLの抜き出し");
  }

  std::string page;
  DownloadOutcome outcome{DownloadStatus::Done, {}, {}, {}};
  std::atomic<bool> release{true};
  std::atomic<bool> finished{false};
  std::atomic<bool> lateWrite{false};
  std::u16string seenUrl, seenPath;
  long long seenPageBytes = 0;
};

TEST_F(ExtractWindowTest, RestoresChecksScansAndStoresItsState) {
  settings.UrlExtFilter = u"*.zip";
  settings.UrlExtProtocol = u"ftp://";
  settings.UrlExtSelMode = 1;
  settings.UrlTwinChar = 1;
  Command(IDM_VIEW_EXTRACT);
  HWND d = form().hwnd();
  Command(ToolMenuCommand(4));
  EXPECT_EQ(form().hwnd(), d);
  EXPECT_EQ(WindowText(d), u"URLの抜き出し");
  EXPECT_EQ(SendMessageW(Control(IDC_CMBMODESELECT), CB_GETCURSEL, 0, 0), 1);
  EXPECT_TRUE(IsWindowVisible(Control(IDC_TXTBASEURL)));
  EXPECT_FALSE(IsWindowVisible(Control(IDC_CMBPROTOCOL)));
  for (const int id : {IDC_TXTFILTER0, IDC_TXTFILTER1, IDC_TXTFILTER2}) {
    EXPECT_EQ(WindowText(Control(id)), u"*.zip");
  }
  EXPECT_EQ(WindowText(Control(IDC_CMBPROTOCOL)), u"ftp://");
  EXPECT_EQ(IsDlgButtonChecked(d, IDC_CHKURLTWINCHAR), BST_CHECKED);

  // No file, a folder, then a page with a relative link resolved against the base URL box.
  dir.Write(u"page.html", "<a href=\"x.zip\">x</a> <a href=\"y.gif\">y</a>");
  for (const std::u16string& path : {std::u16string(), dir.path()}) {
    SetControlText(Control(IDC_LBLEXTRACTEDFILE1), path);
    Click(d, IDC_CMDSTARTCANCEL0);
    EXPECT_TRUE(IsWindowEnabled(d));
  }
  EXPECT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1].text, u"抜き出し対象のファイルが指定されていません。");
  form().lblExtractedFile_OLEDragDrop(1, DropData{u"ignored", {dir.File(u"page.html")}},
                                      DROPEFFECT_COPY);
  SetControlText(Control(IDC_TXTBASEURL), u"http://h/d/");
  Click(d, IDC_CMDSTARTCANCEL0);
  EXPECT_TRUE(PumpUntil([&] { return !form().Running(); }));
  EXPECT_EQ(window->list().Lines(), Lines{u"http://h/d/x.zip"});
  EXPECT_EQ(ui.beeps, 1);
  EXPECT_EQ(ui.messages.size(), 2u);

  SetControlText(Control(IDC_TXTFILTER1), u"*.gif");
  Click(d, IDC_CMDSTARTCANCEL1);
  EXPECT_FALSE(form().IsOpen());
  EXPECT_EQ(settings.UrlExtFilter, u"*.gif");
  EXPECT_EQ(settings.UrlExtSelMode, 1);
  EXPECT_EQ(settings.UrlExtProtocol, u"ftp://");
  Command(IDM_VIEW_EXTRACT);
  EXPECT_EQ(WindowText(Control(IDC_TXTBASEURL)), u"http://h/d/");
  EXPECT_EQ(WindowText(Control(IDC_LBLEXTRACTEDFILE1)), u"");
}

TEST_F(ExtractWindowTest, ParsedModeReadsTheLinksOfAFile) {
  Command(IDM_VIEW_EXTRACT);
  HWND d = form().hwnd();
  SelectMode(3);
  EXPECT_TRUE(IsWindowVisible(Control(IDC_TXTBASEURL3)));
  EXPECT_FALSE(IsWindowVisible(Control(IDC_TXTBASEURL)));
  dir.Write(u"page.html",
            "<style>a.b { }</style><a href='x.zip'>x</a> <img src=y.gif> <p id=a.b>z.html</p>");
  form().lblExtractedFile_OLEDragDrop(3, DropData{u"ignored", {dir.File(u"page.html")}},
                                      DROPEFFECT_COPY);
  SetControlText(Control(IDC_TXTBASEURL3), u"http://h/d/");
  SetControlText(Control(IDC_TXTFILTER3), u"*");
  Click(d, IDC_CMDSTARTCANCEL0);
  EXPECT_TRUE(PumpUntil([&] { return !form().Running(); }));
  EXPECT_EQ(window->list().Lines(), (Lines{u"http://h/d/x.zip", u"http://h/d/y.gif"}));
  Click(d, IDC_CMDSTARTCANCEL1);
  EXPECT_EQ(settings.UrlExtSelMode, 3);
  EXPECT_EQ(settings.UrlExtFilter, u"*");
}

TEST_F(ExtractWindowTest, DownloadsOnAWorkerShowingTheBytesThenScans) {
  page = "<a href=\"a.zip\">";
  page.resize(12345, ' ');
  release = false;
  settings.UrlExtFilter = u"*.zip";
  Command(IDM_VIEW_EXTRACT);
  HWND d = form().hwnd();
  SelectMode(2);
  Click(d, IDC_CMDSTARTCANCEL0);
  EXPECT_EQ(ui.messages.back().text, u"ダウンロード対象のURLが記入されていません。");

  SetControlText(Control(IDC_TXTURL), u"127.0.0.1/dir/page");
  Click(d, IDC_CMDSTARTCANCEL0);
  EXPECT_EQ(WindowText(Control(IDC_TXTURL)), u"http://127.0.0.1/dir/page");
  EXPECT_TRUE(form().Downloading());
  EXPECT_TRUE(IsWindowEnabled(d));
  EXPECT_FALSE(IsWindowEnabled(Control(IDC_CMDSTARTCANCEL0)));
  EXPECT_FALSE(IsWindowEnabled(Control(IDC_TXTURL)));
  EXPECT_TRUE(IsWindowEnabled(Control(IDC_CMDSTARTCANCEL1)));
  EXPECT_EQ(WindowText(Control(IDC_CMDSTARTCANCEL1)), u"中止(&C)");
  EXPECT_TRUE(PumpUntil([&] { return WindowText(d) == u"ダウンロード中... 12,345 バイト"; }))
      << Utf16ToUtf8(WindowText(d));
  release = true;
  EXPECT_TRUE(PumpUntil([&] { return !form().Running(); }));
  ExpectIdle(d);
  EXPECT_EQ(seenUrl, u"http://127.0.0.1/dir/page");
  EXPECT_EQ(seenPath, dir.File(u"TEMP.HTML"));
  EXPECT_EQ(window->list().Lines(), Lines{u"http://127.0.0.1/dir/a.zip"});
  EXPECT_EQ(ui.messages.back().text, u"終了しました。");
  EXPECT_EQ(ui.messages.back().icon, MessageIcon::Information);

  // "https://" typed is kept; relative links resolve against the address redirected to.
  SetControlText(Control(IDC_TXTURL), u"https://h/start");
  outcome.finalUrl = u"https://h/final/page.html";
  Click(d, IDC_CMDSTARTCANCEL0);
  EXPECT_TRUE(PumpUntil([&] { return !form().Running(); }));
  EXPECT_EQ(seenUrl, u"https://h/start");
  EXPECT_EQ(window->list().Lines(),
            (Lines{u"http://127.0.0.1/dir/a.zip", u"https://h/final/a.zip"}));
  // Each link's page is the address its page came from: after a redirect, the last one.
  const LinkPages& pages = window->shell().document.Pages();
  EXPECT_EQ(pages.PageOf(u"http://127.0.0.1/dir/a.zip"), u"http://127.0.0.1/dir/page");
  EXPECT_EQ(pages.PageOf(u"https://h/final/a.zip"), u"https://h/final/page.html");

  // A scheme in capitals is a scheme: the address goes as typed, without "http://" in front.
  // A failure says why and scans nothing.
  SetControlText(Control(IDC_TXTURL), u"HTTPS://h/");
  outcome = {DownloadStatus::Failed, u"HTTP/1.1 404 Not Found", {}, {}};
  Click(d, IDC_CMDSTARTCANCEL0);
  EXPECT_TRUE(PumpUntil([&] { return !form().Running(); }));
  ExpectIdle(d);
  EXPECT_EQ(seenUrl, u"HTTPS://h/");
  EXPECT_EQ(ui.messages.back().text, kFailed + std::u16string(u"\r\n\r\nHTTP/1.1 404 Not Found"));
  EXPECT_EQ(ui.messages.back().icon, MessageIcon::Warning);
  EXPECT_EQ(window->list().Count(), 2);
}

TEST_F(ExtractWindowTest, TheUrlPageParsesTheDownloadWhenAskedAndKeepsTheChoice) {
  page = "<style>p.zip { }</style><a href='a.zip'>a</a> <span id=s.zip>z</span>";
  settings.UrlExtFilter = u"*.zip";
  settings.UrlExtSelMode = 2;
  settings.UrlExtParsed = 1;
  Command(IDM_VIEW_EXTRACT);
  HWND d = form().hwnd();
  EXPECT_TRUE(IsWindowVisible(Control(IDC_CHKURLPARSED)));
  EXPECT_EQ(IsDlgButtonChecked(d, IDC_CHKURLPARSED), BST_CHECKED);
  SetControlText(Control(IDC_TXTURL), u"http://h/d/page");
  Click(d, IDC_CMDSTARTCANCEL0);
  EXPECT_TRUE(PumpUntil([&] { return !form().Running(); }));
  EXPECT_EQ(window->list().Lines(), Lines{u"http://h/d/a.zip"});
  SelectMode(3);
  EXPECT_FALSE(IsWindowVisible(Control(IDC_CHKURLPARSED)));
  SelectMode(2);
  CheckDlgButton(d, IDC_CHKURLPARSED, BST_UNCHECKED);
  Click(d, IDC_CMDSTARTCANCEL1);
  EXPECT_EQ(settings.UrlExtParsed, 0);
}

// The download stops a page at the MiB the settings give, taken inside 1..4095.
TEST_F(ExtractWindowTest, TheDownloadTakesThePageLimitFromTheSettings) {
  const struct {
    std::int16_t mib;
    long long bytes;
  } cases[] = {{1024, 1LL << 30}, {3, 3LL << 20}, {0, 1LL << 20}, {9999, 4095LL << 20}};
  Command(IDM_VIEW_EXTRACT);
  HWND d = form().hwnd();
  SelectMode(2);
  SetControlText(Control(IDC_TXTURL), u"http://127.0.0.1/");
  for (const auto& c : cases) {
    settings.MaxPageMiB = c.mib;
    Click(d, IDC_CMDSTARTCANCEL0);
    EXPECT_TRUE(PumpUntil([&] { return !form().Running(); })) << c.mib;
    EXPECT_EQ(seenPageBytes, c.bytes) << c.mib;
  }
}

TEST_F(ExtractWindowTest, ARefusedPageOrOneThatIsNoPageLeavesNoFileAndSaysWhy) {
  page = "<a href=\"a.zip\">";
  const struct {
    DownloadOutcome outcome;
    std::u16string message;
  } cases[] = {
      {{DownloadStatus::Failed, u"ページが上限を超えました。", {}, {}},
       kFailed + std::u16string(u"\r\n\r\nページが上限を超えました。")},
      {{DownloadStatus::Done, {}, {}, "application/zip"}, NotAPageReason("application/zip")},
      {{DownloadStatus::Done, {}, {}, "image/jpeg"}, NotAPageReason("image/jpeg")},
  };
  Command(IDM_VIEW_EXTRACT);
  HWND d = form().hwnd();
  SelectMode(2);
  SetControlText(Control(IDC_TXTURL), u"http://127.0.0.1/");
  for (const auto& c : cases) {
    outcome = c.outcome;
    Click(d, IDC_CMDSTARTCANCEL0);
    EXPECT_TRUE(PumpUntil([&] { return !form().Running(); }));
    ExpectIdle(d);
    EXPECT_EQ(ui.messages.back().text, c.message);
    EXPECT_EQ(GetFileAttributesW(reinterpret_cast<const wchar_t*>(dir.File(u"TEMP.HTML").c_str())),
              INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(window->list().Count(), 0);
  }
}

// A stretch too long for any URL is left out and said when the run ends, after a download as
// after a file (which otherwise ends with a beep); the URLs around it come.
TEST_F(ExtractWindowTest, AStretchTooLongForAUrlIsLeftOutAndSaid) {
  page = "<a href=\"a.zip\">" + std::string(3 << 20, 'p') + " <a href=\"b.zip\">";
  const std::u16string said =
      u"終了しました。\r\n\r\nURL にしては長すぎる 1 か所 (512 KiB 超) は"
      u"抜き出しませんでした。";
  settings.UrlExtFilter = u"*.zip";
  Command(IDM_VIEW_EXTRACT);
  HWND d = form().hwnd();
  SelectMode(2);
  SetControlText(Control(IDC_TXTURL), u"http://127.0.0.1/");
  Click(d, IDC_CMDSTARTCANCEL0);
  EXPECT_TRUE(PumpUntil([&] { return !form().Running(); }));
  EXPECT_EQ(window->list().Lines(), (Lines{u"http://127.0.0.1/a.zip", u"http://127.0.0.1/b.zip"}));
  EXPECT_EQ(ui.messages.back().text, said);

  SelectMode(1);
  dir.Write(u"page.html", page);
  form().lblExtractedFile_OLEDragDrop(1, DropData{u"ignored", {dir.File(u"page.html")}},
                                      DROPEFFECT_COPY);
  SetControlText(Control(IDC_TXTBASEURL), u"http://h/");
  SetControlText(Control(IDC_TXTFILTER1), u"*.zip");
  ui.messages.clear();
  Click(d, IDC_CMDSTARTCANCEL0);
  EXPECT_TRUE(PumpUntil([&] { return !form().Running(); }));
  EXPECT_EQ(window->list().Count(), 4);
  ASSERT_FALSE(ui.messages.empty());
  EXPECT_EQ(ui.messages.back().text, said);
}

TEST_F(ExtractWindowTest, TheCancelButtonEndsADownloadAtOnceAndAddsNothing) {
  page = "<a href=\"a.zip\">";
  release = false;
  Command(IDM_VIEW_EXTRACT);
  HWND d = form().hwnd();
  SelectMode(2);
  SetControlText(Control(IDC_TXTURL), u"http://127.0.0.1/");
  Click(d, IDC_CMDSTARTCANCEL0);
  ASSERT_TRUE(form().Downloading());
  const std::size_t messages = ui.messages.size();
  Click(d, IDC_CMDSTARTCANCEL1);
  EXPECT_FALSE(form().Downloading());
  EXPECT_TRUE(form().IsOpen());
  ExpectIdle(d);
  release = true;
  EXPECT_TRUE(PumpUntil([&] { return finished.load(); }));
  PumpUntil([] { return false; }, 50);
  EXPECT_FALSE(lateWrite);
  EXPECT_EQ(dir.Read(u"TEMP.HTML"), "");  // a stopped page leaves nothing of itself behind
  EXPECT_EQ(window->list().Count(), 0);
  EXPECT_EQ(ui.messages.size(), messages);

  // A download that ended, its end not yet handled, then cancelled: the next one's end is
  // not taken for it.
  finished = false;
  Click(d, IDC_CMDSTARTCANCEL0);
  while (!finished) Sleep(1);
  Sleep(50);
  Click(d, IDC_CMDSTARTCANCEL1);
  release = false;
  finished = false;
  Click(d, IDC_CMDSTARTCANCEL0);
  PumpUntil([] { return false; }, 50);
  EXPECT_TRUE(form().Downloading());
  EXPECT_EQ(ui.messages.size(), messages);
  EXPECT_EQ(window->list().Count(), 0);

  // Esc (the close button's command) while downloading cancels too; then it closes.
  ASSERT_TRUE(form().Downloading());
  SendMessageW(d, WM_CLOSE, 0, 0);
  EXPECT_FALSE(form().IsOpen());
  release = true;
  EXPECT_TRUE(PumpUntil([&] { return finished.load(); }));
}

TEST_F(ExtractWindowTest, AFileIsExtractedOnAWorkerThatTheCancelButtonStops) {
  std::string lines;
  for (int i = 0; i < 200000; ++i) lines += "http://h/" + std::to_string(i) + ".zip\r\n";
  dir.Write(u"big.txt", lines);
  settings.UrlExtFilter = u"*.zip";
  settings.UrlExtProtocol = u"http://";
  Command(IDM_VIEW_EXTRACT);
  HWND d = form().hwnd();
  SelectMode(0);
  SetControlText(Control(IDC_LBLEXTRACTEDFILE0), dir.File(u"big.txt"));
  for (const bool cancel : {true, false}) {
    Click(d, IDC_CMDSTARTCANCEL0);
    ASSERT_TRUE(form().Running());
    EXPECT_TRUE(IsWindowEnabled(d));
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_CMDSTARTCANCEL0)));
    EXPECT_FALSE(IsWindowEnabled(Control(IDC_LBLEXTRACTEDFILE0)));
    EXPECT_EQ(WindowText(Control(IDC_CMDSTARTCANCEL1)), u"中止(&C)");
    EXPECT_EQ(WindowText(d).substr(0, 8), u"抜き出し中...");
    if (!cancel) break;
    // The list is the UI thread's: a cancelled run adds nothing, even once its worker ends.
    Click(d, IDC_CMDSTARTCANCEL1);
    EXPECT_FALSE(form().Running());
    ExpectIdle(d);
    PumpUntil([] { return false; }, 200);
    EXPECT_EQ(window->list().Count(), 0);
    EXPECT_EQ(ui.beeps, 0);
    EXPECT_TRUE(ui.messages.empty());
  }
  // Run to its end it fills the list and says once that it is full.
  EXPECT_TRUE(PumpUntil([&] { return !form().Running(); }, 60000));
  ExpectIdle(d);
  EXPECT_EQ(window->list().Count(), kMaxListLines);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, msg::kListFull);
  EXPECT_EQ(ui.beeps, 1);

  // Esc (the close button's command) during an extraction cancels it and closes the dialog.
  window->list().Clear();
  Click(d, IDC_CMDSTARTCANCEL0);
  ASSERT_TRUE(form().Running());
  SendMessageW(d, WM_CLOSE, 0, 0);
  EXPECT_FALSE(form().IsOpen());
  PumpUntil([] { return false; }, 200);
  EXPECT_EQ(window->list().Count(), 0);
}

TEST_F(ExtractWindowTest, ClosingTheProgramDuringADownloadStoresTheStateAndLeavesTheWorker) {
  release = false;
  Command(IDM_VIEW_EXTRACT);
  SelectMode(2);
  SetControlText(Control(IDC_TXTURL), u"http://127.0.0.1/");
  Click(form().hwnd(), IDC_CMDSTARTCANCEL0);
  ASSERT_TRUE(form().Downloading());
  SendMessageW(window->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(window->closed());
  EXPECT_EQ(settings.UrlExtSelMode, 2);
  release = true;
  EXPECT_TRUE(PumpUntil([&] { return finished.load(); }));
  PumpUntil([] { return false; }, 50);  // nothing is posted to the window that has gone
}

TEST_F(ExtractWindowTest, AFilterTooLongToKeepIsHeldForTheUserToFixAndBlocksNothingElse) {
  settings.UrlExtFilter = u"*.zip";
  Command(IDM_VIEW_EXTRACT);
  HWND filter = Control(IDC_TXTFILTER0);
  const std::u16string tooLong = u"*." + std::u16string(297, u'x');  // 299 bytes
  SetControlText(filter, tooLong);
  SetControlText(Control(IDC_CMBPROTOCOL), u"ftp://");
  testing::PressKey(filter, VK_ESCAPE);  // the dialog's cancel button: 閉じる
  ASSERT_TRUE(form().IsOpen());
  EXPECT_EQ(ui.messages.back().text,
            u"「フィルタ」が長すぎます。設定ファイルに保存できるのは 255 バイトまでです。");
  EXPECT_EQ(GetFocus(), filter);
  EXPECT_EQ(WindowText(filter), tooLong);
  EXPECT_EQ(settings.UrlExtFilter, u"*.zip");
  EXPECT_EQ(settings.UrlExtProtocol, u"ftp://");

  // Closing the program asks for the same fix and stays.
  ui.messages.clear();
  SendMessageW(window->hwnd(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(window->closed());
  EXPECT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(settings.UrlExtFilter, u"*.zip");

  const std::u16string longest = u"*." + std::u16string(253, u'x');  // 255 bytes
  SetControlText(filter, longest);
  testing::PressKey(filter, VK_ESCAPE);
  EXPECT_FALSE(form().IsOpen());
  EXPECT_EQ(settings.UrlExtFilter, longest);
}

class PrefarenceWindowTest : public testing::MainWindowTest {
 protected:
  frmPrefarence& form() { return window->Tools().Prefarence(); }
  Lines ExtItems() {
    Lines items;
    HWND box = form().Control(IDC_LSTEXTLIST);
    for (int i = 0; i < SendMessageW(box, LB_GETCOUNT, 0, 0); ++i) {
      wchar_t text[64] = {};
      SendMessageW(box, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
      items.push_back(reinterpret_cast<const char16_t*>(text));
    }
    return items;
  }
  void SelectTab(int index) {
    HWND tab = form().TabControl();
    SendMessageW(tab, TCM_SETCURSEL, index, 0);
    NMHDR note{tab, 0, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(GetParent(tab), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&note));
  }
  std::vector<bool> VisiblePages() {
    std::vector<bool> shown;
    for (int i = 0; i < 4; ++i) shown.push_back(IsWindowVisible(form().fraPage(i)) != FALSE);
    return shown;
  }
};

TEST_F(PrefarenceWindowTest, EditsCopiesStoresOnOkAndGivesTheMainWindowBack) {
  settings.ListMax = 0;
  settings.ExtList = Lines{u"lzh", u"zip", u"jpg"};
  Command(IDM_VIEW_PREFERENCES);
  ASSERT_TRUE(form().IsOpen());
  EXPECT_FALSE(IsWindowEnabled(window->hwnd()));
  HWND tab = form().TabControl();
  wchar_t className[32] = {};
  GetClassNameW(tab, className, 32);
  EXPECT_EQ(std::wstring(className), L"SysTabControl32");
  EXPECT_EQ(GetParent(tab), form().Control(IDC_PICTABCONTROL));
  EXPECT_EQ(SendMessageW(tab, TCM_GETITEMCOUNT, 0, 0), 4);
  EXPECT_EQ(VisiblePages(), (std::vector<bool>{true, false, false, false}));
  EXPECT_EQ(UpDownTextBox::From(form().Control(IDC_UDTURLHISVALUE))->Value(), 1);
  SelectTab(2);
  EXPECT_EQ(VisiblePages(), (std::vector<bool>{false, false, true, false}));

  // Enter in the extension box registers before the selected entry; OK is not pressed.
  HWND add = form().Control(IDC_TXTADDEXT);
  SendMessageW(form().Control(IDC_LSTEXTLIST), LB_SETCURSEL, 1, 0);
  SetControlText(add, u"cab");
  SetFocus(add);
  MSG enter{add, WM_KEYDOWN, VK_RETURN, 0};
  EXPECT_TRUE(IsDialogMessageW(form().hwnd(), &enter));
  EXPECT_TRUE(form().IsOpen());
  EXPECT_EQ(ExtItems(), (Lines{u"lzh", u"cab", u"zip", u"jpg"}));
  EXPECT_EQ(SendMessageW(form().Control(IDC_LSTEXTLIST), LB_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(WindowText(add), u"");
  form().cmdExtCmd_Click(0);
  EXPECT_EQ(ui.messages.back().text, u"追加する拡張子が指定されていません。");
  EXPECT_EQ(GetFocus(), add);
  form().cmdExtCmd_Click(3);
  EXPECT_EQ(ExtItems(), (Lines{u"lzh", u"zip", u"cab", u"jpg"}));

  // Up and Down step the history size through the dialog manager, within 1-100.
  HWND history = UpDownTextBox::From(form().Control(IDC_UDTURLHISVALUE))->EditHwnd();
  testing::PressKey(history, VK_DOWN);
  EXPECT_EQ(WindowText(history), u"1");
  testing::PressKey(history, VK_UP);
  EXPECT_EQ(WindowText(history), u"2");
  SetControlText(history, u"150");
  SetControlText(form().Control(IDC_TXTSOFTPATH0), u"C:\\ReGet\\ReGet.exe");
  Click(form().hwnd(), IDC_CMDOKCANCEL0);
  EXPECT_FALSE(form().IsOpen());
  EXPECT_TRUE(IsWindowEnabled(window->hwnd()));
  EXPECT_TRUE(ToolbarEnabled(13));
  EXPECT_EQ(settings.ListMax, 100);
  EXPECT_EQ(settings.ExtList, (Lines{u"lzh", u"zip", u"cab", u"jpg"}));
  EXPECT_EQ(settings.ReGetPath, u"C:\\ReGet\\ReGet.exe");

  // Page 0 again; a browse then Cancel (or the close box) stores nothing.
  Command(IDM_VIEW_PREFERENCES);
  EXPECT_EQ(VisiblePages(), (std::vector<bool>{true, false, false, false}));
  ui.openResults.push_back(FileDialogResult{u"D:\\Iria\\Iria.exe", 1});
  form().cmdBrowsSoft_Click(1);
  EXPECT_EQ(ui.openRequests.back().title, u"Iriaを指定してください");
  EXPECT_EQ(WindowText(form().Control(IDC_TXTSOFTPATH1)), u"D:\\Iria\\Iria.exe");
  SendMessageW(form().hwnd(), WM_CLOSE, 0, 0);
  EXPECT_FALSE(form().IsOpen());
  EXPECT_TRUE(IsWindowEnabled(window->hwnd()));
  EXPECT_EQ(settings.IriaPath, u"");
  EXPECT_FALSE(ToolbarEnabled(14));
}

TEST_F(PrefarenceWindowTest, PagesAreReachedFromTheKeyboard) {
  Command(IDM_VIEW_PREFERENCES);
  ASSERT_TRUE(form().IsOpen());
  HWND tab = form().TabControl();
  // A key pressed where the focus is, with the modifiers held, through the program's loop.
  auto press = [](WPARAM key, std::initializer_list<int> held = {}) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    for (const int k : held) keys[k] = 0x80;
    SetKeyboardState(keys);
    MSG msg{GetFocus(), WM_KEYDOWN, key, 0, 0, {}};
    testing::Deliver(msg);
    for (const int k : held) keys[k] = 0;
    SetKeyboardState(keys);
  };
  SetFocus(form().Control(IDC_TXTSOFTPATH0));
  int tabs = 0;
  while (GetFocus() != tab && tabs < 30) {
    press(VK_TAB);
    ++tabs;
  }
  ASSERT_EQ(GetFocus(), tab) << "the tab strip is in the Tab order";

  const struct {
    WPARAM key;
    std::initializer_list<int> held;
    int page;
  } steps[] = {
      {VK_TAB, {VK_CONTROL}, 1},  {VK_NEXT, {VK_CONTROL}, 2},          {VK_NEXT, {VK_CONTROL}, 3},
      {VK_NEXT, {VK_CONTROL}, 0}, {VK_TAB, {VK_CONTROL, VK_SHIFT}, 3}, {VK_PRIOR, {VK_CONTROL}, 2},
  };
  for (const auto& step : steps) {
    press(step.key, step.held);
    EXPECT_EQ(SendMessageW(tab, TCM_GETCURSEL, 0, 0), step.page) << step.key;
    std::vector<bool> shown(4, false);
    shown[static_cast<std::size_t>(step.page)] = true;
    EXPECT_EQ(VisiblePages(), shown) << step.key;
    EXPECT_EQ(GetFocus(), tab) << step.key;
  }

  // Alt+E, the access key of 「拡張子リスト編集(&E)」 on the third page.
  MSG alt{tab, WM_SYSCHAR, L'e', 1 << 29, 0, {}};
  testing::Deliver(alt);
  EXPECT_EQ(GetFocus(), form().Control(IDC_TXTADDEXT));
  // From a page's control the focus goes along to the next page's first control.
  press(VK_TAB, {VK_CONTROL});
  EXPECT_EQ(VisiblePages(), (std::vector<bool>{false, false, false, true}));
  EXPECT_EQ(GetFocus(), form().Control(IDC_CMBEXPORTREFERER));
  press(VK_TAB, {VK_CONTROL});
  EXPECT_EQ(VisiblePages(), (std::vector<bool>{true, false, false, false}));
  EXPECT_EQ(GetFocus(), form().Control(IDC_TXTSOFTPATH0));
  form().cmdOkCancel_Click(1);
}

TEST_F(PrefarenceWindowTest, TextsOfTheFullCapacityAreTakenLongerOnesShownToBeFixed) {
  const std::u16string path255 = u"C:\\" + std::u16string(248, u'p') + u".exe";
  settings.ReGetPath = path255;  // as loaded from the settings file, untouched
  settings.ExtList = Lines{u"lzh"};
  Command(IDM_VIEW_PREFERENCES);
  HWND filter = form().Control(IDC_PREF_TXTFILTER);
  SetControlText(filter, std::u16string(128, u'語'));  // 256 bytes in the code page
  SetControlText(form().Control(IDC_TXTSOFTPATH1), u"D:\\Iria.exe");
  testing::PressKey(form().Control(IDC_TXTSOFTPATH1), VK_RETURN);  // OK, the default button
  ASSERT_TRUE(form().IsOpen());
  EXPECT_EQ(ui.messages.back().text,
            u"「フィルタ」が長すぎます。設定ファイルに保存できるのは 255 バイトまでです。");
  EXPECT_EQ(VisiblePages(), (std::vector<bool>{false, true, false, false}));
  EXPECT_EQ(SendMessageW(form().TabControl(), TCM_GETCURSEL, 0, 0), 1);
  EXPECT_EQ(GetFocus(), filter);
  EXPECT_EQ(settings.IriaPath, u"");

  // An extension too long to keep is refused as it is registered, and stays in its box.
  SelectTab(2);
  HWND add = form().Control(IDC_TXTADDEXT);
  SetControlText(add, std::u16string(256, u'e'));
  testing::PressKey(add, VK_RETURN);
  EXPECT_EQ(ui.messages.back().text,
            u"「拡張子リスト」が長すぎます。設定ファイルに保存できるのは 255 バイトまでです。");
  EXPECT_EQ(ExtItems(), Lines{u"lzh"});
  EXPECT_EQ(WindowText(add), std::u16string(256, u'e'));
  EXPECT_EQ(GetFocus(), add);

  SetControlText(filter, std::u16string(127, u'語') + u"a");
  testing::PressKey(filter, VK_RETURN);
  EXPECT_FALSE(form().IsOpen());
  EXPECT_EQ(settings.ReGetPath, path255);
  EXPECT_EQ(settings.IriaPath, u"D:\\Iria.exe");
  EXPECT_EQ(settings.UrlExtFilter, std::u16string(127, u'語') + u"a");
}

// The third manager's argument template follows the format while it is the previous format's
// default; a template the user typed stays through every change.
TEST_F(PrefarenceWindowTest, TheDefaultArgumentTemplateFollowsTheFormat) {
  settings.OtherArgs = u"";
  settings.OtherFormat = 1;
  Command(IDM_VIEW_PREFERENCES);
  ASSERT_TRUE(form().IsOpen());
  HWND formats = form().Control(IDC_CMBOTHERFORMAT);
  HWND arguments = form().Control(IDC_TXTOTHERARGS);
  auto choose = [&](int format) {
    SendMessageW(formats, CB_SETCURSEL, format, 0);
    SendMessageW(GetParent(formats), WM_COMMAND, MAKEWPARAM(IDC_CMBOTHERFORMAT, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(formats));
    return WindowText(arguments);
  };
  EXPECT_EQ(WindowText(arguments), u"-i %1");
  EXPECT_EQ(choose(2), u"-K %1");
  EXPECT_EQ(choose(0), u"-i %1");
  EXPECT_EQ(choose(2), u"-K %1");
  SetControlText(arguments, u"-K %1 --retry 3");
  EXPECT_EQ(choose(1), u"-K %1 --retry 3");
  EXPECT_EQ(choose(2), u"-K %1 --retry 3");
  SetControlText(arguments, u"-K %1");
  EXPECT_EQ(choose(1), u"-i %1");
  Click(form().hwnd(), IDC_CMDOKCANCEL0);
  EXPECT_EQ(settings.OtherFormat, 1);
  EXPECT_EQ(settings.OtherArgs, u"-i %1");

  settings.OtherArgs = u"";
  settings.OtherFormat = 2;
  Command(IDM_VIEW_PREFERENCES);
  EXPECT_EQ(WindowText(form().Control(IDC_TXTOTHERARGS)), u"-K %1");
  SendMessageW(form().hwnd(), WM_CLOSE, 0, 0);
}

// The export page shows the stored rules (a damaged number as the first rule, the digits at
// their nearest bound) and OK stores what it shows; a folder too long to keep is refused there.
TEST_F(PrefarenceWindowTest, TheExportPageEditsTheExportOptions) {
  settings.ExportReferer = 9;
  settings.ExportNames = 2;
  settings.ExportDigits = 40;
  settings.ExportFolder = u"D:\\dl";
  settings.ExportWatchFolder = u"C:\\jd\\folderwatch";
  Command(IDM_VIEW_PREFERENCES);
  ASSERT_TRUE(form().IsOpen());
  HWND referers = form().Control(IDC_CMBEXPORTREFERER);
  HWND names = form().Control(IDC_CMBEXPORTNAMES);
  EXPECT_EQ(SendMessageW(referers, CB_GETCOUNT, 0, 0), kRefererRuleCount);
  EXPECT_EQ(SendMessageW(referers, CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(SendMessageW(names, CB_GETCURSEL, 0, 0), 2);
  EXPECT_EQ(UpDownTextBox::From(form().Control(IDC_UDTEXPORTDIGITS))->Value(), 9);
  EXPECT_EQ(WindowText(form().Control(IDC_TXTEXPORTFOLDER)), u"D:\\dl");
  EXPECT_EQ(WindowText(form().Control(IDC_TXTEXPORTWATCH)), u"C:\\jd\\folderwatch");
  EXPECT_EQ(WindowText(form().Control(IDC_TXTARIA2RPC)), u"http://localhost:6800/jsonrpc");
  {  // the default address shows whole in its box
    HWND rpc = form().Control(IDC_TXTARIA2RPC);
    HDC dc = GetDC(rpc);
    HGDIOBJ before =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(rpc, WM_GETFONT, 0, 0)));
    SIZE text{};
    GetTextExtentPoint32W(dc, L"http://localhost:6800/jsonrpc", 29, &text);
    SelectObject(dc, before);
    ReleaseDC(rpc, dc);
    RECT box{};
    GetClientRect(rpc, &box);
    EXPECT_LT(text.cx + 8, box.right);
  }
  SetControlText(form().Control(IDC_TXTARIA2RPC), u"http://nas:6800/jsonrpc");
  SetControlText(form().Control(IDC_TXTARIA2SECRET), u"s3");

  SendMessageW(referers, CB_SETCURSEL, 4, 0);
  SetControlText(form().Control(IDC_TXTEXPORTREFERER), u"http://\u4F8B.jp/");
  SendMessageW(names, CB_SETCURSEL, 1, 0);
  SetControlText(UpDownTextBox::From(form().Control(IDC_UDTEXPORTDIGITS))->EditHwnd(), u"4");
  HWND folder = form().Control(IDC_TXTEXPORTFOLDER);
  SetControlText(folder, u"D:\\" + std::u16string(253, u'f'));  // 256 bytes
  Click(form().hwnd(), IDC_CMDOKCANCEL0);
  ASSERT_TRUE(form().IsOpen());
  EXPECT_EQ(ui.messages.back().text,
            u"「ダウンロード先フォルダ」が長すぎます。設定ファイルに保存できるのは "
            u"255 バイトまでです。");
  EXPECT_EQ(VisiblePages(), (std::vector<bool>{false, false, false, true}));
  EXPECT_EQ(GetFocus(), folder);
  SetControlText(folder, u"D:\\\u4FDD\u5B58");
  HWND watch = form().Control(IDC_TXTEXPORTWATCH);
  SetControlText(watch, u"C:\\" + std::u16string(253, u'w'));
  Click(form().hwnd(), IDC_CMDOKCANCEL0);
  ASSERT_TRUE(form().IsOpen());
  EXPECT_EQ(ui.messages.back().text,
            u"「JDownloader の監視フォルダ」が長すぎます。設定ファイルに保存できるのは "
            u"255 バイトまでです。");
  EXPECT_EQ(GetFocus(), watch);
  SetControlText(watch, u"C:\\jd\\\u76E3\u8996");
  Click(form().hwnd(), IDC_CMDOKCANCEL0);
  EXPECT_FALSE(form().IsOpen());
  EXPECT_EQ(settings.ExportReferer, 4);
  EXPECT_EQ(settings.ExportRefererUrl, u"http://\u4F8B.jp/");
  EXPECT_EQ(settings.ExportNames, 1);
  EXPECT_EQ(settings.ExportDigits, 4);
  EXPECT_EQ(settings.ExportFolder, u"D:\\\u4FDD\u5B58");
  const ExportOptions options = ExportOptionsOf(settings);
  EXPECT_EQ(options.referer, RefererRule::Fixed);
  EXPECT_EQ(options.names, NameRule::Numbered);
  EXPECT_EQ(options.numberWidth, 4);
  EXPECT_EQ(options.watchFolder, u"C:\\jd\\\u76E3\u8996");
  EXPECT_EQ(settings.Aria2RpcAddress, u"http://nas:6800/jsonrpc");
  EXPECT_EQ(settings.Aria2RpcSecret, u"s3");
}

// Every setting the dialog edits, by its row: a value in its range comes back from OK as it
// was, one outside it (a hand-edited file) is shown and stored as the row says, and each text
// too long to keep is refused in turn on its own page.
TEST_F(PrefarenceWindowTest, EveryRowWithAControlComesBackThroughTheDialog) {
  settings = testing::WithDistinctValues(settings, true);
  const Settings distinct = settings;
  Command(IDM_VIEW_PREFERENCES);
  ASSERT_TRUE(form().IsOpen());
  Click(form().hwnd(), IDC_CMDOKCANCEL0);
  ASSERT_FALSE(form().IsOpen());
  EXPECT_EQ(settings, distinct);

  for (const bool below : {true, false}) {
    Settings taken = settings;
    for (const ScalarKey& key : kScalarKeys) {
      if (!key.control || key.range.outside == OutOfRange::Taken) continue;
      const std::int32_t stored = below ? key.range.min - 1 : key.range.max + 1;
      SetKeyFromText(settings, key, DecimalText(stored));
      SetNumberInRange(taken, key, stored);
    }
    Command(IDM_VIEW_PREFERENCES);
    Click(form().hwnd(), IDC_CMDOKCANCEL0);
    EXPECT_EQ(settings, taken) << (below ? "below" : "above");
  }

  settings = distinct;
  for (const ScalarKey& key : kScalarKeys) {
    const auto* text = std::get_if<std::u16string Settings::*>(&key.field);
    if (text && key.control) settings.*(*text) = std::u16string(256, u'x');
  }
  Command(IDM_VIEW_PREFERENCES);
  for (const ScalarKey& key : kScalarKeys) {
    const auto* text = std::get_if<std::u16string Settings::*>(&key.field);
    if (!text || !key.control) continue;
    Click(form().hwnd(), IDC_CMDOKCANCEL0);
    ASSERT_TRUE(form().IsOpen()) << key.key;
    EXPECT_EQ(ui.messages.back().text, SettingsTextTooLong(key.label)) << key.key;
    HWND control = form().Control(key.control);
    EXPECT_EQ(GetFocus(), control) << key.key;
    EXPECT_TRUE(IsWindowVisible(control)) << key.key;
    SetControlText(control, distinct.*(*text));
  }
  Click(form().hwnd(), IDC_CMDOKCANCEL0);
  EXPECT_FALSE(form().IsOpen());
  EXPECT_EQ(settings, distinct);
}

}  // namespace
}  // namespace cardo
