#pragma once
// The one gate between the scanner and the URL list: each candidate is offered to the list as
// many times as the filter says.
#include <string>
#include <string_view>

#include "app/extract/wildcard_filter.h"
#include "app/list/pending_lines.h"

namespace cardo {

void AddUrlIfMatched(std::u16string_view url, const CompiledFilter& filter, PendingLines& pending);

}  // namespace cardo
