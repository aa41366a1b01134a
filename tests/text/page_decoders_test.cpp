#include "app/text/page_decoders.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/fakes.h"

namespace cardo {
namespace {

// What the decoder gives for `bytes` in one block, and fed a byte at a time: a character, an
// escape or a byte order mark cut by a block's end must come out the same.
std::pair<std::string, std::string> Decode(PageEncoding encoding, std::string_view bytes) {
  std::string whole, byByte;
  MakePageDecoder(encoding, true)->Convert(bytes, true, whole);
  const auto decoder = MakePageDecoder(encoding, true);
  for (const char b : bytes) decoder->Convert(std::string_view(&b, 1), false, byByte);
  decoder->Convert({}, true, byByte);
  return {whole, byByte};
}

TEST(PageDecoders, GiveTheCharactersInUtf8) {
  const std::string lost = "\xEF\xBF\xBD";  // U+FFFD: bytes that were no character
  const std::string photo = "画像/写真.jpg";
  const struct {
    PageEncoding encoding;
    std::string bytes;
    std::string expected;
  } cases[] = {
      {PageEncoding::Utf8, "\xEF\xBB\xBFh/\xE7\x94\xBB\xED\x95\x9C", "h/画한"},
      {PageEncoding::Utf8, "a\xE7\x94", "a" + lost + lost},
      // Overlong forms, surrogates and values past U+10FFFF are invalid, never the characters
      // they would spell: each byte that starts no sequence is one U+FFFD.
      {PageEncoding::Utf8, "a\xC0\xAE\xC0\xAE/b\xC1\xBF",
       "a" + lost + lost + lost + lost + "/b" + lost + lost},
      {PageEncoding::Utf8, "\xE0\x80\xAF\xED\xA0\x80", lost + lost + lost + lost + lost + lost},
      {PageEncoding::Utf8, "\xF0\x80\x80\xAF\xF4\x90\x80\x80\xF0\x9F\x98\x80",
       lost + lost + lost + lost + lost + lost + lost + lost + "😀"},
      {PageEncoding::Utf8, "\xC2\xA0\xE0\xA0\x80\xFF", "\xC2\xA0\xE0\xA0\x80" + lost},
      // Code page 932: double-byte characters, half-width katakana, and a lead byte before a
      // byte that is no trail byte, which stands alone so that the byte after it stays.
      {PageEncoding::CodePage932, testing::Ansi(photo + "ｱ表ソ"), photo + "ｱ表ソ"},
      {PageEncoding::CodePage932,
       "\x9E"
       "1.zip\x81",
       "・1.zip・"},
      // EUC-JP: JIS X 0208 by arithmetic (odd and even rows, NEC's row 13), half-width
      // katakana, JIS X 0212 lost, and bytes that start nothing.
      {PageEncoding::EucJp, "\xB2\xE8\xC1\xFC/\xBC\xCC\xBF\xBF.jpg", photo},
      {PageEncoding::EucJp, "\xAD\xA1\x8E\xB1\x8F\xA2\xAFx", "①ｱ" + lost + "x"},
      {PageEncoding::EucJp,
       "\xB2"
       "a\x8E\xE0\xFF\xA1",
       lost + "a" + lost + lost + lost + lost},
      // ISO-2022-JP: its escapes, half-width katakana, line ends inside a double-byte run,
      // JIS X 0212, an unknown escape and an unfinished pair.
      {PageEncoding::Iso2022Jp, "\x1B$B2hA|\x1B(B/\x1B$B<L??\x1B(B.jpg", photo},
      {PageEncoding::Iso2022Jp, "\x1B(I1\x1B(Jx\x1B$@2h\r\n2h\x1B(B", "ｱx画\r\n画"},
      {PageEncoding::Iso2022Jp, "\x1B$(D\"/\x1B(Bok\x1B%Gz\xE7\x1B$B2",
       lost + "ok" + lost + "%Gz" + lost + lost},
      // UTF-16: the mark dropped, surrogate pairs, a lone surrogate and an odd byte at the end.
      {PageEncoding::Utf16Le, std::string("\xFF\xFEh\0/\0\x3B\x75=\xD8\x00\xDE\x00\xDC", 14) + "x",
       "h/画😀" + lost + lost},
      {PageEncoding::Utf16Be, std::string("\xFE\xFF\0h\x75\x3B\xD8=\0a", 10), "h画" + lost + "a"},
      // windows-1252: Latin-1 with its own 0x80-0x9F.
      {PageEncoding::Windows1252, "caf\xE9/\x80\xD7\x81", "café/€×\xC2\x81"},
  };
  for (const auto& c : cases) {
    const auto [whole, byByte] = Decode(c.encoding, c.bytes);
    EXPECT_EQ(whole, c.expected) << static_cast<int>(c.encoding) << " " << c.bytes;
    EXPECT_EQ(byByte, c.expected) << static_cast<int>(c.encoding) << " " << c.bytes;
  }
}

}  // namespace
}  // namespace cardo
