#include "app/extract/filter_gate.h"

namespace cardo {

void AddUrlIfMatched(std::u16string_view url, const CompiledFilter& filter, PendingLines& pending) {
  for (int n = filter.AppendCount(url); n > 0 && pending.Add(url); --n) {
  }
}

}  // namespace cardo
