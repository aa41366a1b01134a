#pragma once
// The Location header of a WinHTTP answer as the bytes the server sent: servers write raw
// UTF-8 there, and WinHTTP's text is those bytes read in the ANSI code page.
#include <windows.h>

#include <winhttp.h>

#include <optional>
#include <string>

namespace cardo {

// The header's bytes from the system when it can give them as sent (Windows 10 version 2004
// on); else `decoded`, the header as WinHttpQueryHeaders gave it, turned back into the code
// page's bytes: exact for every byte sequence the code page decodes. Raw bytes it could not
// decode (UTF-8 that is no code page 932 text, where a lead byte met no trail byte and took the
// next byte with it) came as the code page's replacement character and cannot be told back:
// nothing then, so that the download fails instead of asking for another address. Empty when
// there is no such header.
std::optional<std::string> LocationHeaderBytes(HINTERNET request, const std::u16string& decoded);

// A header of the answer to `request` (WINHTTP_QUERY_...) as the system reads it; empty when
// there is none.
std::u16string QueryHeaderText(HINTERNET request, DWORD info);

}  // namespace cardo
