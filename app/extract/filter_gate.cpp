#include "app/extract/filter_gate.h"

namespace cardo {

void AddOncePerMatchingPattern(std::u16string_view url, int appends, PendingLines& pending) {
  for (int n = appends; n > 0 && pending.Add(url); --n) {
  }
}

}  // namespace cardo
