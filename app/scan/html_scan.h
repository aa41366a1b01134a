#pragma once
// The scan of HTML and download modes: every run of URL characters around "://" is an
// absolute URL (absolute_pass.h) and every run around "." a relative reference, resolved
// against the current base; a line holding "<base" may change that base first. Inside a
// quoted attribute value a character beyond ASCII is a URL character unless it is a space
// (html_line_form.h), and character references ended by ";" are read as the characters they
// stand for.
//
// Cost: time grows with the file, memory with its longest line: about the line's bytes, which
// the passes read in place, and with the base: two bytes a character (a `<base>` value is
// decoded alone, the rest of its line stays in UTF-8).
#include "app/scan/url_scanner.h"

namespace cardo {

void ScanHtml(LineSource& source, const ExtractOptions& options, const CandidateSink& sink);

// The value after the first "href=" of the line, in any case: quoted (up to the next
// quote, or the rest of the line when none follows) or a run of URL characters.
std::string_view GetHrefValue(std::string_view line);

}  // namespace cardo
