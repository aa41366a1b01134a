// The URL list at its limit of 32767 lines of 60-80 characters, in the main window's real list
// box: each operation measured side by side with the literal algorithm it replaces, or with
// the platform's own floor for the same work.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/editing/find_replace.h"
#include "app/export/export.h"
#include "app/list/edit_commands.h"
#include "app/platform/codec.h"
#include "app/platform/file_system.h"
#include "app/platform/lower_case.h"
#include "app/platform/profile.h"
#include "app/shell/main_window.h"
#include "bench/bench_support.h"
#include "bench/list_view_bench.h"
#include "bench/literal_list_ops.h"

namespace cardo::bench {
// `quick` leaves out the literal algorithms, which take minutes; `viewOnly` runs the filter and
// the commands as the user waits for them, and nothing else.
int Run(bool quick, bool viewOnly) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::u16string dir(reinterpret_cast<const char16_t*>(temp));
  BenchUi ui;
  Settings settings;
  SettingsStore store{
      SystemProfile(), SystemFileSystem(), dir + u"CARDO-BENCH.INI", dir, u"3.00", 3};
  frmMain window(GetModuleHandleW(nullptr),
                 frmMain::Services{ui, SystemFileSystem(), settings, store, false});
  // Without a window (a Wine prefix with no graphics driver) every list box message fails and
  // the figures would measure nothing.
  if (window.closed()) {
    std::printf("the main window could not be created\n");
    return 1;
  }
  ShowWindow(window.hwnd(), SW_SHOWNA);
  ShellContext& shell = window.shell();
  UrlList& list = window.list();

  const std::size_t n = kMaxListLines;
  const auto urls = RandomUrls(n, 1);
  auto halfDuplicated = RandomUrls(n / 2 + 1, 2);
  halfDuplicated.insert(
      halfDuplicated.end(), halfDuplicated.begin(),
      halfDuplicated.begin() + static_cast<std::ptrdiff_t>(n - halfDuplicated.size()));
  std::shuffle(halfDuplicated.begin(), halfDuplicated.end(), std::mt19937(3));
  auto fill = [&](const std::vector<std::u16string>& lines) {
    return [&list, &lines] { list.ReplaceAll(lines); };
  };

  RunViewBench(window, ui);
  if (viewOnly) return failures == 0 ? 0 : 1;

  std::printf("\n32767 lines of 60-80 characters, the main window's list box under Wine\n\n");

  if (!quick) {
    const double sortAsc = Median(5, fill(urls), [&] { EditSort(shell, SortOrder::Ascending); });
    const double literalAsc = Median(1, fill(urls), [&] {
      LiteralSort(list, false);
      shell.UpdateHorizontalExtent();
    });
    Report("sort ascending", sortAsc, literalAsc, "pairwise exchange", 50, true);

    const double sortDesc = Median(5, fill(urls), [&] { EditSort(shell, SortOrder::Descending); });
    const double literalDesc = Median(1, fill(urls), [&] {
      LiteralSort(list, true);
      shell.UpdateHorizontalExtent();
    });
    Report("sort descending", sortDesc, literalDesc, "pairwise exchange", 50, true);

    const double shuffle = Median(5, fill(urls), [&] { EditShuffle(shell); });
    const double literalShuffle = Median(1, fill(urls), [&] {
      LiteralShuffle(list, 7);
      shell.UpdateHorizontalExtent();
    });
    Report("random order", shuffle, literalShuffle, "walk per draw", 50, true);

    const double dedupe = Median(5, fill(halfDuplicated), [&] { EditRemoveDuplicates(shell); });
    const double literalDedupe = Median(1, fill(halfDuplicated), [&] {
      LiteralRemoveDuplicates(list);
      shell.UpdateHorizontalExtent();
    });
    Report("remove duplicates (half)", dedupe, literalDedupe, "compare every pair", 50, true);
  }

