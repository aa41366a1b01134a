#include "app/shell/memory_url_list.h"

#include <algorithm>

namespace cardo {

std::u16string MemoryUrlList::Line(int index) const {
  return Valid(index) ? lines_[static_cast<std::size_t>(index)].text : std::u16string();
}

std::vector<std::u16string> MemoryUrlList::Lines() const {
  std::vector<std::u16string> out;
  out.reserve(lines_.size());
  for (const auto& row : lines_) out.push_back(row.text);
  return out;
}

bool MemoryUrlList::Selected(int index) const {
  return Valid(index) && lines_[static_cast<std::size_t>(index)].selected;
}

std::vector<int> MemoryUrlList::SelectedIndices() const {
  std::vector<int> out;
  for (int i = 0; i < Count(); ++i) {
    if (lines_[static_cast<std::size_t>(i)].selected) out.push_back(i);
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
  if (Valid(index)) lines_[static_cast<std::size_t>(index)].selected = selected;
}

void MemoryUrlList::SetAllSelected(bool selected) {
  for (auto& row : lines_) row.selected = selected;
}

void MemoryUrlList::SetFocusIndex(int index) {
  if (Valid(index)) focus_ = index;
}

bool MemoryUrlList::AppendLine(std::u16string_view text) {
  return InsertLine(Count(), text);
}

int MemoryUrlList::AppendLines(const std::vector<std::u16string>& lines, bool select) {
  const std::size_t room = static_cast<std::size_t>(kMaxListLines - Count());
  const std::size_t n = std::min(lines.size(), room);
  for (std::size_t i = 0; i < n; ++i) lines_.push_back(Row{lines[i], select});
  return static_cast<int>(n);
}

bool MemoryUrlList::InsertLine(int index, std::u16string_view text) {
  if (Count() >= kMaxListLines || index < 0 || index > Count()) return false;
  lines_.insert(lines_.begin() + index, Row{std::u16string(text), false});
  if (index <= focus_ && Count() > 1) ++focus_;
  return true;
}

void MemoryUrlList::RemoveLine(int index) {
  if (!Valid(index)) return;
  lines_.erase(lines_.begin() + index);
  if (index < focus_) --focus_;
  focus_ = std::clamp(focus_, 0, std::max(Count() - 1, 0));
  top_ = std::clamp(top_, 0, std::max(Count() - 1, 0));
}

void MemoryUrlList::Clear() {
  lines_.clear();
  focus_ = 0;
  top_ = 0;
}

int MemoryUrlList::ReplaceAll(const std::vector<std::u16string>& lines) {
  Clear();
  const std::size_t n = std::min<std::size_t>(lines.size(), kMaxListLines);
  lines_.reserve(n);
  for (std::size_t i = 0; i < n; ++i) lines_.push_back(Row{lines[i], false});
  return static_cast<int>(n);
}

}  // namespace cardo
