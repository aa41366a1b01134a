#pragma once
// The main window's tool windows: the list generators, the extraction dialog (one instance
// each, owned by the main window) and the preferences dialog.
#include <windows.h>

#include <functional>

#include "app/extract/extract_window.h"
#include "app/generators/drop_dialog_window.h"
#include "app/generators/free_input_window.h"
#include "app/generators/gene_list_window.h"
#include "app/generators/spread_url_window.h"
#include "app/platform/bound_library_win.h"
#include "app/settings/preferences_window.h"

namespace cardo {

class ToolWindows {
 public:
  // `setPrefarence` re-applies the settings the main window shows when the preferences close;
  // `spread` and `download` stand in for the library's and the system's own when set (tests).
  ToolWindows(ToolContext context, SpreadFunction spread, Download download,
              std::function<void()> setPrefarence);

  // The open windows store their state into the settings, before the settings are saved.
  // False when a window kept back a text the settings file could not give back whole, said
  // so and holds it for the user to put right.
  bool StoreSettings();

  // Each window's Show creates it the first time and brings it up on every call.
  frmGeneList& GeneList() { return geneList_; }
  frmSpreadUrl& SpreadUrl() { return spreadUrl_; }
  frmFreeInput& FreeInput() { return freeInput_; }
  frmDropDialog& DropDialog() { return dropDialog_; }
  frmExtract& Extract() { return extract_; }
  frmPrefarence& Prefarence() { return prefarence_; }

 private:
  BoundLibrary library_{L"CARDOFNC.DLL"};
  ToolContext context_;
  frmGeneList geneList_{context_};
  frmSpreadUrl spreadUrl_;
  frmFreeInput freeInput_{context_};
  frmDropDialog dropDialog_{context_};
  frmExtract extract_;
  frmPrefarence prefarence_;

  void PreferencesStored(const Settings& before);
};

}  // namespace cardo
