#include "app/extract/filter_gate.h"

#include "app/extract/wildcard_filter.h"

namespace cardo {

void AddUrlIfMatched(std::u16string_view url, std::u16string_view filterText,
                     PendingLines& pending) {
  for (int n = FilterAppendCount(filterText, url); n > 0 && pending.Add(url); --n) {
  }
}

}  // namespace cardo
