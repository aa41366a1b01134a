#pragma once
// The address a download tool is given for a list line, written as a browser sends it, the parts
// of an address the export files look at, and what the tools may fetch.
#include <string>
#include <string_view>

namespace cardo {

// The parts of an address, each a view into it, empty when missing; joined they are the text. A
// text that does not start with a scheme and "://" is a path, a query and a fragment only. For the
// URL standard's special schemes (http, https, ftp, ...) a "\" ends the authority as "/" does.
struct UrlParts {
  std::string_view scheme;     // as written, before "://"
  std::string_view authority;  // after "://": user information, host and port
  std::string_view path;       // up to "?" or "#"
  std::string_view query;      // from "?" up to "#", the "?" included
  std::string_view fragment;   // from "#", the "#" included
};
UrlParts SplitUrl(std::string_view url);

// What the program knows of a scheme.
struct SchemeRow {
  std::string_view name;
  bool special;  // the URL standard's: "\" is "/" in the path, a query encodes "'"
  bool curl;     // fetched through the curl config (its proto list)
  bool aria2;    // fetched through the aria2 input file (aria2 has no FTPS)
};
// The row of `scheme` (letters of either case), or nullptr for a scheme the program does not
// know.
const SchemeRow* FindScheme(std::string_view scheme);
// The curl config's proto value: "=" and every scheme curl may fetch, joined by ",".
std::string CurlProtocols();

}  // namespace cardo
