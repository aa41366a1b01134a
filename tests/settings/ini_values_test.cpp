#include <gtest/gtest.h>

#include "app/platform/text.h"
#include "app/settings/ini_values.h"
#include "tests/support/fakes.h"

namespace cardo {
namespace {

TEST(IniValues, WholeNumbers) {
  const struct {
    const char16_t* text;
    std::optional<std::int16_t> int16;
    std::optional<std::int32_t> int32;
  } cases[] = {
      {u"0", 0, 0},
      {u"-1", -1, -1},
      {u"+12", 12, 12},
      {u" 7 ", 7, 7},
      {u"32767", 32767, 32767},
      {u"32768", std::nullopt, 32768},
      {u"-32768", -32768, -32768},
      {u"2147483648", std::nullopt, std::nullopt},
      {u"", std::nullopt, std::nullopt},
      {u"-", std::nullopt, std::nullopt},
      {u"abc", std::nullopt, std::nullopt},
      {u"1.5", std::nullopt, std::nullopt},
      {u"12a", std::nullopt, std::nullopt},
      {u"\uFF11", std::nullopt, std::nullopt},  // full-width digit
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseInt16(c.text), c.int16) << Utf16ToUtf8(c.text);
    EXPECT_EQ(ParseInt32(c.text), c.int32) << Utf16ToUtf8(c.text);
  }
}

TEST(IniValues, AbsoluteNumbersRoundHalfToEven) {
  const struct {
    const char16_t* text;
    std::optional<std::int16_t> value;
  } cases[] = {
      {u"-1", 1},
      {u"1", 1},
      {u"0", 0},
      {u"-3", 3},
      {u"2.5", 2},
      {u"3.5", 4},
      {u"-0.5", 0},
      {u"1.2", 1},
      {u"x", std::nullopt},
      {u"", std::nullopt},
      {u"99999", std::nullopt},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseAbsoluteInt16(c.text), c.value);
}

TEST(IniValues, WritesStopAtTheFirstLineBreak) {
  testing::TempDir dir;
  const auto file = dir.File(u"t.ini");
  ASSERT_TRUE(WriteIniValue(SystemProfile(), "S", "a", u"one\r\n[S]\r\nb=2", file));
  ASSERT_TRUE(WriteIniValue(SystemProfile(), "S", "c", u"x\ny", file));
  ASSERT_TRUE(WriteIniValue(SystemProfile(), "S", "d", u"\rz", file));
  EXPECT_EQ(dir.Read(u"t.ini"), "[S]\r\na=one\r\nc=x\r\nd=\r\n");
  EXPECT_EQ(ReadIniValue(SystemProfile(), "S", "a", 256, file), u"one");
}

TEST(IniValues, ATextComesBackWholeExactlyWhenItFitsTheCapacity) {
  // Written and read back as the settings file does it: under Windows through the system's
  // profile functions.
  testing::TempDir dir;
  const auto file = dir.File(u"t.ini");
  const std::u16string a254(254, u'a'), kanji127(127, u'語');
  const struct {
    std::u16string text;
    bool fits;
  } cases[] = {
      {a254 + u"a", true},
      {a254 + u"aa", false},
      {kanji127 + u"x", true},
      {u"x" + kanji127, true},
      {kanji127 + u"語", false},
      {a254 + u"語", false},
      {std::u16string(255, u'語'), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FitsSettingsText(c.text), c.fits) << c.text.size();
    ASSERT_TRUE(WriteIniValue(SystemProfile(), "S", "k", c.text, file));
    const std::u16string back =
        ReadIniValue(SystemProfile(), "S", "k", kSettingsTextCapacity + 1, file);
    EXPECT_EQ(back == c.text, c.fits) << c.text.size();
  }
}

TEST(IniValues, ReadsJapaneseText) {
  testing::TempDir dir;
  dir.Write(u"t.ini", testing::Ansi("[S]\r\nk=表示テスト\r\n"));
  EXPECT_EQ(ReadIniValue(SystemProfile(), "S", "k", 256, dir.File(u"t.ini")),
            testing::U("表示テスト"));
}

}  // namespace
}  // namespace cardo
