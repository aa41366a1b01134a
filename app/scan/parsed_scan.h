#pragma once
// The scan of the parsed-HTML mode: the page tokenized as a browser does (html_tokenizer.h),
// and what a browser would load or follow from it: the link attributes of one table (frames,
// tracks, table backgrounds and SVG's xlink:href among them), the images of its style sheets
// and style attributes (css_urls.h), the targets of <meta http-equiv="refresh">, and the
// "scheme://" URLs written in its text (outside tags, scripts and styles). Each is resolved as
// a browser resolves it (url.h, characters beyond ASCII kept as written), against the first
// <base href> from where it stands on, else the page's address (the download's, else the
// base-URL box), and offered without its fragment, in the order of the page. Only http, https
// and ftp URLs are links: a reference that is no URL, a mail address, a script, data and a
// reference to the page itself ("" or "#top") are none. Without an address, relative
// references are offered as they are written.
//
// Cost: time linear in the page; memory the longest tag and every distinct URL and link
// reference found.
#include <cstdint>
#include <string>
#include <string_view>

#include "app/scan/url_scanner.h"

namespace cardo {

// Returns the tags left unread for their length (html_tokenizer.h).
std::uint64_t ScanParsed(LineSource& source, const ExtractOptions& options,
                         const CandidateSink& sink);

}  // namespace cardo
