// Cardo.exe beside itself and in folders it cannot write: two instances in one folder, a slow
// manager, a program folder the user may not change.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "app/export/messages.h"
#include "app/platform/codec.h"
#include "app/resources/resource.h"
#include "app/settings/settings_file.h"
#include "app/shell/messages.h"
#include "tests/e2e/cardo_exe.h"
#include "tests/support/fakes.h"

namespace cardo {
namespace {

using namespace e2e;

std::string CurrentFile(const std::string& keys) {
  return WideToAnsi(NewSettingsFileText(u"3.00", LocalTime{})) + keys;
}

// The files "recorded-file-*.bin" the slow stand-in managers left in `folder`.
std::vector<std::string> SlowRecords(const testing::TempDir& dir) {
  std::vector<std::string> records;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(Wide(dir.File(u"recorded-file-*.bin")).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return records;
  do {
    const std::wstring name = found.cFileName;
    records.push_back(dir.Read(std::u16string(name.begin(), name.end())));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return records;
}

// Two instances in one folder each export while the other's manager is still starting: each
// manager reads the list of the instance that started it.
TEST_F(CardoExe, TwoInstancesNeverHandAManagerTheOthersList) {
  const std::u16string manager = dir.File(u"slow manager.exe");
  ASSERT_TRUE(
      CopyFileW(Wide(BuiltTest(L"manager_standin.exe")).c_str(), Wide(manager).c_str(), FALSE));
  dir.Write(u"CARDO.INI",
            CurrentFile(WideToAnsi(u"OtherPath=" + manager + u"\r\nOtherArgs=--wait=8000 %1\r\n")));
  dir.Write(u"a.lst", "http://a/1\r\n");
  dir.Write(u"b.lst", "http://b/1\r\n");
  RunningCardo first(dir, dir.File(u"a.lst"));
  HWND firstMain = first.WaitForWindow();
  ASSERT_NE(firstMain, nullptr);
  RunningCardo second(dir, dir.File(u"b.lst"));
  HWND secondMain = second.WaitForWindow();
  ASSERT_NE(secondMain, nullptr);

  PostMessageW(firstMain, WM_COMMAND, IDM_EXPORT_OTHER, 0);
  ASSERT_TRUE(WaitFor([&] { return dir.Read(u"TEMP.TXT") != "<missing>"; }));
  // The first manager now waits eight seconds before it reads; the first instance ends too.
  PostMessageW(firstMain, WM_CLOSE, 0, 0);
  ASSERT_TRUE(first.WaitForExit());
  PostMessageW(secondMain, WM_COMMAND, IDM_EXPORT_OTHER, 0);
  RunningCardo third(dir, dir.File(u"b.lst"));  // started after the first ended
  HWND thirdMain = third.WaitForWindow();
  ASSERT_NE(thirdMain, nullptr);
  PostMessageW(thirdMain, WM_COMMAND, IDM_EXPORT_OTHER, 0);

  std::vector<std::string> records;
  const auto deadline = GetTickCount() + 40000;
  while ((records = SlowRecords(dir)).size() < 3 && GetTickCount() < deadline) Sleep(100);
  ASSERT_EQ(records.size(), 3u);
  int fromFirst = 0;
  for (const auto& r : records) fromFirst += r == "http://a/1\r\n";
  EXPECT_EQ(fromFirst, 1) << records[0] << records[1] << records[2];
  EXPECT_EQ(dir.Read(u"TEMP.TXT"), "http://a/1\r\n");  // the usual name stays the first's
  PostMessageW(secondMain, WM_CLOSE, 0, 0);
  EXPECT_TRUE(second.WaitForExit());
  PostMessageW(thirdMain, WM_CLOSE, 0, 0);
  EXPECT_TRUE(third.WaitForExit());
}

// Two instances started on one settings file, each changing a different setting: both
// changes are in the file after both have ended.
TEST_F(CardoExe, TwoInstancesKeepEachOthersSettings) {
  dir.Write(u"CARDO.INI",
            CurrentFile("OtherFormat=0\r\n[WINDOW]\r\nwidth=9000\r\nheight=6000\r\n"));
  RunningCardo first(dir, u"");
  HWND firstMain = first.WaitForWindow();
  ASSERT_NE(firstMain, nullptr);
  RunningCardo second(dir, u"");
  HWND secondMain = second.WaitForWindow();
  ASSERT_NE(secondMain, nullptr);

  // The first is made wider; the second chooses the curl format in the preferences.
  RECT r{};
  GetWindowRect(firstMain, &r);
  SetWindowPos(firstMain, nullptr, 0, 0, r.right - r.left + 150, r.bottom - r.top,
               SWP_NOMOVE | SWP_NOZORDER);
  PostMessageW(secondMain, WM_COMMAND, IDM_VIEW_PREFERENCES, 0);
  HWND prefs = WaitForDialog(second.pid(), L"設定");
  ASSERT_NE(prefs, nullptr);
  HWND formats = PageControl(prefs, IDC_CMBOTHERFORMAT);
  ASSERT_NE(formats, nullptr);
  SendMessageW(formats, CB_SETCURSEL, 2, 0);
  Press(prefs, IDOK);
  ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(secondMain) != FALSE; }));

