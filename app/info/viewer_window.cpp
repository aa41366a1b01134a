#include "app/info/viewer_window.h"

#include "app/controls/dpi_win.h"
#include "app/info/messages.h"
#include "app/info/topic_file.h"
#include "app/list/list_file.h"
#include "app/list/messages.h"
#include "app/platform/codec.h"
#include "app/resources/resource.h"

namespace cardo {

void frmSmplViewer::Show(HWND owner) {
  if (!IsOpen() && !CreateModeless(instance_, IDD_VIEWER, owner)) return;
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
}

std::u16string frmSmplViewer::Text() const {
  return ControlText(Item(IDC_TXTVALUE));
}

bool frmSmplViewer::OnInit() {
  Form_Load();
  // The focus goes to the text with the caret at its start, not with all of it selected.
  SetFocus(Item(IDC_TXTVALUE));
  SendMessageW(Item(IDC_TXTVALUE), EM_SETSEL, 0, 0);
  return false;
}

bool frmSmplViewer::OnCommand(int id, int) {
  switch (id) {
    case IDM_VIEWER_SAVE:
      mnuFileSub_Click(1);
      return true;
    case IDM_VIEWER_CLOSE:
      mnuFileSub_Click(3);
      return true;
    case IDM_VIEWER_COPY:
      mnuEditSub_Click(1);
      return true;
    case IDC_VIEWER_CLOSE:  // cmdClose, also Esc
      Close(IDCANCEL);
      return true;
    default:
      return false;
  }
}

INT_PTR frmSmplViewer::OnMessage(UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_SIZE:
      Form_Resize();
      return TRUE;
    case WM_INITMENUPOPUP: {
      // Copy only when the active control holds a selection.
      DWORD start = 0, end = 0;
      SendMessageW(GetFocus(), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                   reinterpret_cast<LPARAM>(&end));
      const bool selected = GetFocus() == Item(IDC_TXTVALUE) && end > start;
      EnableMenuItem(GetMenu(hwnd()), IDM_VIEWER_COPY, selected ? MF_ENABLED : MF_GRAYED);
      return TRUE;
    }
    case WM_CLOSE:
      Close(IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

// The topics line up with spaces: a fixed-pitch font shows them as written, 12 pixels high at
// 96 DPI and as high in inches at every other.
void frmSmplViewer::SetTextFont() {
  UniqueGdi font(CreateFontW(-ScaleForDpi(12, Dpi()), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                             DEFAULT_QUALITY, FIXED_PITCH | FF_MODERN, L"ＭＳ ゴシック"));
  if (!font) return;
  SendMessageW(Item(IDC_TXTVALUE), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  font_ = std::move(font);
}

void frmSmplViewer::OnDpiChanged(int) {
  SetTextFont();
}

void frmSmplViewer::Form_Load() {
  HWND text = Item(IDC_TXTVALUE);
  SendMessageW(text, EM_SETLIMITTEXT, 0, 0);
  SetTextFont();
  Form_Resize();
  if (LoadFile.empty()) return;
  std::u16string path = appDirectory_;
  if (path.empty() || path.back() != PathSeparator()) path += PathSeparator();
  path += LoadFile;
  if (!IsExistingFile(fs_, path)) {
    ShowError(ui_, u"[" + path + msg::kTopicFileMissing);
    return;
  }
  const auto bytes = fs_.ReadAll(path);
  if (!bytes) {
    ShowError(ui_, msg::kOpenFailed);
    return;
  }
  SetControlText(text, TopicText(AnsiToWide(*bytes), Key));
}

void frmSmplViewer::Form_Resize() {
  RECT client{};
  GetClientRect(hwnd(), &client);
  MoveWindow(Item(IDC_TXTVALUE), 0, 0, client.right, client.bottom, TRUE);
}

void frmSmplViewer::mnuFileSub_Click(int index) {
  if (index == 3) {
    Close(IDCANCEL);
    return;
  }
  if (index != 1) return;
  FileDialogOptions options;
  options.title = msg::kViewerSaveTitle;
  options.filter = msg::kTextFilter;
  options.defaultExt = u"txt";
  options.overwritePrompt = true;
  options.pathMustExist = true;
  options.hideReadOnly = true;
  options.owner = reinterpret_cast<std::uintptr_t>(hwnd());
  const auto chosen = ui_.ShowSaveDialog(options);
  if (!chosen) return;
  if (!fs_.WriteAll(chosen->path, WideToAnsi(Text()))) {
    ShowError(ui_, msg::kSaveFailed + (u"\r\n" + chosen->path) + u"\r\n" + fs_.LastErrorText());
  }
}

void frmSmplViewer::mnuEditSub_Click(int index) {
  if (index != 1) return;
  DWORD start = 0, end = 0;
  HWND text = Item(IDC_TXTVALUE);
  SendMessageW(text, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  if (end <= start) return;
  ui_.SetClipboardText(Text().substr(start, end - start));
}

}  // namespace cardo
