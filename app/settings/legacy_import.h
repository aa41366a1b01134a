#pragma once
// Settings files of an older major version: take what the old layout holds, keep a backup
// copy, and start a new file that holds only the header.
#include "app/settings/settings_file.h"

namespace cardo {

inline constexpr char16_t kLegacyBackupName[] = u"CARDOINI.OLD";

// Backs the old file up as CARDOINI.OLD in the program directory (replacing an earlier
// backup) before anything else, then takes its values, deletes it and starts a new file.
// False, with `settings` and every file untouched, when the backup cannot be made.
bool ImportLegacySettings(Settings& settings, SettingsStore& store);

}  // namespace cardo
