#pragma once
// web_pages.py's /charset/ pages: the same two Japanese links in every charset a browser reads
// them in, declared by a byte order mark, the server, a <meta> or nothing. Every face of the
// extraction (the dialog, cardo-cli.exe, cardo-cli) must give the same URLs for each, in UTF-8.
#include <string>

namespace cardo::testing {

inline constexpr const char* kCharsetPages[] = {
    "sjis-meta",  "sjis-plain",     "utf8-header", "utf8-plain",  "eucjp-header",
    "eucjp-meta", "iso2022jp-meta", "utf16le-bom", "utf16be-bom",
};

// The page's address on the plain http server.
inline std::string CharsetPageUrl(int port, const char* page) {
  return "http://localhost:" + std::to_string(port) + "/charset/" + page + ".html";
}

// What every page gives through a "*.zip" filter, a line each.
inline std::string CharsetPageUrls(int port) {
  const std::string base = "http://localhost:" + std::to_string(port) + "/charset/";
  return base + "画像/写真.zip\n" + base + "資料/一覧.zip\n";
}

}  // namespace cardo::testing
