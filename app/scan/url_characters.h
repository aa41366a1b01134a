#pragma once
// The characters a URL is made of, and the text every scanner writes a URL's characters in.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace cardo {

namespace detail {
extern const std::array<bool, 128> kAsciiUrlChar;
}  // namespace detail

// The letters, digits and ! # $ % & * + - . / : ; = ? @ ^ _ | ~.
inline bool IsAsciiUrlChar(char32_t c) {
  return c < 0x80 && detail::kAsciiUrlChar[c];
}

// A URL character of text mode: an ASCII one; a character code page 932 lacks, which a URL
// holds as its percent-encoded bytes (AppendUrlCharacter); and, when `fullWidth` allows them,
// the code page's double-byte characters of the listed ranges (full-width forms and symbols,
// kana, kanji, Greek, Cyrillic, the NEC and IBM additions). Half-width katakana, single bytes
// in the code page, are none.
bool IsTextUrlChar(char32_t c, bool fullWidth);

// The no-break, typographic and ideographic spaces: they end a URL as a space does.
bool IsSpaceBeyondAscii(char32_t c);

// Appends `c` to a URL's text: itself when code page 932 holds it, else its UTF-8 bytes
// percent-encoded, as a browser writes it in a URL, so that a list saved in the code page
// loses nothing. Every scanner writes its URLs' characters this way.
void AppendUrlCharacter(std::u16string& out, char32_t c);
// UTF-8 text as a URL's text, each character as AppendUrlCharacter writes it; a byte that
// starts no valid sequence reads as U+FFFD.
void AppendUrlText(std::u16string& out, std::string_view utf8);
// UTF-16 text as a URL's text (a lone surrogate reads as U+FFFD). Text of characters the code
// page holds comes back as it is, without a copy.
std::u16string UrlText(std::u16string text);

// The first `unit` of `text` at or after `from`, or npos: four units at a time.
std::size_t FindUnit(std::u16string_view text, char16_t unit, std::size_t from = 0);

}  // namespace cardo
