#pragma once
// The expansion window's call of the library's SpreadURL, behind a function type so tests can
// stand in for the library.
#include <windows.h>

#include <functional>
#include <string>
#include <string_view>

#include "app/platform/bound_library_win.h"

namespace cardo {

struct SpreadCall {
  enum class Status { Done, NoLibrary, Failed };
  Status status = Status::Done;
  long code = 0;            // Done: the library's result code
  std::string result;       // Done, code 0: the lines in the system code page, cut at CR LF
  unsigned long error = 0;  // Failed: the error number and its description
  std::u16string errorText;
};

// Expands one line (system code page) with the library's progress window over `owner`.
using SpreadFunction = std::function<SpreadCall(HWND owner, std::string_view line)>;

// SpreadURL of `library`, bound at its first call.
SpreadFunction LibrarySpread(BoundLibrary& library);

}  // namespace cardo
