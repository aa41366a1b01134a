#pragma once
// The DPI a window is drawn at, and what follows from it: twips in its pixels, the system's
// message font at that DPI.
#include <windows.h>

#include "app/controls/twips.h"

namespace cardo {

// The DPI of the system's primary display, which windows start at.
int SystemDpi();
// The DPI a window is laid out for: the one its top-level window last followed (SetLaidOutDpi),
// else its monitor's under per-monitor awareness; the system's for a null window and on systems
// that cannot tell one window's DPI from another's. Controls draw at their top-level window's.
int WindowDpi(HWND window);
// A top-level window records the DPI it has laid itself out for, from its creation and each
// WM_DPICHANGED on; ForgetLaidOutDpi before it is destroyed.
void SetLaidOutDpi(HWND topLevel, int dpi);
void ForgetLaidOutDpi(HWND topLevel);

inline int TwipsToPixels(HWND window, int twips) {
  return TwipsToPixels(twips, WindowDpi(window));
}
inline int PixelsToTwips(HWND window, int pixels) {
  return PixelsToTwips(pixels, WindowDpi(window));
}

// The system's message font (menus and dialogs use it) at `dpi`; the caller deletes it.
HFONT CreateMessageFont(int dpi);

// A picture drawn for 100 %, 150 % and 200 % (bitmaps `id`, `id` + `step`, `id` + 2 `step`) at
// `dpi`: the one drawn for that scale, else the next larger one shrunk to the scale's size
// (shrinking a sharper picture keeps it sharp). Null when it cannot be loaded; the caller
// deletes it.
HBITMAP LoadBitmapForDpi(HINSTANCE instance, int id, int step, int dpi);

// The rectangle a WM_DPICHANGED message suggests, taken as the window's new place.
void TakeSuggestedRect(HWND window, LPARAM dpiChangedLParam);

}  // namespace cardo
