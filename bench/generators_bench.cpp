// The list generators filling an empty list to its limit, through their windows in the main
// window's real list box, side by side with the platform's floor for the same lines (a plain
// list box taking them with LB_ADDSTRING, redraw off) and, for the expansion, the library's
// own time for the line.
#include <windows.h>

#include <commctrl.h>
#include <oleauto.h>

#include <cstdio>

#include "app/controls/register_controls_win.h"
#include "app/controls/up_down_text_box_win.h"
#include "app/platform/codec.h"
#include "app/platform/file_system.h"
#include "app/platform/text.h"
#include "app/platform/profile.h"
#include "app/resources/resource.h"
#include "app/shell/main_window.h"
#include "bench/bench_support.h"

namespace cardo::bench {

int Run() {
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
  InitCommonControlsEx(&controls);
  RegisterCustomControls();
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::u16string dir(reinterpret_cast<const char16_t*>(temp));
  BenchUi ui;
  Settings settings;
  settings.ListMax = 10;
  SettingsStore store{
      SystemProfile(), SystemFileSystem(), dir + u"CARDO-BENCH.INI", dir, u"3.00", 3};
  // The library of this build tree (the benchmark does not lie beside it).
  BoundLibrary library(L"..\\fnc\\CARDOFNC.DLL");
  frmMain window(
      GetModuleHandleW(nullptr),
      frmMain::Services{ui, SystemFileSystem(), settings, store, false, LibrarySpread(library)});
  ShowWindow(window.hwnd(), SW_SHOWNA);
  UrlList& list = window.list();
  auto clear = [&] { list.Clear(); };
  auto click = [](HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  };

  HWND plain = CreateWindowExW(0, L"LISTBOX", nullptr,
                               WS_CHILD | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT | WS_VSCROLL, 0, 0,
                               300, 300, window.hwnd(), nullptr, nullptr, nullptr);
  auto floorFor = [&](const std::vector<std::u16string>& lines) {
    return Median(
        5, [&] { SendMessageW(plain, LB_RESETCONTENT, 0, 0); },
        [&] {
          SendMessageW(plain, WM_SETREDRAW, FALSE, 0);
          for (const auto& line : lines) {
            SendMessageW(plain, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
          }
        });
  };
  std::printf("an empty list filled to 32767 lines by each generator under Wine\n\n");

  // The regular list generator: plain extension mode 0-32766 (32767 names).
  window.Tools().GeneList().Show();
  HWND gen = window.Tools().GeneList().hwnd();
  SetControlText(UpDownTextBox::From(GetDlgItem(gen, IDC_UDTNUM1))->EditHwnd(), u"32766");
  const std::u16string base = u"http://www.example.com/pictures/2026/holiday/img";
  const double generate = Median(5, clear, [&] {
    SetControlText(GetDlgItem(gen, IDC_CMBURL), base);
    click(gen, IDC_CMDGENECLOSE0);
  });
  const auto names = list.Lines();
  const double namesFloor = floorFor(names);
  Report("generator: 32767 names", generate, namesFloor, "LB_ADDSTRING alone", 2, false);

  // Free input of a 32767-line text.
  window.Tools().FreeInput().Show();
  HWND input = window.Tools().FreeInput().hwnd();
  CheckDlgButton(input, IDC_CHKTEXTCLEAR, BST_UNCHECKED);
  std::u16string text;
  for (const auto& name : names) text += name + u"\r\n";
  text.resize(text.size() - 2);
  SetControlText(GetDlgItem(input, IDC_TXTFREEINPUT), text);
  const double freeInput = Median(5, clear, [&] { click(input, IDC_CMDINPUT); });
  Report("free input: 32767 lines", freeInput, namesFloor, "LB_ADDSTRING alone", 2, false);

  // The expansion dialog against the library's own time for the line plus the floor.
  const std::u16string pattern = u"http://h/img[00001-32767].jpg";
  window.Tools().SpreadUrl().Show();
  HWND spread = window.Tools().SpreadUrl().hwnd();
  SetControlText(GetDlgItem(spread, IDC_TXTSOURCE), pattern);
  const double dialog = Median(5, clear, [&] { click(spread, IDC_CMDSPREAD); });
  const auto expanded = list.Lines();
  const SpreadFunction direct = LibrarySpread(library);
  const double libraryAlone = Median(
      5, [] {}, [&] { direct(spread, WideToAnsi(pattern)); });
  const double spreadFloor = floorFor(expanded);
  Report("expansion: 32767 lines", dialog, libraryAlone + spreadFloor, "library + floor", 2, false);
  std::printf("  (library alone %.2f ms, %zu lines)\n", libraryAlone, expanded.size());

  // The count below the expansion window's text: a 10,000-line source, recounted whole.
  std::u16string source;
  for (int i = 0; i < 10000; ++i) {
    source += u"http://h/" + DecimalText(i) + u"/img[001-120].jpg\r\n";
  }
  SetControlText(GetDlgItem(spread, IDC_TXTSOURCE), source);
  const double count = Median(
      5, [] {}, [&] { window.Tools().SpreadUrl().UpdateCount(); });
  Report("count of a 10,000-line text", count, 50.0, "goal", 1, false);
  std::printf("  (%s)\n", WideToAnsi(ControlText(GetDlgItem(spread, IDC_LBLSPREADCOUNT))).c_str());

  DestroyWindow(plain);
  DeleteFileW(reinterpret_cast<const wchar_t*>(store.settingsFilePath.c_str()));
  std::printf("\n%s\n", failures == 0 ? "every goal met" : "some goals missed");
  return failures == 0 ? 0 : 1;
}

}  // namespace cardo::bench

int main() {
  return cardo::bench::Run();
}
