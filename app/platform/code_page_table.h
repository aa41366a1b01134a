#pragma once
// Code page 932 without a codec call per character: which characters it holds, for the
// scanners' rules and the URLs they write, and what each of its codes reads as, for pages in
// the code page. The tables hold what the codec itself says, so they decide exactly what a
// conversion through the codec would.
#include <cstdint>
#include <vector>

namespace cardo {

class CodePageTable {
 public:
  // The system codec's tables, built at the first call (four codec calls, a few milliseconds)
  // and never changed after.
  static const CodePageTable& Get();

  // The code of `cp`: its byte, or lead x 256 + trail; 0 where the code page lacks it (U+0000
  // aside, which is 0 itself).
  std::uint16_t Code(char32_t cp) const {
    return cp < 0x80 ? static_cast<std::uint16_t>(cp) : cp < 0x10000 ? codes_[cp] : 0;
  }
  bool Holds(char32_t cp) const { return cp < 0x80 || Code(cp) != 0; }

  // What the codec reads for `code`: a byte 0x80-0xFF, or a lead byte x 256 + a trail byte. A
  // code the code page does not assign, and a lead byte without its trail byte, read as the
  // codec's stand-in for a byte it cannot read.
  char16_t Character(std::uint16_t code) const { return characters_[code]; }

 private:
  CodePageTable();
  // For each BMP character: 0 where the code page lacks it, else its byte or lead x 256 + trail.
  std::vector<std::uint16_t> codes_;
  // For each code beyond ASCII, the character it reads as.
  std::vector<char16_t> characters_;
};

}  // namespace cardo
