#pragma once
// The services the shell's commands work with, handed to them by the main window (or a test).
#include <functional>

#include "app/list/list_document.h"
#include "app/list/url_list.h"
#include "app/platform/file_system.h"
#include "app/platform/ui.h"

namespace cardo {

class CMenuHistory;

struct ShellContext {
  UrlList& list;
  ListDocument& document;
  Ui& ui;
  FileSystem& fs;
  CMenuHistory& recentFiles;
  // Recomputes the list's horizontal scroll width from all lines.
  std::function<void()> updateHorizontalExtent;
  // The filter the user last chose in the Open, Add and Save As dialogs; 0 shows the first.
  int lastFilterIndex = 0;

  void UpdateHorizontalExtent() const {
    if (updateHorizontalExtent) updateHorizontalExtent();
  }
};

}  // namespace cardo