  // The platform's floor: a plain list box taking the same lines with redraw off.
  HWND plain = CreateWindowExW(0, L"LISTBOX", nullptr,
                               WS_CHILD | LBS_EXTENDEDSEL | LBS_NOINTEGRALHEIGHT | WS_VSCROLL, 0, 0,
                               300, 300, window.hwnd(), nullptr, nullptr, nullptr);
  auto addAll = [&] {
    SendMessageW(plain, WM_SETREDRAW, FALSE, 0);
    for (const auto& url : urls) {
      SendMessageW(plain, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(url.c_str()));
    }
  };
  auto resetPlain = [&] { SendMessageW(plain, LB_RESETCONTENT, 0, 0); };

  std::u16string clip;
  for (const auto& url : urls) clip += url + u"\r\n";
  // New text every run, so no width is known beforehand.
  int round = 0;
  std::vector<std::u16string> fresh;
  auto prepareFresh = [&] {
    fresh = RandomUrls(n, 100 + static_cast<std::uint32_t>(round++));
    clip.clear();
    for (const auto& url : fresh) clip += url + u"\r\n";
    ui.clipboard = clip;
    list.Clear();
    shell.UpdateHorizontalExtent();
  };
  const double paste = Median(5, prepareFresh, [&] { EditPaste(shell); });
  const double addFloor = Median(5, resetPlain, addAll);
  Report("paste 32767 lines", paste, addFloor, "LB_ADDSTRING alone", 3, false);

  const double selectDelete = Median(5, fill(urls), [&] {
    EditSelectAll(shell);
    EditDelete(shell);
  });
  Report("select all + delete", selectDelete, addFloor, "LB_ADDSTRING alone", 3, false);

  // Undo puts the lines back in one rebuild, never one list box message a line.
  const double undoSort = Median(
      5,
      [&] {
        fill(urls)();
        EditSort(shell, SortOrder::Ascending);
      },
      [&] { EditUndo(shell); });
  Report("undo of a sort", undoSort, addFloor, "LB_ADDSTRING alone", 3, false);
  const double undoDelete = Median(
      5,
      [&] {
        fill(urls)();
        EditSelectAll(shell);
        EditDelete(shell);
      },
      [&] { EditUndo(shell); });
  Report("undo of select all + delete", undoDelete, addFloor, "LB_ADDSTRING alone", 3, false);

