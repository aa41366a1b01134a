// The main window's list box: its drawing, the keys and the mouse, moving the selected lines
// by dragging them, and what is dropped on it.
#include "app/shell/main_window.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

#include "app/controls/dpi_win.h"
#include "app/editing/edit_dialog.h"
#include "app/list/edit_commands.h"
#include "app/list/list_file.h"
#include "app/platform/wide_text_win.h"
#include "app/platform/win_check.h"
#include "app/platform/win_handle.h"
#include "app/resources/resource.h"

namespace cardo {
namespace {

bool ShiftHeld() {
  return GetKeyState(VK_SHIFT) < 0;
}
bool CtrlOrAltHeld() {
  return GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0;
}

}  // namespace

LRESULT CALLBACK frmMain::ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR data) noexcept {
  auto* self = reinterpret_cast<frmMain*>(data);
  try {
    return self->OnListMessage(list, message, wParam, lParam);
  } catch (...) {
    OutputDebugStringW(L"Cardo: an exception reached the list procedure\n");
    return DefSubclassProc(list, message, wParam, lParam);
  }
}

LRESULT frmMain::OnListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  switch (message) {
    case LB_GETTEXTLEN:
    case LB_GETTEXT: {
      if (!view_) break;
      // The list box's rows are the lines the filter shows.
      if (wParam >= static_cast<WPARAM>(view_->Count())) return LB_ERR;
      const std::u16string& line =
          list_->LineRefs()[static_cast<std::size_t>(list_->LineOfRow(static_cast<int>(wParam)))];
      if (message == LB_GETTEXT && lParam) {
        std::copy(line.begin(), line.end(), reinterpret_cast<char16_t*>(lParam));
        reinterpret_cast<char16_t*>(lParam)[line.size()] = u'\0';
      }
      return static_cast<LRESULT>(line.size());
    }
    case WM_KEYDOWN:
      if (lstMainList_KeyDown(wParam)) return 0;
      break;
    case WM_CONTEXTMENU:
      return 0;  // the context-menu key and the right button are handled where they arrive
    case WM_RBUTTONDOWN:
      lstMainList_MouseDown(true, at);
      return 0;
    case WM_LBUTTONDOWN:
      lstMainList_MouseDown(false, at);
      if (PressOnSelection(wParam, at)) return 0;
      break;
    case WM_MOUSEMOVE:
      if (lstMainList_MouseMove(wParam, at)) return 0;
      break;
    case WM_LBUTTONUP: {
      // The list releases its capture here, which would end the drag before the drop.
      const bool wasDragging = dragging_;
      const int pressed = pressedOnSelection_;
      dragging_ = false;
      leftDown_ = false;
      pressedOnSelection_ = -1;
      const LRESULT result = DefSubclassProc(list, message, wParam, lParam);
      if (wasDragging) {
        lstMainList_DragDrop(at);
      } else if (pressed >= 0) {
        // A click on the selection that became no drag selects that line alone, as the
        // list does on a press.
        view_->SetAllSelected(false);
        view_->SetSelected(pressed, true);
        view_->SetFocusIndex(pressed);
      }
      return result;
    }
    case WM_CAPTURECHANGED:
      if (dragging_ && reinterpret_cast<HWND>(lParam) != list) {
        dragging_ = false;
        leftDown_ = false;
      }
      break;
    case WM_DROPFILES:
      lstMainList_DropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    // Changes of the lines or the selection made by the program (the tool windows' and the
    // find window's included): the status bar's counts follow.
    case LB_SETSEL:
    case LB_SELITEMRANGE:
    case LB_SELITEMRANGEEX:
    case LB_SETCOUNT:
    case LB_RESETCONTENT:
    case LB_INSERTSTRING:
    case LB_DELETESTRING:
      ScheduleStatusUpdate();
      break;
    default:
      break;
  }
  return DefSubclassProc(list, message, wParam, lParam);
}

void frmMain::ShowRightClickMenu(POINT screen) {
  HMENU menu = GetSubMenu(popups_.get(), POPUP_RMNU);
  SetMenuDefaultItem(menu, IDM_EDIT_LINE, FALSE);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0,
                 hwnd(), nullptr);
}

bool frmMain::lstMainList_KeyDown(WPARAM key) {
  if ((key == VK_F2 || key == VK_RETURN) && !ShiftHeld() && !CtrlOrAltHeld()) {
    if (list_->FocusIndex() >= 0) lstMainList_DblClick();
    return true;
  }
  if (key == VK_INSERT) {
    ToggleFocusSelection(*view_);
    return true;
  }
  if (key == VK_APPS && !ShiftHeld() && !CtrlOrAltHeld()) {
    POINT corner{0, 0};
    ClientToScreen(list_->hwnd(), &corner);
    ShowRightClickMenu(corner);
    return true;
  }
  return false;
}

