#include "app/settings/settings_file.h"

#include <algorithm>
#include <ctime>

#include "app/list/list_file.h"
#include "app/list/menu_history.h"
#include "app/platform/codec.h"
#include "app/platform/ini_text.h"
#include "app/platform/text.h"
#include "app/settings/ini_values.h"
#include "app/settings/legacy_import.h"
#include "app/settings/numbered_keys.h"
#include "app/settings/settings_keys.h"

namespace cardo {
namespace {

constexpr char16_t kRuleLine[] = u"'--------------------------------------------------------";
constexpr char16_t kVersionMarker[] = u"作成時のバージョン:";

std::u16string Pad2(int value) {
  std::u16string text = DecimalText(value);
  return text.size() < 2 ? u"0" + text : text;
}

// A settings file whose third line names the current major version.
bool IsCurrentFile(const std::string& bytes, int majorVersion) {
  const auto lines = SplitListText(AnsiToWide(bytes));
  if (lines.size() < 3) return false;
  const std::u16string& third = lines[2];
  return third.find(kVersionMarker) != std::u16string::npos &&
         third.find(DecimalText(majorVersion) + u".") != std::u16string::npos;
}

void LoadList(Settings& settings, SettingsStore& store, const ListKeys& keys) {
  const auto& file = store.settingsFilePath;
  const auto bound = ParseInt16(
      ReadIniValue(store.profile, keys.section, keys.upperBoundKey, kUpperBoundCapacity, file));
  // A negative highest index other than -1 cannot size a list: it counts as absent too.
  if (!bound || *bound < 0) return;
  const SectionKeys present(store.profile, keys.section, file);
  // A damaged highest index (5000 over three entries) costs no more than the entries the file
  // holds: the list ends at its last stored entry (but has at least one, as the index says).
  std::size_t count = 1;
  for (std::size_t n = static_cast<std::size_t>(*bound) + 1; n > 1; --n) {
    if (present.Has(NumberedKey(keys.entryStem, static_cast<long long>(n - 1)))) {
      count = n;
      break;
    }
  }
  std::vector<std::u16string> entries(count);
  for (std::size_t n = 0; n < entries.size(); ++n) {
    const std::string key = NumberedKey(keys.entryStem, static_cast<long long>(n));
    if (present.Has(key)) {
      entries[n] = ReadIniValue(store.profile, keys.section, key, kListEntryCapacity + 1, file);
    }
  }
  settings.*keys.field = std::move(entries);
}

// One value of the file as a save writes it.
struct FileKey {
  const char* section;
  std::string name;
  std::string value;
  bool operator==(const FileKey&) const = default;
};
// Keys written together or not at all: a list with its highest index, the five recent files.
struct FileUnit {
  std::vector<FileKey> keys;
  bool flagBits = false;  // `properties`: a flag changed here replaces only its own bit
};

std::vector<std::u16string> RecentItems(const CMenuHistory& recentFiles) {
  std::vector<std::u16string> items;
  for (int n = 1; n <= kFileHistoryPlaces; ++n) items.push_back(recentFiles.MenuItem(n));
  return items;
}

// Every value a save writes, in the order a new file receives them.
std::vector<FileUnit> FileUnits(const Settings& settings, std::int32_t width, std::int32_t height,
                                const std::vector<std::u16string>& recentFiles) {
  std::vector<FileUnit> units;
  auto key = [](const char* section, std::string name, std::u16string_view value) {
    return FileKey{section, std::move(name), IniValueBytes(value)};
  };
  for (const ScalarKey& scalar : kScalarKeys) {
    units.push_back({{key(scalar.section, scalar.key, KeyText(settings, scalar))},
                     std::holds_alternative<FlagBits>(scalar.field)});
  }
  units.push_back({{key(kSectionWindow, kWindowWidthKey, DecimalText(width))}});
  units.push_back({{key(kSectionWindow, kWindowHeightKey, DecimalText(height))}});
  for (const ListKeys& keys : kListKeys) {
    const SettingsList& list = settings.*keys.field;
    FileUnit unit;
    if (!list || list->empty()) {
      unit.keys.push_back(key(keys.section, keys.upperBoundKey, u"-1"));
    } else {
      unit.keys.push_back(key(keys.section, keys.upperBoundKey,
                              DecimalText(static_cast<long long>(list->size()) - 1)));
      for (std::size_t n = 0; n < list->size(); ++n) {
        unit.keys.push_back(
            key(keys.section, NumberedKey(keys.entryStem, static_cast<long long>(n)), (*list)[n]));
      }
    }
    units.push_back(std::move(unit));
  }
  FileUnit recent;
  for (int n = 1; n <= kFileHistoryPlaces; ++n) {
    const auto place = static_cast<std::size_t>(n - 1);
    recent.keys.push_back(key(kSectionHistory, NumberedKey(kFileHistoryStem, n),
                              place < recentFiles.size() ? recentFiles[place] : u""));
  }
  units.push_back(std::move(recent));
  return units;
}

// The flags as the file now holds them, with the ones this instance changed set its way.
std::string MergedProperties(const Settings& settings, const Settings& loaded, IniText& ini,
                             const FileKey& key) {
  const std::int32_t mine = PackProperties(settings);
  const std::int32_t changed = mine ^ PackProperties(loaded);
  const IniEntry* stored = ini.Find(key.section, key.name);
  const std::u16string storedText = AnsiToWide(stored->value.value_or(""));
  const std::int32_t theirs = ParseInt32(storedText).value_or(PackProperties(loaded));
  const std::int32_t allFlags = (1 << kSettingsFlags.size()) - 1;
  return Utf16ToUtf8(DecimalText(((theirs & ~changed) | (mine & changed)) & allFlags));
}

}  // namespace

LocalTime CurrentLocalTime() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &now);
#else
  localtime_r(&now, &tm);
