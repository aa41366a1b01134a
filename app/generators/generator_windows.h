#pragma once
// The list generators' tool windows, one instance each, owned by the main window.
#include <windows.h>

#include "app/generators/drop_dialog_window.h"
#include "app/generators/free_input_window.h"
#include "app/generators/gene_list_window.h"
#include "app/generators/spread_url_window.h"
#include "app/platform/bound_library_win.h"

namespace cardo {

class GeneratorWindows {
 public:
  explicit GeneratorWindows(GeneratorContext context);

  // View menu items 1 (drop dialog), 3 (free input), 4 (expansion) and 5 (generator): shows
  // that window, creating it the first time. False for other items.
  bool ShowView(int index);
  // The open windows store their state into the settings, before the settings are saved.
  void StoreSettings();

  frmGeneList& GeneList() { return geneList_; }
  frmSpreadUrl& SpreadUrl() { return spreadUrl_; }
  frmFreeInput& FreeInput() { return freeInput_; }
  frmDropDialog& DropDialog() { return dropDialog_; }

 private:
  GeneratorContext context_;
  BoundLibrary library_{L"CARDOFNC.DLL"};
  frmGeneList geneList_{context_};
  frmSpreadUrl spreadUrl_;
  frmFreeInput freeInput_{context_};
  frmDropDialog dropDialog_{context_};
};

}  // namespace cardo
