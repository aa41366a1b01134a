// The release as a user unpacks it: the packaged Cardo.exe started from its own folder, a list
// file named on its command line exported to a stand-in manager, and the packaged
// cardo-cli.exe answering --help. tools/run-tests.sh unpacks the zip into a fresh folder whose
// path holds a space and Japanese characters and names it in CARDO_PACKAGE_DIR.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <string>

#include "app/platform/codec.h"
#include "tests/e2e/cardo_exe.h"

namespace cardo::e2e {
namespace {

std::u16string PackageFolder() {
  wchar_t folder[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"CARDO_PACKAGE_DIR", folder, MAX_PATH) == 0) return u"";
  std::u16string path(reinterpret_cast<const char16_t*>(folder));
  if (path.back() != u'\\') path += u'\\';
  return path;
}

bool Exists(const std::u16string& path) {
  return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Shared for writing too: the console host of a finished console program may still hold its
// output file.
std::string ReadAll(const std::u16string& path) {
  HANDLE file = CreateFileW(Wide(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "(missing)";
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

TEST(Package, TheUnpackedProgramOpensExportsAndKeepsItsSettingsBesideIt) {
  const std::u16string folder = PackageFolder();
  ASSERT_FALSE(folder.empty()) << "CARDO_PACKAGE_DIR names no folder";
  for (const char16_t* name : {u"Cardo.exe", u"CARDOFNC.DLL", u"THELP.TXT", u"CARDHELP.html",
                               u"cardo-cli.exe", u"README.txt", u"browser\\manifest.json",
                               u"browser\\_locales\\ja\\messages.json"}) {
    EXPECT_TRUE(Exists(folder + name)) << WideToAnsi(name);
  }
  ASSERT_FALSE(Exists(folder + u"CARDO.INI")) << "the zip must not ship settings";

  TempDir work;
  ASSERT_TRUE(CreateDirectoryW(Wide(work.File(u"Down Loader")).c_str(), nullptr));
  const std::u16string manager = work.File(u"Down Loader\\stand in.exe");
  ASSERT_TRUE(
      CopyFileW(Wide(BuiltTest(L"manager_standin.exe")).c_str(), Wide(manager).c_str(), FALSE));
  const std::string list = testing::Ansi("http://x/日本.zip\r\nhttp://x/b.zip");
  work.Write(u"u.lst", list);
  const std::u16string listArgument = u"\"" + work.File(u"u.lst") + u"\"";

  {
    RunningCardo cardo(folder, listArgument);
    ASSERT_TRUE(cardo.started());
    HWND main = cardo.WaitForWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(Title(main), u"Cardo - [u.lst]");
    EXPECT_EQ(ListLines(main), (Lines{u"http://x/日本.zip", u"http://x/b.zip"}));
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(cardo.WaitForExit());
  }
  ASSERT_TRUE(Exists(folder + u"CARDO.INI"));

  // The manager as a user sets it; the next start reads it from the settings beside the program.
  ASSERT_TRUE(WritePrivateProfileStringW(L"PREF", L"ReGetPath", Wide(manager).c_str(),
                                         Wide(folder + u"CARDO.INI").c_str()));
  {
    RunningCardo cardo(folder, listArgument);
    HWND main = cardo.WaitForWindow();
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_COMMAND, IDM_EXPORT_REGET, 0);
    const std::u16string recorded = work.File(u"Down Loader\\recorded.bin");
    ASSERT_TRUE(WaitFor([&] { return Exists(recorded); }));
    EXPECT_EQ(ReadAll(work.File(u"Down Loader\\recorded-file.bin")), list);
    EXPECT_EQ(ReadAll(folder + u"TEMP.LST"), list);
    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(cardo.WaitForExit());
  }
}

TEST(Package, TheCommandLineAnswersHelp) {
  const std::u16string folder = PackageFolder();
  ASSERT_FALSE(folder.empty()) << "CARDO_PACKAGE_DIR names no folder";
  TempDir work;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileW(Wide(work.File(u"help.txt")).c_str(), GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(out, INVALID_HANDLE_VALUE);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = out;
  si.hStdError = out;
  std::wstring commandLine = L"\"" + Wide(folder + u"cardo-cli.exe") + L"\" --help";
  PROCESS_INFORMATION pi{};
  const bool started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi) != FALSE;
  CloseHandle(out);
  ASSERT_TRUE(started);
  ASSERT_EQ(WaitForSingleObject(pi.hProcess, 30000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  EXPECT_EQ(code, 0u);
  const std::string help = ReadAll(work.File(u"help.txt"));
  EXPECT_EQ(help.rfind("usage: cardo-cli expand", 0), 0u) << help;
}

}  // namespace
}  // namespace cardo::e2e
