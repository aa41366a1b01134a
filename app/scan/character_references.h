#pragma once
// Character references in the URLs of a page ("&amp;", "&#64;", "&#x26;", "&eacute;"): a
// reference ended by ";" is read as the characters it stands for, as a browser does before it
// asks the server. One that stands for a space, a typographic quote or guillemet ("&ldquo;",
// "&laquo;") or an ASCII character no URL holds ends the URL there, as the characters do.
#include <string>
#include <string_view>

namespace cardo {

// `before` and `after` are a URL's text on either side of the place that made it one (its
// "://", or the "." of a relative reference); no reference spans that place. The result holds
// what follows the last ending reference of `before` and what precedes the first one of
// `after`, each reference read. Text without "&" comes back as it is.
std::u16string ReadCharacterReferences(std::u16string_view before, std::u16string_view after);

// `text` (an attribute value) with every reference ended by ";" read, whatever it stands for.
std::u16string ReadEveryCharacterReference(std::u16string_view text);

}  // namespace cardo
