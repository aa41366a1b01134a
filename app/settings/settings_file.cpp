#include "app/settings/settings_file.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <ctime>
#include <unordered_set>

#include "app/list/list_file.h"
#include "app/list/menu_history.h"
#include "app/platform/codec.h"
#include "app/platform/text.h"
#include "app/settings/ini_values.h"
#include "app/settings/legacy_import.h"
#include "app/settings/numbered_keys.h"
#include "app/settings/settings_keys.h"

namespace cardo {
namespace {

constexpr char16_t kRuleLine[] = u"'--------------------------------------------------------";
constexpr char16_t kVersionMarker[] = u"作成時のバージョン:";

std::string LowerAscii(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

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
          ReadIniValue(profile, kSectionWindow, "width", kWindowSizeCapacity + 1, file))) {
    window.SetWidth(*width);
  }
  if (const auto height = ParseInt32(
          ReadIniValue(profile, kSectionWindow, "height", kWindowSizeCapacity + 1, file))) {
    window.SetHeight(*height);
  }

  for (const ListKeys& keys : kListKeys) LoadList(settings, store, keys);

  for (int n = kFileHistoryPlaces; n >= 1; --n) {
    recentFiles.AddItem(ReadIniValue(profile, kSectionHistory, NumberedKey("FileHistory", n),
                                     kFileHistoryCapacity + 1, file));
  }
  return SettingsLoad::Loaded;
}

bool CreateDefaultSettings(Settings& settings, SettingsStore& store) {
  const std::string bytes = WideToAnsi(NewSettingsFileText(store.appVersion, store.now()));
  if (!store.fs.WriteAll(store.settingsFilePath, bytes)) return false;
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

  // Each section is written in one call, so saving costs the file's size once per section,
  // not once per key (a list of 5,000 entries would otherwise rewrite the file 5,000 times).
  struct SectionEntries {
    const char* name;
    ProfileStore::Entries entries;
  };
  std::array<SectionEntries, 3> sections = {
      {{kSectionPref, {}}, {kSectionWindow, {}}, {kSectionHistory, {}}}};
  auto in = [&sections](const char* name) -> SectionEntries& {
    for (auto& s : sections) {
      if (std::string_view(s.name) == name) return s;
    }
    return sections.front();
  };
  auto add = [&](const char* section, std::string key, std::u16string_view value) {
    in(section).entries.emplace_back(std::move(key), IniValueBytes(value));
  };

  for (const ScalarKey& key : kScalarKeys) add(key.section, key.key, KeyText(settings, key));

  add(kSectionWindow, "width", DecimalText(window.Width()));
  add(kSectionWindow, "height", DecimalText(window.Height()));

  for (const ListKeys& keys : kListKeys) {
    const SettingsList& list = settings.*keys.field;
    if (!list || list->empty()) {
      add(keys.section, keys.upperBoundKey, u"-1");
      continue;
    }
    add(keys.section, keys.upperBoundKey, DecimalText(static_cast<long long>(list->size()) - 1));
    for (std::size_t n = 0; n < list->size(); ++n) {
      add(keys.section, NumberedKey(keys.entryStem, static_cast<long long>(n)), (*list)[n]);
    }
  }

  for (int n = 1; n <= kFileHistoryPlaces; ++n) {
    add(kSectionHistory, NumberedKey("FileHistory", n), recentFiles.MenuItem(n));
  }

  auto& profile = store.profile;
  for (auto& section : sections) {
    // Keys not written now (another version's, entries past a list's new end) stay as they are.
    std::unordered_set<std::string> written;
    for (const auto& entry : section.entries) written.insert(LowerAscii(entry.first));
    for (auto& stored : profile.ReadSection(section.name, file)) {
      if (!written.count(LowerAscii(stored.first))) section.entries.push_back(std::move(stored));
    }
    profile.WriteSection(section.name, section.entries, file);
  }
  return true;
}

}  // namespace cardo
