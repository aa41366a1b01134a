#pragma once
// The decoders of page_encoding.h: each turns a page's bytes in one encoding, a block at a
// time, into code page 932 as the scanner reads it. A character the code page lacks becomes
// its UTF-8 bytes percent-encoded, as a browser writes it in a URL; bytes that are no
// character in the encoding become U+FFFD's. Each costs time linear in its input and holds at
// most a few bytes between blocks.
#include <memory>
#include <string>
#include <string_view>

#include "app/text/line_source.h"

namespace cardo {

enum class PageEncoding { CodePage932, Utf8, Utf16Le, Utf16Be, EucJp, Iso2022Jp, Windows1252 };

// With `markLacking` (the HTML modes' lines) a character the code page lacks comes after this
// byte, which no code page 932 text holds: the scan reads the mark and the percent-encoded
// bytes after it as the one character they stand for.
constexpr char kLackingMark = static_cast<char>(0xFF);

// The decoder for `encoding`; none (nullptr) for code page 932, whose bytes are read as they
// are. With `dropMark`, a byte order mark at the start of the bytes is dropped.
std::unique_ptr<BlockConverter> MakePageDecoder(PageEncoding encoding, bool dropMark,
                                                bool markLacking = false);

// Appends UTF-8 text (whole sequences; an invalid one gives U+FFFD) in the code page.
void AppendUtf8InCodePage(std::string& out, std::string_view utf8, bool markLacking = false);

}  // namespace cardo
