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
  const int row = rows_.RowOf(index);
  return row >= 0 && row < Rows() && Send(LB_GETSEL, row) > 0;
}

std::vector<int> ListBoxUrlList::SelectedIndices() const {
  const LRESULT count = Send(LB_GETSELCOUNT);
  if (count <= 0) return {};
  std::vector<int> indices(static_cast<std::size_t>(count));
  const LRESULT got =
      Send(LB_GETSELITEMS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(indices.data()));
  indices.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  std::sort(indices.begin(), indices.end());
  for (int& index : indices) index = rows_.LineAt(index);
  return indices;
}

int ListBoxUrlList::SelectedCount() const {
  const LRESULT count = Send(LB_GETSELCOUNT);
  return count > 0 ? static_cast<int>(count) : 0;
}

void ListBoxUrlList::SetRangeSelected(int first, int last, bool selected) {
  first = std::max(first, 0);
  last = std::min(last, Count() - 1);
  if (first > last) return;
  SelectRows(rows_.RowFrom(first), rows_.RowFrom(last + 1) - 1, selected);
}

void ListBoxUrlList::SelectRows(int first, int last, bool selected) {
  if (first > last) return;
  // LB_SELITEMRANGEEX deselects when its first position is the larger one, and selects when
  // both are equal, so a single position goes through LB_SETSEL.
  if (first == last) {
    Send(LB_SETSEL, selected ? TRUE : FALSE, first);
  } else if (selected) {
    Send(LB_SELITEMRANGEEX, first, last);
  } else {
    Send(LB_SELITEMRANGEEX, last, first);
  }
}

void ListBoxUrlList::SetSelected(int index, bool selected) {
  if (index < 0 || index >= Count()) return;
  if (const int row = rows_.RowOf(index); row >= 0) Send(LB_SETSEL, selected ? TRUE : FALSE, row);
}

void ListBoxUrlList::SetAllSelected(bool selected) {
  if (Rows() > 0) Send(LB_SETSEL, selected ? TRUE : FALSE, -1);
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
  // A larger count keeps the selection of the lines already there.
  const LRESULT set = Send(LB_SETCOUNT, static_cast<WPARAM>(firstRow) + n);
  if (set == LB_ERR || set == LB_ERRSPACE) return 0;
  lines_.insert(lines_.end(), lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(n));
  rows_.Appended(first, static_cast<int>(n));
  if (select) Send(LB_SELITEMRANGEEX, firstRow, firstRow + static_cast<int>(n) - 1);
  return static_cast<int>(n);
}

bool ListBoxUrlList::InsertLine(int index, std::u16string_view text) {
  if (Count() >= kMaxListLines || index < 0 || index > Count()) return false;
  const LRESULT at = Send(LB_INSERTSTRING, rows_.RowFrom(index), 0);
  if (at == LB_ERR || at == LB_ERRSPACE) return false;
  lines_.insert(lines_.begin() + index, std::u16string(text));
  rows_.Inserted(index);
  return true;
}

void ListBoxUrlList::RemoveLine(int index) {
  if (index < 0 || index >= Count()) return;
  if (const int row = rows_.RowOf(index); row >= 0) Send(LB_DELETESTRING, row);
  lines_.erase(lines_.begin() + index);
  rows_.Removed(index);
}

void ListBoxUrlList::Clear() {
  Send(LB_RESETCONTENT);
  lines_.clear();
  rows_.Cleared();
}

int ListBoxUrlList::ReplaceAll(const std::vector<std::u16string>& lines) {
  RedrawSuspension hidden(*this);
  const int top = TopIndex();
  const int focus = FocusIndex();
  const int before = Count();
  Send(LB_RESETCONTENT);
  lines_.clear();
  const std::size_t n = std::min<std::size_t>(lines.size(), kMaxListLines);
  rows_.Resized(before, static_cast<int>(n));
  if (n == 0) return 0;
  lines_.assign(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(n));
  if (Rows() > 0) {
    const LRESULT set = Send(LB_SETCOUNT, static_cast<WPARAM>(Rows()));
    if (set == LB_ERR || set == LB_ERRSPACE) {
      lines_.clear();
      rows_.Cleared();
      return 0;
    }
  }
  SetTopIndex(std::clamp(top, 0, Count() - 1));
  SetFocusIndex(std::clamp(focus, 0, Count() - 1));
  return Count();
}

void ListBoxUrlList::ShowOnly(std::optional<std::vector<int>> lines) {
  RedrawSuspension hidden(*this);
  const auto selected = SelectedIndices();
  const int top = TopIndex();
  const int focus = FocusIndex();
  rows_.Set(std::move(lines));
  Send(LB_RESETCONTENT);
  if (Rows() == 0) return;
  Send(LB_SETCOUNT, static_cast<WPARAM>(Rows()));
  // The lines that stay shown keep their selection, a run of rows at a time.
  std::vector<int> rows;
  for (const int line : selected) {
    if (const int row = rows_.RowOf(line); row >= 0) rows.push_back(row);
  }
  for (std::size_t i = 0; i < rows.size();) {
    std::size_t j = i;
    while (j + 1 < rows.size() && rows[j + 1] == rows[j] + 1) ++j;
    SelectRows(rows[i], rows[j], true);
    i = j + 1;
  }
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
