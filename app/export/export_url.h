#pragma once
// A list line as the third manager's files write it, and what the download tools may fetch.
#include <optional>
#include <string>
#include <string_view>

#include "app/url/url.h"

namespace cardo {

// What the program knows of a scheme: which tools fetch it.
struct SchemeRow {
  std::string_view name;
  bool curl;   // fetched through the curl config (its proto list)
  bool aria2;  // fetched through the aria2 input file (aria2 has no FTPS)
};
// The row of `scheme` (letters of either case), or nullptr for a scheme no tool fetches.
const SchemeRow* FindScheme(std::u16string_view scheme);
// The curl config's proto value: "=" and every scheme curl may fetch, joined by ",".
std::string CurlProtocols();

// A list line read for the files (OtherExportUrl writes `text`).
struct ExportLine {
  std::string text;         // as written; empty for a blank line
  std::optional<Url> url;   // the line as a URL, when it is one
  const SchemeRow* scheme;  // the row of its scheme (of the "scheme://" it starts with when it
                            // is no URL); nullptr for none
};
ExportLine ReadExportLine(std::u16string_view line);

}  // namespace cardo
