#pragma once
// Twips (1/1440 inch) <-> pixels at a DPI. Window positions and sizes that the program stores
// are in twips, so that a stored size opens at the same physical size at every display scale;
// a window's own DPI comes from dpi_win.h.
#include <cstdint>

namespace cardo {

inline constexpr int kTwipsPerInch = 1440;
inline constexpr int kDefaultDpi = 96;

// a * b / c rounded to the nearest whole number, halves away from zero, as MulDiv rounds.
constexpr int MulDivRounded(int a, int b, int c) {
  if (c == 0) return 0;
  const std::int64_t product = std::int64_t{a} * b;
  const std::int64_t half = (c > 0 ? c : -c) / 2;
  const bool negative = (product < 0) != (c < 0);
  const std::int64_t magnitude = ((product < 0 ? -product : product) + half) / (c > 0 ? c : -c);
  return static_cast<int>(negative ? -magnitude : magnitude);
}

constexpr int TwipsToPixels(int twips, int dpi) {
  return MulDivRounded(twips, dpi, kTwipsPerInch);
}
constexpr int PixelsToTwips(int pixels, int dpi) {
  return MulDivRounded(pixels, kTwipsPerInch, dpi);
}
// A length designed in pixels at 96 DPI, at `dpi`.
constexpr int ScaleForDpi(int pixelsAt96, int dpi) {
  return MulDivRounded(pixelsAt96, dpi, kDefaultDpi);
}

}  // namespace cardo
