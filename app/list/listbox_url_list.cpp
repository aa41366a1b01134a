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
  if (suspended_ > 0) return;
  RECT row{};
  if (Send(LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&row)) != LB_ERR) {
    InvalidateRect(list_, &row, TRUE);
  }
}

bool ListBoxUrlList::Selected(int index) const {
  return Send(LB_GETSEL, index) > 0;
}

std::vector<int> ListBoxUrlList::SelectedIndices() const {
  const LRESULT count = Send(LB_GETSELCOUNT);
  if (count <= 0) return {};
  std::vector<int> indices(static_cast<std::size_t>(count));
  const LRESULT got =
      Send(LB_GETSELITEMS, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(indices.data()));
  indices.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
  std::sort(indices.begin(), indices.end());
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
  if (index >= 0 && index < Count()) Send(LB_SETSEL, selected ? TRUE : FALSE, index);
}

void ListBoxUrlList::SetAllSelected(bool selected) {
  if (Count() > 0) Send(LB_SETSEL, selected ? TRUE : FALSE, -1);
}

int ListBoxUrlList::FocusIndex() const {
  if (lines_.empty()) return -1;
  return std::clamp(static_cast<int>(Send(LB_GETCARETINDEX)), 0, Count() - 1);
}

void ListBoxUrlList::SetFocusIndex(int index) {
  if (index >= 0 && index < Count()) Send(LB_SETCARETINDEX, index, FALSE);
}

int ListBoxUrlList::TopIndex() const {
  return static_cast<int>(Send(LB_GETTOPINDEX));
}

void ListBoxUrlList::SetTopIndex(int index) {
  if (index >= 0 && index < Count()) Send(LB_SETTOPINDEX, index);
}

bool ListBoxUrlList::AppendLine(std::u16string_view text) {
  return InsertLine(Count(), text);
}

int ListBoxUrlList::AppendLines(const std::vector<std::u16string>& lines, bool select) {
  const int first = Count();
  const std::size_t room = static_cast<std::size_t>(kMaxListLines - first);
  const std::size_t n = std::min(lines.size(), room);
  if (n == 0) return 0;
  // A larger count keeps the selection of the lines already there.
  const LRESULT set = Send(LB_SETCOUNT, static_cast<WPARAM>(first) + n);
  if (set == LB_ERR || set == LB_ERRSPACE) return 0;
  lines_.insert(lines_.end(), lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(n));
  if (select) Send(LB_SELITEMRANGEEX, first, first + static_cast<int>(n) - 1);
  return static_cast<int>(n);
}

bool ListBoxUrlList::InsertLine(int index, std::u16string_view text) {
  if (Count() >= kMaxListLines || index < 0 || index > Count()) return false;
  const LRESULT at = Send(LB_INSERTSTRING, index, 0);
  if (at == LB_ERR || at == LB_ERRSPACE) return false;
  lines_.insert(lines_.begin() + index, std::u16string(text));
  return true;
}

void ListBoxUrlList::RemoveLine(int index) {
  if (index < 0 || index >= Count()) return;
  Send(LB_DELETESTRING, index);
  lines_.erase(lines_.begin() + index);
}

void ListBoxUrlList::Clear() {
  Send(LB_RESETCONTENT);
  lines_.clear();
}

int ListBoxUrlList::ReplaceAll(const std::vector<std::u16string>& lines) {
  RedrawSuspension hidden(*this);
  const int top = TopIndex();
  const int focus = FocusIndex();
  Clear();
  const std::size_t n = std::min<std::size_t>(lines.size(), kMaxListLines);
  if (n == 0) return 0;
  const LRESULT set = Send(LB_SETCOUNT, n);
  if (set == LB_ERR || set == LB_ERRSPACE) return 0;
  lines_.assign(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(n));
  SetTopIndex(std::clamp(top, 0, Count() - 1));
  SetFocusIndex(std::clamp(focus, 0, Count() - 1));
  return Count();
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
