#pragma once
// The topic file THELP.TXT: sections that begin with a marker line "[KEY]:" + key and end
// before the next line holding "[KEY]:" anywhere, or at the end of the file. Lines before the
// first marker are never shown; body lines beginning with "'" are comments.
#include <string>
#include <string_view>

namespace cardo {

inline constexpr char16_t kTopicFileName[] = u"THELP.TXT";

// The first section of `key` in `fileText`, every shown line followed by CR LF; empty when no
// line is exactly the marker (case-sensitive, nothing before or after).
std::u16string TopicText(std::u16string_view fileText, std::u16string_view key);

}  // namespace cardo
