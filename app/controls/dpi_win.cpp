#include "app/controls/dpi_win.h"

#include "app/platform/win_check.h"
#include "app/platform/win_handle.h"

namespace cardo {
namespace {

// Windows 10 1607 and later; earlier systems have one DPI for every window.
using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using SystemParametersInfoForDpiFn = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

constexpr wchar_t kLaidOutDpi[] = L"Cardo.LaidOutDpi";

void* User32Function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<void*>(GetProcAddress(user32, name)) : nullptr;
}

}  // namespace

int SystemDpi() {
  const WindowDc screen(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : kDefaultDpi;
  return dpi > 0 ? dpi : kDefaultDpi;
}

int WindowDpi(HWND window) {
  static const auto getDpiForWindow =
      reinterpret_cast<GetDpiForWindowFn>(User32Function("GetDpiForWindow"));
  if (HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr) {
    const auto laidOut = reinterpret_cast<INT_PTR>(GetPropW(root, kLaidOutDpi));
    if (laidOut > 0) return static_cast<int>(laidOut);
  }
  if (window && getDpiForWindow) {
    const UINT dpi = getDpiForWindow(window);
    if (dpi > 0) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

void SetLaidOutDpi(HWND topLevel, int dpi) {
  if (topLevel && dpi > 0) {
    SetPropW(topLevel, kLaidOutDpi, reinterpret_cast<HANDLE>(static_cast<INT_PTR>(dpi)));
  }
}

void ForgetLaidOutDpi(HWND topLevel) {
  if (topLevel) RemovePropW(topLevel, kLaidOutDpi);
}

HFONT CreateMessageFont(int dpi) {
  static const auto forDpi =
      reinterpret_cast<SystemParametersInfoForDpiFn>(User32Function("SystemParametersInfoForDpi"));
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (forDpi && forDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
    return CreateFontIndirectW(&metrics.lfMessageFont);
  }
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    // The system's metrics are at the system's DPI.
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight, dpi, SystemDpi());
    return CreateFontIndirectW(&metrics.lfMessageFont);
  }
  return nullptr;
}

HBITMAP LoadBitmapForDpi(HINSTANCE instance, int id, int step, int dpi) {
  constexpr int kDrawnFor[] = {96, 144, 192};
  int index = 0;
  while (index < 2 && kDrawnFor[index] < dpi) ++index;
  UniqueGdi drawn(LoadImageW(instance, MAKEINTRESOURCEW(id + index * step), IMAGE_BITMAP, 0, 0,
                             LR_CREATEDIBSECTION));
  BITMAP size{};
  if (!drawn || !GetObjectW(drawn.get(), sizeof size, &size)) return nullptr;
  const int width = MulDiv(size.bmWidth, dpi, kDrawnFor[index]);
  const int height = MulDiv(size.bmHeight, dpi, kDrawnFor[index]);
  if (width == size.bmWidth && height == size.bmHeight) {
    return static_cast<HBITMAP>(drawn.release());
  }
  UniqueDc from, to;
  UniqueGdi scaled;
  {
    const WindowDc screen(nullptr);
    from.reset(CreateCompatibleDC(screen.get()));
    to.reset(CreateCompatibleDC(screen.get()));
    scaled.reset(CreateCompatibleBitmap(screen.get(), width, height));
  }
  if (!from || !to || !scaled) return static_cast<HBITMAP>(drawn.release());
  {
    const ScopedSelect source(from.get(), drawn.get());
    const ScopedSelect target(to.get(), scaled.get());
    SetStretchBltMode(to.get(), HALFTONE);
    SetBrushOrgEx(to.get(), 0, 0, nullptr);
    // A failed stretch leaves the picture at the size it was drawn for.
    if (!CARDO_CHECK_WIN32(StretchBlt(to.get(), 0, 0, width, height, from.get(), 0, 0, size.bmWidth,
                                      size.bmHeight, SRCCOPY))) {
      return static_cast<HBITMAP>(drawn.release());
    }
  }
  return static_cast<HBITMAP>(scaled.release());
}

void TakeSuggestedRect(HWND window, LPARAM dpiChangedLParam) {
  const auto* r = reinterpret_cast<const RECT*>(dpiChangedLParam);
  if (!r) return;
  SetWindowPos(window, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace cardo