  PostMessageW(firstMain, WM_CLOSE, 0, 0);
  ASSERT_TRUE(first.WaitForExit());
  const std::string afterFirst = dir.Read(u"CARDO.INI");
  EXPECT_EQ(afterFirst.find("width=9000\r\n"), std::string::npos) << afterFirst;
  PostMessageW(secondMain, WM_CLOSE, 0, 0);
  ASSERT_TRUE(second.WaitForExit());
  const std::string ini = dir.Read(u"CARDO.INI");
  EXPECT_NE(ini.find("OtherFormat=2\r\n"), std::string::npos) << ini;
  const auto width = afterFirst.find("width=");
  ASSERT_NE(width, std::string::npos);
  EXPECT_NE(ini.find(afterFirst.substr(width, afterFirst.find("\r\n", width) - width)),
            std::string::npos)
      << ini;
}

// Starts a Unix program from the tests under Wine (chattr) on the Unix name of `path`; false
// when it cannot start. Wine does not report such a program's end: callers look for its effect.
bool StartUnix(const wchar_t* program, const wchar_t* arguments, const std::u16string& path) {
  using UnixNameFn = char*(CDECL*)(const wchar_t*);
  const auto unixName = reinterpret_cast<UnixNameFn>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixName) return false;
  char* name = unixName(Wide(path).c_str());
  if (!name) return false;
  const std::string unixPath = name;
  HeapFree(GetProcessHeap(), 0, name);
  std::wstring line = std::wstring(L"\"") + program + L"\" " + arguments + L" \"" +
                      std::wstring(unixPath.begin(), unixPath.end()) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    return false;
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

// Whether a new file can be made in `folder` (ending with the separator) and `file` written.
bool Writable(const std::u16string& folder, const std::u16string& file) {
  HANDLE probe = CreateFileW(Wide(folder + u"probe.tmp").c_str(), GENERIC_WRITE, 0, nullptr,
                             CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (probe != INVALID_HANDLE_VALUE) CloseHandle(probe);
  HANDLE existing = CreateFileW(Wide(file).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
  if (existing != INVALID_HANDLE_VALUE) CloseHandle(existing);
  return probe != INVALID_HANDLE_VALUE || existing != INVALID_HANDLE_VALUE;
}

// A folder and its settings file that no one may change, even the machine's administrator
// (the tests run as root, whom permissions do not stop): Unix's immutable flag.
class Immutable {
 public:
  Immutable(const std::u16string& folder, const std::u16string& file)
      : folder_(folder), file_(file) {
    std::u16string bare = folder_;
    bare.pop_back();
    ok_ = StartUnix(kChattr, L"+i", file_) && StartUnix(kChattr, L"+i", bare) &&
          WaitFor([this] { return !Writable(folder_, file_); });
  }
  ~Immutable() {
    std::u16string bare = folder_;
    bare.pop_back();
    StartUnix(kChattr, L"-i", file_);
    StartUnix(kChattr, L"-i", bare);
    WaitFor([this] { return Writable(folder_, file_); });
  }
  bool ok() const { return ok_; }

 private:
  static constexpr const wchar_t* kChattr = L"Z:\\usr\\bin\\chattr";
  std::u16string folder_, file_;
  bool ok_ = false;
};

// A program folder the user cannot write: said once at start, naming the settings file and
// why; an export names its file; the exit says nothing more and nothing is written.
TEST_F(CardoExe, AReadOnlyProgramFolderIsSaidOnceAndEveryFailedWriteNamesItsFile) {
  const std::string stored =
      CurrentFile(WideToAnsi(u"IriaPath=" + dir.File(u"Cardo.exe")) + "\r\n");
  dir.Write(u"CARDO.INI", stored);
  dir.Write(u"a.lst", "http://a/1\r\n");
  Immutable locked(dir.path(), dir.File(u"CARDO.INI"));
  if (!locked.ok()) GTEST_SKIP() << "no immutable folders here";

  RunningCardo cardo(dir, dir.File(u"a.lst"));
  const std::u16string atStart = Answer(cardo.pid(), L"エラー", IDOK);
  EXPECT_EQ(atStart.rfind(msg::kSettingsNotSavable, 0), 0u) << atStart.size();
  EXPECT_NE(atStart.find(dir.File(u"CARDO.INI")), std::u16string::npos);
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);

  PostMessageW(main, WM_COMMAND, IDM_EXPORT_IRIA, 0);
  const std::u16string atExport = Answer(cardo.pid(), L"エラー", IDOK);
  EXPECT_EQ(atExport.rfind(msg::kExportWriteFailed, 0), 0u) << atExport.size();
  EXPECT_NE(atExport.find(dir.File(u"TEMP.IRI")), std::u16string::npos);

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(cardo.WaitForExit(10));  // no second message holds the exit
  EXPECT_EQ(dir.Read(u"CARDO.INI"), stored);
  EXPECT_EQ(dir.Read(u"TEMP.IRI"), "<missing>");
}

}  // namespace
}  // namespace cardo
