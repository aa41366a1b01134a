#include "app/settings/numbered_keys.h"

namespace cardo {
namespace {

std::string LowerAscii(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

}  // namespace

std::string NumberedKey(std::string_view stem, long long index) {
  return std::string(stem) + std::to_string(index);
}

SectionKeys::SectionKeys(ProfileStore& profile, std::string_view section,
                         const std::u16string& file) {
  for (const auto& name : profile.ReadKeyNames(section, file)) lowered_.insert(LowerAscii(name));
}

bool SectionKeys::Has(std::string_view key) const {
  return lowered_.count(LowerAscii(key)) != 0;
}

}  // namespace cardo
