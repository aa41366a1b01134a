#pragma once
// The scan of text mode: the protocol texts, in any case, and the URL characters after them;
// the next one looked for from where the last URL stopped. A URL that runs to the end of its
// line goes on at the start of the next one, unless its line begins with a protocol or the
// options say it never does.
//
// Cost: time grows with the file, each protocol adding a walk of every line; memory with its
// longest line, held in UTF-16, which a URL filling it takes over.
#include "app/scan/url_scanner.h"

namespace cardo {

void ScanText(LineSource& source, const ExtractOptions& options, const CandidateSink& sink);

}  // namespace cardo
