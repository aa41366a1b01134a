#include "app/platform/code_page_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/platform/codec.h"
#include "app/platform/percent_encoding.h"
#include "app/platform/text.h"

namespace cardo {
namespace {

TEST(CodePageTable, HoldsWhatTheCodecGivesBackForEveryCharacter) {
  // Each character of the plane (surrogates aside, and one beyond it) through the table and
  // through the codec.
  const CodePageTable& table = CodePageTable::Get();
  std::vector<std::u16string> characters;
  for (char32_t c = 0x80; c < 0x10000; ++c) {
    if (c < 0xD800 || c > 0xDFFF) characters.emplace_back(1, static_cast<char16_t>(c));
  }
  characters.push_back(u"\U0001F600");
  const std::vector<std::string> written =
      RunsInCodePage(std::vector<std::u16string_view>(characters.begin(), characters.end()));
  for (std::size_t k = 0; k < characters.size(); ++k) {
    const char32_t c = characters[k].size() == 1 ? characters[k][0] : U'\U0001F600';
    const std::uint16_t code = table.Code(c);
    std::string expected;
    if (code >= 0x100) expected += static_cast<char>(code >> 8);
    if (code != 0) expected += static_cast<char>(code & 0xFF);
    if (written[k].starts_with('%')) expected = written[k];  // lacked: the codec percent-encodes it
    ASSERT_EQ(written[k], expected) << "U+" << std::hex << static_cast<unsigned>(c);
    ASSERT_EQ(table.Holds(c), code != 0);
  }
}

TEST(CodePageTable, ReadsEveryCodeAsTheCodecDoes) {
  const CodePageTable& table = CodePageTable::Get();
  for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
    const auto leadByte = static_cast<unsigned char>(lead);
    if (!IsAnsiLeadByte(leadByte)) {
      ASSERT_EQ(std::u16string(1, table.Character(static_cast<std::uint16_t>(lead))),
                AnsiToWide(std::string(1, static_cast<char>(lead))))
          << std::hex << lead;
      continue;
    }
    EXPECT_EQ(table.Character(static_cast<std::uint16_t>(lead)), u'\u30FB');  // without a trail
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      const std::u16string read =
          AnsiToWide(std::string{static_cast<char>(lead), static_cast<char>(trail)});
      ASSERT_EQ(std::u16string(1, table.Character(static_cast<std::uint16_t>(lead << 8 | trail))),
                read.size() == 1 ? read : u"\u30FB")
          << std::hex << lead << " " << trail;
    }
  }
}

}  // namespace
}  // namespace cardo
