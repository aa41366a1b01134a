#pragma once
// Widths of list lines as the system draws them in one font, after the lines pass through the
// ANSI code page. Character widths are learned once each, so measuring 32767 lines costs a
// table lookup per character instead of a GDI call per line; text drawn without kerning is as
// wide as the sum of its characters.
#include <windows.h>

#include <string_view>
#include <vector>

#include "app/platform/win_handle.h"

namespace cardo {

class AnsiTextMeter {
 public:
  explicit AnsiTextMeter(HFONT font);
  AnsiTextMeter(const AnsiTextMeter&) = delete;
  AnsiTextMeter& operator=(const AnsiTextMeter&) = delete;

  // The width in pixels of `line` converted to the ANSI code page.
  LONG Width(std::u16string_view line);

 private:
  LONG MeasureAnsi(std::u16string_view text) const;

  UniqueDc dc_;
  ScopedSelect font_;
  std::vector<int> widths_;  // per UTF-16 code unit; -1 until measured
};

}  // namespace cardo
