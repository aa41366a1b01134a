#include "app/controls/vo_com_dlg.h"

namespace cardo {

bool VoComDlg::Show(bool save) {
  FileDialogOptions options;
  options.title = DialogTitle;
  options.defaultExt = DefaultExt;
  options.filter = Filter;
  options.filterIndex = FilterIndex;
  options.initialDir = InitDir;
  options.initialFile = FileName;
  options.extraFlags = flags;
  options.owner = hWnd;
  const auto chosen = save ? ui_.ShowSaveDialog(options) : ui_.ShowOpenDialog(options);
  if (!chosen) return false;
  FileName = chosen->path;
  const auto slash = FileName.find_last_of(u"\\/");
  FileTitle = slash == std::u16string::npos ? FileName : FileName.substr(slash + 1);
  FilterIndex = chosen->filterIndex;
  return true;
}

}  // namespace cardo