  auto prepareExtent = [&] {
    fresh = RandomUrls(n, 500 + static_cast<std::uint32_t>(round++));
    list.ReplaceAll(fresh);
  };
  const double extent = Median(5, prepareExtent, [&] { window.UpdateHorizontalExtent(); });
  const double measureFloor = Median(
      5, [] {},
      [&] {
        HDC dc = GetDC(window.hwnd());
        HGDIOBJ old = SelectObject(
            dc, reinterpret_cast<HGDIOBJ>(SendMessageW(window.listHwnd(), WM_GETFONT, 0, 0)));
        SIZE size;
        for (const auto& line : fresh) {
          GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(line.c_str()),
                                static_cast<int>(line.size()), &size);
        }
        SelectObject(dc, old);
        ReleaseDC(window.hwnd(), dc);
      });
  Report("UpdateHorizontalExtent", extent, measureFloor, "GetTextExtentPoint32", 3, false);

  // Find and replace against the same work on the same strings in memory (a lowered copy of
  // each line where case is ignored, as the plain reading does) plus the list's refill floor.
  std::vector<std::u16string> marked = urls;
  marked.back() += u"ZZLAST";
  for (std::size_t i = 0; i < marked.size(); i += 32) marked[i] += u"HIT";
  auto memoryFind = [&](std::u16string_view word, bool fold, std::size_t from) {
    const std::u16string w = fold ? LowerText(word) : std::u16string(word);
    for (std::size_t i = from; i < marked.size(); ++i) {
      if ((fold ? LowerText(marked[i]) : marked[i]).find(w) != std::u16string::npos) return i;
    }
    return marked.size();
  };
  SearchRecord state;
  volatile std::size_t sink = 0;
  const double findLast =
      Median(5, fill(marked), [&] { FindInList(shell, state, u"zzlast", 0, false, true); });
  const double findLastMemory = Median(
      5, [] {}, [&] { sink = memoryFind(u"zzlast", true, 0); });
  Report("find: hit on the last line", findLast, findLastMemory + addFloor, "memory + refill floor",
         3, false);

  const double sweep = Median(3, fill(marked), [&] {
    FindInList(shell, state, u"HIT", 0, true, true);
    for (int i = 1; i < 1000; ++i) FindInList(shell, state, u"", 0, false, false);
  });
  const double sweepMemory = Median(
      3, [] {},
      [&] {
        std::size_t at = 0;
        for (int i = 0; i < 1000; ++i) at = memoryFind(u"HIT", false, at) + 1;
        sink = at;
      });
  Report("find next: 1000 hits", sweep, sweepMemory + addFloor, "memory + refill floor", 3, false);
  // Every hit is a visible change of the list, which Wine paints at once (~4 ms, whatever the
  // number of lines): the floor of a sweep is a plain list box showing 1000 selections.
  HWND shown = CreateWindowExW(0, L"LISTBOX", nullptr,
                               WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOINTEGRALHEIGHT |
                                   LBS_EXTENDEDSEL | LBS_NODATA | LBS_OWNERDRAWFIXED,
                               0, 0, 300, 300, window.hwnd(), nullptr, nullptr, nullptr);
  SendMessageW(shown, LB_SETCOUNT, marked.size(), 0);
  const double hitFloor = Median(
      3, [] {},
      [&] {
        for (int i = 0; i < 1000; ++i) {
          SendMessageW(shown, LB_SETSEL, FALSE, -1);
          SendMessageW(shown, LB_SETSEL, TRUE, i * 32);
        }
      });
  DestroyWindow(shown);
  Report("find next: 1000 hits", sweep, hitFloor, "1000 selections shown", 3, false);

  for (const bool caseSensitive : {true, false}) {
    const std::u16string word = caseSensitive ? u"http://" : u"HTTP://";
    const double replace =
        Median(5, fill(marked), [&] { ReplaceInList(shell, word, u"hxxp://", caseSensitive); });
    const double replaceMemory = Median(
        5, [] {},
        [&] {
          std::vector<std::u16string> out;
          out.reserve(marked.size());
          const std::u16string w = caseSensitive ? word : LowerText(word);
          for (const auto& line : marked) {
            std::u16string subject = caseSensitive ? line : LowerText(line);
            for (auto at = subject.find(w); at != std::u16string::npos;
                 at = subject.find(w, at + 7)) {
              subject.replace(at, w.size(), u"hxxp://");
            }
            out.push_back(std::move(subject));
          }
          sink = out.size();
        });
    Report(caseSensitive ? "replace every line (case)" : "replace every line (no case)", replace,
           replaceMemory + addFloor, "memory + refill floor", 3, false);
  }

  // Export of a full list: the file is written (the manager itself is not started here).
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  const std::u16string manager(reinterpret_cast<const char16_t*>(self));
  list.ReplaceAll(urls);
  const double exportIria = Median(
      5, [] {}, [&] { ExportList(shell, ExportFormat::Iria, manager, dir, u"3.00"); });
  std::printf("%-28s %10.2f ms  (goal < 1000 ms)  %s\n", "export 32767 lines to Iria", exportIria,
              exportIria < 1000 ? "ok" : "MISSED");
  if (exportIria >= 1000) ++failures;
  DeleteFileW(
      reinterpret_cast<const wchar_t*>((dir + FormatRow(ExportFormat::Iria).fileName).c_str()));

  DestroyWindow(plain);
  DeleteFileW(reinterpret_cast<const wchar_t*>(store.settingsFilePath.c_str()));
  std::printf("\n%s\n", failures == 0 ? "every goal met" : "some goals missed");
  return failures == 0 ? 0 : 1;
}

}  // namespace cardo::bench

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  return cardo::bench::Run(mode == "--quick", mode == "--view");
}
