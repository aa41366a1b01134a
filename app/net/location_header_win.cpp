#include "app/net/location_header_win.h"

#include <cstdint>
#include <vector>

#include "app/platform/codec.h"
#include "app/platform/wide_text_win.h"

namespace cardo {
namespace {

// WinHttpQueryHeadersEx and its types, newer than the SDK headers the program builds with; bound
// by name, since older systems (and Wine) have no such function.
union HeaderText {
  const wchar_t* wide;
  const char* bytes;
};
struct ExtendedHeader {
  HeaderText name, value;
};
using QueryHeadersEx = DWORD(WINAPI*)(HINTERNET request, DWORD infoLevel, ULONGLONG flags,
                                      UINT codePage, DWORD* index, HeaderText* name, void* buffer,
                                      DWORD* bufferBytes, ExtendedHeader** headers,
                                      DWORD* headerCount);
constexpr DWORD kWireEncoding = 0x01000000;  // WINHTTP_QUERY_FLAG_WIRE_ENCODING

// The bytes as sent, or false when the system cannot give them.
bool WireLocation(HINTERNET request, std::string& bytes) {
  const auto query = reinterpret_cast<QueryHeadersEx>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleW(L"winhttp.dll"), "WinHttpQueryHeadersEx")));
  if (!query) return false;
  const DWORD level = WINHTTP_QUERY_LOCATION | kWireEncoding;
  DWORD size = 0, count = 0;
  ExtendedHeader* headers = nullptr;
  DWORD error = query(request, level, 0, 0, nullptr, nullptr, nullptr, &size, &headers, &count);
  if (error == ERROR_WINHTTP_HEADER_NOT_FOUND) {
    bytes.clear();
    return true;
  }
  if (error != ERROR_INSUFFICIENT_BUFFER || size == 0) return false;
  // The buffer holds the header array as well as the texts: pointer-aligned.
  std::vector<std::uintptr_t> buffer(size / sizeof(std::uintptr_t) + 1);
  size = static_cast<DWORD>(buffer.size() * sizeof(std::uintptr_t));
  headers = nullptr;
  count = 0;
  error = query(request, level, 0, 0, nullptr, nullptr, buffer.data(), &size, &headers, &count);
  if (error != ERROR_SUCCESS || count == 0 || !headers || !headers[0].value.bytes) return false;
  bytes = headers[0].value.bytes;
  return true;
}

}  // namespace

std::optional<std::string> LocationHeaderBytes(HINTERNET request, const std::u16string& decoded) {
  std::string bytes;
  if (WireLocation(request, bytes)) return bytes;
  // The code page's text for bytes it could not decode.
  if (decoded.find(u'\u30FB') != std::u16string::npos) return std::nullopt;
  return WideToAnsi(decoded);
}

std::u16string QueryHeaderText(HINTERNET request, DWORD info) {
  DWORD bytes = 0;
  WinHttpQueryHeaders(request, info, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &bytes,
                      WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) return {};
  std::wstring text(bytes / sizeof(wchar_t), L'\0');
  if (!WinHttpQueryHeaders(request, info, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &bytes,
                           WINHTTP_NO_HEADER_INDEX)) {
    return {};
  }
  text.resize(bytes / sizeof(wchar_t));
  return U(text);
}

}  // namespace cardo
