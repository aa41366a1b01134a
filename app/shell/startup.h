#pragma once
// The order of start-up and shutdown, around the main window: settings in, the command-line
// list file, settings applied; at closing the save question and settings out.
#include <functional>
#include <string>
#include <string_view>

#include "app/list/shell_context.h"
#include "app/settings/settings_file.h"
#include "app/shell/command_line.h"

namespace cardo {

inline constexpr char16_t kSettingsFileName[] = u"CARDO.INI";
inline constexpr int kRecentFilePlaces = 5;

// The program directory with one separator at its end.
std::u16string MakeAppDirectory(std::u16string directory);

// Five places, "履歴はありません" for an empty history, paths shortened from 40 characters.
void ConfigureRecentFiles(CMenuHistory& recentFiles);

struct StartupContext {
  ShellContext& shell;
  Settings& settings;
  SettingsStore& store;
  WindowSizeTwips& window;
  std::u16string commandLineTail;
  LongPathFn longPath;
  std::function<void()> applySettings;  // the main window's SetPrefarence
};

// Loads or creates the settings, opens the command-line list file, applies the settings.
void RunStartup(StartupContext& context);

// The close query: false when the user cancels the save question (the window stays open).
bool RunShutdown(ShellContext& shell, const Settings& settings, SettingsStore& store,
                 const WindowSizeTwips& window);

}  // namespace cardo
