#pragma once
// The dialog's rule between the filter and the URL list: a URL is offered once for every
// pattern of an all-positive filter that matches it ("*.zip;*.*" lists a zip twice), until the
// list is full. A paste differs on purpose: each URL once (PasteLinksToList).
#include <string_view>

#include "app/list/pending_lines.h"

namespace cardo {

// `appends` as CompiledFilter::AppendCount gives it.
void AddOncePerMatchingPattern(std::u16string_view url, int appends, PendingLines& pending);

}  // namespace cardo
