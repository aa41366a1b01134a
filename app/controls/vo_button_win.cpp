#include "app/controls/vo_button_win.h"

#include <windowsx.h>

#include <algorithm>

#include "app/controls/dpi_win.h"
#include "app/platform/win_handle.h"

namespace cardo {

std::wstring VoButton::Caption() const {
  const int length = GetWindowTextLengthW(hwnd());
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(hwnd(), text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

void VoButton::SetCaption(const std::wstring& caption) {
  SetWindowTextW(hwnd(), caption.c_str());
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void VoButton::SetStyle(ButtonStyle style) {
  style_ = style;
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void VoButton::SetValue(bool value) {
  value_ = value;
  InvalidateRect(hwnd(), nullptr, TRUE);
}

void VoButton::SetOLEDropMode(bool accepts) {
  DropTarget::SetDropMode(hwnd(), dropMode_, accepts, OLEDragOver, OLEDragDrop);
}

bool VoButton::PointerInside(LPARAM lParam) const {
  RECT client{};
  GetClientRect(hwnd(), &client);
  const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  return PtInRect(&client, at) != FALSE;
}

void VoButton::Paint(HDC dc) {
  RECT r{};
  GetClientRect(hwnd(), &r);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  const bool sunk = pressed_ || (style_ == ButtonStyle::Toggle && value_);
  // Each line of the frame and the edge is as many pixels wide as one is at 96 DPI.
  const int dpi = WindowDpi(hwnd());
  const int line = std::max(1, ScaleForDpi(1, dpi));
  if (default_) {
    for (int i = 0; i < line; ++i) {
      FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
      InflateRect(&r, -1, -1);
    }
  }
  RECT edge = r;
  for (const UINT part :
       {sunk ? BDR_SUNKENOUTER : BDR_RAISEDOUTER, sunk ? BDR_SUNKENINNER : BDR_RAISEDINNER}) {
    for (int i = 0; i < line; ++i) DrawEdge(dc, &edge, part, BF_RECT | BF_ADJUST);
  }
  HFONT font =
      font_ ? font_ : reinterpret_cast<HFONT>(SendMessageW(GetParent(hwnd()), WM_GETFONT, 0, 0));
  const ScopedSelect selected(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  RECT text = r;
  if (sunk) OffsetRect(&text, line, line);
  const std::wstring caption = Caption();
  const bool enabled = IsWindowEnabled(hwnd()) != FALSE;
  if (!enabled) {
    // The engraved look of disabled text: a highlight under a shadow.
    RECT lit = text;
    OffsetRect(&lit, line, line);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextW(dc, caption.c_str(), -1, &lit, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  } else {
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  }
  DrawTextW(dc, caption.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  if (enabled && GetFocus() == hwnd()) {
    const int inset = ScaleForDpi(3, dpi);
    InflateRect(&r, -inset, -inset);
    DrawFocusRect(dc, &r);
  }
}

void VoButton::KeyClick() {
  if (style_ == ButtonStyle::Toggle) value_ = !value_;
  InvalidateRect(hwnd(), nullptr, TRUE);
  Fire(Click);
}

bool VoButtonDialogCommand(WPARAM wParam, LPARAM lParam) {
  HWND from = reinterpret_cast<HWND>(lParam);
  if (!from || HIWORD(wParam) != BN_CLICKED) return false;
  wchar_t cls[32] = {};
  GetClassNameW(from, cls, 32);
  if (lstrcmpW(cls, VoButton::kClassName) != 0) return false;
  SendMessageW(from, BM_CLICK, 0, 0);
  return true;
}

LRESULT VoButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      const PaintDc dc(hwnd());
      Paint(dc.get());
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_GETDLGCODE:
      return DLGC_BUTTON | (default_ ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case BM_SETSTYLE:
      // The dialog manager moves the default look to the focused push button and back.
      default_ = (wParam & 0x0F) == BS_DEFPUSHBUTTON;
      if (lParam) InvalidateRect(hwnd(), nullptr, TRUE);
      return 0;
    case BM_CLICK:
      KeyClick();
      return 0;
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      if (lParam) InvalidateRect(hwnd(), nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT: {
      const LRESULT result = Default(message, wParam, lParam);
      InvalidateRect(hwnd(), nullptr, TRUE);
      return result;
    }
    case WM_DESTROY:
      if (dropMode_) DropTarget::Revoke(hwnd());
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
      return OnMouse(message, wParam, lParam);
    case WM_KEYDOWN:
    case WM_KEYUP:
      return OnKey(message, wParam, lParam);
    default:
      return Default(message, wParam, lParam);
  }
}

LRESULT VoButton::OnMouse(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_LBUTTONDOWN:
      SetFocus(hwnd());
      SetCapture(hwnd());
      pressed_ = true;
      if (style_ == ButtonStyle::Toggle) value_ = !value_;
      InvalidateRect(hwnd(), nullptr, TRUE);
      return 0;
    case WM_LBUTTONUP: {
      const bool was = pressed_;
      pressed_ = false;
      if (GetCapture() == hwnd()) ReleaseCapture();
      InvalidateRect(hwnd(), nullptr, TRUE);
      if (was && PointerInside(lParam)) Fire(Click);
      return 0;
    }
    case WM_LBUTTONDBLCLK:
      Fire(DblClick);
      return 0;
    case WM_RBUTTONDOWN:
      rightDown_ = true;
      return 0;
    case WM_RBUTTONUP:
      if (rightDown_ && PointerInside(lParam)) Fire(RClick);
      rightDown_ = false;
      return 0;
    case WM_RBUTTONDBLCLK:
      Fire(RDblClick);
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

LRESULT VoButton::OnKey(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYUP) {
    if (wParam != VK_SPACE || !spaceDown_) return Default(message, wParam, lParam);
    spaceDown_ = false;
    pressed_ = false;
    KeyClick();
    return 0;
  }
  if (wParam == VK_SPACE) {
    // Pressed while held, clicked once on release, as a push button does.
    if (!spaceDown_) {
      spaceDown_ = true;
      pressed_ = true;
      InvalidateRect(hwnd(), nullptr, TRUE);
    }
    return 0;
  }
  if (wParam == VK_RETURN) {
    const bool repeat = (lParam & (1 << 30)) != 0;
    if (!repeat) KeyClick();
    return 0;
  }
  return Default(message, wParam, lParam);
}

}  // namespace cardo
