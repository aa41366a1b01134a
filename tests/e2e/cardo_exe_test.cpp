// Cardo.exe started as a user starts it, in a folder of its own, and driven from outside.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <thread>

#include "app/export/export.h"
#include "app/export/messages.h"
#include "app/list/messages.h"
#include "app/platform/codec.h"
#include "app/resources/resource.h"
#include "app/settings/settings_file.h"
#include "tests/e2e/cardo_exe.h"
#include "tests/support/fakes.h"

namespace cardo {
namespace {

using namespace e2e;

// A file another process writes, once it holds something: its presence alone may be seen
// between its creation and its write. Waits up to 20 seconds (a manager starting under load).
std::string ReadWhenWritten(const testing::TempDir& dir, const std::u16string& name) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  std::string bytes = dir.Read(name);
  while ((bytes == "<missing>" || bytes.empty()) && std::chrono::steady_clock::now() < deadline) {
    Sleep(50);
    bytes = dir.Read(name);
  }
  return bytes;
}

TEST_F(CardoExe, FirstStartWritesTheNewSettingsFileAndExitSavesTheRest) {
  RunningCardo cardo(dir, u"");
  ASSERT_TRUE(cardo.started());
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(Title(main), u"Cardo - [無題]");

  // Byte for byte the new-file text, with the time of its writing in the header.
  std::string ini = dir.Read(u"CARDO.INI");
  const std::string timeLine = "'    \x8D\xEC\x90\xAC\x8E\x9E\x8D\x8F:";  // "'    作成時刻:"
  const auto timeAt = ini.find(timeLine);
  ASSERT_NE(timeAt, std::string::npos) << ini;
  const auto timeEnd = ini.find("\r\n", timeAt);
  const std::string written =
      ini.substr(timeAt + timeLine.size(), timeEnd - timeAt - timeLine.size());
  const std::string expected = WideToAnsi(NewSettingsFileText(u"3.00", LocalTime{}));
  const std::string expectedTime = WideToAnsi(FormatHeaderTime(LocalTime{}));
  std::string normalized = ini;
  normalized.replace(timeAt + timeLine.size(), written.size(), expectedTime);
  EXPECT_EQ(normalized, expected);

  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(cardo.WaitForExit(5)) << dir.Read(u"CARDO.INI") << " window " << IsWindow(main);
  ini = dir.Read(u"CARDO.INI");
  for (const char* key : {"[WINDOW]", "width=", "height=", "[HISTORY]", "LsHstryUBound=-1",
                          "SrchHstryUBound=-1", "FileHistory5=", "ExtListUBound=2"}) {
    EXPECT_NE(ini.find(key), std::string::npos) << key;
  }
  EXPECT_EQ(ini.substr(0, timeAt), expected.substr(0, timeAt));  // the header is kept
}

TEST_F(CardoExe, OpensTheListNamedOnTheCommandLine) {
  dir.Write(u"a b.lst", "http://x/1\r\nhttp://x/2\r\n");
  RunningCardo cardo(dir, u"\"" + dir.File(u"a b.lst") + u"\" ignored.lst");
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(Title(main), u"Cardo - [a b.lst]");
  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(cardo.WaitForExit());
  EXPECT_NE(dir.Read(u"CARDO.INI").find("FileHistory1=" + WideToAnsi(dir.File(u"a b.lst"))),
            std::string::npos);
}

TEST_F(CardoExe, StartsUntitledWhateverTheCommandLineHolds) {
  for (const char16_t* arguments : {u"missing.lst", u"\"unbalanced", u"   ", u"C:\\"}) {
    RunningCardo cardo(dir, arguments);
    HWND main = cardo.WaitForWindow();
    ASSERT_NE(main, nullptr) << std::u16string(arguments).size();
    EXPECT_EQ(Title(main), u"Cardo - [無題]");
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(cardo.WaitForExit());
  }
}

TEST_F(CardoExe, DamagedSettingsAreKeptAsABackup) {
  const std::string garbage("\x01\xFF garbage \x81\x00 more", 18);
  dir.Write(u"CARDO.INI", garbage);
  RunningCardo cardo(dir, u"");
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(cardo.WaitForExit());
  EXPECT_EQ(dir.Read(u"CARDOINI.OLD"), garbage);
  EXPECT_NE(dir.Read(u"CARDO.INI").find("[PREF]"), std::string::npos);
}

TEST_F(CardoExe, ReplaceAndOneLineEditReachTheSavedListAndTheSettings) {
  dir.Write(u"u.lst", "http://x/A.ZIP\r\nhttp://x/b.lzh\r\n");
  RunningCardo cardo(dir, u"\"" + dir.File(u"u.lst") + u"\"");
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  const DWORD pid = cardo.pid();

  PostMessageW(main, WM_COMMAND, IDM_EDIT_REPLACE, 0);
  HWND search = WaitForDialog(pid, L"置換");
  ASSERT_NE(search, nullptr);
  SetText(GetDlgItem(search, IDC_CMBSEARCHWORD), L"zip");
  SetText(GetDlgItem(search, IDC_TXTREPWORD), L"rar");
  PostMessageW(search, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(Answer(pid, L"情報", IDOK), u"終了しました。\r\n置き換えた回数:1");

  // The one-line edit opens on the focus line, the first.
  PostMessageW(main, WM_COMMAND, IDM_EDIT_LINE, 0);
  HWND edit = WaitForDialog(pid, L"一行編集");
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(Text(GetDlgItem(edit, IDC_TXTLINEDATA)), u"http://x/A.rar");
  SetText(GetDlgItem(edit, IDC_TXTLINEDATA), L"http://x/日本.rar");
  PostMessageW(edit, WM_COMMAND, IDCANCEL, 0);

  PostMessageW(main, WM_CLOSE, 0, 0);
  Answer(pid, L"質問", IDYES);
  ASSERT_TRUE(cardo.WaitForExit());
  EXPECT_EQ(dir.Read(u"u.lst"), WideToAnsi(u"http://x/日本.rar\r\nhttp://x/b.lzh\r\n"));
  const std::string ini = dir.Read(u"CARDO.INI");
  EXPECT_NE(ini.find("SrchHstryUBound=0"), std::string::npos) << ini;
  EXPECT_NE(ini.find("SearchHistory0=zip"), std::string::npos) << ini;
}

TEST_F(CardoExe, HugeListFileOnTheCommandLineIsRefusedAndTheWindowShows) {
  // 1 GB without a line break, sparse on disk.
  const std::wstring huge = Wide(dir.File(u"huge.lst"));
  {
    HANDLE file = CreateFileW(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size{};
    size.QuadPart = 1LL << 30;
    SetFilePointerEx(file, size, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
  }
  RunningCardo cardo(dir, u"\"" + dir.File(u"huge.lst") + u"\"");
  EXPECT_EQ(Answer(cardo.pid(), L"エラー", IDOK),
            u"ファイルのオープンが正常に終了しませんでした。");
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(Title(main), u"Cardo - [無題]");
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(cardo.WaitForExit());
  DeleteFileW(huge.c_str());
}

TEST_F(CardoExe, SettingsHeldOpenAtStartAreLeftAsTheyWere) {
  const std::string stored =
      WideToAnsi(NewSettingsFileText(u"3.00", LocalTime{})) + "ReGetPath=C:\\ReGet\\ReGet.exe\r\n";
  dir.Write(u"CARDO.INI", stored);
  HANDLE held = CreateFileW(Wide(dir.File(u"CARDO.INI")).c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  RunningCardo cardo(dir, u"");
  const std::u16string said = Answer(cardo.pid(), L"エラー", IDOK);
  CloseHandle(held);  // free again before the program ends
  EXPECT_NE(said.find(u"設定ファイルを読み込めなかった"), std::u16string::npos) << said.size();
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(cardo.WaitForExit());
  EXPECT_EQ(dir.Read(u"CARDO.INI"), stored);
}

TEST_F(CardoExe, ExportStartsTheManagerOnTheFileItWrote) {
  // A manager in a folder with a space, as most are.
  ASSERT_TRUE(CreateDirectoryW(Wide(dir.File(u"Down Loader")).c_str(), nullptr));
  const std::u16string manager = dir.File(u"Down Loader\\stand in.exe");
  ASSERT_TRUE(
      CopyFileW(Wide(BuiltTest(L"manager_standin.exe")).c_str(), Wide(manager).c_str(), FALSE));
  dir.Write(u"CARDO.INI", WideToAnsi(NewSettingsFileText(u"3.00", LocalTime{}) + u"ReGetPath=" +
                                     manager + u"\r\nIriaPath=" + manager + u"\r\nOtherPath=" +
                                     manager + u"\r\nOtherArgs=-x %1 -y\r\n"));
  dir.Write(u"u.lst", testing::Ansi("http://x/日本.zip\r\n\r\nhttp://x/b.zip\r\n"));
  RunningCardo cardo(dir, u"\"" + dir.File(u"u.lst") + u"\"");
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  const std::u16string recorded = dir.File(u"Down Loader\\recorded.bin");
  const struct {
    int command;
    const char16_t* file;
    std::string bytes;
    int format;  // of the third manager, set in the settings file: -1 for ReGet and Iria
  } cases[] = {
      {IDM_EXPORT_REGET, u"TEMP.LST", testing::Ansi("http://x/日本.zip\r\n\r\nhttp://x/b.zip"), -1},
      {IDM_EXPORT_IRIA, u"TEMP.IRI",
       testing::Ansi("#Exported By Cardo Ver 3.00\r\n") + WideToAnsi(msg::kIriaNote) +
           "https://cardo.example/\r\n\r\n" +
           testing::Ansi("url=http://x/日本.zip\r\n\r\nurl=\r\n\r\nurl=http://x/b.zip\r\n"),
       -1},
      {IDM_EXPORT_OTHER, u"TEMP.TXT", "http://x/%E6%97%A5%E6%9C%AC.zip\r\nhttp://x/b.zip\r\n", 0},
      {IDM_EXPORT_OTHER, u"TEMP.ARIA2",
       "http://x/%E6%97%A5%E6%9C%AC.zip\r\n out=%E6%97%A5%E6%9C%AC.zip\r\nhttp://x/b.zip\r\n"
       " out=b.zip\r\n",
       1},
      {IDM_EXPORT_OTHER, u"TEMP.CURL",
       "globoff\r\nproto = \"=http,https,ftp,ftps\"\r\nproto-redir = \"=http,https,ftp,ftps\"\r\n"
       "location\r\nfail\r\nremove-on-error\r\n"
       "url = \"http://x/%E6%97%A5%E6%9C%AC.zip\"\r\noutput = \"%E6%97%A5%E6%9C%AC.zip\"\r\n"
       "url = \"http://x/b.zip\"\r\noutput = \"b.zip\"\r\n",
       2},
  };
  for (const auto& c : cases) {
    DeleteFileW(Wide(recorded).c_str());
    if (c.format >= 0) {
      // The preferences' format list, as a user chooses it.
      PostMessageW(main, WM_COMMAND, IDM_VIEW_PREFERENCES, 0);
      HWND prefs = WaitForDialog(cardo.pid(), L"設定");
      ASSERT_NE(prefs, nullptr);
      HWND formats = nullptr;
      for (HWND page = FindWindowExW(prefs, nullptr, L"#32770", nullptr); page && !formats;
           page = FindWindowExW(prefs, page, L"#32770", nullptr)) {
        formats = GetDlgItem(page, IDC_CMBOTHERFORMAT);
      }
      ASSERT_NE(formats, nullptr);
      SendMessageW(formats, CB_SETCURSEL, c.format, 0);
      Press(prefs, IDOK);
      ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(main) != FALSE; }));
    }
    PostMessageW(main, WM_COMMAND, c.command, 0);
    const std::string line = ReadWhenWritten(dir, u"Down Loader\\recorded.bin");
    const std::u16string quoted = u"\"" + dir.File(c.file) + u"\"";
    const std::u16string expected =
        u"\"" + manager + u"\" " + (c.format >= 0 ? u"-x " + quoted + u" -y" : quoted);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(line.data()), line.size() / 2),
              expected);
    EXPECT_EQ(dir.Read(u"Down Loader\\recorded-file.bin"), c.bytes);
    EXPECT_EQ(dir.Read(c.file), c.bytes);
  }
  EXPECT_EQ(Title(main), u"Cardo - [u.lst]");  // exporting marks nothing
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(cardo.WaitForExit());
}

