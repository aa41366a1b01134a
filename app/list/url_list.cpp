#include "app/list/url_list.h"

#include <algorithm>

#include "app/list/row_map.h"

namespace cardo {

void UrlList::RemoveLines(const std::vector<int>& positions) {
  if (positions.empty()) return;
  const auto& lines = LineRefs();
  std::vector<std::u16string> kept;
  kept.reserve(lines.size() - std::min(positions.size(), lines.size()));
  std::size_t next = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (next < positions.size() && positions[next] == static_cast<int>(i)) {
      ++next;
    } else {
      kept.push_back(lines[i]);
    }
  }
  // Removing one by one costs O(n) each in a list box; rebuilding is linear overall.
  const int focus = FocusIndex();
  const auto removedBefore =
      std::lower_bound(positions.begin(), positions.end(), focus) - positions.begin();
  // The rebuilt list shows what it showed, less what went, selected as it was.
  std::optional<std::vector<int>> shown;
  if (const auto* now = ShownLines()) shown = PositionsAfterRemoval(*now, positions);
  const auto selected = PositionsAfterRemoval(SelectedIndices(), positions);
  ReplaceAll(kept);
  if (shown) ShowOnly(std::move(shown));
  SetLinesSelected(*this, selected, true);
  if (!kept.empty()) {
    SetFocusIndex(std::min(focus - static_cast<int>(removedBefore), Count() - 1));
  }
}

void SetLinesSelected(UrlList& list, const std::vector<int>& lines, bool selected) {
  for (std::size_t i = 0; i < lines.size();) {
    std::size_t j = i;
    while (j + 1 < lines.size() && lines[j + 1] == lines[j] + 1) ++j;
    list.SetRangeSelected(lines[i], lines[j], selected);
    i = j + 1;
  }
}

void UrlList::Reorder(const std::vector<int>& order) {
  const auto& lines = LineRefs();
  std::vector<std::u16string> reordered;
  reordered.reserve(order.size());
  for (const int from : order) reordered.push_back(lines[static_cast<std::size_t>(from)]);
  std::optional<std::vector<int>> shown;
  if (const auto* now = ShownLines()) shown = ShownAfterReorder(*now, order);
  ReplaceAll(reordered);
  if (shown) ShowOnly(std::move(shown));
}

}  // namespace cardo
