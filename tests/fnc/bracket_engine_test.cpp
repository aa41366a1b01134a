#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fnc/bracket_engine.h"
#include "fnc/spread_text.h"

namespace cardo::fnc {
namespace {

using Lines = std::vector<std::string>;

Lines Expand(std::string_view line, LeadByteTest isLead = Cp932LeadByte) {
  Lines out;
  const auto expansion = Expansion::Parse(line, isLead);
  if (!expansion) return out;
  expansion->ForEachLine([&](std::string_view produced) {
    out.emplace_back(produced);
    return out.size() < 100000;
  });
  return out;
}

TEST(BracketEngine, PatternCodes) {
  const struct {
    const char* line;
    PatternCode code;
  } cases[] = {
      {"http://h/a.jpg", kNoOpenBracket},
      {"a]b[1-2", kNoCloseBracket},
      {"[1]-2", kNoSeparator},
      {"[12]", kNoSeparator},
      {"[-5]", kEmptyBound},
      {"[5-]", kEmptyBound},
      {"[1-b]", kBadBound},
      {"[A-b]", kBadBound},
      {"[1a-2b]", kBadBound},
      {"[r00-5]", kBadBound},
      {"[r0-r1]", kBadBound},  // volumes are exactly a letter and two digits
      {"[2147483647-1]", kPatternOk},
      {"[2147483648-1]", kBadBound},  // above the largest signed 32-bit value
      {"[99999999999999-1]", kBadBound},
      {"[zzzzzz-a]", kPatternOk},
      {"[aaaaaaa-b]", kBadBound},  // seven letters
      {"[1-2]", kPatternOk},
      {"a-b[1-2]", kPatternOk},
      {"[1--2]", kBadBound},
  };
  for (const auto& c : cases) EXPECT_EQ(CheckPattern(c.line, Cp932LeadByte), c.code) << c.line;
}

TEST(BracketEngine, Expansions) {
  const struct {
    const char* line;
    Lines lines;
  } cases[] = {
      {"P[1-3]S", {"P1S", "P2S", "P3S"}},
      {"P[08-10]S", {"P08S", "P09S", "P10S"}},
      {"P[8-10]S", {"P8S", "P9S", "P10S"}},
      {"P[3-1]S", {"P1S", "P2S", "P3S"}},
      {"P[y-ba]S", {"PyS", "PzS", "PbaS"}},
      {"P[aa-ac]S", {"PaaS", "PabS", "PacS"}},
      {"P[r98-s01]S", {"Pr98S", "Pr99S", "Ps00S", "Ps01S"}},
      {"P[1-2]Q[a-b]S", {"P1QaS", "P1QbS", "P2QaS", "P2QbS"}},
      {"[10-10]", {"10"}},
      {"[r00-r02]", {"r00", "r01", "r02"}},
      {"[R00-R02]", {"R00", "R01", "R02"}},
      {"[z99-a00]", {"z99", "a00"}},
      {"[a00-z99]", {"z99", "a00"}},
      {"[Z-BA]", {"Z", "BA"}},
      {"[AA-AC]", {"AA", "AB", "AC"}},
      {"x[1-2]y[q]z", {"x1y[q]z", "x2y[q]z"}},
      {"a-b[1-2]", {"a-b1", "a-b2"}},
      {"a[1-2]b[", {"a1b[", "a2b["}},
      {"[1-2][x-y-z][3-4]", {"1[x-y-z][3-4]", "2[x-y-z][3-4]"}},  // later groups stay literal
      {"[1-2]-[3-4]", {"1-3", "1-4", "2-3", "2-4"}},
      {"[2147483646-2147483647]", {"2147483646", "2147483647"}},  // ends at the largest value
  };
  for (const auto& c : cases) EXPECT_EQ(Expand(c.line), c.lines) << c.line;
}

TEST(BracketEngine, RunsOfLettersAndTheirCount) {
  EXPECT_EQ(Expand("[A-Z]").size(), 26u);
  const auto pairs = Expand("[AA-ZZ]");
  ASSERT_EQ(pairs.size(), 676u);
  EXPECT_EQ(pairs.front(), "AA");
  EXPECT_EQ(pairs[27], "BB");
  EXPECT_EQ(pairs.back(), "ZZ");
  EXPECT_EQ(Expansion::Parse("[0-9][0-9][a-z]", Cp932LeadByte)->LineCount(), 2600u);
}

TEST(BracketEngine, BoundsAreCutToThirteenBytes) {
  // Fourteen digits: the cut bound is 0000000000001, so the width is 13.
  EXPECT_EQ(Expand("[00000000000012-0000000000003]"),
            (Lines{"0000000000001", "0000000000002", "0000000000003"}));
  EXPECT_EQ(ClassifyBound("1234567890123x"), BoundKind::Decimal);
}

TEST(BracketEngine, FormatsAndValues) {
  EXPECT_EQ(FormatValue(5, BoundKind::Decimal, 3), "005");
  EXPECT_EQ(FormatValue(12345, BoundKind::Decimal, 3), "12345");
  EXPECT_EQ(FormatValue(0, BoundKind::LettersLower, 0), "a");
  EXPECT_EQ(FormatValue(26, BoundKind::LettersUpper, 0), "BA");
  EXPECT_EQ(FormatValue(1, BoundKind::LettersUpper, 3), "AAB");
  EXPECT_EQ(FormatValue(899, BoundKind::VolumeLower, 0), "z99");
  EXPECT_EQ(FormatValue(900, BoundKind::VolumeUpper, 7), "A00");
  EXPECT_EQ(BoundValue("BA", BoundKind::LettersUpper), 26u);
  EXPECT_EQ(BoundValue("q99", BoundKind::VolumeLower), 2599u);
  EXPECT_EQ(BoundValue("R05", BoundKind::VolumeUpper), 5u);
  EXPECT_EQ(BoundValue("zzzzzz", BoundKind::LettersLower), 308915775u);
}

TEST(BracketEngine, DoubleByteCharactersAreNeverSplit) {
  // ゼ is 83 5B and ゾ is 83 5D: their trail bytes are "[" and "]".
  const std::string ze = "\x83\x5B", zo = "\x83\x5D";
  EXPECT_EQ(CheckPattern(ze + "abc", Cp932LeadByte), kNoOpenBracket);
  EXPECT_EQ(Expand(ze + "[1-2]" + zo), (Lines{ze + "1" + zo, ze + "2" + zo}));
  EXPECT_EQ(CheckPattern("[1-" + zo + "2", Cp932LeadByte), kNoCloseBracket);
  // UTF-8 text has no lead bytes to skip and no ASCII inside its characters.
  EXPECT_EQ(Expand("画像[1-2].jpg", NoLeadBytes), (Lines{"画像1.jpg", "画像2.jpg"}));
}

TEST(SpreadText, MeasuresThenWritesWithCrLf) {
  const auto expansion = Expansion::Parse("a[1-3]", Cp932LeadByte);
  const auto all = MeasureExpansion(*expansion, kMaxOutputBytes, [] { return false; });
  EXPECT_EQ(all.lines, 3u);
  EXPECT_EQ(all.bytes, 12u);
  std::string out(all.bytes, '\0');
  WriteExpansion(*expansion, all.lines, out.data());
  EXPECT_EQ(out, "a1\r\na2\r\na3\r\n");

  // The cap stops after the line that reaches it; a cancel before the first line gives none.
  EXPECT_EQ(MeasureExpansion(*expansion, 5, [] { return false; }).lines, 2u);
  EXPECT_EQ(MeasureExpansion(*expansion, kMaxOutputBytes, [] { return true; }).lines, 0u);
  int asked = 0;
  EXPECT_EQ(MeasureExpansion(*expansion, kMaxOutputBytes, [&] { return ++asked > 2; }).lines, 2u);
}

TEST(SpreadText, HugeRangesStopAtTheCap) {
  const auto expansion = Expansion::Parse("[0-2147483647][0-2147483647]", Cp932LeadByte);
  EXPECT_EQ(expansion->LineCount(), 4611686018427387904u);
  const std::size_t cap = 1 << 20;
  const auto text = MeasureExpansion(*expansion, cap, [] { return false; });
  EXPECT_GE(text.bytes, cap);
  EXPECT_LT(text.bytes, cap + 24);
}

}  // namespace
}  // namespace cardo::fnc
