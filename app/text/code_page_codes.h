#pragma once
// Lines as the scanner reads them: code page 932 character codes, one code per character (a
// double-byte character is lead byte x 256 + trail byte), so positions count characters. A
// lead byte pairs only with a trail byte (code_page_932.h); before any other byte it stands
// alone, so that text in another encoding (UTF-8) loses no ASCII character.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace cardo {

using CodeText = std::u16string;  // code page 932 character codes, not UTF-16

// Appends the codes of `bytes` to `out` and returns how many bytes it used: all of them when
// `final`, else all but a lead byte at the very end, whose partner may come next.
std::size_t DecodeAppend(std::string_view bytes, bool final, CodeText& out);
CodeText DecodeCodePage(std::string_view bytes);
std::string EncodeCodePage(const CodeText& codes);

// The text of codes; ASCII codes are their own UTF-16 values, so most URLs keep their memory.
std::u16string CodesToText(CodeText codes);
// The codes of text; a character the code page lacks becomes "?".
CodeText TextToCodes(std::u16string_view text);

// Most text is ASCII: the eight bytes at `at` into `eight`, true when none has its high bit set.
inline bool EightAscii(const unsigned char* data, std::size_t size, std::size_t at,
                       std::uint64_t& eight) {
  if (at + 8 > size) return false;
  std::memcpy(&eight, data + at, 8);
  return !(eight & 0x8080808080808080ull);
}

}  // namespace cardo
