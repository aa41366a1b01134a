#pragma once
// The named character references HTML defines, those ended by ";".
#include <string_view>

namespace cardo {

// The one or two characters a name stands for (`second` is 0 when there is one); both 0 for a
// name HTML does not define. `name` is without "&" and ";", case counts.
struct NamedReference {
  char32_t first = 0;
  char32_t second = 0;
};
NamedReference LookUpNamedReference(std::string_view name);

}  // namespace cardo
