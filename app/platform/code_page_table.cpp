#include "app/platform/code_page_table.h"

#include "app/platform/codec.h"
#include "app/platform/percent_encoding.h"
#include "app/platform/text.h"

namespace cardo {

const CodePageTable& CodePageTable::Get() {
  static const CodePageTable table;
  return table;
}

CodePageTable::CodePageTable() : codes_(0x10000, 0) {
  // Every character from U+0080 up, surrogates left out, in one call each way: a character the
  // code page lacks comes out as one "?" byte, every other one as one or two bytes that give it
  // back.
  std::u16string all;
  for (char32_t c = 0x80; c < 0x10000; ++c) {
    if (c < 0xD800 || c > 0xDFFF) all.push_back(static_cast<char16_t>(c));
  }
  const std::string bytes = WideToAnsi(all);
  const std::u16string back = AnsiToWide(bytes);
  if (back.size() != all.size()) return;  // not one character each: every one is percent-encoded
  std::size_t at = 0;
  for (std::size_t k = 0; k < all.size() && at < bytes.size(); ++k) {
    const auto lead = static_cast<unsigned char>(bytes[at]);
    const bool pair = IsAnsiLeadByte(lead) && at + 1 < bytes.size();
    const std::uint16_t code =
        pair ? static_cast<std::uint16_t>(lead << 8 | static_cast<unsigned char>(bytes[at + 1]))
             : lead;
    at += pair ? 2 : 1;
    if (back[k] == all[k]) codes_[all[k]] = code;
  }
}

void CodePageTable::AppendMissing(std::string& out, char32_t cp) {
  std::string utf8;
  AppendUtf8(utf8, cp);
  AppendPercentEncoded(out, utf8);
}

}  // namespace cardo
