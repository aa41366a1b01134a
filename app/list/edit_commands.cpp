#include "app/list/edit_commands.h"

#include "app/platform/text.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <unordered_set>

namespace cardo {

std::u16string SelectedLinesText(const UrlList& list) {
  std::u16string text;
  for (const int i : list.SelectedIndices()) {
    text += list.Line(i);
    text += u"\r\n";
  }
  return text;
}

void RemoveSelectedLines(UrlList& list) {
  const auto selected = list.SelectedIndices();
  if (selected.empty()) return;
  const auto lines = list.Lines();
  std::vector<std::u16string> kept;
  kept.reserve(lines.size() - selected.size());
  std::size_t next = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (next < selected.size() && selected[next] == static_cast<int>(i)) {
      ++next;
    } else {
      kept.push_back(lines[i]);
    }
  }
  // Removing one by one costs O(n) each in a list box; rebuilding is linear overall. The
  // focus stays on the line that followed the last removed one, as single removals leave it.
  const int focus = list.FocusIndex();
  const auto removedBefore =
      std::lower_bound(selected.begin(), selected.end(), focus) - selected.begin();
  list.ReplaceAll(kept);
  if (!kept.empty()) {
    list.SetFocusIndex(std::min(focus - static_cast<int>(removedBefore), list.Count() - 1));
  }
}

int AppendPastedText(UrlList& list, std::u16string_view text) {
  list.SetAllSelected(false);
  while (text.size() >= 2 && text.substr(text.size() - 2) == u"\r\n") text.remove_suffix(2);
  if (text.empty()) return 0;
  const auto pieces = SplitDroppedText(text);
  return static_cast<int>(pieces.size()) - list.AppendLines(pieces, true);
}

void InvertSelection(UrlList& list) {
  // Select everything, then clear the runs that were selected: one step per run.
  const auto was = list.SelectedIndices();
  list.SetAllSelected(true);
  for (std::size_t i = 0; i < was.size();) {
    std::size_t j = i;
    while (j + 1 < was.size() && was[j + 1] == was[j] + 1) ++j;
    list.SetRangeSelected(was[i], was[j], false);
    i = j + 1;
  }
}

bool RemoveDuplicateLines(UrlList& list) {
  if (list.Count() < 2) return false;
  const auto lines = list.Lines();
  std::unordered_set<std::u16string_view> seen;
  seen.reserve(lines.size());
  std::vector<std::u16string> kept;
  for (const auto& line : lines) {
    if (line.empty() || !seen.insert(line).second) continue;
    kept.push_back(line);
  }
  list.ReplaceAll(kept);
  return true;
}

bool SortLines(UrlList& list, SortOrder order) {
  if (list.Count() == 0) return false;
  auto lines = list.Lines();
  // Equal lines are identical code unit for code unit, so any correct sort gives exactly the
  // order of the pairwise exchange sort.
  if (order == SortOrder::Ascending) {
    std::sort(lines.begin(), lines.end());
  } else {
    std::sort(lines.begin(), lines.end(), std::greater<>());
  }
  list.ReplaceAll(lines);
  return true;
}

bool ShuffleLines(UrlList& list, std::uint64_t seed) {
  if (list.Count() == 0) return false;
  auto lines = list.Lines();
  std::mt19937_64 rng(seed);
  std::shuffle(lines.begin(), lines.end(), rng);
  list.ReplaceAll(lines);
  return true;
}

void ToggleFocusSelection(UrlList& list) {
  if (list.SelectedCount() > 0) {
    list.SetAllSelected(false);
    return;
  }
  const int focus = list.FocusIndex();
  if (focus >= 0) list.SetSelected(focus, true);
}

int DropTargetRow(int topIndex, int dropYTwips, int lineHeightTwips, int count) {
  const int offset = lineHeightTwips > 0 ? dropYTwips / lineHeightTwips : 0;
  return std::clamp(topIndex + std::max(offset, 0), 0, std::max(count - 1, 0));
}

bool MoveFocusLine(UrlList& list, int target) {
  const int focus = list.FocusIndex();
  if (focus < 0 || target == focus || target < 0 || target >= list.Count()) return false;
  const std::u16string text = list.Line(focus);
  list.RemoveLine(focus);
  list.InsertLine(target, text);
  list.SetSelected(target, true);
  list.SetFocusIndex(target);
  return true;
}

std::vector<std::u16string> SplitDroppedText(std::u16string_view text) {
  const auto pieces = SplitAt(text, u"\r\n");
  return std::vector<std::u16string>(pieces.begin(), pieces.end());
}

void EditCopy(ShellContext& shell) {
  shell.ui.SetClipboardText(SelectedLinesText(shell.list));
}

void EditDelete(ShellContext& shell) {
  {
    RedrawSuspension hidden(shell.list);
    RemoveSelectedLines(shell.list);
  }
  shell.document.MarkModified();
  shell.UpdateHorizontalExtent();
}

void EditCut(ShellContext& shell) {
  EditCopy(shell);
  EditDelete(shell);
}

void EditPaste(ShellContext& shell) {
  int refused = 0;
  {
    RedrawSuspension hidden(shell.list);
    refused = AppendPastedText(shell.list, shell.ui.ClipboardText());
  }
  shell.document.MarkModified();
  shell.UpdateHorizontalExtent();
  ShowLastLine(shell.list);
  WarnIfListFull(shell.ui, refused);
}

void EditSelectAll(ShellContext& shell) {
  RedrawSuspension hidden(shell.list);
  shell.list.SetAllSelected(true);
}

void EditInvertSelection(ShellContext& shell) {
  RedrawSuspension hidden(shell.list);
  InvertSelection(shell.list);
}

void EditRemoveDuplicates(ShellContext& shell) {
  bool changed = false;
  {
    RedrawSuspension hidden(shell.list);
    changed = RemoveDuplicateLines(shell.list);
  }
  if (!changed) return;
  shell.document.MarkModified();
  shell.UpdateHorizontalExtent();
}

void EditSort(ShellContext& shell, SortOrder order) {
  if (shell.list.Count() == 0) return;
  {
    RedrawSuspension hidden(shell.list);
    SortLines(shell.list, order);
  }
  shell.document.MarkModified();
  shell.UpdateHorizontalExtent();
}

void EditShuffle(ShellContext& shell) {
  if (shell.list.Count() == 0) return;
  // A fresh seed per shuffle: the clock mixed with the system's entropy source.
  std::random_device entropy;
  const std::uint64_t seed =
      (static_cast<std::uint64_t>(entropy()) << 32) ^ entropy() ^
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  {
    RedrawSuspension hidden(shell.list);
    ShuffleLines(shell.list, seed);
  }
  shell.document.MarkModified();
  shell.UpdateHorizontalExtent();
}

void DropTextOnList(ShellContext& shell, std::u16string_view text) {
  int refused = 0;
  {
    RedrawSuspension hidden(shell.list);
    const auto pieces = SplitDroppedText(text);
    refused = static_cast<int>(pieces.size()) - shell.list.AppendLines(pieces, false);
  }
  shell.document.MarkModified();
  shell.UpdateHorizontalExtent();
  ShowLastLine(shell.list);
  WarnIfListFull(shell.ui, refused);
}

}  // namespace cardo