TEST_F(CardoExe, PreferencesConfirmedWhileTheExtractionDialogIsOpenSurviveTheExit) {
  RunningCardo cardo(dir, u"");
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, IDM_VIEW_EXTRACT, 0);
  HWND extract = WaitForDialog(cardo.pid(), L"URLの抜き出し");
  ASSERT_NE(extract, nullptr);
  // An option the preferences leave alone: the extraction dialog's own change stays.
  SendDlgItemMessageW(extract, IDC_CHKNOTRETURNSEARCH, BM_SETCHECK, BST_UNCHECKED, 0);

  PostMessageW(main, WM_COMMAND, IDM_VIEW_PREFERENCES, 0);
  HWND prefs = WaitForDialog(cardo.pid(), L"設定");
  ASSERT_NE(prefs, nullptr);
  SetText(PageControl(prefs, IDC_PREF_TXTFILTER), L"*.zip;!*.cgi");
  SendMessageW(PageControl(prefs, IDC_PREF_CHKURLTWINCHAR), BM_SETCHECK, BST_CHECKED, 0);
  Press(prefs, IDC_CMDOKCANCEL0);
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(main) != FALSE; }));
  EXPECT_EQ(Text(GetDlgItem(extract, IDC_TXTFILTER0)), u"*.zip;!*.cgi");
  EXPECT_EQ(SendDlgItemMessageW(extract, IDC_CHKURLTWINCHAR, BM_GETCHECK, 0, 0), BST_CHECKED);

  PostMessageW(main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(cardo.WaitForExit());
  const std::string ini = dir.Read(u"CARDO.INI");
  // 194 (a new file) with URLは全角を含む (1) set and 改行はまたがずに検索 (2) cleared.
  for (const char* line : {"\r\nUrlExtFilter=*.zip;!*.cgi\r\n", "\r\nproperties=193\r\n"}) {
    EXPECT_NE(ini.find(line), std::string::npos) << line << ini;
  }
}

