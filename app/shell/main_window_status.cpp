// The main window's status bar under the list: the count of lines, the count of selected
// lines, the clipboard watch and what the last change of the list did. View > ステータスバー
// shows and hides it; the settings keep the choice.
#include <algorithm>
#include <array>

#include "app/controls/twips.h"
#include "app/platform/text.h"
#include "app/platform/wide_text_win.h"
#include "app/resources/resource.h"
#include "app/shell/main_window.h"
#include "app/shell/messages.h"

namespace cardo {
namespace {

// The widths of the fixed parts at 96 DPI (lines, selected lines, clipboard watch); the note
// takes the rest. While the filter is on the first part is wider by kFilterPartAt96, for
// "フィルタ: 12 / 3400 行を表示中". The watch part, empty unless the clipboard is watched,
// gives up its width while it is empty, so that the note keeps room for its text; a note
// still cut shows whole as the part's tip.
constexpr std::array<int, 3> kPartWidthsAt96 = {110, 130, 140};
constexpr int kFilterPartAt96 = 110;

}  // namespace

void frmMain::CreateStatusBar() {
  status_ = CreateWindowExW(0, STATUSCLASSNAMEW, nullptr, WS_CHILD | SBARS_TOOLTIPS, 0, 0, 0, 0,
                            hwnd(), reinterpret_cast<HMENU>(IDC_STATUSBAR), instance_, nullptr);
}

void frmMain::ShowStatusBar(bool shown) {
  services_.settings.StatusBar = shown ? 1 : 0;
  statusShown_ = shown;
  ShowWindow(status_, shown ? SW_SHOWNA : SW_HIDE);
  CheckMenuItem(GetMenu(hwnd()), IDM_VIEW_STATUSBAR,
                MF_BYCOMMAND | (shown ? MF_CHECKED : MF_UNCHECKED));
  Form_Resize();
  UpdateStatusBar();
}

void frmMain::mnuStatusBar_Click() {
  ShowStatusBar(!statusShown_);
}

// The bar's height follows its font; the list takes what is left above it.
int frmMain::PlaceStatusBar(int clientWidth) {
  if (!status_ || !statusShown_) return 0;
  SendMessageW(status_, WM_SIZE, 0, 0);
  std::array<int, kPartWidthsAt96.size() + 1> edges{};
  std::array<int, kPartWidthsAt96.size()> widths = kPartWidthsAt96;
  if (view_ && view_->Filtering()) widths[0] += kFilterPartAt96;
  if (!watchingClipboard_) widths[2] = 0;
  int edge = 0;
  for (std::size_t i = 0; i < widths.size(); ++i) {
    edge += widths[i];
    edges[i] = std::min(ScaleForDpi(edge, dpi_), clientWidth);
  }
  edges.back() = -1;
  SendMessageW(status_, SB_SETPARTS, edges.size(), reinterpret_cast<LPARAM>(edges.data()));
  RECT bar{};
  GetWindowRect(status_, &bar);
  return bar.bottom - bar.top;
}

void frmMain::SetStatusNote(std::u16string note) {
  statusNote_ = std::move(note);
  UpdateStatusBar();
}

// Selections change by many calls in a row (a select all sets each line); the counts are
// read once they are done.
void frmMain::ScheduleStatusUpdate() {
  if (statusUpdatePending_ || !hwnd_) return;
  statusUpdatePending_ = PostMessageW(hwnd(), kStatusUpdateMessage, 0, 0) != FALSE;
}

void frmMain::UpdateStatusBar() {
  statusUpdatePending_ = false;
  if (!status_ || !list_ || !view_ || !statusShown_) return;
  const std::u16string lines = view_->Filtering()
                                   ? msg::kStatusFilterPrefix + DecimalText(view_->Count()) +
                                         msg::kStatusFilterMiddle + DecimalText(list_->Count()) +
                                         msg::kStatusFilterSuffix
                                   : DecimalText(list_->Count()) + msg::kStatusLinesSuffix;
  const std::array<std::u16string, 4> parts = {
      lines,
      msg::kStatusSelectedPrefix + DecimalText(view_->SelectedCount()) + msg::kStatusSelectedSuffix,
      watchingClipboard_ ? std::u16string(msg::kStatusWatching) : std::u16string(),
      statusNote_,
  };
  for (std::size_t i = 0; i < parts.size(); ++i) {
    SendMessageW(status_, SB_SETTEXTW, i, reinterpret_cast<LPARAM>(W(parts[i])));
  }
  SendMessageW(status_, SB_SETTIPTEXTW, parts.size() - 1, reinterpret_cast<LPARAM>(W(statusNote_)));
}

std::u16string frmMain::StatusText(int part) const {
  wchar_t text[256] = {};
  const auto length = LOWORD(SendMessageW(status_, SB_GETTEXTLENGTHW, part, 0));
  if (length >= std::size(text)) return {};
  SendMessageW(status_, SB_GETTEXTW, part, reinterpret_cast<LPARAM>(text));
  return std::u16string(reinterpret_cast<const char16_t*>(text));
}

}  // namespace cardo
