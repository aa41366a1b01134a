#pragma once
// VoComDlg: the file-open and file-save dialogs as properties and two methods, behind the Ui
// seam so tests can answer them. A cancelled dialog returns false and changes nothing.
#include <cstdint>
#include <string>

#include "app/platform/ui.h"

namespace cardo {

class VoComDlg {
 public:
  explicit VoComDlg(Ui& ui) : ui_(ui) {}

  bool ShowOpen() { return Show(false); }
  bool ShowSave() { return Show(true); }

  std::u16string FileName;   // in: the name offered; out: the chosen file's full path
  std::u16string FileTitle;  // out: the chosen file's name without its folder
  std::u16string DialogTitle;
  std::u16string DefaultExt;
  std::u16string InitDir;
  std::u16string Filter;    // "description|pattern|description|pattern..."
  int FilterIndex = 0;      // in: the filter shown first (1-based); out: the one chosen
  std::uint32_t flags = 0;  // the file dialogs' option bits, passed through
  std::uintptr_t hWnd = 0;  // the owner window

 private:
  bool Show(bool save);
  Ui& ui_;
};

}  // namespace cardo
