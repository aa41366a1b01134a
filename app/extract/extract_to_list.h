#pragma once
// One extraction run into the URL list: the file scanned in the chosen mode, every candidate
// through the filter gate, the list drawn once at the end and the list-full message said once.
#include <string>
#include <string_view>

#include "app/extract/url_scanner.h"
#include "app/list/shell_context.h"

namespace cardo {

enum class ExtractResult {
  Done,
  Unreadable,   // the file could not be opened; nothing was read
  OutOfMemory,  // a line too long for the memory left: the URLs before it are in the list
};
// The file is read as UTF-8 when it declares so, or when `contentType` (a server's, for a
// downloaded page) does (page_encoding.h); otherwise in code page 932.
ExtractResult ExtractUrlsToList(const std::u16string& path, const ExtractOptions& options,
                                std::u16string_view filterText, ShellContext& shell,
                                std::string_view contentType = {});

}  // namespace cardo
