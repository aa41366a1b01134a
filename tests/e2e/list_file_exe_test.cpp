// List files saved through the real program: the encoding a file came in, and a file the list
// holds only partly.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/list/messages.h"
#include "app/resources/resource.h"
#include "tests/e2e/cardo_exe.h"
#include "tests/support/fakes.h"

namespace cardo {
namespace {

using namespace e2e;

// A write time long past, so that a save shows even when it writes the same bytes.
void SetOldWriteTime(const std::u16string& path) {
  HANDLE file = CreateFileW(Wide(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  const FILETIME old{0, 0x01C00000};  // 1990
  SetFileTime(file, nullptr, nullptr, &old);
  CloseHandle(file);
}

bool WrittenSince1990(const std::u16string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  return GetFileAttributesExW(Wide(path).c_str(), GetFileExInfoStandard, &data) &&
         data.ftLastWriteTime.dwHighDateTime > 0x01C00000;
}

TEST_F(CardoExe, SaveWritesAListBackInTheEncodingItCameIn) {
  const struct {
    std::string file, afterEdit;
    bool bareName;  // opened by its name alone, from the folder the program starts in
  } cases[] = {
      {"http://x/\xE8\xAA\x9E/a\nhttp://x/b\n", "http://x/日本\nhttp://x/b\n", false},
      {"\xEF\xBB\xBFhttp://x/\xE8\xAA\x9E/a\n", "\xEF\xBB\xBFhttp://x/日本\n", false},
      {testing::Ansi("http://x/語/a\r\n"), testing::Ansi("http://x/日本\r\n"), false},
      {"http://x/\xE8\xAA\x9E/a\n", "http://x/日本\n", true},
  };
  const std::u16string path = dir.File(u"u.lst");
  for (const auto& c : cases) {
    dir.Write(u"u.lst", c.file);
    SetOldWriteTime(path);
    RunningCardo cardo(dir, c.bareName ? std::u16string(u"u.lst") : u"\"" + path + u"\"");
    HWND main = cardo.WaitForWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(ListLines(main).front(), testing::U("http://x/語/a"));

    PostMessageW(main, WM_COMMAND, IDM_FILE_SAVE, 0);
    ASSERT_TRUE(WaitFor([&] { return WrittenSince1990(path); }));
    EXPECT_EQ(dir.Read(u"u.lst"), c.file);

    PostMessageW(main, WM_COMMAND, IDM_EDIT_LINE, 0);
    HWND edit = WaitForDialog(cardo.pid(), L"一行編集");
    ASSERT_NE(edit, nullptr);
    SetText(GetDlgItem(edit, IDC_TXTLINEDATA), L"http://x/日本");
    PostMessageW(edit, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(WaitFor([&] { return Title(main) == u"Cardo - [u.lst*]"; }));
    PostMessageW(main, WM_COMMAND, IDM_FILE_SAVE, 0);
    ASSERT_TRUE(WaitFor([&] { return Title(main) == u"Cardo - [u.lst]"; }));
    EXPECT_EQ(dir.Read(u"u.lst"), c.afterEdit);
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(cardo.WaitForExit());
  }
}

TEST_F(CardoExe, AListCutAtTheLineLimitIsNotSavedOverItsFileUnasked) {
  std::string text;
  for (int i = 0; i < 40000; ++i) text += "http://x/" + std::to_string(i) + "\r\n";
  dir.Write(u"big.lst", text);
  RunningCardo cardo(dir, u"\"" + dir.File(u"big.lst") + u"\"");
  EXPECT_EQ(Answer(cardo.pid(), L"エラー", IDOK), msg::kListFull);
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitFor([&] { return Title(main) == u"Cardo - [big.lst*]"; }));

  PostMessageW(main, WM_COMMAND, IDM_FILE_SAVE, 0);  // what Ctrl+S sends
  EXPECT_EQ(Answer(cardo.pid(), L"警告", IDCANCEL),
            u"big.lst" + std::u16string(msg::kPartialReadSuffix) + u"\r\n32768" +
                msg::kPartialLinesNotRead + u"\r\n" + msg::kPartialReadQuestion);
  ASSERT_TRUE(WaitFor([] { return FindWindowW(L"#32770", L"警告") == nullptr; }));
  PostMessageW(main, WM_CLOSE, 0, 0);
  Answer(cardo.pid(), L"質問", IDNO);
  EXPECT_TRUE(cardo.WaitForExit());
  EXPECT_EQ(dir.Read(u"big.lst"), text);
}

}  // namespace
}  // namespace cardo
