#include <io.h>
#include <windows.h>

#include <algorithm>

#include "app/platform/text.h"
#include "cli/console.h"

namespace cardo::cli {
namespace {

HANDLE HandleOf(std::FILE* stream) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
}

}  // namespace

bool IsConsole(std::FILE* stream) {
  DWORD mode = 0;
  const HANDLE handle = HandleOf(stream);
  return GetFileType(handle) == FILE_TYPE_CHAR && GetConsoleMode(handle, &mode) != FALSE;
}

bool WriteToConsole(std::FILE* stream, std::string_view text) {
  const std::u16string wide = Utf8ToUtf16(text);
  const HANDLE handle = HandleOf(stream);
  // A console takes a limited amount in one call.
  constexpr std::size_t kPiece = 8192;
  for (std::size_t at = 0; at < wide.size();) {
    std::size_t take = std::min(kPiece, wide.size() - at);
    if (at + take < wide.size() && wide[at + take - 1] >= 0xD800 && wide[at + take - 1] <= 0xDBFF)
      --take;
    DWORD written = 0;
    if (!WriteConsoleW(handle, wide.data() + at, static_cast<DWORD>(take), &written, nullptr) ||
        written == 0) {
      return false;
    }
    at += written;
  }
  return true;
}

}  // namespace cardo::cli
