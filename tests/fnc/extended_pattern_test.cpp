#include "fnc/extended_pattern.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cardo::fnc {
namespace {

using Lines = std::vector<std::string>;

Lines Expand(std::string_view line, LeadByteTest isLead = Cp932LeadByte) {
  Lines out;
  const auto parsed = ExtendedExpansion::Parse(line, isLead);
  const auto* expansion = std::get_if<ExtendedExpansion>(&parsed);
  if (!expansion) {
    ADD_FAILURE() << line << ": " << PatternErrorText(std::get<PatternError>(parsed));
    return out;
  }
  expansion->ForEachLine([&](std::string_view produced) {
    out.emplace_back(produced);
    return out.size() < 10000;
  });
  EXPECT_EQ(expansion->LineCount(), out.size()) << line;
  return out;
}

struct FormCase {
  const char* line;
  Lines lines;
};

void ExpectForms(const std::vector<FormCase>& cases) {
  for (const auto& c : cases) EXPECT_EQ(Expand(c.line), c.lines) << c.line;
}

TEST(ExtendedPattern, Steps) {
  ExpectForms({
      {"[1-10:3]", {"1", "4", "7", "10"}},
      {"[1-100:40]", {"1", "41", "81"}},
      {"[001-012:5]", {"001", "006", "011"}},
      {"[a-i:4]", {"a", "e", "i"}},
      {"[r00-r20:10]", {"r00", "r10", "r20"}},
      {"[r98-s02:2]", {"r98", "s00", "s02"}},
      {"[5-5:7]", {"5"}},
      {"[1-3:2147483647]", {"1"}},
      {"[2147483640-2147483647:5]", {"2147483640", "2147483645"}},
  });
}

TEST(ExtendedPattern, Descending) {
  ExpectForms({
      {"[3-1]", {"3", "2", "1"}},
      {"[10-8]", {"10", "9", "8"}},  // lengths differ: no padding
      {"[100-001:40]", {"100", "060", "020"}},
      {"[c-a]", {"c", "b", "a"}},
      {"[s01-r99]", {"s01", "s00", "r99"}},
      {"[2147483647-2147483646]", {"2147483647", "2147483646"}},
      {"[1-0]", {"1", "0"}},
  });
}

TEST(ExtendedPattern, ListsAndEscapes) {
  ExpectForms({
      {"a.[jpg,png,gif]", {"a.jpg", "a.png", "a.gif"}},
      {"file[,s]", {"file", "files"}},  // empty items count
      {"[1-3,x]", {"1-3", "x"}},        // a comma makes a list: "-" is text there
      {"[a\\,b,c]", {"a,b", "c"}},
      {"[a\\]b,c\\\\]", {"a]b", "c\\"}},
      {"[x\\=1,y=2]", {"x=1", "y=2"}},
      {"\\[[1-2]\\]", {"[1]", "[2]"}},
      {"C:\\d\\x[1-2]", {"C:\\d\\x1", "C:\\d\\x2"}},  // other "\" are text
      {"a\\\\[1-2]", {"a\\1", "a\\2"}},
      {"[1-2]\\", {"1\\", "2\\"}},
  });
}

TEST(ExtendedPattern, NamedCountersRepeatAndMoveTogether) {
  ExpectForms({
      {"[y=2020-2021]/img_[=y]_[01-02].jpg",
       {"2020/img_2020_01.jpg", "2020/img_2020_02.jpg", "2021/img_2021_01.jpg",
        "2021/img_2021_02.jpg"}},
      {"/vol[v=1-3]/cover[v=1-3].jpg",
       {"/vol1/cover1.jpg", "/vol2/cover2.jpg", "/vol3/cover3.jpg"}},
      {"[n=1-3][n=a,b,c][n=c-a]", {"1ac", "2bb", "3ca"}},
      {"[=k]-[k=08-10]", {"08-08", "09-09", "10-10"}},  // a reference may come first
      {"[a=1-2][b=x,y][=a]", {"1x1", "1y1", "2x2", "2y2"}},
      {"[e=jpg,png]/[=e]", {"jpg/jpg", "png/png"}},
      {"[v=1-2][=v][v=c,d][=v]", {"11c1", "22d2"}},  // a reference shows the first group
      {"[i=1-2][0-1][i=3-4]", {"103", "113", "204", "214"}},
  });
}

TEST(ExtendedPattern, SpecifiedFormsKeepTheirMeaning) {
  ExpectForms({
      {"P[08-10]S", {"P08S", "P09S", "P10S"}},
      {"P[y-ba]S", {"PyS", "PzS", "PbaS"}},
      {"P[1-2]Q[a-b]S", {"P1QaS", "P1QbS", "P2QaS", "P2QbS"}},
      {"a-b[1-2]", {"a-b1", "a-b2"}},
      {"[00000000000012-00000000000013]", {"00000000000012", "00000000000013"}},  // not cut
  });
  const std::string ze = "\x83\x5B", zo = "\x83\x5D";  // trail bytes "[" and "]"
  EXPECT_EQ(Expand(ze + "[1-2]" + zo), (Lines{ze + "1" + zo, ze + "2" + zo}));
  EXPECT_EQ(Expand("[" + ze + "," + zo + "]"), (Lines{ze, zo}));
  EXPECT_EQ(Expand("画像[1-2]", NoLeadBytes), (Lines{"画像1", "画像2"}));
}

TEST(ExtendedPattern, CountsExactlyAndSaturates) {
  const auto count = [](std::string_view line) {
    return std::get<ExtendedExpansion>(ExtendedExpansion::Parse(line, NoLeadBytes)).LineCount();
  };
  EXPECT_EQ(count("[1-100:10][a,b][v=1-9][v=1-9][=v]"), 10u * 2 * 9);
  EXPECT_EQ(count("[0-2147483647][0-2147483647]"), 4611686018427387904u);
  EXPECT_EQ(count("[0-2147483647][0-2147483647][0-2147483647]"), UINT64_MAX);
}

TEST(ExtendedPattern, FaultsNameTheirColumnAndReason) {
  const struct {
    const char* line;
    PatternFault fault;
    std::size_t column;
  } cases[] = {
      {"http://h/a.jpg", PatternFault::NoGroup, 1},
      {"a[1-2", PatternFault::Unclosed, 2},
      {"a]b[1-2]", PatternFault::StrayClose, 2},
      {"[1-2]x]", PatternFault::StrayClose, 7},
      {"[1-[2]", PatternFault::NestedOpen, 4},
      {"ab[]", PatternFault::Empty, 4},
      {"[n=]", PatternFault::Empty, 4},
      {"x[12]", PatternFault::NotRangeOrList, 3},
      {"[-5]", PatternFault::EmptyStart, 2},
      {"[5-]", PatternFault::EmptyEnd, 4},
      {"[5-:2]", PatternFault::EmptyEnd, 4},
      {"[x\\,y-]", PatternFault::EmptyEnd, 7},  // an escape takes two characters of the line
      {"[1-b]", PatternFault::MixedKinds, 4},
      {"[A-b]", PatternFault::MixedKinds, 4},
      {"[1a-2]", PatternFault::BadBound, 2},
      {"[1-2b]", PatternFault::BadBound, 4},
      {"[1--2]", PatternFault::BadBound, 4},
      {"[2147483648-1]", PatternFault::TooLarge, 2},
      {"[1-aaaaaaa]", PatternFault::MixedKinds, 4},
      {"[a-aaaaaaa]", PatternFault::TooLarge, 4},
      {"[1-9:0]", PatternFault::BadStep, 6},
      {"[1-9:]", PatternFault::BadStep, 6},
      {"[1-9:x]", PatternFault::BadStep, 6},
      {"[1-9:2147483648]", PatternFault::BadStep, 6},
      {"[1y=1-2]", PatternFault::BadName, 2},
      {"[=]", PatternFault::BadName, 2},
      {"[=a b]", PatternFault::BadName, 2},
      {"[1-2][=y]", PatternFault::Undefined, 6},
      {"[v=1-9]/[v=1-8]", PatternFault::LengthMismatch, 9},
      {"[v=a,b]/[v=1-3]", PatternFault::LengthMismatch, 9},
  };
  for (const auto& c : cases) {
    const auto parsed = ExtendedExpansion::Parse(c.line, Cp932LeadByte);
    ASSERT_TRUE(std::holds_alternative<PatternError>(parsed)) << c.line;
    const auto& error = std::get<PatternError>(parsed);
    EXPECT_EQ(error.fault, c.fault) << c.line;
    EXPECT_EQ(CharacterColumn(c.line, error.offset, Cp932LeadByte), c.column) << c.line;
    EXPECT_FALSE(PatternErrorText(error).empty()) << c.line;
  }
}

TEST(ExtendedPattern, FaultTextsNameWhatIsWrong) {
  const auto fault = [](std::string_view line) {
    return PatternErrorText(std::get<PatternError>(ExtendedExpansion::Parse(line, NoLeadBytes)));
  };
  EXPECT_EQ(fault("[v=1-9][v=1-8]"), "「v」の[]の値の数が違います(9個と8個)。");
  EXPECT_EQ(fault("[=year]"), "「year」という名前の[]がありません。");
  EXPECT_EQ(fault("[5-]"), "範囲の終わりがありません。");
}

TEST(ExtendedPattern, ColumnsCountCharacters) {
  const std::string sjis = "\x89\xE6\x91\x9C[";  // 画像[ in code page 932
  EXPECT_EQ(CharacterColumn(sjis, 4, Cp932LeadByte), 3u);
  EXPECT_EQ(CharacterColumn("画像[", 6, NoLeadBytes), 3u);
  EXPECT_EQ(CharacterColumn("abc", 0, NoLeadBytes), 1u);
}

}  // namespace
}  // namespace cardo::fnc
