#include "app/shell/startup.h"

#include "app/list/list_file.h"
#include "app/list/menu_history.h"
#include "app/platform/file_system.h"
#include "app/platform/text.h"
#include "app/shell/messages.h"

namespace cardo {

std::u16string MakeAppDirectory(std::u16string directory) {
  if (directory.empty() || directory.back() != PathSeparator()) directory += PathSeparator();
  return directory;
}

void ConfigureRecentFiles(CMenuHistory& recentFiles) {
  recentFiles.SetHistoryNothingMessage(msg::kHistoryEmpty);
  recentFiles.SetItemCompress(true);
  recentFiles.SetCompSize(40);
}

void RunStartup(StartupContext& context) {
  ShellContext& shell = context.shell;
  switch (LoadSettings(context.settings, context.store, context.window, shell.recentFiles)) {
    case SettingsLoad::Loaded:
      break;
    case SettingsLoad::Missing:
      if (!CreateDefaultSettings(context.settings, context.store)) {
        ShowError(shell.ui, msg::kSettingsCreateFailed);
      }
      break;
    case SettingsLoad::Unreadable:
      ApplyNewFileDefaults(context.settings);
      ShowError(shell.ui, msg::kSettingsUnreadable + (u"\r\n" + context.store.settingsFilePath));
      break;
  }

  if (!context.commandLineTail.empty()) {
    const auto args = ParseCommandLine(context.commandLineTail, context.longPath);
    const std::u16string& first = args.front();
    OpenListDocument(shell, first);
  }

  if (context.applySettings) context.applySettings();
}

bool RunShutdown(ShellContext& shell, const Settings& settings, SettingsStore& store,
                 const WindowSizeTwips& window) {
  if (!ConfirmSaveChanges(shell)) return false;
  if (!SaveSettings(settings, store, window, shell.recentFiles)) {
    ShowError(shell.ui, msg::kSettingsSaveFailed);
  }
  return true;
}

}  // namespace cardo