#endif
  return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min};
}

std::u16string FormatHeaderTime(const LocalTime& time) {
  return DecimalText(time.month) + u"/" + DecimalText(time.day) + u"/" +
         Pad2(((time.year % 100) + 100) % 100) + u" " + DecimalText(time.hour) + u":" +
         Pad2(time.minute);
}

std::u16string SettingsHeader(const std::u16string& appVersion, const LocalTime& time) {
  std::u16string text;
  text += kRuleLine;
  text += u"\r\n'  Cardo用設定保持 INIファイル\r\n'    作成時のバージョン:";
  text += appVersion;
  text += u"\r\n'    作成時刻:";
  text += FormatHeaderTime(time);
  text += u"\r\n";
  text += kRuleLine;
  text += u"\r\n\r\n";
  return text;
}

std::u16string NewSettingsFileText(const std::u16string& appVersion, const LocalTime& time) {
  return SettingsHeader(appVersion, time) + NewFileBody();
}

SettingsLoad LoadSettings(Settings& settings, SettingsStore& store, WindowSizeTwips& window,
                          CMenuHistory& recentFiles) {
  const auto& file = store.settingsFilePath;
  const auto unreadable = [&store] {
    store.leaveFileAlone = true;
    return SettingsLoad::Unreadable;
  };
  // A file the profile functions cannot name would be written anew at every start and never
  // read back.
  if (!store.profile.CanReach(file)) return unreadable();
  if (store.fs.Probe(file) != PathKind::File) return SettingsLoad::Missing;
  const auto bytes = store.fs.ReadAll(file);
  if (!bytes) return unreadable();
  if (SplitListText(AnsiToWide(*bytes)).size() < 3) {
    // Too short to hold a header (empty, cut off): kept aside, then replaced by a new file.
    if (!store.fs.Copy(file, store.appDirectory + kLegacyBackupName)) return unreadable();
    return SettingsLoad::Missing;
  }
  if (!IsCurrentFile(*bytes, store.majorVersion)) {
    return ImportLegacySettings(settings, store) ? SettingsLoad::Loaded : unreadable();
  }

  auto& profile = store.profile;
  for (const ScalarKey& key : kScalarKeys) {
    SetKeyFromText(settings, key,
                   ReadIniValue(profile, key.section, key.key, key.capacity + 1, file));
  }

  if (const auto width = ParseInt32(
          ReadIniValue(profile, kSectionWindow, kWindowWidthKey, kWindowSizeCapacity + 1, file))) {
    window.SetWidth(*width);
  }
  if (const auto height = ParseInt32(
          ReadIniValue(profile, kSectionWindow, kWindowHeightKey, kWindowSizeCapacity + 1, file))) {
    window.SetHeight(*height);
  }

  for (const ListKeys& keys : kListKeys) LoadList(settings, store, keys);

  for (int n = kFileHistoryPlaces; n >= 1; --n) {
    recentFiles.AddItem(ReadIniValue(profile, kSectionHistory, NumberedKey(kFileHistoryStem, n),
                                     kFileHistoryCapacity + 1, file));
  }
  store.loaded = LoadedValues{settings, window.Width(), window.Height(), RecentItems(recentFiles)};
  return SettingsLoad::Loaded;
}

bool CreateDefaultSettings(Settings& settings, SettingsStore& store) {
  const std::string bytes = WideToAnsi(NewSettingsFileText(store.appVersion, store.now()));
  if (!store.fs.ReplaceAll(store.settingsFilePath, bytes)) return false;
  ApplyNewFileDefaults(settings);
  return true;
}

void ApplyNewFileDefaults(Settings& settings) {
  ApplyDefaults(settings, kNewFile | kNewMemory);
}

bool SaveSettings(const Settings& settings, SettingsStore& store, const WindowSizeTwips& window,
                  const CMenuHistory& recentFiles) {
  const auto& file = store.settingsFilePath;
  if (file.empty()) return false;
  if (store.leaveFileAlone) return true;

  // What the file holds now, another instance's changes included; a file that exists but
  // cannot be read is not replaced by what this instance knows.
  std::string current;
  if (store.fs.Probe(file) == PathKind::File) {
    auto bytes = store.fs.ReadAll(file);
    if (!bytes) return false;
    current = std::move(*bytes);
  }
  IniText ini = IniText::Parse(current);

  const auto mine = FileUnits(settings, window.Width(), window.Height(), RecentItems(recentFiles));
  std::vector<FileUnit> before;
  if (store.loaded) {
    const LoadedValues& loaded = *store.loaded;
    before = FileUnits(loaded.settings, loaded.width, loaded.height, loaded.recentFiles);
  }
  for (std::size_t i = 0; i < mine.size(); ++i) {
    const FileUnit& unit = mine[i];
    const bool inFile = std::all_of(unit.keys.begin(), unit.keys.end(), [&ini](const auto& key) {
      return ini.Find(key.section, key.name) != nullptr;
    });
    if (inFile && !before.empty() && unit.keys == before[i].keys) continue;
    for (const auto& key : unit.keys) {
      std::string value = key.value;
      if (unit.flagBits && inFile && store.loaded) {
        value = MergedProperties(settings, store.loaded->settings, ini, key);
      }
      ini.Set(key.section, key.name, value);
    }
  }
  return store.fs.ReplaceAll(file, ini.Serialize());
}

}  // namespace cardo
