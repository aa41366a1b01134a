#pragma once
// The scan of the parsed-HTML mode: the page tokenized as a browser does (html_tokenizer.h),
// and the links it holds: the link attributes of one table, the targets of
// <meta http-equiv="refresh">, and the "scheme://" URLs written in its text (outside tags,
// scripts and styles). Each is resolved as a browser resolves it, against the first
// <base href> from where it stands on, else the page's address (the download's, else the
// base-URL box), and offered once, without its fragment, in the order of the page. Without
// an address, relative references are offered as they are written.
//
// Cost: time linear in the page; memory the longest tag and every distinct URL and link
// reference found.
#include <string>
#include <string_view>

#include "app/scan/relative_url.h"
#include "app/scan/url_scanner.h"

namespace cardo {

void ScanParsed(LineSource& source, const ExtractOptions& options, const CandidateSink& sink);

// A base as a browser reads it: its query apart, so that "?x" replaces it and a path's "/" in it
// is no directory.
struct BrowserBase {
  explicit BrowserBase(std::u16string_view base = {});
  bool empty() const { return whole.empty(); }
  std::u16string whole;  // without the fragment
  BaseParts parts;       // without the query
};

// `reference` (references read, blanks trimmed) resolved against `base` as the URL standard
// resolves it: "//host", "/path", "?query" and paths with "." and ".." segments (a climb above
// the root stays at the root); one with a scheme of its own stands as it is. The fragment is
// dropped; blanks and the characters a URL never holds raw are percent-encoded.
std::u16string ResolveAsBrowser(BrowserBase& base, std::u16string_view reference);

}  // namespace cardo
