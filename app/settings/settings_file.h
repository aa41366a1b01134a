#pragma once
// The settings file CARDO.INI: loading it at start-up, creating a new one when there is none,
// and saving every setting at exit.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/platform/file_system.h"
#include "app/platform/profile.h"
#include "app/settings/app_settings.h"

namespace cardo {

class CMenuHistory;

struct LocalTime {
  int year = 2000;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
};
LocalTime CurrentLocalTime();

// The main window's outer size in twips, which the settings load and save.
class WindowSizeTwips {
 public:
  virtual ~WindowSizeTwips() = default;
  virtual std::int32_t Width() const = 0;
  virtual std::int32_t Height() const = 0;
  virtual void SetWidth(std::int32_t twips) = 0;
  virtual void SetHeight(std::int32_t twips) = 0;
};

// What this instance read from the settings file, so that at exit it writes only what it
// changed since and leaves another instance's changes in the file as they are.
struct LoadedValues {
  Settings settings;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::u16string> recentFiles;  // items 1 to 5
};

// Where and how the settings are kept.
struct SettingsStore {
  ProfileStore& profile;
  FileSystem& fs;
  std::u16string settingsFilePath;
  std::u16string appDirectory;  // ends with the path separator
  std::u16string appVersion;
  int majorVersion = 3;
  std::function<LocalTime()> now = CurrentLocalTime;
  // Set when the file exists but could not be read: it is then never written, so settings
  // the program could not see are not replaced by defaults.
  bool leaveFileAlone = false;
  // Set by a load of a current file; without it a save writes every key.
  std::optional<LoadedValues> loaded = std::nullopt;
  // Set once the user has been told that the settings cannot be saved: it is said only once.
  bool unsavableShown = false;
};

// "m/d/yy h:mm"
std::u16string FormatHeaderTime(const LocalTime& time);
// The six comment lines that open a settings file, each ending CR LF.
std::u16string SettingsHeader(const std::u16string& appVersion, const LocalTime& time);
// The whole text of a new settings file.
std::u16string NewSettingsFileText(const std::u16string& appVersion, const LocalTime& time);

enum class SettingsLoad {
  Loaded,      // read, or imported from an older file (with its backup in place)
  Missing,     // no file, or one too short to hold a header (kept as CARDOINI.OLD): create one
  Unreadable,  // a file that could not be read, backed up or named to the profile functions:
               // left alone, leaveFileAlone set
};
// Reads the settings file into `settings` and adds the stored recent files.
SettingsLoad LoadSettings(Settings& settings, SettingsStore& store, WindowSizeTwips& window,
                          CMenuHistory& recentFiles);
// The values of a new settings file, in memory only.
void ApplyNewFileDefaults(Settings& settings);
// Writes a new file, then sets the values of a new file. False on failure, `settings` as it was.
bool CreateDefaultSettings(Settings& settings, SettingsStore& store);
// Reads the file again and writes, in one piece through a temporary file that replaces it only
// once complete, every key this instance changed since it loaded the file (a flag of
// `properties` by itself), every key the file lacks, and the rest as the file now holds them;
// without a loaded file, every key. False when the file could not be read or written (the
// file system's LastErrorText says why), the file then as it was. Writes nothing, and
// succeeds, for a file left alone at start-up.
bool SaveSettings(const Settings& settings, SettingsStore& store, const WindowSizeTwips& window,
                  const CMenuHistory& recentFiles);

}  // namespace cardo
