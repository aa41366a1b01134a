#pragma once
// The services the list commands work with (the list, its document state, the Ui seam, the
// file system, the recent files), handed to them by the main window that composes them (or a
// test).
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
