#include <windows.h>

#include "app/controls/twips.h"

namespace cardo {
namespace {

int ScreenDpi(int axis) {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, axis) : 96;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : 96;
}

}  // namespace

int TwipsPerPixelX() {
  return 1440 / ScreenDpi(LOGPIXELSX);
}
int TwipsPerPixelY() {
  return 1440 / ScreenDpi(LOGPIXELSY);
}
int PixelsToTwipsX(int pixels) {
  return MulDiv(pixels, 1440, ScreenDpi(LOGPIXELSX));
}
int PixelsToTwipsY(int pixels) {
  return MulDiv(pixels, 1440, ScreenDpi(LOGPIXELSY));
}
int TwipsToPixelsX(int twips) {
  return MulDiv(twips, ScreenDpi(LOGPIXELSX), 1440);
}
int TwipsToPixelsY(int twips) {
  return MulDiv(twips, ScreenDpi(LOGPIXELSY), 1440);
}

}  // namespace cardo
