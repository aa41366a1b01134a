#include "app/settings/legacy_import.h"

#include "app/platform/codec.h"
#include "app/settings/ini_values.h"
#include "app/settings/numbered_keys.h"
#include "app/settings/settings_keys.h"

namespace cardo {

bool ImportLegacySettings(Settings& settings, SettingsStore& store) {
  auto& profile = store.profile;
  const auto& file = store.settingsFilePath;
  // Nothing is imported without a backup in place: else the old file would be read again at
  // every start while the new values never reached it.
  if (!store.fs.Copy(file, store.appDirectory + kLegacyBackupName)) return false;
  auto read = [&](const char* section, const std::string& key, std::size_t capacity) {
    return ReadIniValue(profile, section, key, capacity + 1, file);
  };

  if (const auto count = ParseInt16(read("Option", "OldUrlCount", 4))) settings.ListMax = *count;
  settings.ReGetPath = read("Option", "ReGet_Path", 49);
  settings.IriaPath = read("Option", "Iria_Path", 49);

  const auto extCount = ParseInt16(read("ExtList", "ExtCount", 4)).value_or(0);
  if (extCount > 0) {
    const SectionKeys present(profile, "ExtList", file);
    std::vector<std::u16string> entries(static_cast<std::size_t>(extCount));
    for (std::size_t n = 0; n < entries.size(); ++n) {
      const std::string key = NumberedKey("Ext", static_cast<long long>(n));
      if (present.Has(key)) entries[n] = read("ExtList", key, 9);
    }
    settings.ExtList = std::move(entries);
  }

  const SectionKeys urls(profile, "UrlList", file);
  for (int n = 0; n < settings.ListMax; ++n) {
    const std::string key = NumberedKey("Url", n);
    if (!urls.Has(key)) continue;
    std::u16string url = read("UrlList", key, 399);
    if (url.empty()) continue;
    if (!settings.ListHistory) settings.ListHistory.emplace();
    settings.ListHistory->resize(static_cast<std::size_t>(n) + 1);
    (*settings.ListHistory)[static_cast<std::size_t>(n)] = std::move(url);
  }

  struct AbsoluteKey {
    const char* section;
    const char* key;
    std::size_t capacity;
    std::int16_t Settings::*field;
  };
  static constexpr AbsoluteKey kAbsoluteKeys[] = {
      {"OptionButton", "optFileRen", 6, &Settings::ContinueFileName},
      {"CheckBox", "chkOutputRarMode", 4, &Settings::WinRarMode},
      {"CheckBox", "chkValueRar", 4, &Settings::ValueRar},
      {"OptionButton", "optAddZero", 6, &Settings::SetFigure},
      {"Text", "keta", 4, &Settings::FigLength},
  };
  for (const auto& key : kAbsoluteKeys) {
    if (const auto value = ParseAbsoluteInt16(read(key.section, key.key, key.capacity))) {
      settings.*key.field = *value;
    }
  }

  store.fs.Remove(file);

  ApplyDefaults(settings, kImport);

  store.fs.ReplaceAll(file, WideToAnsi(SettingsHeader(store.appVersion, store.now())));
  return true;
}

}  // namespace cardo