bool frmMain::PressOnSelection(WPARAM keys, POINT listPoint) {
  if (keys & (MK_SHIFT | MK_CONTROL) || list_->SelectedCount() < 2) return false;
  const LRESULT hit =
      SendMessageW(list_->hwnd(), LB_ITEMFROMPOINT, 0, MAKELPARAM(listPoint.x, listPoint.y));
  const int row = LOWORD(hit);
  if (HIWORD(hit) != 0 || row >= view_->Count() || !view_->Selected(row)) return false;
  // The press keeps the selection so that a drag can take all of it; the list would have
  // selected the pressed line alone.
  SetFocus(list_->hwnd());
  view_->SetFocusIndex(row);
  pressedOnSelection_ = row;
  return true;
}

void frmMain::lstMainList_MouseDown(bool right, POINT listPoint) {
  dragOrigin_ = listPoint;
  if (!right) {
    leftDown_ = true;
    return;
  }
  // The menu opens on the press, not on release.
  POINT screen = listPoint;
  ClientToScreen(list_->hwnd(), &screen);
  ShowRightClickMenu(screen);
}

bool frmMain::lstMainList_MouseMove(WPARAM keys, POINT listPoint) {
  if (!(keys & MK_LBUTTON) || !leftDown_) {
    leftDown_ = false;
    return false;
  }
  if (!dragging_) {
    const int dx = std::abs(listPoint.x - dragOrigin_.x);
    const int dy = std::abs(listPoint.y - dragOrigin_.y);
    if (dx < GetSystemMetrics(SM_CXDRAG) && dy < GetSystemMetrics(SM_CYDRAG)) return false;
    if (list_->FocusIndex() < 0) return false;
    dragging_ = true;
    SetCapture(list_->hwnd());
  }
  if (dragCursor_) SetCursor(dragCursor_);
  return true;  // while dragging, the list does not extend its selection
}

void frmMain::lstMainList_DragDrop(POINT listPoint) {
  if (GetCapture() == list_->hwnd()) ReleaseCapture();
  RECT client{};
  GetClientRect(list_->hwnd(), &client);
  if (!PtInRect(&client, listPoint)) return;
  if (listPoint.x == dragOrigin_.x && listPoint.y == dragOrigin_.y) return;

  SIZE letter{};
  {
    const WindowDc dc(list_->hwnd());
    const ScopedSelect selected(dc.get(), font_.get());
    CARDO_CHECK_WIN32(GetTextExtentPoint32W(dc.get(), L"A", 1, &letter));
  }

  const int row = DropTargetRow(view_->TopIndex(), PixelsToTwips(listPoint.y, dpi_),
                                PixelsToTwips(letter.cy, dpi_), view_->Count());
  bool moved = false;
  {
    RedrawSuspension hidden(shell_->list);
    moved = MoveLinesTo(shell_->list, row);
  }
  if (!moved) return;
  document_->MarkModified();
  UpdateHorizontalExtent();
}

void frmMain::lstMainList_DrawItem(const DRAWITEMSTRUCT& item) {
  HDC dc = item.hDC;
  RECT rect = item.rcItem;
  if (item.itemID != static_cast<UINT>(-1) && item.itemID < static_cast<UINT>(view_->Count())) {
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    FillRect(dc, &rect, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const auto& text =
        list_
            ->LineRefs()[static_cast<std::size_t>(list_->LineOfRow(static_cast<int>(item.itemID)))];
    const ScopedSelect font(dc, font_.get());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    ExtTextOutW(dc, rect.left + 1, rect.top, ETO_CLIPPED, &rect, W(text),
                static_cast<UINT>(text.size()), nullptr);
  }
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &rect);
}

void frmMain::lstMainList_DblClick() {
  frmEditDlg(instance_, *shell_).EditFocusLine(hwnd());
}

DWORD frmMain::lstMainList_OLEDragDrop(const DropData& data) {
  if (data.text) {
    DropTextOnList(*shell_, *data.text);
  } else if (!data.files.empty()) {
    const bool shift = (data.keys & MK_SHIFT) != 0;
    const bool others = (data.keys & (MK_CONTROL | MK_ALT)) != 0;
    DropFilesOnList(*shell_, data.files, shift, others);
  } else {
    return DROPEFFECT_NONE;
  }
  return DROPEFFECT_COPY;
}

void frmMain::lstMainList_DropFiles(HDROP drop) {
  std::vector<std::u16string> files;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    const UINT length = DragQueryFileW(drop, i, nullptr, 0);
    std::u16string name(length, u'\0');
    DragQueryFileW(drop, i, reinterpret_cast<wchar_t*>(name.data()), length + 1);
    files.push_back(std::move(name));
  }
  DragFinish(drop);
  DropFilesOnList(*shell_, files, ShiftHeld(), CtrlOrAltHeld());
}

}  // namespace cardo
