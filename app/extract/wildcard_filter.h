#pragma once
// The extraction filter: wildcard patterns separated by ";", each negated by a leading "!".
// Patterns: "*" any run, "?" one character, "#" one digit, "[list]" / "[!list]" one character
// in or not in the list (with ranges such as a-z); case is folded for matching only.
#include <string>
#include <string_view>
#include <vector>

namespace cardo {

// Whether `pattern` matches the whole of `text`; both are lower-cased first. Time grows with
// the product of their lengths at most. A pattern with a malformed bracket expression (an
// unclosed "[", a descending range) matches nothing.
bool WildcardMatch(std::u16string_view pattern, std::u16string_view text);

// How many times the filter appends `url`: all-positive filters once per matching pattern,
// all-negative ones once when none matches, mixed ones once when every positive pattern
// matches and no negative one does. An empty filter is "*.*".
int FilterAppendCount(std::u16string_view filterText, std::u16string_view url);

}  // namespace cardo
