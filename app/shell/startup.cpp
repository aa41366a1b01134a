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

namespace {

// The message, then the settings file and why the system refused it; said once a run.
void SayUnsavable(Ui& ui, SettingsStore& store, const char16_t* message) {
  if (store.unsavableShown) return;
  store.unsavableShown = true;
  ShowError(ui, message + (u"\r\n" + store.settingsFilePath) + u"\r\n" + store.fs.LastErrorText());
}

}  // namespace

void RunStartup(StartupContext& context) {
  ShellContext& shell = context.shell;
  SettingsStore& store = context.store;
  switch (LoadSettings(context.settings, store, context.window, shell.recentFiles)) {
    case SettingsLoad::Loaded:
      // A folder the user cannot write (a program folder under Program Files) is said now,
      // not discovered at exit when the changes are gone.
      if (!store.fs.CanReplace(store.settingsFilePath)) {
        SayUnsavable(shell.ui, store, msg::kSettingsNotSavable);
      }
      break;
    case SettingsLoad::Missing:
      if (!CreateDefaultSettings(context.settings, store)) {
        SayUnsavable(shell.ui, store, msg::kSettingsCreateFailed);
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
    SayUnsavable(shell.ui, store, msg::kSettingsSaveFailed);
  }
  return true;
}

}  // namespace cardo
