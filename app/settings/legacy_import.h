#pragma once
// Settings files of an older major version: take what the old layout holds, keep a backup
// copy, and start a new file that holds only the header.
#include "app/settings/settings_file.h"

namespace cardo {

inline constexpr char16_t kLegacyBackupName[] = u"CARDOINI.OLD";

// Always true. The old file is backed up as CARDOINI.OLD in the program directory (replacing
// an earlier backup); it is deleted and a new file started only once that copy exists.
bool ImportLegacySettings(Settings& settings, SettingsStore& store);

}  // namespace cardo
