#pragma once
// The settings file CARDO.INI: loading it at start-up, creating a new one when there is none,
// and saving every setting at exit.
#include <cstdint>
#include <functional>
#include <string>

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
// Writes every key. Writes that fail (a read-only file) go unnoticed, as with the system's
// own profile functions; false only when the save itself cannot run. Writes nothing, and
// succeeds, for a file left alone at start-up.
bool SaveSettings(const Settings& settings, SettingsStore& store, const WindowSizeTwips& window,
                  const CMenuHistory& recentFiles);

}  // namespace cardo
