#include "app/shell/listbox_url_list.h"

#include <algorithm>

namespace cardo {
namespace {

LPARAM TextParam(const std::u16string& text) {
  return reinterpret_cast<LPARAM>(reinterpret_cast<const wchar_t*>(text.c_str()));
}

}  // namespace

std::u16string ListBoxUrlList::Line(int index) const {
  return index >= 0 && index < Count() ? lines_[static_cast<std::size_t>(index)]
                                       : std::u16string();
}

bool ListBoxUrlList::Selected(int index) const { return Send(LB_GETSEL, index) > 0; }

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

int ListBoxUrlList::TopIndex() const { return static_cast<int>(Send(LB_GETTOPINDEX)); }

bool ListBoxUrlList::AppendLine(std::u16string_view text) { return InsertLine(Count(), text); }

bool ListBoxUrlList::InsertLine(int index, std::u16string_view text) {
  if (Count() >= kMaxListLines || index < 0 || index > Count()) return false;
  std::u16string line(text);
  const LRESULT at = index == Count() ? Send(LB_ADDSTRING, 0, TextParam(line))
                                      : Send(LB_INSERTSTRING, index, TextParam(line));
  if (at == LB_ERR || at == LB_ERRSPACE) return false;
  lines_.insert(lines_.begin() + index, std::move(line));
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
  Clear();
  const std::size_t n = std::min<std::size_t>(lines.size(), kMaxListLines);
  lines_.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    const LRESULT at = Send(LB_ADDSTRING, 0, TextParam(lines[i]));
    if (at == LB_ERR || at == LB_ERRSPACE) break;
    lines_.push_back(lines[i]);
  }
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
