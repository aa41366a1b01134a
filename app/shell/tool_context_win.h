#pragma once
// What the tool windows (the generators, the extraction dialog, the preferences) work with,
// handed to them by the main window.
#include <windows.h>

#include <functional>
#include <string>

#include "app/extract/download_win.h"
#include "app/generators/spread_library_win.h"
#include "app/settings/app_settings.h"
#include "app/shell/shell_context.h"

namespace cardo {

struct ToolContext {
  HINSTANCE instance;
  HWND main;  // the owner of every tool window
  ShellContext& shell;
  Settings& settings;
  // Opens topic `key` of the topic file in the viewer, owned by the given window.
  std::function<void(HWND owner, const std::u16string& key)> showTopic;
  // The library's expansion and download; empty for CARDOFNC.DLL's own.
  SpreadFunction spread;
  DownloadBinder download;
  std::u16string appDirectory;  // ends with the path separator
};

}  // namespace cardo
