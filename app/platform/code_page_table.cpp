#include "app/platform/code_page_table.h"

#include <string>
#include <string_view>

#include "app/platform/codec.h"
#include "app/platform/percent_encoding.h"
#include "app/platform/text.h"

namespace cardo {

const CodePageTable& CodePageTable::Get() {
  static const CodePageTable table;
  return table;
}

CodePageTable::CodePageTable() : codes_(0x10000, 0), characters_(0x10000, 0) {
  // What every code of the code page reads as, each code on a line of its own so that an
  // unassigned one cannot shift the rest; then those characters back through the codec, which
  // keeps the ones it gives back as themselves. Four codec calls in all: asking for every
  // character of the plane instead costs a failure for each one the code page lacks.
  std::string bytes;
  std::vector<std::uint16_t> order;
  for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
    if (!IsAnsiLeadByte(static_cast<unsigned char>(lead))) {
      bytes += {static_cast<char>(lead), '\n'};
      order.push_back(static_cast<std::uint16_t>(lead));
      continue;
    }
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      bytes += {static_cast<char>(lead), static_cast<char>(trail), '\n'};
      order.push_back(static_cast<std::uint16_t>(lead << 8 | trail));
    }
  }
  const std::u16string read = AnsiToWide(bytes);
  const std::vector<std::u16string_view> pieces = SplitAt(read, u"\n");
  // A lead byte alone, and a code the codec reads as more or less than one character, read as
  // the codec's stand-in, the katakana middle dot.
  constexpr char16_t kStandIn = 0x30FB;
  for (unsigned lead = 0x81; lead <= 0xFF; ++lead) {
    if (IsAnsiLeadByte(static_cast<unsigned char>(lead))) characters_[lead] = kStandIn;
  }
  std::vector<std::u16string_view> characters;
  for (std::size_t k = 0; k < order.size(); ++k) {
    const bool one = k < pieces.size() && pieces[k].size() == 1 &&
                     (pieces[k][0] < 0xD800 || pieces[k][0] > 0xDFFF);
    characters_[order[k]] = one ? pieces[k][0] : kStandIn;
    if (one && pieces[k][0] >= 0x80) characters.push_back(pieces[k]);
  }
  const std::vector<std::string> written = RunsInCodePage(characters);
  for (std::size_t k = 0; k < characters.size(); ++k) {
    const std::string& code = written[k];
    if (code.empty() || code[0] == '%' || code.size() > 2) continue;  // lacked: encoded
    const auto first = static_cast<unsigned char>(code[0]);
    codes_[characters[k][0]] = static_cast<std::uint16_t>(
        code.size() == 2 ? first << 8 | static_cast<unsigned char>(code[1]) : first);
  }
}

}  // namespace cardo
