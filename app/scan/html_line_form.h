#pragma once
// A line made ready for the HTML passes (absolute_pass.h), in one byte a character. Inside a quoted
// attribute value ("=", optional blanks - space, TAB, LF, FF -, a quote, up to the same quote
// on that line) a character beyond ASCII that is no space is a URL character (a page's own
// paths and names in Japanese); elsewhere such characters become kNotUrlUnit. The "\" of a
// "\/" goes (JSON's escaped "/"). A character the code page lacks, marked (kLackingMark), is
// read as the one character it stands for: its percent-encoded bytes inside a value, else
// kNotUrlUnit.
#include <string>

#include "app/text/code_page_codes.h"

namespace cardo {

// Made in place from the line's bytes: ASCII as itself; a character beyond
// ASCII as kMarkerUnit inside a quoted value (its code appended to `markers`) unless it is a
// space, else as kNotUrlUnit. The HTML passes find in this line exactly what they find in its
// codes, with about half the memory and no decoding.
void CompactCharacters(std::string& bytes, CodeText& markers);

}  // namespace cardo
