// Drops from other programs: a drag source in a process of its own puts the pointer on a
// control of Cardo.exe and drops there, as Explorer or a browser does. Such a drop goes to
// the window under the pointer, so a frame lying above its controls would take it.
#include <gtest/gtest.h>

#include <windows.h>

#include <ole2.h>

#include <string>

#include "app/resources/resource.h"
#include "tests/e2e/cardo_exe.h"

namespace cardo {
namespace {

using namespace e2e;

// Drags `what` ("text" or "file") from another process onto the middle of `control`; the
// effect the drop ended with, or a number from 100 up when the drag did not run.
DWORD DragOnto(HWND control, const wchar_t* kind, const std::u16string& what) {
  RECT box{};
  GetWindowRect(control, &box);
  const std::wstring exe = Wide(BuiltTest(L"drag_source.exe"));
  std::wstring commandLine = L"\"" + exe + L"\" " + std::to_wstring((box.left + box.right) / 2) +
                             L" " + std::to_wstring((box.top + box.bottom) / 2) + L" " + kind +
                             L" \"" + Wide(what) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &si, &pi)) {
    return 200;
  }
  DWORD code = 201;
  if (WaitForSingleObject(pi.hProcess, 20000) == WAIT_OBJECT_0) {
    GetExitCodeProcess(pi.hProcess, &code);
  } else {
    TerminateProcess(pi.hProcess, 202);
  }
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return code;
}

void SelectMode(HWND dialog, int mode) {
  HWND modes = GetDlgItem(dialog, IDC_CMBMODESELECT);
  SendMessageW(modes, CB_SETCURSEL, mode, 0);
  SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_CMBMODESELECT, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(modes));
}

TEST_F(CardoExe, FilesAndTextFromAnotherProgramReachTheControlUnderThePointer) {
  dir.Write(u"page.html", "<a href=\"a.zip\">");
  dir.Write(u"notes.txt", "http://h/b.zip");
  RunningCardo cardo(dir, u"");
  HWND main = cardo.WaitForWindow();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, IDM_VIEW_EXTRACT, 0);
  HWND extract = WaitForDialog(cardo.pid(), L"URLの抜き出し");
  ASSERT_NE(extract, nullptr);
  const struct {
    int mode;
    int control;
    const wchar_t* kind;
    std::u16string dropped;
  } drops[] = {
      {0, IDC_LBLEXTRACTEDFILE0, L"file", dir.File(u"notes.txt")},
      {1, IDC_LBLEXTRACTEDFILE1, L"file", dir.File(u"page.html")},
      {1, IDC_LBLEXTRACTEDFILE1, L"text", u"C:\\dragged from an editor.html"},
      {2, IDC_TXTURL, L"text", u"http://example.com/日本/a.html"},
  };
  for (const auto& drop : drops) {
    SelectMode(extract, drop.mode);
    HWND control = GetDlgItem(extract, drop.control);
    EXPECT_EQ(DragOnto(control, drop.kind, drop.dropped), DWORD{DROPEFFECT_COPY}) << drop.control;
    EXPECT_EQ(Text(control), drop.dropped);
  }

  // The generator's URL box, which no frame covers, takes text all the same.
  PostMessageW(main, WM_COMMAND, IDM_VIEW_GENE_LIST, 0);
  HWND gene = WaitForDialog(cardo.pid(), L"規則的リストの生成");
  ASSERT_NE(gene, nullptr);
  HWND url = GetDlgItem(gene, IDC_CMBURL);
  EXPECT_EQ(DragOnto(url, L"text", u"http://h/dir/"), DWORD{DROPEFFECT_COPY});
  EXPECT_EQ(Text(url), u"http://h/dir/");

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(cardo.WaitForExit(10));
}

}  // namespace
}  // namespace cardo
