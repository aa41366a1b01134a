#include "app/shell/text_meter_win.h"

#include "app/platform/codec.h"

namespace cardo {
namespace {

bool IsSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDFFF;
}

}  // namespace

AnsiTextMeter::AnsiTextMeter(HFONT font)
    : dc_(CreateCompatibleDC(nullptr)), font_(dc_.get(), font), widths_(0x10000, -1) {}

LONG AnsiTextMeter::MeasureAnsi(std::u16string_view text) const {
  const std::string bytes = WideToAnsi(text);
  SIZE size{};
  if (!dc_ ||
      !GetTextExtentPoint32A(dc_.get(), bytes.data(), static_cast<int>(bytes.size()), &size)) {
    return 0;
  }
  return size.cx;
}

LONG AnsiTextMeter::Width(std::u16string_view line) {
  LONG total = 0;
  for (const char16_t c : line) {
    // A surrogate pair converts as a whole: such lines are measured the slow way.
    if (IsSurrogate(c)) return MeasureAnsi(line);
    int& width = widths_[c];
    if (width < 0) width = static_cast<int>(MeasureAnsi(std::u16string_view(&c, 1)));
    total += width;
  }
  return total;
}

}  // namespace cardo
