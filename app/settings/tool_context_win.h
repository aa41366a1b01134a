#pragma once
// What the tool windows (the generators, the extraction dialog, the preferences) work with,
// handed to them by the main window: the list's services, the settings record and the owner.
#include <windows.h>

#include <functional>
#include <string>

#include "app/list/shell_context.h"
#include "app/settings/app_settings.h"

namespace cardo {

struct ToolContext {
  HINSTANCE instance;
  HWND main;  // the owner of every tool window
  ShellContext& shell;
  Settings& settings;
  // Opens topic `key` of the topic file in the viewer, owned by the given window.
  std::function<void(HWND owner, const std::u16string& key)> showTopic;
  std::u16string appDirectory;  // ends with the path separator
};

}  // namespace cardo
