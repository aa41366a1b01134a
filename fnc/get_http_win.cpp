// GetHTTP: the HTTP client as the library exports it. Both arguments are pointers to pointers
// to zero-terminated ANSI strings; the report lines go to the standard error stream in the
// ANSI code page.
#include <windows.h>

#include <cstdio>
#include <string>

#include "fnc/http_client.h"
#include "fnc/http_network.h"
#include "fnc/http_output.h"

namespace {

std::string Utf8ToAnsi(const std::string& text) {
  const int wide =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring w(static_cast<std::size_t>(wide), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), w.data(), wide);
  const int bytes = WideCharToMultiByte(CP_ACP, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_ACP, 0, w.data(), wide, out.data(), bytes, nullptr, nullptr);
  return out;
}

void ReportToStderr(const std::string& line) {
  const std::string ansi = Utf8ToAnsi(line);
  std::fwrite(ansi.data(), 1, ansi.size(), stderr);
  std::fflush(stderr);
}

}  // namespace

extern "C" LONG WINAPI GetHTTP(const char* const* url, const char* const* path) {
  using namespace cardo::fnc;
  if (!url || !*url) {
    ReportToStderr("Error: URLが長すぎるか不正です\n");
    return kHttpBadUrl;
  }
  if (!path || !*path) {
    ReportToStderr("Error: ファイルオープンに失敗しました\n");
    return kHttpFile;
  }
  auto network = MakeSystemNetwork();
  StdioOutput output(*path);
  return FetchHttp(*url, *network, output, ReportToStderr);
}
