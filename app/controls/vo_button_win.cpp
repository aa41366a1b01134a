#include "app/controls/vo_button_win.h"

#include <windowsx.h>

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
  DrawEdge(dc, &r, sunk ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(GetParent(hwnd()), WM_GETFONT, 0, 0));
  HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  RECT text = r;
  if (sunk) OffsetRect(&text, 1, 1);
  const std::wstring caption = Caption();
  const bool enabled = IsWindowEnabled(hwnd()) != FALSE;
  if (!enabled) {
    // The engraved look of disabled text: a highlight under a shadow.
    RECT lit = text;
    OffsetRect(&lit, 1, 1);
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextW(dc, caption.c_str(), -1, &lit, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  } else {
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  }
  DrawTextW(dc, caption.c_str(), -1, &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  SelectObject(dc, old);
  if (enabled && GetFocus() == hwnd()) {
    InflateRect(&r, -3, -3);
    DrawFocusRect(dc, &r);
  }
}

LRESULT VoButton::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(hwnd(), &ps);
      Paint(dc);
      EndPaint(hwnd(), &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_GETDLGCODE:
      return DLGC_BUTTON | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_ENABLE:
    case WM_SETTEXT: {
      const LRESULT result = Default(message, wParam, lParam);
      InvalidateRect(hwnd(), nullptr, TRUE);
      return result;
    }
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
    case WM_DESTROY:
      if (dropMode_) DropTarget::Revoke(hwnd());
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE || wParam == VK_RETURN) {
        if (style_ == ButtonStyle::Toggle) SetValue(!value_);
        Fire(Click);
        return 0;
      }
      return Default(message, wParam, lParam);
    default:
      return Default(message, wParam, lParam);
  }
}

}  // namespace cardo
