#include "app/settings/numbered_keys.h"

#include "app/platform/lower_case.h"

namespace cardo {

std::string NumberedKey(std::string_view stem, long long index) {
  return std::string(stem) + std::to_string(index);
}

SectionKeys::SectionKeys(ProfileStore& profile, std::string_view section,
                         const std::u16string& file) {
  for (const auto& name : profile.ReadKeyNames(section, file)) lowered_.insert(AsciiLower(name));
}

bool SectionKeys::Has(std::string_view key) const {
  return lowered_.count(AsciiLower(key)) != 0;
}

}  // namespace cardo
