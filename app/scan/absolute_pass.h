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
// The line is in the form the HTML passes read (see IsHtmlUrlUnit): a unit below 0x80 is the
// ASCII character, every other unit is a URL character.
#include <array>
#include <functional>
#include <iterator>
#include <string>
#include <string_view>

#include "app/text/code_page_codes.h"
#include "app/scan/url_characters.h"

namespace cardo {

// A URL character of a line prepared for the HTML passes: the scanner has already turned every
// character beyond ASCII that cannot stand in a URL there into kNotUrlUnit.
inline bool IsHtmlUrlUnit(char16_t unit) {
  return unit >= 0x80 || detail::kSingleByteUrlChar[unit];
}
constexpr char16_t kNotUrlUnit = 0x7F;

// In the one-byte form of a line, a character beyond ASCII that is a URL character stands as
// kMarkerUnit; its code is kept aside, the markers' codes in the order of the line.
constexpr char kMarkerUnit = static_cast<char>(0x80);

// Inside a quoted value "(", ")", "," and "@" belong to the URL: in the one-byte form they stand
// as these units beyond ASCII (so "@" there is told from one outside a value).
inline constexpr char kValueUnits[] = {'(', ')', ',', '@'};
constexpr unsigned char kFirstValueUnit = 0x81;
constexpr char ValueUnit(std::size_t k) {
  return static_cast<char>(kFirstValueUnit + k);
}
constexpr char kValueAt = static_cast<char>(kFirstValueUnit + 3);
// The text of a unit of the one-byte form other than kMarkerUnit, looked up: URLs are made
// of them a unit at a time.
inline constexpr auto kFormUnitText = [] {
  std::array<char16_t, 256> text{};
  for (std::size_t u = 0; u < text.size(); ++u) text[u] = static_cast<char16_t>(u);
  for (std::size_t k = 0; k < std::size(kValueUnits); ++k) {
    text[kFirstValueUnit + k] = static_cast<char16_t>(kValueUnits[k]);
  }
  return text;
}();
inline char16_t FormUnitText(char unit) {
  return kFormUnitText[static_cast<unsigned char>(unit)];
}

// Which of a line's markers lie before a position, for positions asked in rising order: one
// walk over the line in all.
class MarkerCursor {
 public:
  explicit MarkerCursor(std::string_view line) : line_(line) {}
  std::size_t Before(std::size_t pos);

 private:
  std::string_view line_;
  std::size_t pos_ = 0;
  std::size_t count_ = 0;
};

void AbsolutePass(CodeText& line, const std::function<void(std::u16string_view)>& emit);
// The same over one byte per character: ASCII as itself, kNotUrlUnit, or kMarkerUnit. Each URL
// comes with the codes of its markers; `markers` is shortened with the line.
void AbsolutePass(std::string& line, CodeText& markers,
                  const std::function<void(std::string_view, std::u16string_view)>& emit);

}  // namespace cardo
