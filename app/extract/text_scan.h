#pragma once
// The scan of text mode: the protocol text, in any case, and the URL characters after it; the
// next one looked for from where the last URL stopped. A URL that runs to the end of its line
// goes on at the start of the next one, unless its line begins with the protocol or the
// options say it never does.
//
// Cost: time grows with the file, memory with its longest line, held as codes, which a URL
// filling it takes over.
#include "app/extract/url_scanner.h"

namespace cardo {

void ScanText(LineSource& source, const ExtractOptions& options, const CandidateSink& sink);

}  // namespace cardo
