// The page each pasted link was found on, through the commands that move and rewrite lines, to
// the Referer of the third manager's file.
#include <gtest/gtest.h>

#include <windows.h>

#include "app/controls/dialog_win.h"
#include "app/editing/find_replace.h"
#include "app/export/export.h"
#include "app/resources/resource.h"
#include "tests/ui/dialog_driver.h"
#include "tests/ui/main_window_fixture.h"

namespace cardo {
namespace {

using Lines = std::vector<std::u16string>;
using testing::MainWindowTest;

TEST_F(MainWindowTest, PastedLinksKeepTheirPageAsRefererAndTypedLinesHaveNone) {
  settings.UrlExtFilter = u"*.jpg";
  dir.Write(u"aria2c.exe", "");
  settings.OtherPath = dir.File(u"aria2c.exe");
  settings.OtherFormat = testing::StoredOtherFormat(ExportFormat::Aria2);
  settings.ExportReferer = static_cast<std::int16_t>(RefererRule::Page);

  window->Tools().FreeInput().Show();
  HWND form = window->Tools().FreeInput().hwnd();
  SetControlText(GetDlgItem(form, IDC_TXTFREEINPUT), u"http://h/t/typed.jpg");
  SendMessageW(form, WM_COMMAND, MAKEWPARAM(IDC_CMDINPUT, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(form, IDC_CMDINPUT)));
  // Copied from a page twice: the second copy's lines are duplicates.
  ui.clipboardHtml =
      "Version:0.9\r\nSourceURL:http://p/d/page.html#x\r\n"
      "<a href=\"a.jpg\">a</a> <a href=\"b.jpg\">b</a> <a href=\"c.jpg\">c</a>";
  ui.clipboard = u"a b c";
  Command(IDM_PASTE_LINKS);
  Command(IDM_PASTE_LINKS);
  ui.clipboardHtml.reset();
  ASSERT_EQ(window->list().Count(), 7);

  Command(IDM_SORT_DESCENDING);
  Command(IDM_EDIT_REMOVE_DUPLICATES);
  ASSERT_EQ(window->list().Lines(), (Lines{u"http://p/d/c.jpg", u"http://p/d/b.jpg",
                                           u"http://p/d/a.jpg", u"http://h/t/typed.jpg"}));
  window->list().SetSelected(0, true);
  Command(IDM_EDIT_CUT);
  Command(IDM_EDIT_PASTE);  // at the end
  ReplaceInList(window->shell(), u"b.jpg", u"b2.jpg", false);
  window->list().SetFocusIndex(window->list().Count() - 1);
  testing::WhenDialogOpens(L"一行編集", [](HWND dialog) {
    SetControlText(GetDlgItem(dialog, IDC_TXTLINEDATA), u"http://p/d/e.jpg");
    testing::PressKey(GetDlgItem(dialog, IDC_TXTLINEDATA), VK_RETURN);
  });
  SendMessageW(list(), WM_KEYDOWN, VK_F2, 0);
  ASSERT_EQ(window->list().Lines(), (Lines{u"http://p/d/b2.jpg", u"http://p/d/a.jpg",
                                           u"http://h/t/typed.jpg", u"http://p/d/e.jpg"}));

  Command(IDM_EXPORT_OTHER);
  EXPECT_EQ(dir.Read(u"TEMP.ARIA2"),
            "http://p/d/b2.jpg\r\n out=b2.jpg\r\n referer=http://p/d/page.html\r\n"
            "http://p/d/a.jpg\r\n out=a.jpg\r\n referer=http://p/d/page.html\r\n"
            "http://h/t/typed.jpg\r\n out=typed.jpg\r\n referer=http://h/t/\r\n"
            "http://p/d/e.jpg\r\n out=e.jpg\r\n referer=http://p/d/page.html\r\n");

  // A new list starts without pages.
  ui.answers = {MessageAnswer::No};
  Command(IDM_FILE_NEW);
  EXPECT_EQ(window->shell().document.Pages().Size(), 0u);
}

}  // namespace
}  // namespace cardo
