#pragma once
// One extraction run into the URL list: the file scanned in the chosen mode with the list
// hidden, every candidate through the filter gate.
#include <string>
#include <string_view>

#include "app/extract/url_scanner.h"
#include "app/shell/list_document.h"
#include "app/shell/url_list.h"

namespace cardo {

struct ExtractOutcome {
  bool opened = false;  // false: the file could not be opened, nothing was read
  int refused = 0;      // appends the full list refused
};

ExtractOutcome ExtractUrlsToList(const std::u16string& path, const ExtractOptions& options,
                                 std::u16string_view filterText, UrlList& list,
                                 ListDocument& document);

}  // namespace cardo
