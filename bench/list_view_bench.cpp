#include "bench/list_view_bench.h"

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "app/editing/find_replace.h"
#include "app/list/edit_commands.h"

namespace cardo::bench {
namespace {

constexpr double kKeyGoalMs = 50;
constexpr double kClearGoalMs = 100;
constexpr double kCommandGoalMs = 100;

int Rows(frmMain& window) {
  return static_cast<int>(SendMessageW(window.listHwnd(), LB_GETCOUNT, 0, 0));
}

// What the program's loop does until the user sees the result: every message waiting is
// delivered (a timer's when it is due), the window's paint included, until `done` holds and
// nothing is left.
template <typename Done>
void Settle(frmMain& window, Done done) {
  const double deadline = NowMs() + 20000;
  for (;;) {
    MSG msg;
    bool any = false;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      any = true;
      if (!window.TranslateAccelerators(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
    if (!any && done()) return;
    if (NowMs() > deadline) {
      std::printf("  (gave up waiting for the window)\n");
      return;
    }
    if (!any) MsgWaitForMultipleObjects(0, nullptr, FALSE, 1, QS_ALLINPUT);
  }
}

void Settle(frmMain& window) {
  Settle(window, [] { return true; });
}

int Holding(const std::vector<std::u16string>& lines, const std::u16string& word) {
  return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const auto& line) {
    return line.find(word) != std::u16string::npos;
  }));
}

// Lines of `length` characters or so, as long lines of query strings come.
std::vector<std::u16string> LongUrls(std::size_t count, std::size_t length, std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::uniform_int_distribution<int> letter(0, 35);
  const char16_t* alphabet = u"abcdefghijklmnopqrstuvwxyz0123456789";
  std::vector<std::u16string> urls;
  urls.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    std::u16string url = u"http://www.example.com/q?";
    while (url.size() < length - 4) url += alphabet[letter(rng)];
    url += u".jpg";
    urls.push_back(std::move(url));
  }
  return urls;
}

struct Selection {
  const char* name;
  std::vector<int> lines;  // selected, ascending
};

std::vector<int> Scattered(int count, int lines, std::uint32_t seed) {
  std::vector<int> all(static_cast<std::size_t>(lines));
  for (int i = 0; i < lines; ++i) all[static_cast<std::size_t>(i)] = i;
  std::shuffle(all.begin(), all.end(), std::mt19937(seed));
  all.resize(static_cast<std::size_t>(count));
  std::sort(all.begin(), all.end());
  return all;
}

std::vector<int> EveryOther(int lines) {
  std::vector<int> every;
  for (int i = 0; i < lines; i += 2) every.push_back(i);
  return every;
}

std::vector<int> Every(int lines) {
  std::vector<int> every(static_cast<std::size_t>(lines));
  for (int i = 0; i < lines; ++i) every[static_cast<std::size_t>(i)] = i;
  return every;
}

void Select(frmMain& window, const std::vector<int>& lines) {
  UrlList& list = window.list();
  {
    RedrawSuspension hidden(list);
    list.SetAllSelected(false);
    for (std::size_t i = 0; i < lines.size();) {
      std::size_t j = i;
      while (j + 1 < lines.size() && lines[j + 1] == lines[j] + 1) ++j;
      list.SetRangeSelected(lines[i], lines[j], true);
      i = j + 1;
    }
  }
  Settle(window);
}

// A key typed into the filter box, as the loop hands it on, until the list shows what the
// filter lets through.
double TypeKey(frmMain& window, char16_t key, int rows) {
  const double start = NowMs();
  PostMessageW(window.filterHwnd(), WM_CHAR, key, 1);
  Settle(window, [&] { return Rows(window) == rows; });
  return NowMs() - start;
}

// Esc in the filter box: the filter ends and every line shows again.
double ClearFilter(frmMain& window) {
  const double start = NowMs();
  PostMessageW(window.filterHwnd(), WM_KEYDOWN, VK_ESCAPE, 1);
  Settle(window, [&] { return Rows(window) == window.list().Count(); });
  return NowMs() - start;
}

void PrintGoal(const char* name, double ms, double goal, const char* note = "") {
  const bool ok = ms <= goal;
  if (!ok) ++failures;
  std::printf("%-40s %9.1f ms  (goal <= %3.0f ms)  %-6s %s\n", name, ms, goal, ok ? "ok" : "MISSED",
              note);
}

// Types three keys that narrow the list step by step and clears the filter, with `selection`
// selected beforehand: the slowest key, the clear, and whether every selected line is selected
// again after it.
void FilterRun(frmMain& window, const std::vector<std::u16string>& lines,
               const Selection& selection, const char* label) {
  const std::u16string word = u"7kq";
  std::vector<double> keys;
  std::vector<double> clears;
  bool kept = true;
  for (int run = 0; run < 3; ++run) {
    Select(window, selection.lines);
    SetFocus(window.filterHwnd());
    double slowest = 0;
    for (std::size_t k = 0; k < word.size(); ++k) {
      slowest = std::max(slowest, TypeKey(window, word[k], Holding(lines, word.substr(0, k + 1))));
    }
    keys.push_back(slowest);
    clears.push_back(ClearFilter(window));
    kept = kept && window.list().SelectedIndices() == selection.lines;
  }
  std::sort(keys.begin(), keys.end());
  std::sort(clears.begin(), clears.end());
  char name[96];
  std::snprintf(name, sizeof name, "%s, %s: key", label, selection.name);
  PrintGoal(name, keys[1], kKeyGoalMs);
  std::snprintf(name, sizeof name, "%s, %s: clear", label, selection.name);
  PrintGoal(name, clears[1], kClearGoalMs, kept ? "selection kept" : "SELECTION LOST");
}

}  // namespace

