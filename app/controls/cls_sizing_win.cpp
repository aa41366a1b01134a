#include "app/controls/cls_sizing_win.h"

#include <commctrl.h>

#include "app/controls/dpi_win.h"
#include "app/platform/failure_report_win.h"
#include "app/platform/win_check.h"

namespace cardo {
namespace {

constexpr UINT_PTR kSubclassId = 0x5A1E;

RECT WorkArea() {
  RECT r{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

}  // namespace

void clsSizing::SetTarget(HWND target) {
  if (target_) RemoveWindowSubclass(target_, Proc, kSubclassId);
  target_ = target;
  if (target_) {
    CARDO_CHECK_WIN32(
        SetWindowSubclass(target_, Proc, kSubclassId, reinterpret_cast<DWORD_PTR>(this)));
  }
}

int clsSizing::WorkAreaLeft() const {
  return PixelsToTwips(target_, WorkArea().left);
}
int clsSizing::WorkAreaTop() const {
  return PixelsToTwips(target_, WorkArea().top);
}
int clsSizing::WorkAreaWidth() const {
  const RECT r = WorkArea();
  return PixelsToTwips(target_, r.right - r.left);
}
int clsSizing::WorkAreaHeight() const {
  const RECT r = WorkArea();
  return PixelsToTwips(target_, r.bottom - r.top);
}

LRESULT CALLBACK clsSizing::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR data) noexcept {
  try {
    return reinterpret_cast<clsSizing*>(data)->OnMessage(hwnd, message, wParam, lParam);
  } catch (...) {
    HandFailureToWindow(hwnd);
    return DefSubclassProc(hwnd, message, wParam, lParam);
  }
}

LRESULT clsSizing::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZING:
      if (Sizing && wParam >= WMSZ_LEFT && wParam <= WMSZ_BOTTOMRIGHT) {
        OnSizing(wParam, *reinterpret_cast<RECT*>(lParam));
        return TRUE;
      }
      break;
    case WM_MOVING:
      if (Moving) {
        OnMoving(*reinterpret_cast<RECT*>(lParam));
        return TRUE;
      }
      break;
    case WM_GETMINMAXINFO:
      if (MaxSize) {
        const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
        OnGetMinMaxInfo(*reinterpret_cast<MINMAXINFO*>(lParam));
        return result;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(hwnd, Proc, kSubclassId);
      target_ = nullptr;
      break;
    default:
      break;
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

void clsSizing::OnSizing(WPARAM edge, RECT& r) {
  const int side = static_cast<int>(edge) - WMSZ_LEFT;
  int width = PixelsToTwips(target_, r.right - r.left);
  int height = PixelsToTwips(target_, r.bottom - r.top);
  Sizing(side, width, height);
  const int w = TwipsToPixels(target_, width), h = TwipsToPixels(target_, height);
  // The edges that are not dragged stay where they are.
  const bool left = edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT;
  const bool top = edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT;
  if (left) {
    r.left = r.right - w;
  } else {
    r.right = r.left + w;
  }
  if (top) {
    r.top = r.bottom - h;
  } else {
    r.bottom = r.top + h;
  }
}

void clsSizing::OnMoving(RECT& r) {
  RECT twips{PixelsToTwips(target_, r.left), PixelsToTwips(target_, r.top),
             PixelsToTwips(target_, r.right), PixelsToTwips(target_, r.bottom)};
  Moving(twips);
  r = {TwipsToPixels(target_, twips.left), TwipsToPixels(target_, twips.top),
       TwipsToPixels(target_, twips.right), TwipsToPixels(target_, twips.bottom)};
}

void clsSizing::OnGetMinMaxInfo(MINMAXINFO& info) {
  POINT size{PixelsToTwips(target_, info.ptMaxSize.x), PixelsToTwips(target_, info.ptMaxSize.y)};
  POINT position{PixelsToTwips(target_, info.ptMaxPosition.x),
                 PixelsToTwips(target_, info.ptMaxPosition.y)};
  MaxSize(size, position);
  info.ptMaxSize = {TwipsToPixels(target_, size.x), TwipsToPixels(target_, size.y)};
  info.ptMaxPosition = {TwipsToPixels(target_, position.x), TwipsToPixels(target_, position.y)};
}

}  // namespace cardo
