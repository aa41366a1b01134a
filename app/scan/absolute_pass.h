#pragma once
// The absolute pass of HTML and download modes over one line: while the line holds "://", the
// run of URL characters around its first occurrence is a URL; it is deleted from the line
// wherever it stands as a whole run (no URL character right before or after it) and the search
// starts again on the shortened line. The URLs go to `emit` in order, each once; `line` is left
// shortened for the relative pass.
//
// Deleting whole runs never joins two pieces of the line, so the pass is one walk over the
// runs that hold "://": a run either repeats an earlier URL (and goes) or is a new one. The
// URLs found are remembered by their place in the line as read, a few words each, so time and
// memory grow with the line.
//
// The line is in the form the HTML passes read (html_line_form.h): a byte below 0x80 is the
// ASCII character (kNotUrlUnit one that ends a URL), every other byte belongs to a URL character.
#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

#include "app/scan/url_characters.h"

namespace cardo {

// A URL character of a line prepared for the HTML passes: the scanner has already turned every
// character beyond ASCII that cannot stand in a URL there into kNotUrlUnit.
inline bool IsHtmlUrlUnit(unsigned char unit) {
  return unit >= 0x80 || detail::kAsciiUrlChar[unit];
}
constexpr char kNotUrlUnit = 0x7F;

// Inside a quoted value "(", ")", "," and "@" belong to the URL: in the form they stand as these
// bytes, which no UTF-8 text holds (so "@" there is told from one outside a value).
inline constexpr char kValueUnits[] = {'(', ')', ',', '@'};
constexpr unsigned char kFirstValueUnit = 0xF8;
constexpr char ValueUnit(std::size_t k) {
  return static_cast<char>(kFirstValueUnit + k);
}
constexpr char kValueAt = static_cast<char>(kFirstValueUnit + 3);
// The character a value unit stands for; every other byte stands for itself.
inline char FormUnitCharacter(char unit) {
  const auto u = static_cast<unsigned char>(unit);
  return u >= kFirstValueUnit && u < kFirstValueUnit + std::size(kValueUnits)
             ? kValueUnits[u - kFirstValueUnit]
             : unit;
}

void AbsolutePass(std::string& line, const std::function<void(std::string_view)>& emit);

}  // namespace cardo
