#include "app/list/memory_url_list.h"

#include <algorithm>

namespace cardo {

std::u16string MemoryUrlList::Line(int index) const {
  return Valid(index) ? lines_[static_cast<std::size_t>(index)] : std::u16string();
}

void MemoryUrlList::SetLine(int index, std::u16string text) {
  if (Valid(index)) lines_[static_cast<std::size_t>(index)] = std::move(text);
}

void MemoryUrlList::SetTopIndex(int index) {
  if (!Valid(index)) return;
  top_ = index;
  Settle();
}

void MemoryUrlList::Settle() {
  const int rows = Rows();
  if (rows == 0) return;
  focus_ = rows_.LineAt(std::min(rows_.RowFrom(focus_), rows - 1));
  top_ = rows_.LineAt(std::min(rows_.RowFrom(top_), rows - 1));
}

void MemoryUrlList::ShowOnly(std::optional<std::vector<int>> lines) {
  rows_.Set(std::move(lines));
  Settle();
}

bool MemoryUrlList::Selected(int index) const {
  return Valid(index) && selected_[static_cast<std::size_t>(index)];
}

std::vector<int> MemoryUrlList::SelectedIndices() const {
  std::vector<int> out;
  for (int i = 0; i < Count(); ++i) {
    if (selected_[static_cast<std::size_t>(i)]) out.push_back(i);
  }
  return out;
}

int MemoryUrlList::SelectedCount() const {
  return static_cast<int>(SelectedIndices().size());
}

void MemoryUrlList::SetRangeSelected(int first, int last, bool selected) {
  for (int i = std::max(first, 0); i <= last && i < Count(); ++i) SetSelected(i, selected);
}

void MemoryUrlList::SetSelected(int index, bool selected) {
  if (Valid(index)) selected_[static_cast<std::size_t>(index)] = selected;
}

void MemoryUrlList::SetAllSelected(bool selected) {
  selected_.assign(selected_.size(), selected);
}

void MemoryUrlList::SetFocusIndex(int index) {
  if (!Valid(index)) return;
  focus_ = index;
  Settle();
}

bool MemoryUrlList::AppendLine(std::u16string_view text) {
  return InsertLine(Count(), text);
}

int MemoryUrlList::AppendLines(const std::vector<std::u16string>& lines, bool select) {
  const std::size_t room = static_cast<std::size_t>(kMaxListLines - Count());
  const std::size_t n = std::min(lines.size(), room);
  rows_.Appended(Count(), static_cast<int>(n));
  lines_.insert(lines_.end(), lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(n));
  selected_.resize(lines_.size(), select);
  Settle();
  return static_cast<int>(n);
}

bool MemoryUrlList::InsertLine(int index, std::u16string_view text) {
  if (Count() >= kMaxListLines || index < 0 || index > Count()) return false;
  lines_.insert(lines_.begin() + index, std::u16string(text));
  selected_.insert(selected_.begin() + index, false);
  rows_.Inserted(index);
  if (index <= focus_ && Rows() > 1) ++focus_;
  Settle();
  return true;
}

void MemoryUrlList::RemoveLine(int index) {
  if (!Valid(index)) return;
  lines_.erase(lines_.begin() + index);
  selected_.erase(selected_.begin() + index);
  rows_.Removed(index);
  if (index < focus_) --focus_;
  focus_ = std::clamp(focus_, 0, std::max(Count() - 1, 0));
  top_ = std::clamp(top_, 0, std::max(Count() - 1, 0));
  Settle();
}

void MemoryUrlList::Clear() {
  lines_.clear();
  selected_.clear();
  rows_.Cleared();
  focus_ = 0;
  top_ = 0;
}

int MemoryUrlList::ReplaceAll(const std::vector<std::u16string>& lines) {
  const int top = top_;
  const int focus = focus_;
  const int before = Count();
  lines_.clear();
  selected_.clear();
  const std::size_t n = std::min<std::size_t>(lines.size(), kMaxListLines);
  rows_.Resized(before, static_cast<int>(n));
  top_ = std::clamp(top, 0, std::max(static_cast<int>(n) - 1, 0));
  focus_ = std::clamp(focus, 0, std::max(static_cast<int>(n) - 1, 0));
  lines_.assign(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(n));
  selected_.assign(n, false);
  Settle();
  return static_cast<int>(n);
}

}  // namespace cardo
