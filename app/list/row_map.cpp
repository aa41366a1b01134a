#include "app/list/row_map.h"

#include <algorithm>

namespace cardo {

int RowMap::RowFrom(int line) const {
  if (!shown_) return std::max(line, 0);
  return static_cast<int>(std::lower_bound(shown_->begin(), shown_->end(), line) - shown_->begin());
}

int RowMap::RowOf(int line) const {
  const int row = RowFrom(line);
  if (!shown_) return row;
  return row < Rows(0) && (*shown_)[static_cast<std::size_t>(row)] == line ? row : -1;
}

void RowMap::Inserted(int line) {
  if (!shown_) return;
  const auto at = std::lower_bound(shown_->begin(), shown_->end(), line);
  for (auto moved = at; moved != shown_->end(); ++moved) ++*moved;
  shown_->insert(at, line);
}

int RowMap::Removed(int line) {
  if (!shown_) return line;
  const int row = RowOf(line);
  auto at = std::lower_bound(shown_->begin(), shown_->end(), line);
  if (row >= 0) at = shown_->erase(at);
  for (; at != shown_->end(); ++at) --*at;
  return row;
}

void RowMap::Appended(int before, int count) {
  if (!shown_) return;
  for (int i = 0; i < count; ++i) shown_->push_back(before + i);
}

void RowMap::Resized(int before, int count) {
  if (!shown_) return;
  shown_->erase(std::lower_bound(shown_->begin(), shown_->end(), count), shown_->end());
  Appended(before, count - before);
}

std::vector<int> PositionsAfterRemoval(const std::vector<int>& lines,
                                       const std::vector<int>& removed) {
  std::vector<int> kept;
  kept.reserve(lines.size());
  std::size_t gone = 0;  // removed positions before the line at hand
  for (const int line : lines) {
    while (gone < removed.size() && removed[gone] < line) ++gone;
    if (gone < removed.size() && removed[gone] == line) continue;
    kept.push_back(line - static_cast<int>(gone));
  }
  return kept;
}

std::vector<int> ShownAfterReorder(const std::vector<int>& shown, const std::vector<int>& order) {
  std::vector<bool> was(order.size(), false);
  for (const int line : shown) was[static_cast<std::size_t>(line)] = true;
  std::vector<int> now;
  now.reserve(shown.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    if (was[static_cast<std::size_t>(order[i])]) now.push_back(static_cast<int>(i));
  }
  return now;
}

}  // namespace cardo
