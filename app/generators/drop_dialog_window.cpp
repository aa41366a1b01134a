#include "app/generators/drop_dialog_window.h"

#include <windowsx.h>

#include <algorithm>

#include "app/controls/dpi_win.h"
#include "app/controls/vo_panel_win.h"
#include "app/generators/generator_text.h"
#include "app/list/list_file.h"
#include "app/list/pending_lines.h"
#include "app/resources/resource.h"
#include "app/platform/win_check.h"

namespace cardo {
namespace {

// The designed layout, in twips.
constexpr int kClientWidth = 1395;
constexpr int kClientHeight = 345;
constexpr int kPanelTop = 45;
constexpr int kPanelWidth = 615;
constexpr int kPanelHeight = 255;
constexpr int kPanelLeft[2] = {45, 720};
constexpr const wchar_t* kPanelCaption[2] = {L"URL", L"LIST"};

}  // namespace

void frmDropDialog::Show() {
  ShowModeless(context_.instance, IDD_DROPDIALOG, context_.main);
}

bool frmDropDialog::OnCommand(int id, int) {
  if (id != IDCANCEL) return false;
  Close(IDCANCEL);
  return true;
}

INT_PTR frmDropDialog::OnMessage(UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      Form_MouseDown(ScreenPoint(hwnd(), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
      return TRUE;
    case WM_MOUSEMOVE:
      Form_MouseMove(ScreenPoint(hwnd(), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)));
      return TRUE;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      Form_MouseUp();
      return TRUE;
    case WM_CAPTURECHANGED:
      dragging_ = false;
      return TRUE;
    case WM_CLOSE:
      Close(IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

POINT frmDropDialog::ScreenPoint(HWND from, int x, int y) const {
  POINT point{x, y};
  ClientToScreen(from, &point);
  return point;
}

void frmDropDialog::Form_Load() {
  for (int i = 0; i < 2; ++i) {
    HWND panelWindow = Item(i == 0 ? IDC_VOPDROPPANELL0 : IDC_VOPDROPPANELL1);
    // Without SS_NOTIFY the label lets the mouse through to its panel.
    CARDO_CHECK_WIN32(CreateWindowExW(0, L"STATIC", kPanelCaption[i],
                                      WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE, 0, 0, 0,
                                      0, panelWindow, nullptr, context_.instance, nullptr));
    VoPanel* panel = VoPanel::From(panelWindow);
    if (!panel) continue;
    panel->OLEDragOver = [this, i](const DropData& d, DWORD allowed) {
      return vopDropPanell_OLEDragOver(i, d, allowed);
    };
    panel->OLEDragDrop = [this, i](const DropData& d, DWORD allowed) {
      return vopDropPanell_OLEDragDrop(i, d, allowed);
    };
    panel->MouseDown = [this, panelWindow](const VoPanel::MouseEvent& e) {
      Form_MouseDown(ScreenPoint(panelWindow, e.x, e.y));
    };
    panel->SetOLEDropMode(true);
  }
  PlaceByTwips();

  // Beside the main window's top right corner, inside the work area.
  RECT self{}, owner{}, work{};
  GetWindowRect(hwnd(), &self);
  GetWindowRect(context_.main, &owner);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int width = self.right - self.left;
  const int height = self.bottom - self.top;
  const int left =
      std::clamp<int>(owner.right, work.left, std::max<int>(work.right - width, work.left));
  const int top =
      std::clamp<int>(owner.top, work.top, std::max<int>(work.bottom - height, work.top));
  SetWindowPos(hwnd(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The client area, the panels and their labels at their designed twips, at the dialog's DPI.
void frmDropDialog::PlaceByTwips() {
  SetClientSize(hwnd(), TwipsToPixels(kClientWidth, Dpi()), TwipsToPixels(kClientHeight, Dpi()));
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
  const int border = std::max(1, ScaleForDpi(1, Dpi()));
  for (int i = 0; i < 2; ++i) {
    HWND panelWindow = Item(i == 0 ? IDC_VOPDROPPANELL0 : IDC_VOPDROPPANELL1);
    MoveWindow(panelWindow, TwipsToPixels(kPanelLeft[i], Dpi()), TwipsToPixels(kPanelTop, Dpi()),
               TwipsToPixels(kPanelWidth, Dpi()), TwipsToPixels(kPanelHeight, Dpi()), TRUE);
    HWND label = GetWindow(panelWindow, GW_CHILD);
    if (!label) continue;
    RECT inside{};
    GetClientRect(panelWindow, &inside);
    // Inside the panel's border, which is as wide as the DPI makes one pixel.
    MoveWindow(label, border, border, std::max<LONG>(inside.right - 2 * border, 0),
               std::max<LONG>(inside.bottom - 2 * border, 0), TRUE);
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
}

void frmDropDialog::OnDpiChanged(int) {
  PlaceByTwips();
}

void frmDropDialog::Form_MouseDown(POINT screen) {
  pressedAt_ = screen;
  dragging_ = true;
  // Moves arrive here wherever the pointer goes until the button is released.
  SetCapture(hwnd());
}

void frmDropDialog::Form_MouseMove(POINT screen) {
  if (!dragging_) return;
  RECT self{};
  GetWindowRect(hwnd(), &self);
  SetWindowPos(hwnd(), nullptr, self.left + screen.x - pressedAt_.x,
               self.top + screen.y - pressedAt_.y, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  pressedAt_ = screen;
}

void frmDropDialog::Form_MouseUp() {
  dragging_ = false;
  if (GetCapture() == hwnd()) ReleaseCapture();
}

DWORD frmDropDialog::vopDropPanell_OLEDragOver(int index, const DropData& data,
                                               DWORD allowed) const {
  const bool accepted = index == 0 ? data.text && AcceptsUrlDrop(*data.text) : !data.files.empty();
  if (!accepted) return DROPEFFECT_NONE;
  return CopyEffect(allowed);
}

DWORD frmDropDialog::vopDropPanell_OLEDragDrop(int index, const DropData& data, DWORD allowed) {
  const DWORD effect = vopDropPanell_OLEDragOver(index, data, allowed);
  if (effect == DROPEFFECT_NONE) return effect;
  ShellContext& shell = context_.shell;
  if (index == 0) {
    PendingLines pending(shell.list);
    pending.Add(*data.text);
    pending.Commit(shell);
    return effect;
  }
  ListReadNotes notes;
  {
    RedrawSuspension hidden(shell.list);
    for (const auto& path : data.files) OpenListFile(shell, path, true, &notes);
    ShowLastLine(shell.list);
  }
  shell.document.MarkModified();
  shell.UpdateHorizontalExtent();
  ReportListReadNotes(shell.ui, notes);
  return effect;
}

}  // namespace cardo
