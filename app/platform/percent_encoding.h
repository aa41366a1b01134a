#pragma once
// Text for places that take bytes of the ANSI code page but must not lose a character: a
// character the code page cannot give back as itself goes in as a browser writes it in a URL.
#include <string>
#include <string_view>
#include <vector>

namespace cardo {

// Every byte as %XX (upper-case hex).
void AppendPercentEncoded(std::string& out, std::string_view bytes);

// Each of `runs` (text beyond ASCII) in the ANSI code page, except that a character the code
// page cannot give back as itself becomes its UTF-8 bytes percent-encoded: a stand-in ("?") or
// a near match ("e" for "é") would be another address. A run the code page gives back as
// itself is converted whole, else one character (or surrogate pair) at a time. However many
// runs there are, the codec is called four times at most.
std::vector<std::string> RunsInCodePage(const std::vector<std::u16string_view>& runs);

}  // namespace cardo
