#pragma once
// A line made ready for the HTML passes (absolute_pass.h), in place. Inside a quoted attribute
// value ("=", optional blanks - space, TAB, LF, FF -, a quote, up to the same quote on that
// line) a character beyond ASCII that is no space is a URL character (a page's own paths and
// names in Japanese): its UTF-8 bytes stay. Elsewhere, and as a space, such a character becomes
// kNotUrlUnit. The "\" of a "\/" goes (JSON's escaped "/"). The HTML passes find in this line
// what they would find in its characters, with no copy of the line.
#include <string>

namespace cardo {

// Makes the form from the line's UTF-8 in place: ASCII stays itself, "(", ")", "," and "@"
// inside a quoted value become their value units. A byte that starts no valid sequence ends a
// URL as a character beyond ASCII outside a value does.
void CompactCharacters(std::string& bytes);

}  // namespace cardo
