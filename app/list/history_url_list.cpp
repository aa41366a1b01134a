#include "app/list/history_url_list.h"

#include <algorithm>
#include <array>
#include <new>

#include "app/list/messages.h"
#include "app/platform/text.h"

namespace cardo {
namespace {

// Below this many lines a change is put back line by line; above it the list is rebuilt once,
// which costs one pass over it instead of one list box message per line.
constexpr std::size_t kLineByLine = 64;

std::size_t Bytes(const std::u16string& line) {
  return sizeof(std::u16string) + line.size() * sizeof(char16_t);
}

template <typename It>
std::size_t Bytes(It first, It last) {
  std::size_t bytes = 0;
  for (; first != last; ++first) bytes += Bytes(*first);
  return bytes;
}

}  // namespace

std::u16string OutcomeNote(const ListOutcome& outcome) {
  using Kind = ListOutcome::Kind;
  struct Note {
    Kind kind;
    const char16_t* text;
    bool counted;
  };
  static constexpr std::array<Note, 6> kNotes = {{
      {Kind::Added, msg::kLinesAdded, true},
      {Kind::Removed, msg::kLinesRemoved, true},
      {Kind::Changed, msg::kLinesChanged, true},
      {Kind::Reordered, msg::kLinesReordered, true},
      {Kind::Undone, msg::kStepUndone, false},
      {Kind::Redone, msg::kStepRedone, false},
  }};
  for (const Note& note : kNotes) {
    if (note.kind != outcome.kind) continue;
    return note.counted ? DecimalText(outcome.lines) + note.text : std::u16string(note.text);
  }
  return {};
}

HistoryUrlList::View HistoryUrlList::Look() const {
  View view;
  const auto selected = inner_.SelectedIndices();
  for (std::size_t i = 0; i < selected.size();) {
    std::size_t j = i;
    while (j + 1 < selected.size() && selected[j + 1] == selected[j] + 1) ++j;
    view.selectedRuns.emplace_back(selected[i], selected[j]);
    i = j + 1;
  }
  view.focus = inner_.FocusIndex();
  view.top = inner_.TopIndex();
  return view;
}

void HistoryUrlList::Show(const View& view) {
  inner_.SetAllSelected(false);
  for (const auto& [first, last] : view.selectedRuns) inner_.SetRangeSelected(first, last, true);
  if (view.focus >= 0) inner_.SetFocusIndex(view.focus);
  inner_.SetTopIndex(view.top);
}

void HistoryUrlList::BeginStep() {
  if (depth_++ > 0) return;
  countBefore_ = Count();
  open_.reset();
  try {
    open_ = Step{.before = Look()};
  } catch (const std::bad_alloc&) {
    // Without memory for the step the change goes unrecorded; the history stays whole.
  }
}

void HistoryUrlList::EndStep() {
  if (depth_ == 0 || --depth_ > 0) return;
  const auto outcome = OpenOutcome();
  Commit();
  if (outcome) Tell(outcome);
}

std::optional<ListOutcome> HistoryUrlList::OpenOutcome() const {
  using Kind = ListOutcome::Kind;
  const int grown = Count() - countBefore_;
  if (grown > 0) return ListOutcome{Kind::Added, grown};
  if (grown < 0) return ListOutcome{Kind::Removed, -grown};
  // A step the history could not record (no memory) still changed no count: nothing to say.
  if (!open_) return std::nullopt;
  int rewritten = 0;
  int moved = 0;
  for (const Change& change : open_->changes) {
    if (change.kind == Change::Kind::Permute) {
      moved += static_cast<int>(change.positions.size());
    } else {
      rewritten += static_cast<int>(change.lines.size());
    }
  }
  if (rewritten > 0) return ListOutcome{Kind::Changed, rewritten};
  if (moved > 0) return ListOutcome{Kind::Reordered, moved};
  return std::nullopt;
}

void HistoryUrlList::SuspendListRedraw() {
  BeginStep();
  inner_.SuspendListRedraw();
}

void HistoryUrlList::ResumeListRedraw() {
  inner_.ResumeListRedraw();
  EndStep();
}

void HistoryUrlList::Record(Change change) {
  if (!open_) return;
  try {
    auto& changes = open_->changes;
    open_->bytes += change.bytes;
    if (!changes.empty() && changes.back().kind == Change::Kind::Splice &&
        change.kind == Change::Kind::Splice) {
      Change& last = changes.back();
      // Lines added one after another, and lines removed one by one at the same place,
      // make one change.
      if (last.lines.empty() && change.lines.empty() && last.at + last.count == change.at) {
        last.count += change.count;
        last.bytes += change.bytes;
        return;
      }
      if (last.count == 0 && change.count == 0 && last.at == change.at) {
        for (auto& line : change.lines) last.lines.push_back(std::move(line));
        last.bytes += change.bytes;
        return;
      }
    }
    changes.push_back(std::move(change));
  } catch (const std::bad_alloc&) {
    // The list changed but the history cannot say how: it can no longer go back.
    DropSteps();
  }
}

void HistoryUrlList::Commit() {
  if (!open_ || open_->changes.empty()) {
    open_.reset();
    return;
  }
  Step step = std::move(*open_);
  open_.reset();
  step.after = Look();
  step.bytes += (step.before.selectedRuns.size() + step.after.selectedRuns.size()) *
                sizeof(std::pair<int, int>);
  // A new change ends the undone branch, and with it a saved state that lay in it.
  for (const auto& undone : undone_) held_ -= undone.bytes;
  undone_.clear();
  if (saved_ && *saved_ > done_.size()) saved_.reset();
  held_ += step.bytes;
  done_.push_back(std::move(step));
  Trim();
}

void HistoryUrlList::Trim() {
  std::size_t drop = 0;
  std::size_t held = held_;
  while (done_.size() - drop > 1 && (done_.size() - drop > kMaxUndoSteps || held > budget_)) {
    held -= done_[drop].bytes;
    ++drop;
  }
  if (drop == 0) return;
  done_.erase(done_.begin(), done_.begin() + static_cast<std::ptrdiff_t>(drop));
  held_ = held;
  if (saved_) saved_ = *saved_ >= drop ? std::optional(*saved_ - drop) : std::nullopt;
}

void HistoryUrlList::ClearHistory() {
  DropSteps();
  Tell(std::nullopt);
}

void HistoryUrlList::DropSteps() {
  const bool atSaved = AtSaved();
  done_.clear();
  undone_.clear();
  open_.reset();
  held_ = 0;
  saved_ = atSaved ? std::optional<std::size_t>(0) : std::nullopt;
}

bool HistoryUrlList::Undo() {
  if (!CanUndo()) return false;
  Step step = std::move(done_.back());
  done_.pop_back();
  {
    RedrawSuspension hidden(inner_);
    for (auto change = step.changes.rbegin(); change != step.changes.rend(); ++change) {
      Apply(*change, false);
    }
    if (restored_) restored_();
    Show(step.before);
  }
  undone_.push_back(std::move(step));
  Tell(ListOutcome{ListOutcome::Kind::Undone});
  return true;
}

bool HistoryUrlList::Redo() {
  if (!CanRedo()) return false;
  Step step = std::move(undone_.back());
  undone_.pop_back();
  {
    RedrawSuspension hidden(inner_);
    for (auto& change : step.changes) Apply(change, true);
    if (restored_) restored_();
    Show(step.after);
  }
  done_.push_back(std::move(step));
  Tell(ListOutcome{ListOutcome::Kind::Redone});
  return true;
}

void HistoryUrlList::Apply(Change& change, bool forward) {
  switch (change.kind) {
    case Change::Kind::Splice:
      ApplySplice(change);
      break;
    case Change::Kind::Scatter:
      ApplyScatter(change, forward);
      break;
    case Change::Kind::Permute:
      ApplyPermute(change, forward);
      break;
  }
}

void HistoryUrlList::ApplySplice(Change& change) {
  const auto& refs = inner_.LineRefs();
  const auto first = refs.begin() + change.at;
  std::vector<std::u16string> current(first, first + change.count);
  auto& back = change.lines;
  if (current.size() + back.size() <= kLineByLine) {
    const std::size_t common = std::min(current.size(), back.size());
    for (std::size_t k = 0; k < common; ++k) {
      inner_.SetLine(change.at + static_cast<int>(k), std::move(back[k]));
    }
    for (std::size_t k = common; k < back.size(); ++k) {
      inner_.InsertLine(change.at + static_cast<int>(k), back[k]);
    }
    for (std::size_t k = common; k < current.size(); ++k) {
      inner_.RemoveLine(change.at + static_cast<int>(common));
    }
  } else if (current.empty() && change.at == inner_.Count()) {
    inner_.AppendLines(back, false);
  } else {
    std::vector<std::u16string> rebuilt;
    rebuilt.reserve(refs.size() - current.size() + back.size());
    rebuilt.insert(rebuilt.end(), refs.begin(), first);
    for (auto& line : back) rebuilt.push_back(std::move(line));
    rebuilt.insert(rebuilt.end(), first + change.count, refs.end());
    inner_.ReplaceAll(rebuilt);
  }
  change.count = static_cast<int>(back.size());
  back = std::move(current);
}

void HistoryUrlList::ApplyScatter(Change& change, bool forward) {
  if (forward) {
    inner_.RemoveLines(change.positions);
    return;
  }
  if (change.positions.size() <= kLineByLine) {
    for (std::size_t k = 0; k < change.positions.size(); ++k) {
      inner_.InsertLine(change.positions[k], change.lines[k]);
    }
    return;
  }
  const auto& refs = inner_.LineRefs();
  std::vector<std::u16string> merged;
  merged.reserve(refs.size() + change.lines.size());
  std::size_t kept = 0;
  for (std::size_t k = 0; k < change.positions.size(); ++k) {
    while (merged.size() < static_cast<std::size_t>(change.positions[k])) {
      merged.push_back(refs[kept++]);
    }
    merged.push_back(change.lines[k]);
  }
  merged.insert(merged.end(), refs.begin() + static_cast<std::ptrdiff_t>(kept), refs.end());
  inner_.ReplaceAll(merged);
}

void HistoryUrlList::ApplyPermute(const Change& change, bool forward) {
  std::vector<int> order(static_cast<std::size_t>(inner_.Count()));
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  for (std::size_t i = 0; i < change.positions.size(); ++i) {
    const int moved = change.at + static_cast<int>(i);
    const int from = change.at + change.positions[i];
    if (forward) {
      order[static_cast<std::size_t>(moved)] = from;
    } else {
      order[static_cast<std::size_t>(from)] = moved;
    }
  }
  inner_.Reorder(order);
}

void HistoryUrlList::SetLine(int index, std::u16string text) {
  if (index < 0 || index >= Count() || inner_.LineRefs()[static_cast<std::size_t>(index)] == text) {
    inner_.SetLine(index, std::move(text));
    return;
  }
  ListStep step(*this);
  Change change{.at = index, .count = 1, .lines = {Line(index)}};
  change.bytes = Bytes(change.lines.front()) + Bytes(text);
  inner_.SetLine(index, std::move(text));
  Record(std::move(change));
}

bool HistoryUrlList::AppendLine(std::u16string_view text) {
  return InsertLine(Count(), text);
}

int HistoryUrlList::AppendLines(const std::vector<std::u16string>& lines, bool select) {
  ListStep step(*this);
  const int at = Count();
  const int added = inner_.AppendLines(lines, select);
  if (added > 0) {
    Record({.at = at, .count = added, .bytes = Bytes(lines.begin(), lines.begin() + added)});
  }
  return added;
}

bool HistoryUrlList::InsertLine(int index, std::u16string_view text) {
  ListStep step(*this);
  if (!inner_.InsertLine(index, text)) return false;
  Record({.at = index, .count = 1, .bytes = Bytes(std::u16string(text))});
  return true;
}

void HistoryUrlList::RemoveLine(int index) {
  if (index < 0 || index >= Count()) return;
  ListStep step(*this);
  Change change{.at = index, .lines = {Line(index)}};
  change.bytes = Bytes(change.lines.front());
  inner_.RemoveLine(index);
  Record(std::move(change));
}

void HistoryUrlList::Clear() {
  if (Count() == 0) {
    inner_.Clear();
    return;
  }
  ListStep step(*this);
  Change change{.lines = Lines()};
  change.bytes = Bytes(change.lines.begin(), change.lines.end());
  inner_.Clear();
  Record(std::move(change));
}

int HistoryUrlList::ReplaceAll(const std::vector<std::u16string>& lines) {
  ListStep step(*this);
  const auto& old = inner_.LineRefs();
  const std::size_t n = std::min<std::size_t>(lines.size(), kMaxListLines);
  // Only the lines between what the two lists share at their start and at their end change.
  std::size_t prefix = 0;
  while (prefix < n && prefix < old.size() && old[prefix] == lines[prefix]) ++prefix;
  std::size_t suffix = 0;
  while (suffix < n - prefix && suffix < old.size() - prefix &&
         old[old.size() - 1 - suffix] == lines[n - 1 - suffix]) {
    ++suffix;
  }
  Change change{
      .at = static_cast<int>(prefix),
      .count = static_cast<int>(n - prefix - suffix),
      .lines = std::vector<std::u16string>(old.begin() + static_cast<std::ptrdiff_t>(prefix),
                                           old.end() - static_cast<std::ptrdiff_t>(suffix))};
  change.bytes = Bytes(change.lines.begin(), change.lines.end()) +
                 Bytes(lines.begin() + static_cast<std::ptrdiff_t>(prefix),
                       lines.begin() + static_cast<std::ptrdiff_t>(n - suffix));
  const bool same = change.count == 0 && change.lines.empty();
  const int kept = inner_.ReplaceAll(lines);
  if (static_cast<std::size_t>(kept) != n) {
    // The system refused the new count: the list is not what the change says.
    DropSteps();
  } else if (!same) {
    Record(std::move(change));
  }
  return kept;
}

void HistoryUrlList::RemoveLines(const std::vector<int>& positions) {
  if (positions.empty()) return;
  ListStep step(*this);
  Change change{.kind = Change::Kind::Scatter, .positions = positions};
  const auto& refs = inner_.LineRefs();
  change.lines.reserve(positions.size());
  for (const int at : positions) change.lines.push_back(refs[static_cast<std::size_t>(at)]);
  change.bytes = Bytes(change.lines.begin(), change.lines.end()) + positions.size() * sizeof(int);
  inner_.RemoveLines(positions);
  Record(std::move(change));
}

void HistoryUrlList::Reorder(const std::vector<int>& order) {
  ListStep step(*this);
  // Only the stretch between the first and the last line that moves is kept.
  std::size_t first = 0;
  while (first < order.size() && order[first] == static_cast<int>(first)) ++first;
  std::size_t last = order.size();
  while (last > first && order[last - 1] == static_cast<int>(last - 1)) --last;
  Change change{.kind = Change::Kind::Permute, .at = static_cast<int>(first)};
  change.positions.reserve(last - first);
  for (std::size_t i = first; i < last; ++i) change.positions.push_back(order[i] - change.at);
  change.bytes = change.positions.size() * sizeof(int);
  inner_.Reorder(order);
  if (!change.positions.empty()) Record(std::move(change));
}

}  // namespace cardo
