// The main window's filter box: a find-as-you-type filter over the list. While it holds a
// text only the lines holding it are shown, and the commands act on those lines; the list
// itself keeps every line (Save writes them all).
#include "app/shell/main_window.h"

#include <commctrl.h>

#include <algorithm>

#include "app/controls/dialog_win.h"
#include "app/controls/twips.h"
#include "app/platform/wide_text_win.h"
#include "app/platform/win_check.h"
#include "app/platform/win_handle.h"
#include "app/resources/resource.h"
#include "app/shell/messages.h"

namespace cardo {
namespace {

constexpr UINT_PTR kFilterSubclassId = 1;
// The box's width at 96 DPI; its height follows its font.
constexpr int kFilterWidthAt96 = 180;
constexpr int kFilterMarginAt96 = 4;

}  // namespace

void frmMain::CreateFilterBox() {
  filter_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", nullptr,
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 0, 0, hwnd(),
                            reinterpret_cast<HMENU>(IDC_TXTFILTER), instance_, nullptr);
  CARDO_CHECK_WIN32(filter_);
  SendMessageW(filter_, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(W(msg::kFilterCue)));
  CARDO_CHECK_WIN32(SetWindowSubclass(filter_, FilterBoxProc, kFilterSubclassId,
                                      reinterpret_cast<DWORD_PTR>(this)));
}

// The box stands at the right end of the toolbar's row, centred in it; the width it takes
// from the row is returned.
int frmMain::PlaceFilterBox(int top, int rowHeight, int clientWidth) {
  if (!filter_) return 0;
  SendMessageW(filter_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  TEXTMETRICW metrics{};
  {
    const WindowDc dc(filter_);
    const ScopedSelect selected(dc.get(), font_.get());
    GetTextMetricsW(dc.get(), &metrics);
  }
  const int margin = ScaleForDpi(kFilterMarginAt96, dpi_);
  const int width = std::min(ScaleForDpi(kFilterWidthAt96, dpi_), clientWidth / 3);
  const int height = std::min<int>(metrics.tmHeight + 2 * GetSystemMetrics(SM_CYEDGE) + margin,
                                   std::max(rowHeight, 1));
  MoveWindow(filter_, clientWidth - width - margin, top + (rowHeight - height) / 2, width, height,
             TRUE);
  return width + 2 * margin;
}

void frmMain::FocusFilterBox() {
  SetFocus(filter_);
  SendMessageW(filter_, EM_SETSEL, 0, -1);
}

void frmMain::txtFilter_Change() {
  const bool was = view_->Filtering();
  view_->SetFilter(ControlText(filter_));
  // The status bar's first part widens for the filter's count, and narrows after it.
  if (was != view_->Filtering()) Form_Resize();
  UpdateStatusBar();
}

void frmMain::ResetFilterBox() {
  if (!filter_ || GetWindowTextLengthW(filter_) == 0) return;
  SetWindowTextW(filter_, L"");  // its change turns the filter off
}

bool frmMain::txtFilter_KeyDown(WPARAM key) {
  if (key == VK_ESCAPE) {
    SetWindowTextW(filter_, L"");
    SetFocus(list_->hwnd());
    return true;
  }
  if (key == VK_RETURN || (key == VK_DOWN && GetKeyState(VK_CONTROL) >= 0)) {
    SetFocus(list_->hwnd());
    return true;
  }
  return false;
}

LRESULT CALLBACK frmMain::FilterBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR, DWORD_PTR data) noexcept {
  auto* self = reinterpret_cast<frmMain*>(data);
  try {
    switch (message) {
      case WM_KEYDOWN:
        if (self->txtFilter_KeyDown(wParam)) return 0;
        break;
      case WM_CHAR:
        // A one-line box beeps at Enter and Esc, which it has already handled.
        if (wParam == VK_RETURN || wParam == VK_ESCAPE) return 0;
        break;
      case WM_NCDESTROY:
        RemoveWindowSubclass(box, FilterBoxProc, kFilterSubclassId);
        break;
      default:
        break;
    }
  } catch (...) {
    self->ReportUnexpectedFailure();
  }
  return DefSubclassProc(box, message, wParam, lParam);
}

}  // namespace cardo