TEST_F(CardoExe, TextsOfTheFullCapacityRoundTripAndALongerOneIsHeldForTheUserToFix) {
  // 255 bytes in the code page, double-byte characters included: what the file gives back.
  const std::u16string path =
      u"C:\\" + std::u16string(100, u'日') + std::u16string(48, u'p') + u".exe";
  const std::u16string filter = std::u16string(127, u'語') + u"*";
  dir.Write(u"CARDO.INI",
            WideToAnsi(NewSettingsFileText(u"3.00", LocalTime{}) + u"ReGetPath=" + path + u"\r\n"));
  {
    RunningCardo cardo(dir, u"");
    HWND main = cardo.WaitForWindow();
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_COMMAND, IDM_VIEW_PREFERENCES, 0);
    HWND prefs = WaitForDialog(cardo.pid(), L"設定");
    ASSERT_NE(prefs, nullptr);
    EXPECT_EQ(Text(PageControl(prefs, IDC_TXTSOFTPATH0)), path);
    HWND box = PageControl(prefs, IDC_PREF_TXTFILTER);
    SetText(box, Wide(filter + u"*").c_str());
    Press(prefs, IDC_CMDOKCANCEL0);
    EXPECT_EQ(Answer(cardo.pid(), L"エラー", IDOK),
              u"「フィルタ」が長すぎます。設定ファイルに保存できるのは 255 バイトまでです。");
    // The preferences stay, over a main window still disabled, for the filter to be fixed.
    ASSERT_TRUE(WaitFor([&] { return FindWindowW(L"#32770", L"エラー") == nullptr; }));
    EXPECT_TRUE(IsWindowVisible(prefs));
    EXPECT_FALSE(IsWindowEnabled(main));
    SetText(box, Wide(filter).c_str());
    Press(prefs, IDC_CMDOKCANCEL0);
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(main) != FALSE; }));
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(cardo.WaitForExit());
  }
  RunningCardo again(dir, u"");
  HWND main = again.WaitForWindow();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, IDM_VIEW_PREFERENCES, 0);
  HWND prefs = WaitForDialog(again.pid(), L"設定");
  ASSERT_NE(prefs, nullptr);
  EXPECT_EQ(Text(PageControl(prefs, IDC_PREF_TXTFILTER)), filter);
  EXPECT_EQ(Text(PageControl(prefs, IDC_TXTSOFTPATH0)), path);
  Press(prefs, IDC_CMDOKCANCEL1);
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(main) != FALSE; }));
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(again.WaitForExit());
}

