#include "bench/literal_list_ops.h"

#include <random>
#include <utility>

namespace cardo::bench {

void LiteralSort(UrlList& list, bool descending) {
  if (list.Count() == 0) return;
  RedrawSuspension hidden(list);
  list.SetAllSelected(false);
  auto a = list.Lines();
  const std::size_t n = a.size();
  for (std::size_t k = 0; k + 1 < n; ++k) {
    for (std::size_t l = k + 1; l < n; ++l) {
      const bool swap = descending ? a[k] < a[l] : a[l] < a[k];
      if (swap) std::swap(a[k], a[l]);
    }
  }
  for (std::size_t i = 0; i < n; ++i) {
    list.RemoveLine(static_cast<int>(i));
    list.InsertLine(static_cast<int>(i), a[i]);
  }
}

void LiteralShuffle(UrlList& list, std::uint32_t seed) {
  if (list.Count() == 0) return;
  RedrawSuspension hidden(list);
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> fraction(0.0, 1.0);
  const auto a = list.Lines();
  std::vector<bool> taken(a.size(), false);
  list.Clear();
  for (std::size_t left = a.size(); left >= 1; --left) {
    const auto r = static_cast<std::size_t>(fraction(rng) * static_cast<double>(left));
    std::size_t count = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
      if (taken[i]) continue;
      if (count == r) {
        taken[i] = true;
        list.AppendLine(a[i]);
        break;
      }
      ++count;
    }
  }
}

void LiteralRemoveDuplicates(UrlList& list) {
  if (list.Count() < 2) return;
  RedrawSuspension hidden(list);
  auto a = list.Lines();
  for (std::size_t j = 0; j + 1 < a.size(); ++j) {
    if (a[j].empty()) continue;
    for (std::size_t l = j + 1; l < a.size(); ++l) {
      if (a[l] == a[j]) a[l].clear();
    }
  }
  list.Clear();
  for (const auto& line : a) {
    if (!line.empty()) list.AppendLine(line);
  }
}

}  // namespace cardo::bench
