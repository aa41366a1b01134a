#include "app/settings/legacy_import.h"

#include "app/platform/codec.h"
#include "app/settings/ini_values.h"
#include "app/settings/numbered_keys.h"
#include "app/settings/settings_keys.h"

namespace cardo {

namespace {

// The old file's values, each read up to its capacity in characters.
struct LegacyFile {
  ProfileStore& profile;
  const std::u16string& path;
  std::u16string Read(const char* section, const std::string& key, std::size_t capacity) const {
    return ReadIniValue(profile, section, key, capacity + 1, path);
  }
};

void ImportExtensions(Settings& settings, const LegacyFile& old) {
  const auto extCount = ParseInt16(old.Read("ExtList", "ExtCount", 4)).value_or(0);
  if (extCount <= 0) return;
  const SectionKeys present(old.profile, "ExtList", old.path);
  std::vector<std::u16string> entries(static_cast<std::size_t>(extCount));
  for (std::size_t n = 0; n < entries.size(); ++n) {
    const std::string key = NumberedKey("Ext", static_cast<long long>(n));
    if (present.Has(key)) entries[n] = old.Read("ExtList", key, 9);
  }
  settings.ExtList = std::move(entries);
}

// The recent lists up to ListMax, each at its own place (an empty one leaves a gap).
void ImportListHistory(Settings& settings, const LegacyFile& old) {
  const SectionKeys urls(old.profile, "UrlList", old.path);
  for (int n = 0; n < settings.ListMax; ++n) {
    const std::string key = NumberedKey("Url", n);
    if (!urls.Has(key)) continue;
    std::u16string url = old.Read("UrlList", key, 399);
    if (url.empty()) continue;
    if (!settings.ListHistory) settings.ListHistory.emplace();
    settings.ListHistory->resize(static_cast<std::size_t>(n) + 1);
    (*settings.ListHistory)[static_cast<std::size_t>(n)] = std::move(url);
  }
}

// The options the old file wrote as signed numbers where their sign meant nothing.
void ImportAbsoluteNumbers(Settings& settings, const LegacyFile& old) {
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
    if (const auto value = ParseAbsoluteInt16(old.Read(key.section, key.key, key.capacity))) {
      settings.*key.field = *value;
    }
  }
}

}  // namespace

bool ImportLegacySettings(Settings& settings, SettingsStore& store) {
  const LegacyFile old{store.profile, store.settingsFilePath};
  // Nothing is imported without a backup in place: else the old file would be read again at
  // every start while the new values never reached it.
  if (!store.fs.Copy(old.path, store.appDirectory + kLegacyBackupName)) return false;

  if (const auto count = ParseInt16(old.Read("Option", "OldUrlCount", 4))) {
    settings.ListMax = *count;
  }
  settings.ReGetPath = old.Read("Option", "ReGet_Path", 49);
  settings.IriaPath = old.Read("Option", "Iria_Path", 49);
  ImportExtensions(settings, old);
  ImportListHistory(settings, old);
  ImportAbsoluteNumbers(settings, old);

  store.fs.Remove(old.path);
  ApplyDefaults(settings, kImport);
  store.fs.ReplaceAll(old.path, WideToAnsi(SettingsHeader(store.appVersion, store.now())));
  return true;
}

}  // namespace cardo
