#include "app/list/listbox_url_list.h"

#include <algorithm>

namespace cardo {

std::u16string ListBoxUrlList::Line(int index) const {
  return index >= 0 && index < Count() ? lines_[static_cast<std::size_t>(index)] : std::u16string();
}

void ListBoxUrlList::SetLine(int index, std::u16string text) {
  if (index < 0 || index >= Count()) return;
  lines_[static_cast<std::size_t>(index)] = std::move(text);
  // The list box holds no text: drawing the row again shows the new one. While redraw is
  // off, the whole list is drawn when it comes back on.
  const int row = rows_.RowOf(index);
  if (suspended_ > 0 || row < 0) return;
  RECT rect{};
  if (Send(LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&rect)) != LB_ERR) {
    InvalidateRect(list_, &rect, TRUE);
  }
}

bool ListBoxUrlList::Selected(int index) const {
  return index >= 0 && index < Count() && selected_[static_cast<std::size_t>(index)] != 0;
}

std::vector<int> ListBoxUrlList::SelectedIndices() const {
  std::vector<int> indices;
  for (int i = 0; i < Count(); ++i) {
    if (selected_[static_cast<std::size_t>(i)]) indices.push_back(i);
  }
  return indices;
}

int ListBoxUrlList::SelectedCount() const {
  return static_cast<int>(std::count(selected_.begin(), selected_.end(), 1));
}

void ListBoxUrlList::SetLines(int first, int last, bool selected) {
  if (first > last) return;
  std::fill(selected_.begin() + first, selected_.begin() + last + 1, selected ? 1 : 0);
  SelectionChanged();
}

void ListBoxUrlList::SetRangeSelected(int first, int last, bool selected) {
  SetLines(std::max(first, 0), std::min(last, Count() - 1), selected);
}

void ListBoxUrlList::SetSelected(int index, bool selected) {
  if (index >= 0 && index < Count()) SetLines(index, index, selected);
}

void ListBoxUrlList::SetAllSelected(bool selected) {
  SetLines(0, Count() - 1, selected);
}

void ListBoxUrlList::SelectRows(int first, int last, bool selected) {
  first = std::max(first, 0);
  last = std::min(last, Rows() - 1);
  if (first > last) return;
  for (int row = first; row <= last; ++row) {
    selected_[static_cast<std::size_t>(rows_.LineAt(row))] = selected ? 1 : 0;
  }
  SelectionChanged();
}

void ListBoxUrlList::SelectionChanged() {
  if (observer_) observer_();
  // While redraw is off, the whole list is drawn when it comes back on.
  if (suspended_ > 0 || repaintAsked_) return;
  InvalidateRect(list_, nullptr, FALSE);
  repaintAsked_ = true;
}

std::optional<LRESULT> ListBoxUrlList::AnswerSelectionMessage(UINT message, WPARAM wParam,
                                                              LPARAM lParam) {
  const auto validRow = [this](WPARAM row) { return row < static_cast<WPARAM>(Rows()); };
  switch (message) {
    case LB_GETSEL:
      if (!validRow(wParam)) return LB_ERR;
      return Selected(rows_.LineAt(static_cast<int>(wParam))) ? 1 : 0;
    case LB_GETSELCOUNT:
    case LB_GETSELITEMS: {
      const bool counting = message == LB_GETSELCOUNT;
      auto* items = reinterpret_cast<int*>(lParam);
      if (!counting && !items) return LB_ERR;
      const int room = counting ? Rows() : static_cast<int>(std::min<WPARAM>(wParam, Rows()));
      int found = 0;
      for (int row = 0; row < Rows() && found < room; ++row) {
        if (!Selected(rows_.LineAt(row))) continue;
        if (!counting) items[found] = row;
        ++found;
      }
      return found;
    }
    case LB_SETSEL: {
      const int row = static_cast<int>(lParam);
      if (row == -1) {
        SelectRows(0, Rows() - 1, wParam != FALSE);
      } else if (row >= 0 && row < Rows()) {
        SelectRows(row, row, wParam != FALSE);
      } else {
        return LB_ERR;
      }
      return 0;
    }
    case LB_SELITEMRANGE:
      SelectRows(LOWORD(lParam), HIWORD(lParam), wParam != FALSE);
      return 0;
    case LB_SELITEMRANGEEX: {
      // The first position larger than the last deselects, from the last to the first.
      const int first = static_cast<int>(wParam);
      const int last = static_cast<int>(lParam);
      if (first <= last) {
        SelectRows(first, last, true);
      } else {
        SelectRows(last, first, false);
      }
      return 0;
    }
    default:
      return std::nullopt;
  }
}

int ListBoxUrlList::FocusIndex() const {
  if (Rows() == 0) return -1;
  return rows_.LineAt(std::clamp(static_cast<int>(Send(LB_GETCARETINDEX)), 0, Rows() - 1));
}

void ListBoxUrlList::SetFocusIndex(int index) {
  if (index >= 0 && index < Count() && Rows() > 0) {
    Send(LB_SETCARETINDEX, NearestRow(index), FALSE);
  }
}

int ListBoxUrlList::TopIndex() const {
  if (Rows() == 0) return 0;
  return rows_.LineAt(std::clamp(static_cast<int>(Send(LB_GETTOPINDEX)), 0, Rows() - 1));
}

void ListBoxUrlList::SetTopIndex(int index) {
  if (index >= 0 && index < Count() && Rows() > 0) Send(LB_SETTOPINDEX, NearestRow(index));
}

bool ListBoxUrlList::AppendLine(std::u16string_view text) {
  return InsertLine(Count(), text);
}

