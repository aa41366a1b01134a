#pragma once
// The one gate between the scanner and the URL list: each candidate is appended as many times
// as the filter says, and every append marks the list modified.
#include <string>
#include <string_view>

#include "app/shell/list_document.h"
#include "app/shell/url_list.h"

namespace cardo {

// Returns how many appends the full list refused.
int AddUrlIfMatched(const std::u16string& url, std::u16string_view filterText, UrlList& list,
                    ListDocument& document);

}  // namespace cardo
