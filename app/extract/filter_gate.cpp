#include "app/extract/filter_gate.h"

#include "app/extract/wildcard_filter.h"

namespace cardo {

int AddUrlIfMatched(const std::u16string& url, std::u16string_view filterText, UrlList& list,
                    ListDocument& document) {
  int refused = 0;
  for (int n = FilterAppendCount(filterText, url); n > 0; --n) {
    if (!list.AppendLine(url)) {
      ++refused;
      continue;
    }
    document.MarkModified();
  }
  return refused;
}

}  // namespace cardo
