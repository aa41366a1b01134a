#pragma once
// What the list generators' windows work with, handed to them by the main window.
#include <windows.h>

#include <functional>
#include <string>

#include "app/generators/spread_library_win.h"
#include "app/settings/app_settings.h"
#include "app/shell/shell_context.h"

namespace cardo {

struct GeneratorContext {
  HINSTANCE instance;
  HWND main;  // the owner of every generator window
  ShellContext& shell;
  Settings& settings;
  // Opens topic `key` of the topic file in the viewer, owned by the given window.
  std::function<void(HWND owner, const std::u16string& key)> showTopic;
  // The library's expansion; empty for CARDOFNC.DLL's own.
  SpreadFunction spread;
};

}  // namespace cardo
