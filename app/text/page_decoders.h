#pragma once
// The decoders of page_encoding.h: each turns a page's bytes in one encoding, a block at a
// time, into UTF-8, the form in which the scanners read a page's characters. Bytes that are no
// character in the encoding become U+FFFD, one per byte that starts none. Each costs time
// linear in its input and holds at most a few bytes between blocks.
#include <memory>
#include <string_view>

#include "app/text/line_source.h"

namespace cardo {

enum class PageEncoding { CodePage932, Utf8, Utf16Le, Utf16Be, EucJp, Iso2022Jp, Windows1252 };

// The decoder for `encoding`. With `dropMark`, a byte order mark at the start of the bytes is
// dropped. A page in UTF-8 goes across as it is once checked; one in code page 932 reads each
// code as the system's codec does (code_page_table.h), a lead byte pairing only with a trail
// byte, so that text in another encoding loses no ASCII character.
std::unique_ptr<BlockConverter> MakePageDecoder(PageEncoding encoding, bool dropMark);

}  // namespace cardo
