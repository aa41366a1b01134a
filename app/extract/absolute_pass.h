#pragma once
// The absolute pass of HTML and download modes over one line: while the line holds "://", the
// run of URL characters around its first occurrence is a URL; every occurrence of that URL is
// deleted from the line (also inside longer runs), and the search starts again on the
// shortened line. The URLs go to `emit` in order; `line` is left shortened for the relative
// pass.
//
// Done literally, each URL rescans and rebuilds the whole line, which is quadratic on long
// lines with many URLs. Here the line is held as its runs of URL characters; a URL can only
// stand inside one run, aligned with one of the run's "://". Each run, when its turn comes,
// takes the deletions of the URLs found before it, in their order; those are looked up by the
// text after their first "://" at each "://" of the run, so time and memory grow with the line.
#include <functional>

#include "app/extract/url_scanner.h"

namespace cardo {

void AbsolutePass(CodeText& line, const std::function<void(const CodeText&)>& emit);
// The same over one byte per character, for lines whose URL characters are all ASCII.
void AbsolutePass(std::string& line, const std::function<void(const std::string&)>& emit);

}  // namespace cardo
