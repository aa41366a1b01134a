#include "app/platform/code_page_table.h"

#include <string_view>

#include "app/platform/codec.h"
#include "app/platform/percent_encoding.h"
#include "app/platform/text.h"

namespace cardo {

const CodePageTable& CodePageTable::Get() {
  static const CodePageTable table;
  return table;
}

CodePageTable::CodePageTable() : codes_(0x10000, 0) {
  // What every code of the code page reads as, each code on a line of its own so that an
  // unassigned one cannot shift the rest; then those characters back through the codec, which
  // keeps the ones it gives back as themselves. Four codec calls in all: asking for every
  // character of the plane instead costs a failure for each one the code page lacks.
  std::string codes;
  for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
    if (!IsAnsiLeadByte(static_cast<unsigned char>(lead))) {
      codes += {static_cast<char>(lead), '\n'};
      continue;
    }
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail != 0x7F) codes += {static_cast<char>(lead), static_cast<char>(trail), '\n'};
    }
  }
  const std::u16string read = AnsiToWide(codes);
  std::vector<std::u16string_view> characters;
  for (const auto piece : SplitAt(read, u"\n")) {
    if (piece.size() == 1 && piece[0] >= 0x80 && (piece[0] < 0xD800 || piece[0] > 0xDFFF)) {
      characters.push_back(piece);
    }
  }
  const std::vector<std::string> written = RunsInCodePage(characters);
  for (std::size_t k = 0; k < characters.size(); ++k) {
    const std::string& bytes = written[k];
    if (bytes.empty() || bytes[0] == '%' || bytes.size() > 2) continue;  // lacked: encoded
    const auto first = static_cast<unsigned char>(bytes[0]);
    codes_[characters[k][0]] = static_cast<std::uint16_t>(
        bytes.size() == 2 ? first << 8 | static_cast<unsigned char>(bytes[1]) : first);
  }
}

void CodePageTable::AppendMissing(std::string& out, char32_t cp) {
  std::string utf8;
  AppendUtf8(utf8, cp);
  AppendPercentEncoded(out, utf8);
}

}  // namespace cardo
