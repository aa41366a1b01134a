#pragma once
// A relative reference joined to the base it is read against, as the HTML modes resolve it.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace cardo {

// A base taken apart once: its root (up to the first "/" after the host) and its directory
// (from that "/" to the last one), both views of the one copy of the base it holds. What each
// "../" climbs to is found once and remembered, so that resolving costs the reference's
// length and the result's, never the base's: a page may climb a megabyte-long base a hundred
// thousand times. Memory: the base and one position for each level climbed.
class BaseParts {
 public:
  explicit BaseParts(std::u16string base = {});

  // The base itself (with the "/" a base without a path gains), the base as it was given, and
  // its scheme with the ":" (empty when it has none).
  std::u16string_view Whole() const { return text_; }
  std::u16string_view Given() const { return std::u16string_view(text_).substr(0, givenSize_); }
  std::u16string_view Scheme() const;
  std::u16string_view Root() const;
  std::u16string_view Directory() const;
  // How long the directory is after climbing `levels` levels ("/" counts one); 0 when the
  // climb goes above the root.
  std::size_t Climb(std::size_t levels);
  // The base's units looked at while climbing so far: at most the directory's length.
  std::size_t UnitsClimbed() const { return unitsClimbed_; }

 private:
  std::u16string text_;  // the base, with "/" after the host when it had none
  std::size_t givenSize_ = 0;
  std::size_t rootSize_ = 0;
  std::size_t directoryStart_ = 0;
  std::size_t directorySize_ = 0;
  std::vector<std::size_t> climbs_;  // climbs_[k]: the directory's length after k + 1 levels
  std::size_t unitsClimbed_ = 0;
};

// The reference joined to the base; "不正" when it climbs above the root. A reference that
// starts with "//" names its own host and takes the base's scheme (kept as written when the
// base has none); one that starts with "#" is the base itself.
std::u16string ResolveRelativeUrl(BaseParts& base, std::u16string_view relative);
std::u16string ResolveRelativeUrl(std::u16string_view base, std::u16string_view relative);

}  // namespace cardo