int ListBoxUrlList::AppendLines(const std::vector<std::u16string>& lines, bool select) {
  const int first = Count();
  const int firstRow = Rows();
  const std::size_t room = static_cast<std::size_t>(kMaxListLines - first);
  const std::size_t n = std::min(lines.size(), room);
  if (n == 0) return 0;
  const LRESULT set = Send(LB_SETCOUNT, static_cast<WPARAM>(firstRow) + n);
  if (set == LB_ERR || set == LB_ERRSPACE) return 0;
  lines_.insert(lines_.end(), lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(n));
  selected_.resize(lines_.size(), select ? 1 : 0);
  rows_.Appended(first, static_cast<int>(n));
  if (select) SelectionChanged();
  return static_cast<int>(n);
}

bool ListBoxUrlList::InsertLine(int index, std::u16string_view text) {
  if (Count() >= kMaxListLines || index < 0 || index > Count()) return false;
  const LRESULT at = Send(LB_INSERTSTRING, rows_.RowFrom(index), 0);
  if (at == LB_ERR || at == LB_ERRSPACE) return false;
  lines_.insert(lines_.begin() + index, std::u16string(text));
  selected_.insert(selected_.begin() + index, 0);
  rows_.Inserted(index);
  return true;
}

void ListBoxUrlList::RemoveLine(int index) {
  if (index < 0 || index >= Count()) return;
  if (const int row = rows_.RowOf(index); row >= 0) Send(LB_DELETESTRING, row);
  const bool wasSelected = selected_[static_cast<std::size_t>(index)] != 0;
  lines_.erase(lines_.begin() + index);
  selected_.erase(selected_.begin() + index);
  rows_.Removed(index);
  if (wasSelected) SelectionChanged();
}

void ListBoxUrlList::Clear() {
  Send(LB_RESETCONTENT);
  const bool anySelected = SelectedCount() > 0;
  lines_.clear();
  selected_.clear();
  rows_.Cleared();
  if (anySelected) SelectionChanged();
}

int ListBoxUrlList::ReplaceAll(const std::vector<std::u16string>& lines) {
  RedrawSuspension hidden(*this);
  const int top = TopIndex();
  const int focus = FocusIndex();
  const int before = Count();
  Send(LB_RESETCONTENT);
  lines_.clear();
  selected_.clear();
  SelectionChanged();
  const std::size_t n = std::min<std::size_t>(lines.size(), kMaxListLines);
  rows_.Resized(before, static_cast<int>(n));
  if (n == 0) return 0;
  lines_.assign(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(n));
  selected_.assign(n, 0);
  if (Rows() > 0) {
    const LRESULT set = Send(LB_SETCOUNT, static_cast<WPARAM>(Rows()));
    if (set == LB_ERR || set == LB_ERRSPACE) {
      lines_.clear();
      selected_.clear();
      rows_.Cleared();
      return 0;
    }
  }
  SetTopIndex(std::clamp(top, 0, Count() - 1));
  SetFocusIndex(std::clamp(focus, 0, Count() - 1));
  return Count();
}

void ListBoxUrlList::RemoveLines(const std::vector<int>& positions) {
  if (positions.empty()) return;
  RedrawSuspension hidden(*this);
  const int top = TopIndex();
  const int focus = FocusIndex();
  const auto removedBefore = static_cast<int>(
      std::lower_bound(positions.begin(), positions.end(), focus) - positions.begin());
  std::size_t next = 0;  // the next position removed
  std::size_t kept = 0;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (next < positions.size() && static_cast<std::size_t>(positions[next]) == i) {
      ++next;
      continue;
    }
    if (kept != i) {
      lines_[kept] = std::move(lines_[i]);
      selected_[kept] = selected_[i];
    }
    ++kept;
  }
  lines_.resize(kept);
  selected_.resize(kept);
  if (const auto* shown = rows_.Shown()) rows_.Set(PositionsAfterRemoval(*shown, positions));
  SelectionChanged();
  Send(LB_RESETCONTENT);
  if (Rows() == 0) return;
  Send(LB_SETCOUNT, static_cast<WPARAM>(Rows()));
  SetTopIndex(std::clamp(top, 0, Count() - 1));
  SetFocusIndex(std::clamp(focus - removedBefore, 0, Count() - 1));
}

void ListBoxUrlList::Reorder(const std::vector<int>& order) {
  std::vector<std::u16string> reordered;
  reordered.reserve(order.size());
  for (const int from : order)
    reordered.push_back(std::move(lines_[static_cast<std::size_t>(from)]));
  lines_ = std::move(reordered);
  if (const auto* shown = rows_.Shown()) rows_.Set(ShownAfterReorder(*shown, order));
  // The rows stay as they are and draw other lines: the list is drawn again with the
  // selection it loses.
  selected_.assign(lines_.size(), 0);
  SelectionChanged();
}

void ListBoxUrlList::ShowOnly(std::optional<std::vector<int>> lines) {
  RedrawSuspension hidden(*this);
  const int top = TopIndex();
  const int focus = FocusIndex();
  rows_.Set(std::move(lines));
  Send(LB_RESETCONTENT);
  if (Rows() == 0) return;
  Send(LB_SETCOUNT, static_cast<WPARAM>(Rows()));
  SetTopIndex(std::max(top, 0));
  if (focus >= 0) SetFocusIndex(focus);
}

void ListBoxUrlList::SuspendListRedraw() {
  if (suspended_++ == 0) Send(WM_SETREDRAW, FALSE);
}

void ListBoxUrlList::ResumeListRedraw() {
  if (suspended_ == 0 || --suspended_ != 0) return;
  Send(WM_SETREDRAW, TRUE);
  InvalidateRect(list_, nullptr, TRUE);
}

}  // namespace cardo