void RunViewBench(frmMain& window, BenchUi& ui) {
  ShellContext& shell = window.shell();
  UrlList& list = window.list();
  const int n = kMaxListLines;
  const auto urls = RandomUrls(static_cast<std::size_t>(n), 1);

  std::printf(
      "\nThe filter box: the slowest of three keys typed (\"7\", \"k\", \"q\") and Esc, each "
      "until\n"
      "the list is drawn (medians of 3)\n");
  list.ReplaceAll(urls);
  Settle(window);
  const Selection selections[] = {
      {"nothing selected", {}},
      {"1429 scattered selected", Scattered(1429, n, 5)},
      {"every other line selected", EveryOther(n)},
      {"every line selected", Every(n)},
  };
  for (const Selection& selection : selections) {
    FilterRun(window, urls, selection, "32767 lines");
  }
  const int longCount = 16383;
  const auto longLines = LongUrls(static_cast<std::size_t>(longCount), 2048, 9);
  list.ReplaceAll(longLines);
  Settle(window);
  FilterRun(window, longLines, {"every line selected", Every(longCount)}, "16383 lines of 2 KB");

  std::printf("\nThe commands at 32767 lines, each until the list is drawn (medians of 5)\n");
  auto halfDuplicated = RandomUrls(static_cast<std::size_t>(n / 2 + 1), 2);
  halfDuplicated.insert(
      halfDuplicated.end(), halfDuplicated.begin(),
      halfDuplicated.begin() + static_cast<std::ptrdiff_t>(n - std::ssize(halfDuplicated)));
  std::shuffle(halfDuplicated.begin(), halfDuplicated.end(), std::mt19937(3));
  const auto scattered = Scattered(1429, n, 5);
  const auto fill = [&](const std::vector<std::u16string>& lines) {
    list.ReplaceAll(lines);
    Settle(window);
  };
  const auto timed = [&](const char* name, const std::function<void()>& setup,
                         const std::function<void()>& work) {
    const double ms = Median(
        5,
        [&] {
          setup();
          Settle(window);
        },
        [&] {
          work();
          Settle(window);
        });
    PrintGoal(name, ms, kCommandGoalMs);
  };
  timed(
      "sort ascending", [&] { fill(urls); }, [&] { EditSort(shell, SortOrder::Ascending); });
  timed(
      "remove duplicates (half)", [&] { fill(halfDuplicated); },
      [&] { EditRemoveDuplicates(shell); });
  timed(
      "replace all (every line)", [&] { fill(urls); },
      [&] { ReplaceInList(shell, u"http://", u"hxxp://", true); });
  timed(
      "undo of a sort",
      [&] {
        fill(urls);
        EditSort(shell, SortOrder::Ascending);
      },
      [&] { EditUndo(shell); });
  timed(
      "redo of a sort",
      [&] {
        fill(urls);
        EditSort(shell, SortOrder::Ascending);
        EditUndo(shell);
      },
      [&] { EditRedo(shell); });
  timed(
      "select all", [&] { fill(urls); }, [&] { EditSelectAll(shell); });
  timed(
      "delete (every line selected)",
      [&] {
        fill(urls);
        EditSelectAll(shell);
      },
      [&] { EditDelete(shell); });
  timed(
      "delete (1429 scattered selected)",
      [&] {
        fill(urls);
        Select(window, scattered);
      },
      [&] { EditDelete(shell); });
  timed(
      "undo of that delete",
      [&] {
        fill(urls);
        Select(window, scattered);
        EditDelete(shell);
      },
      [&] { EditUndo(shell); });
  timed(
      "redo of that delete",
      [&] {
        fill(urls);
        Select(window, scattered);
        EditDelete(shell);
        EditUndo(shell);
      },
      [&] { EditRedo(shell); });
  std::vector<std::u16string> start(urls.begin(), urls.begin() + (n - 10000));
  std::u16string clip;
  for (const auto& url : RandomUrls(10000, 77)) clip += url + u"\r\n";
  timed(
      "paste 10000 lines onto 22767",
      [&] {
        fill(start);
        ui.clipboard = clip;
      },
      [&] { EditPaste(shell); });

  // While the filter shows some of the lines, the commands act on those.
  const auto filtered = [&] {
    ClearFilter(window);
    fill(urls);
    SetFocus(window.filterHwnd());
    TypeKey(window, u'7', Holding(urls, u"7"));
  };
  timed("filtered: select all", filtered, [&] { EditSelectAll(shell); });
  timed(
      "filtered: delete (all shown selected)",
      [&] {
        filtered();
        EditSelectAll(shell);
      },
      [&] { EditDelete(shell); });
  timed(
      "filtered: undo of that delete",
      [&] {
        filtered();
        EditSelectAll(shell);
        EditDelete(shell);
      },
      [&] { EditUndo(shell); });
  timed("filtered: sort ascending", filtered, [&] { EditSort(shell, SortOrder::Ascending); });
  ClearFilter(window);
  list.Clear();
  Settle(window);
}

}  // namespace cardo::bench
