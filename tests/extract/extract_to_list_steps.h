#pragma once
// The extraction window's two steps in a row, as a test on the list's thread takes them: the
// file's URLs gathered, then added to the list.
#include <string>
#include <string_view>

#include "app/extract/extract_to_list.h"

namespace cardo::testing {

inline ExtractResult ExtractUrlsToList(const std::u16string& path, const ExtractOptions& options,
                                       std::u16string_view filterText, ShellContext& shell,
                                       std::string_view contentType = {}) {
  PendingLines pending(shell.list);
  const ExtractResult result = GatherUrlsFromFile(path, options, filterText, pending, contentType);
  AddGatheredToList(pending, shell);
  return result;
}

}  // namespace cardo::testing
