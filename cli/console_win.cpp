#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "app/platform/text.h"
#include "cli/console.h"
#include "cli/messages.h"

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

bool IsPipeOrTerminal(std::FILE* stream) {
  const DWORD type = GetFileType(HandleOf(stream));
  return type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR;
}

bool WriteFoundPipeClosed() {
  const DWORD error = GetLastError();
  return errno == EPIPE || error == ERROR_BROKEN_PIPE || error == ERROR_NO_DATA;
}

void EndAsClosedPipeEnds() {
  // What a Unix shell shows for a tool a closed pipe ended, as Git for Windows does.
  ExitProcess(141);
}

Language LocaleLanguage() {
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_ENGLISH ? Language::English
                                                                   : Language::Japanese;
}

}  // namespace cardo::cli
