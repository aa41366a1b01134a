#include "app/list/edit_commands.h"

#include "app/list/history_url_list.h"
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
  list.RemoveLines(list.SelectedIndices());
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
  SetLinesSelected(list, was, false);
}

bool RemoveDuplicateLines(UrlList& list) {
  if (list.Count() < 2) return false;
  const auto& lines = list.LineRefs();
  std::unordered_set<std::u16string_view> seen;
  seen.reserve(lines.size());
  // Removing the lines that go, rather than writing back those that stay, lets the history
  // keep only what went.
  std::vector<int> gone;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (lines[i].empty() || !seen.insert(lines[i]).second) gone.push_back(static_cast<int>(i));
  }
  list.SetAllSelected(false);
  list.RemoveLines(gone);
  return true;
}

namespace {

std::vector<int> Identity(int count) {
  std::vector<int> order(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) order[static_cast<std::size_t>(i)] = i;
  return order;
}

// Reorders the list and selects the lines of `moved` (positions before the move) where they
// went, the focus following its line.
void ReorderKeepingSelection(UrlList& list, const std::vector<int>& order,
                             const std::vector<int>& moved) {
  std::vector<int> where(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    where[static_cast<std::size_t>(order[i])] = static_cast<int>(i);
  }
  ListStep step(list);  // the selection after the move belongs to the step
  const int focus = list.FocusIndex();
  list.Reorder(order);
  for (const int from : moved) list.SetSelected(where[static_cast<std::size_t>(from)], true);
  if (focus >= 0) list.SetFocusIndex(where[static_cast<std::size_t>(focus)]);
}

}  // namespace

bool SortLines(UrlList& list, SortOrder order) {
  if (list.Count() == 0) return false;
  const auto& lines = list.LineRefs();
  auto sorted = Identity(list.Count());
  // Equal lines are identical code unit for code unit, so any correct sort gives exactly the
  // order of the pairwise exchange sort; a stable one moves the fewest lines.
  const auto line = [&lines](int i) -> const std::u16string& {
    return lines[static_cast<std::size_t>(i)];
  };
  if (order == SortOrder::Ascending) {
    std::stable_sort(sorted.begin(), sorted.end(), [&](int a, int b) { return line(a) < line(b); });
  } else {
    std::stable_sort(sorted.begin(), sorted.end(), [&](int a, int b) { return line(b) < line(a); });
  }
  list.Reorder(sorted);
  return true;
}

bool ShuffleLines(UrlList& list, std::uint64_t seed) {
  if (list.Count() == 0) return false;
  auto order = Identity(list.Count());
  std::mt19937_64 rng(seed);
  std::shuffle(order.begin(), order.end(), rng);
  list.Reorder(order);
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

bool MoveLinesTo(UrlList& list, int target) {
  const int focus = list.FocusIndex();
  if (focus < 0 || target < 0 || target >= list.Count()) return false;
  auto moved = list.SelectedIndices();
  if (!std::binary_search(moved.begin(), moved.end(), focus)) moved = {focus};
  // The lines that stay, in order, with the moved block put in before the target-th of them.
  std::vector<int> order;
  order.reserve(static_cast<std::size_t>(list.Count()));
  std::size_t next = 0;
  for (int i = 0; i < list.Count(); ++i) {
    if (next < moved.size() && moved[next] == i) {
      ++next;
    } else {
      order.push_back(i);
    }
  }
  const auto at = order.begin() + std::min<std::ptrdiff_t>(target, std::ssize(order));
  order.insert(at, moved.begin(), moved.end());
  if (order == Identity(list.Count())) return false;
  ReorderKeepingSelection(list, order, moved);
  return true;
}

bool MoveSelectedLines(UrlList& list, int delta) {
  const auto selected = list.SelectedIndices();
  if (selected.empty() || (delta != -1 && delta != 1)) return false;
  if (delta < 0 ? selected.front() == 0 : selected.back() == list.Count() - 1) return false;
  auto order = Identity(list.Count());
  // Each run of selected lines trades places with the line beside it, which goes to the
  // run's other end; runs are apart by at least one line, so no two trades meet.
  for (std::size_t i = 0; i < selected.size();) {
    std::size_t j = i;
    while (j + 1 < selected.size() && selected[j + 1] == selected[j] + 1) ++j;
    const int first = selected[i];
    const int last = selected[j];
    if (delta < 0) {
      for (int k = first; k <= last; ++k) order[static_cast<std::size_t>(k - 1)] = k;
      order[static_cast<std::size_t>(last)] = first - 1;
    } else {
      for (int k = first; k <= last; ++k) order[static_cast<std::size_t>(k + 1)] = k;
      order[static_cast<std::size_t>(first)] = last + 1;
    }
    i = j + 1;
  }
  ReorderKeepingSelection(list, order, selected);
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
    ShowLastLine(shell.list);  // inside the step, so that a redo shows the same lines
  }
  shell.document.MarkModified();
  shell.UpdateHorizontalExtent();
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
    ShowLastLine(shell.list);
  }
  shell.document.MarkModified();
  shell.UpdateHorizontalExtent();
  WarnIfListFull(shell.ui, refused);
}

void EditMoveLines(ShellContext& shell, int delta) {
  bool moved = false;
  {
    RedrawSuspension hidden(shell.list);
    moved = MoveSelectedLines(shell.list, delta);
  }
  if (!moved) return;
  shell.document.MarkModified();
  shell.UpdateHorizontalExtent();
}

void EditUndo(ShellContext& shell) {
  auto* history = shell.document.History();
  if (history == nullptr || !history->Undo()) return;
  shell.document.FollowHistory();
  shell.UpdateHorizontalExtent();
}

void EditRedo(ShellContext& shell) {
  auto* history = shell.document.History();
  if (history == nullptr || !history->Redo()) return;
  shell.document.FollowHistory();
  shell.UpdateHorizontalExtent();
}

bool CanUndo(const ShellContext& shell) {
  const auto* history = shell.document.History();
  return history != nullptr && history->CanUndo();
}

bool CanRedo(const ShellContext& shell) {
  const auto* history = shell.document.History();
  return history != nullptr && history->CanRedo();
}

}  // namespace cardo
