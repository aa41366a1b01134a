#pragma once
// Numbered keys ("Extension0", "Url12"): the stem followed by the index in decimal.
#include <string>
#include <string_view>
#include <unordered_set>

#include "app/platform/profile.h"

namespace cardo {

std::string NumberedKey(std::string_view stem, long long index);

// The keys present in one section, so that reading a long numbered list asks the profile only
// for keys that exist: a missing key reads as empty text either way.
class SectionKeys {
 public:
  SectionKeys(ProfileStore& profile, std::string_view section, const std::u16string& file);
  bool Has(std::string_view key) const;

 private:
  std::unordered_set<std::string> lowered_;
};

}  // namespace cardo
