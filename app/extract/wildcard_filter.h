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

// The filter's text parsed once, for a run that asks about every candidate. An empty text is
// "*.*".
class CompiledFilter {
 public:
  explicit CompiledFilter(std::u16string_view filterText);
  ~CompiledFilter();
  CompiledFilter(CompiledFilter&&) noexcept;
  CompiledFilter(const CompiledFilter&) = delete;
  CompiledFilter& operator=(const CompiledFilter&) = delete;

  // How many times the filter appends `url`: all-positive filters once per matching pattern,
  // all-negative ones once when none matches, mixed ones once when every positive pattern
  // matches and no negative one does.
  int AppendCount(std::u16string_view url) const;

 private:
  struct Pattern;
  std::vector<Pattern> patterns_;
  bool anyNegative_ = false;
};

}  // namespace cardo
