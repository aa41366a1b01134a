#pragma once
// The absolute pass of HTML and download modes over one line: while the line holds "://", the
// run of URL characters around its first occurrence is a URL; every occurrence of that URL is
// deleted from the line (also inside longer runs), and the search starts again on the
// shortened line. The URLs go to `emit` in order; `line` is left shortened for the relative
// pass.
//
// Done literally, each URL rescans and rebuilds the whole line, which is quadratic on long
// lines with many URLs. Here the line is held as its runs of URL characters: an occurrence of a
// URL can only lie inside one run, aligned with one of that run's "://", so an index of those
// positions finds every run to change without rereading the rest of the line.
#include <functional>

#include "app/extract/url_scanner.h"

namespace cardo {

void AbsolutePass(CodeText& line, const std::function<void(const CodeText&)>& emit);

}  // namespace cardo
