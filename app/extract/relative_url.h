#pragma once
// A relative reference joined to the base it is read against, as the HTML modes resolve it.
#include <string>
#include <string_view>

namespace cardo {

// A base taken apart once: its root (up to the first "/" after the host) and its directory.
struct BaseParts {
  std::u16string root;
  std::u16string directory;
};
BaseParts SplitBase(std::u16string_view base);

// The reference joined to the base; "不正" when it climbs above the root.
std::u16string ResolveRelativeUrl(const BaseParts& base, std::u16string_view relative);
std::u16string ResolveRelativeUrl(std::u16string_view base, std::u16string_view relative);

}  // namespace cardo
