#pragma once
// Characters in code page 932 without a codec call each: for text converted a character at a
// time (pages in UTF-8, UTF-16 or windows-1252), where a call per run of text costs more than
// the scanning. The table holds what the codec itself gives back as the same character, so it
// says exactly what a conversion through the codec would.
#include <cstdint>
#include <string>
#include <vector>

namespace cardo {

class CodePageTable {
 public:
  // The system codec's table, built at the first call (two codec calls over every character of
  // the Basic Multilingual Plane, a few milliseconds) and never changed after.
  static const CodePageTable& Get();

  // Appends `cp` in the code page; a character the code page lacks as its UTF-8 bytes
  // percent-encoded, as a browser writes it in a URL. U+FFFD stands for bytes that were no
  // character.
  void Append(std::string& out, char32_t cp) const {
    const std::uint16_t code = Code(cp);
    if (code >= 0x100) {
      out.push_back(static_cast<char>(code >> 8));
      out.push_back(static_cast<char>(code & 0xFF));
    } else if (code != 0 || cp == 0) {
      out.push_back(static_cast<char>(code));
    } else {
      AppendMissing(out, cp);
    }
  }

  // The code of `cp`, for callers that write bytes themselves: its byte, lead x 256 + trail,
  // or 0 where the code page lacks it (U+0000 aside, which is 0 itself).
  std::uint16_t Code(char32_t cp) const {
    return cp < 0x80 ? static_cast<std::uint16_t>(cp) : cp < 0x10000 ? codes_[cp] : 0;
  }

  // `cp`, which the code page lacks, as its UTF-8 bytes percent-encoded.
  static void AppendMissing(std::string& out, char32_t cp);

 private:
  CodePageTable();
  // For each BMP character: 0 where the code page lacks it, else its byte or lead x 256 + trail.
  std::vector<std::uint16_t> codes_;
};

}  // namespace cardo