// A line code page 932 cannot hold gets the warning a save shows before ReGet's or Iria's
// file is written: Cancel writes and starts nothing, OK exports.
TEST_F(CardoExe, ExportAsksBeforeCharactersAreLost) {
  const std::u16string manager = dir.File(u"stand in.exe");
  ASSERT_TRUE(
      CopyFileW(Wide(BuiltTest(L"manager_standin.exe")).c_str(), Wide(manager).c_str(), FALSE));
  dir.Write(u"CARDO.INI", WideToAnsi(NewSettingsFileText(u"3.00", LocalTime{}) + u"ReGetPath=" +
                                     manager + u"\r\nIriaPath=" + manager + u"\r\n"));
  dir.Write(u"u.lst", "http://x/a.zip\r\nhttp://x/b.zip\r\n");
  RunningCardo cardo(dir, u"\"" + dir.File(u"u.lst") + u"\"");
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  const DWORD pid = cardo.pid();
  PostMessageW(main, WM_COMMAND, IDM_EDIT_LINE, 0);
  HWND edit = WaitForDialog(pid, L"一行編集");
  ASSERT_NE(edit, nullptr);
  SetText(GetDlgItem(edit, IDC_TXTLINEDATA), L"http://x/caf\u00E9.zip");
  PostMessageW(edit, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(WaitFor([&] { return ListLines(main).front() == u"http://x/caf\u00E9.zip"; }));

  const std::u16string warning = std::u16string(msg::kNotInCodePage) +
                                 u"\r\nhttp://x/caf\u00E9.zip\r\n" + msg::kNotInCodePageQuestion;
  PostMessageW(main, WM_COMMAND, IDM_EXPORT_REGET, 0);
  EXPECT_EQ(Answer(pid, L"警告", IDCANCEL), warning);
  // The box is gone before the next command, so that the next answer goes to the next box.
  ASSERT_TRUE(WaitFor([] { return FindWindowW(L"#32770", L"警告") == nullptr; }));
  PostMessageW(main, WM_COMMAND, IDM_EXPORT_IRIA, 0);
  EXPECT_EQ(Answer(pid, L"警告", IDOK), warning);
  const std::string line = ReadWhenWritten(dir, u"recorded.bin");
  EXPECT_EQ(dir.Read(u"TEMP.LST"), "<missing>");
  EXPECT_NE(dir.Read(u"TEMP.IRI").find(WideToAnsi(u"url=http://x/caf\u00E9.zip\r\n")),
            std::string::npos);
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(line.data()), line.size() / 2),
            ExportCommandLine(ExportFormat::Iria, manager, u"", dir.File(u"TEMP.IRI")));

  PostMessageW(main, WM_CLOSE, 0, 0);
  Answer(pid, L"質問", IDNO);
  EXPECT_TRUE(cardo.WaitForExit());
}

TEST_F(CardoExe, OtherProgramsReadTheLinesOfTheList) {
  const std::u16string japanese = testing::U("http://例え.jp/画像.zip");
  dir.Write(u"a.lst", WideToAnsi(u"http://x/1\r\n" + japanese + u"\r\n\r\n"));
  RunningCardo cardo(dir, u"\"" + dir.File(u"a.lst") + u"\"");
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  HWND list = FindWindowExW(main, nullptr, L"ListBox", nullptr);
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 3);
  const std::u16string expected[] = {u"http://x/1", japanese, u""};
  for (int i = 0; i < 3; ++i) {
    ASSERT_EQ(SendMessageW(list, LB_GETTEXTLEN, i, 0), static_cast<LRESULT>(expected[i].size()));
    wchar_t text[256] = {};
    EXPECT_EQ(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text)),
              static_cast<LRESULT>(expected[i].size()));
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(text)), expected[i]) << i;
  }
  EXPECT_EQ(SendMessageW(list, LB_GETTEXTLEN, 3, 0), LB_ERR);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(cardo.WaitForExit());
}

}  // namespace
}  // namespace cardo
