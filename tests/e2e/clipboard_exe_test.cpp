// The clipboard as a source of links in Cardo.exe, with this test process as the browser that
// copies: a paste of links, the watch of the clipboard, and the watch kept across a restart.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/platform/text.h"
#include "app/resources/resource.h"
#include "tests/e2e/cardo_exe.h"

namespace cardo {
namespace {

using namespace e2e;

// Puts an HTML Format (when `html` is not empty) and a Unicode text on the clipboard, waiting
// while Cardo still holds it open from the last change.
bool Copy(const std::string& html, const std::u16string& text) {
  if (!WaitFor([] { return OpenClipboard(nullptr) != FALSE; })) return false;
  EmptyClipboard();
  auto put = [](UINT format, const void* bytes, std::size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return false;
    std::memcpy(GlobalLock(block), bytes, size);
    GlobalUnlock(block);
    if (SetClipboardData(format, block)) return true;
    GlobalFree(block);
    return false;
  };
  bool ok = put(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(char16_t));
  if (!html.empty()) {
    ok = put(RegisterClipboardFormatW(L"HTML Format"), html.c_str(), html.size() + 1) && ok;
  }
  return CloseClipboard() && ok;
}

// An HTML Format as a browser writes it for a selection of `page`.
std::string HtmlFormat(const std::string& fragment, const std::string& page) {
  const std::string before = "<html><body><!--StartFragment-->";
  const std::string after = "<!--EndFragment--></body></html>";
  auto number = [](std::size_t n) {
    char text[16];
    std::snprintf(text, sizeof text, "%010u", static_cast<unsigned>(n));
    return std::string(text);
  };
  auto header = [&](std::size_t start) {
    return "Version:0.9\r\nStartHTML:" + number(start) +
           "\r\nEndHTML:" + number(start + before.size() + fragment.size() + after.size()) +
           "\r\nStartFragment:" + number(start + before.size()) +
           "\r\nEndFragment:" + number(start + before.size() + fragment.size()) +
           "\r\nSourceURL:" + page + "\r\n";
  };
  return header(header(0).size()) + before + fragment + after;
}

TEST_F(CardoExe, LinksPastedAndWatchedFromAnotherProgramsCopies) {
  Lines expected;
  {
    RunningCardo cardo(dir, u"");
    HWND main = cardo.WaitForWindow();
    ASSERT_NE(main, nullptr);

    ASSERT_TRUE(Copy(HtmlFormat("<p><a href=\"a.zip\">A</a> <a href=\"../up/b.zip\">B</a>\r\n"
                                "<img src=\"http://cdn.jp/c.jpg\"> <a href=\"a.zip\">A again</a>",
                                "http://h.jp/dir/page.html"),
                     u"A B A again"));
    PostMessageW(main, WM_COMMAND, IDM_PASTE_LINKS, 0);
    expected = {u"http://h.jp/dir/a.zip", u"http://h.jp/up/b.zip", u"http://cdn.jp/c.jpg"};
    ASSERT_TRUE(WaitFor([&] { return ListLines(main) == expected; })) << Utf16ToUtf8(Title(main));
    // What the paste added is the status bar's to say; the title keeps to the list.
    EXPECT_EQ(Title(main), u"Cardo - [無題*]");

    ASSERT_TRUE(Copy("", u"mail: http://t.jp/1.zip\r\nhttp://t.jp/2.zip"));
    PostMessageW(main, WM_COMMAND, IDM_PASTE_LINKS, 0);
    expected.insert(expected.end(), {u"http://t.jp/1.zip", u"http://t.jp/2.zip"});
    ASSERT_TRUE(WaitFor([&] { return ListLines(main) == expected; }));

    // Sent, not posted: the watch is on before the next copy. (A menu's check mark cannot be
    // read from another process under Wine; the watch shows in what it adds.)
    SendMessageW(main, WM_COMMAND, IDM_WATCH_CLIPBOARD, 0);
    ASSERT_TRUE(Copy("", u"http://t.jp/2.zip\r\nhttp://t.jp/3.zip"));
    expected.push_back(u"http://t.jp/3.zip");
    ASSERT_TRUE(WaitFor([&] { return ListLines(main) == expected; })) << Utf16ToUtf8(Title(main));

    PostMessageW(main, WM_CLOSE, 0, 0);
    Answer(cardo.pid(), L"質問", IDNO);
    ASSERT_TRUE(cardo.WaitForExit(10));
  }
  EXPECT_NE(dir.Read(u"CARDO.INI").find("WatchClipboard=1\r\n"), std::string::npos);

  RunningCardo cardo(dir, u"");
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(Title(main), u"Cardo - [無題]");
  ASSERT_TRUE(Copy("", u"http://t.jp/9.zip"));
  ASSERT_TRUE(WaitFor([&] { return ListLines(main) == Lines{u"http://t.jp/9.zip"}; }));
  // Cardo's own copy (a cut) is not taken back; the next copy of another program is.
  PostMessageW(main, WM_COMMAND, IDM_EDIT_SELECT_ALL, 0);
  PostMessageW(main, WM_COMMAND, IDM_EDIT_CUT, 0);
  ASSERT_TRUE(WaitFor([&] { return ListLines(main).empty(); }));
  ASSERT_TRUE(Copy("", u"http://t.jp/10.zip"));
  ASSERT_TRUE(WaitFor([&] { return !ListLines(main).empty(); }));
  EXPECT_EQ(ListLines(main), Lines{u"http://t.jp/10.zip"});

  PostMessageW(main, WM_CLOSE, 0, 0);
  Answer(cardo.pid(), L"質問", IDNO);
  ASSERT_TRUE(cardo.WaitForExit(10));
}

}  // namespace
}  // namespace cardo
