#include <gtest/gtest.h>

#include "app/platform/code_page_932.h"
#include "app/platform/codec.h"
#include "app/platform/text.h"
#include "tests/support/fakes.h"

namespace cardo {
namespace {

using testing::U;

TEST(Codec, RoundTripsShiftJisText) {
  const struct {
    const char* utf8;
    const char* sjis;
  } cases[] = {
      {"http://a/b.jpg", "http://a/b.jpg"},
      {"無題", "\x96\xB3\x91\xE8"},
      {"ソ", "\x83\x5C"},  // trail byte is a backslash
      {"ｱｲ", "\xB1\xB2"},  // half-width katakana are single bytes
      {"Ａ", "\x82\x60"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WideToAnsi(U(c.utf8)), c.sjis) << c.utf8;
    EXPECT_EQ(AnsiToWide(c.sjis), U(c.utf8)) << c.utf8;
  }
}

TEST(Codec, NeverFailsOnBadInput) {
  // A lead byte at the very end and bytes outside the code page still give text.
  EXPECT_FALSE(AnsiToWide("abc\x81").empty());
  EXPECT_EQ(AnsiToWide("abc\x81").substr(0, 3), u"abc");
  // A lead byte takes the byte after it, as the system's converter does: an unassigned pair
  // or a lead byte before a non-trail byte is one middle dot.
  EXPECT_EQ(AnsiToWide("a\xEB\x40"
                       "b"),
            u"a\u30FBb");
  EXPECT_EQ(AnsiToWide("a\x81 b"), u"a\u30FBb");
  EXPECT_EQ(AnsiToWide("a\x9E"
                       "1b"),
            u"a\u30FBb");
  EXPECT_EQ(WideToAnsi(u"a\u00E9b").front(), 'a');
  EXPECT_EQ(WideToAnsi(u"a\u00E9b").back(), 'b');
  // No near match: a URL with "é" must not quietly become another with "e".
  EXPECT_EQ(WideToAnsi(u"caf\u00E9"), "caf?");
}

TEST(Codec, KnowsLeadBytes) {
  EXPECT_TRUE(IsAnsiLeadByte(0x81));
  EXPECT_TRUE(IsAnsiLeadByte(0x9F));
  EXPECT_TRUE(IsAnsiLeadByte(0xE0));
  EXPECT_FALSE(IsAnsiLeadByte(0x5C));
  EXPECT_FALSE(IsAnsiLeadByte(0xA1));
  EXPECT_FALSE(IsAnsiLeadByte(0x7F));
  // The rule the scanner and the bracket engine read code page 932 by is the system's.
  for (int byte = 0; byte < 256; ++byte) {
    const auto b = static_cast<unsigned char>(byte);
    EXPECT_EQ(IsCp932LeadByte(b), IsAnsiLeadByte(b)) << byte;
  }
}

TEST(Utf8Shape, TellsUtf8FromCodePageText) {
  const struct {
    std::string_view bytes;
    bool mayContinue, valid, multibyte;
  } cases[] = {
      {"http://a/b", false, true, false},
      {"\xE6\x97\xA5\xE6\x9C\xAC", false, true, true},  // 日本
      {"\x93\xFA\x96\x7B", false, false, false},        // 日本 in code page 932
      {"\xC0\xAE", false, false, false},                // overlong "."
      {"\xED\xA0\x80", false, false, false},            // a surrogate
      {"a\xE6\x97", false, false, false},               // cut off ...
      {"a\xE6\x97", true, true, false},                 // ... or still coming
      {"a\xE0", true, true, false},                     // E0 A0 80 would finish it
      {"a\xF4\x90", true, false, false},                // beyond U+10FFFF whatever follows
      {"a\xE6\x97\xA5\x80", true, false, true},         // a stray continuation byte
  };
  for (const auto& c : cases) {
    const Utf8Shape shape = ScanUtf8(c.bytes, c.mayContinue);
    EXPECT_EQ(shape.valid, c.valid) << ::testing::PrintToString(c.bytes);
    if (shape.valid) EXPECT_EQ(shape.multibyte, c.multibyte) << ::testing::PrintToString(c.bytes);
  }
}

}  // namespace
}  // namespace cardo
