#include "app/settings/app_settings.h"

namespace cardo {

std::int32_t PackProperties(const Settings& settings) {
  std::int32_t value = 0;
  for (std::size_t bit = 0; bit < kSettingsFlags.size(); ++bit) {
    if (settings.*kSettingsFlags[bit] == 1) value |= 1 << bit;
  }
  return value;
}

void UnpackProperties(Settings& settings, std::int32_t properties) {
  for (std::size_t bit = 0; bit < kSettingsFlags.size(); ++bit) {
    settings.*kSettingsFlags[bit] = ((properties >> bit) & 1) ? 1 : 0;
  }
}

}  // namespace cardo
