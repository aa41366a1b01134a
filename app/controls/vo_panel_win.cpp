#include "app/controls/vo_panel_win.h"

#include <windowsx.h>

#include <algorithm>

#include "app/controls/dpi_win.h"
#include "app/platform/win_handle.h"

namespace cardo {

void VoPanel::SetView(View view) {
  view_ = view;
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void VoPanel::SetAppearance(Appearance appearance) {
  appearance_ = appearance;
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void VoPanel::SetBackColor(COLORREF color) {
  backColor_ = color;
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void VoPanel::SetPaneling(bool on) {
  paneling_ = on;
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void VoPanel::SetOLEDropMode(bool accepts) {
  DropTarget::SetDropMode(hwnd(), dropMode_, accepts, OLEDragOver, OLEDragDrop);
}

void VoPanel::Paint(HDC dc) {
  RECT r{};
  GetClientRect(hwnd(), &r);
  const UniqueGdi back(CreateSolidBrush(backColor_));
  FillRect(dc, &r, static_cast<HBRUSH>(back.get()));
  if (appearance_ != Appearance::ThreeD) return;
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  // A step of the border is as many pixels wide as one pixel is at 96 DPI.
  const int line = std::max(1, ScaleForDpi(1, WindowDpi(hwnd())));
  auto step = [dc](RECT box, COLORREF topLeft, COLORREF bottomRight) {
    const UniqueGdi lightPen(CreatePen(PS_SOLID, 1, topLeft));
    const UniqueGdi darkPen(CreatePen(PS_SOLID, 1, bottomRight));
    {
      const ScopedSelect light(dc, lightPen.get());
      MoveToEx(dc, box.left, box.bottom - 1, nullptr);
      LineTo(dc, box.left, box.top);
      LineTo(dc, box.right - 1, box.top);
    }
    const ScopedSelect dark(dc, darkPen.get());
    LineTo(dc, box.right - 1, box.bottom - 1);
    LineTo(dc, box.left - 1, box.bottom - 1);
  };
  auto frame = [&](COLORREF topLeft, COLORREF bottomRight) {
    for (int i = 0; i < line; ++i) {
      step(r, topLeft, bottomRight);
      InflateRect(&r, -1, -1);
    }
  };
  const bool raised = view_ == View::Raised;
  frame(raised ? light : shadow, raised ? shadow : light);
  // A second step inside, the reverse of the outer one, for a grooved panel.
  if (paneling_) frame(raised ? shadow : light, raised ? light : shadow);
}

bool VoPanel::Inside(LPARAM lParam) const {
  RECT r{};
  GetClientRect(hwnd(), &r);
  const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  return PtInRect(&r, at) != FALSE;
}

VoPanel::MouseEvent VoPanel::Mouse(WPARAM keys, LPARAM lParam, int button) const {
  int shift = 0;
  if (keys & MK_SHIFT) shift |= 1;
  if (keys & MK_CONTROL) shift |= 2;
  if (GetKeyState(VK_MENU) < 0) shift |= 4;
  return {button, shift, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}

LRESULT VoPanel::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      const PaintDc dc(hwnd());
      Paint(dc.get());
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      const int button = message == WM_LBUTTONDOWN ? 1 : message == WM_RBUTTONDOWN ? 2 : 4;
      if (button == 1) leftDown_ = true;
      // Held, so the release arrives here even outside the panel.
      SetCapture(hwnd());
      if (MouseDown) MouseDown(Mouse(wParam, lParam, button));
      return 0;
    }
    case WM_MOUSEMOVE: {
      int button = 0;
      if (wParam & MK_LBUTTON) button |= 1;
      if (wParam & MK_RBUTTON) button |= 2;
      if (wParam & MK_MBUTTON) button |= 4;
      if (MouseMove) MouseMove(Mouse(wParam, lParam, button));
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      const int button = message == WM_LBUTTONUP ? 1 : message == WM_RBUTTONUP ? 2 : 4;
      const bool clicked = button == 1 && leftDown_ && Inside(lParam);
      if (button == 1) leftDown_ = false;
      if (!(wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) && GetCapture() == hwnd()) {
        ReleaseCapture();
      }
      if (MouseUp) MouseUp(Mouse(wParam, lParam, button));
      if (clicked && Click) Click();
      return 0;
    }
    case WM_CAPTURECHANGED:
      // Taken away mid-press (a menu, another window): no click comes of that press.
      if (reinterpret_cast<HWND>(lParam) != hwnd()) leftDown_ = false;
      return 0;
    case WM_LBUTTONDBLCLK:
      if (DblClick) DblClick();
      return 0;
    case WM_DESTROY:
      if (dropMode_) DropTarget::Revoke(hwnd());
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace cardo
