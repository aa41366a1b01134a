// The main window's list box: its drawing, the keys and the mouse, moving the selected lines
// by dragging them, and what is dropped on it. The lines keep their selection themselves
// (ListBoxUrlList), so the presses and the keys that select never reach the list box: they
// select through the view, as an extended-selection list box would.
#include "app/shell/main_window.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

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

SelectionKeys HeldKeys() {
  return {.shift = ShiftHeld(), .ctrl = GetKeyState(VK_CONTROL) < 0};
}

// The key's move of the focus row; a one-column list box takes Left and Right for Up and Down.
std::optional<FocusKey> FocusKeyOf(WPARAM key) {
  switch (key) {
    case VK_UP:
    case VK_LEFT:
      return FocusKey::Up;
    case VK_DOWN:
    case VK_RIGHT:
      return FocusKey::Down;
    case VK_PRIOR:
      return FocusKey::PageUp;
    case VK_NEXT:
      return FocusKey::PageDown;
    case VK_HOME:
      return FocusKey::Home;
    case VK_END:
      return FocusKey::End;
    default:
      return std::nullopt;
  }
}

}  // namespace

LRESULT CALLBACK frmMain::ListProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR data) noexcept {
  auto* self = reinterpret_cast<frmMain*>(data);
  try {
    return self->OnListMessage(list, message, wParam, lParam);
  } catch (...) {
    self->ReportUnexpectedFailure();
    return DefSubclassProc(list, message, wParam, lParam);
  }
}

LRESULT frmMain::OnListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (const auto answer = list_->AnswerSelectionMessage(message, wParam, lParam)) return *answer;
  switch (message) {
    case WM_PAINT:
      list_->Painting();
      break;
    case LB_GETTEXTLEN:
    case LB_GETTEXT:
      if (view_) return lstMainList_RowText(wParam, message == LB_GETTEXT ? lParam : 0);
      break;
    case WM_KEYDOWN:
      if (lstMainList_KeyDown(wParam)) return 0;
      break;
    case WM_CHAR:
      if (wParam == L' ') return 0;  // the space selected at its key
      break;
    case WM_CONTEXTMENU:
      return 0;  // the context-menu key and the right button are handled where they arrive
    case WM_RBUTTONDOWN:
      lstMainList_MouseDown(true, at);
      return 0;
    case WM_LBUTTONDOWN:
      lstMainList_MouseDown(false, at);
      lstMainList_Press(wParam, at);
      return 0;
    case WM_LBUTTONDBLCLK:
      // The first press of the two selected the row.
      lstMainList_DblClick();
      return 0;
    case WM_MOUSEMOVE:
      if (lstMainList_MouseMove(wParam, at)) return 0;
      break;
    case WM_LBUTTONUP:
      lstMainList_MouseUp(list, at);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lParam) != list) EndPress();
      break;
    case WM_DROPFILES:
      lstMainList_DropFiles(reinterpret_cast<HDROP>(wParam));
      return 0;
    // Changes of the lines made by the program (the tool windows' and the find window's
    // included): the status bar's counts follow, as they follow the selection.
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

LRESULT frmMain::lstMainList_RowText(WPARAM row, LPARAM buffer) {
  // The list box's rows are the lines the filter shows.
  if (row >= static_cast<WPARAM>(view_->Count())) return LB_ERR;
  const std::u16string& line =
      list_->LineRefs()[static_cast<std::size_t>(list_->LineOfRow(static_cast<int>(row)))];
  if (buffer) {
    std::copy(line.begin(), line.end(), reinterpret_cast<char16_t*>(buffer));
    reinterpret_cast<char16_t*>(buffer)[line.size()] = u'\0';
  }
  return static_cast<LRESULT>(line.size());
}

void frmMain::lstMainList_MouseUp(HWND list, POINT at) {
  const bool wasDragging = dragging_;
  const int pressed = pressedOnSelection_;
  EndPress();
  if (GetCapture() == list) ReleaseCapture();
  if (wasDragging) {
    lstMainList_DragDrop(at);
  } else if (pressed >= 0) {
    // A press on the selection that became no drag selects that line alone.
    selection_.Press(*view_, pressed, {});
  }
}

void frmMain::EndPress() {
  dragging_ = false;
  leftDown_ = false;
  pressedOnSelection_ = -1;
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
  if (const auto focusKey = FocusKeyOf(key)) {
    const int row =
        FocusTarget(*focusKey, std::max(view_->FocusIndex(), 0), view_->Count(), ListPageRows());
    if (row >= 0) selection_.MoveFocus(*view_, row, HeldKeys());
    return true;
  }
  if (key == VK_SPACE) {
    selection_.Space(*view_, HeldKeys());
    return true;
  }
  return false;
}

int frmMain::ListRowAt(POINT listPoint) const {
  const LRESULT hit =
      SendMessageW(list_->hwnd(), LB_ITEMFROMPOINT, 0, MAKELPARAM(listPoint.x, listPoint.y));
  const int row = LOWORD(hit);
  return HIWORD(hit) != 0 || row >= view_->Count() ? -1 : row;
}

int frmMain::ListPageRows() const {
  RECT client{};
  GetClientRect(list_->hwnd(), &client);
  const auto rowHeight = SendMessageW(list_->hwnd(), LB_GETITEMHEIGHT, 0, 0);
  return rowHeight > 0 ? static_cast<int>((client.bottom - client.top) / rowHeight) : 1;
}

void frmMain::lstMainList_Press(WPARAM keys, POINT listPoint) {
  // As the list box does: the focus comes here, and the release too wherever it happens.
  SetFocus(list_->hwnd());
  SetCapture(list_->hwnd());
  const int row = ListRowAt(listPoint);
  if (row < 0) return;
  const SelectionKeys held{.shift = (keys & MK_SHIFT) != 0, .ctrl = (keys & MK_CONTROL) != 0};
  if (!held.shift && !held.ctrl && view_->Selected(row) && view_->SelectedCount() >= 2) {
    view_->SetFocusIndex(row);
    pressedOnSelection_ = row;
    return;
  }
  selection_.Press(*view_, row, held);
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
  // The press is the program's, not the list box's: the list box never sees its moves.
  if (!dragging_) {
    const int dx = std::abs(listPoint.x - dragOrigin_.x);
    const int dy = std::abs(listPoint.y - dragOrigin_.y);
    if (dx < GetSystemMetrics(SM_CXDRAG) && dy < GetSystemMetrics(SM_CYDRAG)) return true;
    if (list_->FocusIndex() < 0) return true;
    dragging_ = true;
  }
  if (dragCursor_) SetCursor(dragCursor_);
  return true;
}

void frmMain::lstMainList_DragDrop(POINT listPoint) {
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
    const int line = list_->LineOfRow(static_cast<int>(item.itemID));
    const bool selected = list_->Selected(line);
    FillRect(dc, &rect, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const auto& text = list_->LineRefs()[static_cast<std::size_t>(line)];
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
