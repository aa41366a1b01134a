#include "app/generators/generator_text.h"

#include <gtest/gtest.h>

#include "app/list/messages.h"
#include "tests/list/shell_fixture.h"

namespace cardo {
namespace {

using Lines = std::vector<std::u16string>;
using testing::Ansi;
using testing::U;

TEST(GeneratorText, UrlHistory) {
  const struct {
    Lines before;
    const char16_t* text;
    int listMax;
    Lines after;
  } cases[] = {
      {{}, u"a", 10, {u"a"}},
      {{u"b", u"c"}, u"a", 10, {u"a", u"b", u"c"}},
      {{u"b", u"a", u"c"}, u"a", 10, {u"a", u"b", u"c"}},             // moves up, not added twice
      {{u"b", u"c", u"d"}, u"a", 2, {u"a", u"b", u"c"}},              // full: listMax + 1 entries
      {{u"b", u"c"}, u"a", 2, {u"a", u"b", u"c"}},                    // reaches listMax + 1
      {{u"b", u"c", u"d", u"e"}, u"a", 1, {u"a", u"b", u"d", u"e"}},  // past listMax: kept
      {{u"b"}, u"a", 0, {u"a"}},
      {{u"b"}, u"a", -5, {u"a"}},
      {{u"A"}, u"a", 10, {u"a", u"A"}},  // exact comparison
      {{}, u"", 10, {u""}},
  };
  for (const auto& c : cases) {
    Lines history = c.before;
    UpdateUrlHistory(history, c.text, c.listMax);
    EXPECT_EQ(history, c.after) << c.listMax;
  }
  Lines hundredOne;  // a hand-edited file with ListMax 10 keeps its tail
  for (int i = 0; i < 101; ++i) hundredOne.push_back(u"u" + std::u16string(1, u'0' + i % 10));
  UpdateUrlHistory(hundredOne, u"new", 10);
  EXPECT_EQ(hundredOne.size(), 101u);
  EXPECT_EQ(hundredOne[0], u"new");

  // What the settings file would give back cut short is not remembered.
  const std::u16string longest = u"http://h/" + std::u16string(246, u'a');  // 255 bytes
  Lines history{u"b"};
  UpdateUrlHistory(history, longest + u"a", 10);
  EXPECT_EQ(history, Lines{u"b"});
  UpdateUrlHistory(history, longest, 10);
  EXPECT_EQ(history, (Lines{longest, u"b"}));
}

TEST(GeneratorText, CompletionKeysAndDropRules) {
  for (unsigned key : {8u, 35u, 36u, 37u, 40u, 45u, 46u}) EXPECT_TRUE(KeyStopsCompletion(key));
  for (unsigned key : {65u, 34u, 41u, 47u, 16u}) EXPECT_FALSE(KeyStopsCompletion(key));
  EXPECT_TRUE(AcceptsUrlDrop(u"http://a\r\nb"));
  EXPECT_TRUE(AcceptsUrlDrop(u"ftp://a"));
  EXPECT_TRUE(AcceptsUrlDrop(u"https://a"));
  for (const char16_t* text :
       {u"HTTP://a", u" http://a", u"HTTPS://a", u"https:/a", u"", u"ftp:/"}) {
    EXPECT_FALSE(AcceptsUrlDrop(text));
  }
}

TEST(GeneratorText, SpreadSourceLinesResultsAndMessages) {
  EXPECT_EQ(SpreadSourceLines(u""), std::vector<std::u16string_view>{});
  EXPECT_EQ(SpreadSourceLines(u"a\r\n\r\n  \r\nb\r\n"),
            (std::vector<std::u16string_view>{u"a", u"  ", u"b"}));
  EXPECT_EQ(SpreadFailureText(u"x", 1), u"x - 文字列内に[が見つかりません。");
  EXPECT_EQ(SpreadFailureText(u"x", 2), u"x - 文字列内の[以降に]が見つかりません。");
  EXPECT_EQ(SpreadFailureText(u"x", 3), u"x - 文字列の[]内に「-」が見つかりません。");
  EXPECT_EQ(SpreadFailureText(u"x", 4), u"x - []内の構文が不正です。");
  EXPECT_EQ(SpreadFailureText(u"x", 9), u"x - []内の構文が不正です。");

  testing::ShellFixture f;
  PendingLines pending(f.list);
  AddSpreadResult(pending, Ansi("a1\r\n   \r\n b2 \r\n\r\n日本3\r\n"));
  EXPECT_EQ(pending.Commit(f.shell), 3);
  EXPECT_EQ(f.Lines(), (Lines{u"a1", u" b2 ", U("日本3")}));
  EXPECT_EQ(f.title, u"Cardo - [無題*]");
  EXPECT_TRUE(f.ui.messages.empty());
}

TEST(GeneratorText, ExtendedSpreadPlansFaultsAndLines) {
  // Line 3 (after an empty line) fails at its 6th character, 画像 counting one each.
  const std::u16string text = U("a[1-3:2]\r\n\r\n画像[1-]\r\n[x, ,y]\r\n[=v]");
  const ExtendedSpread plan = PlanExtendedSpread(text);
  EXPECT_EQ(plan.lines, 5u);
  ASSERT_EQ(plan.faults.size(), 2u);
  EXPECT_EQ(SpreadFaultText(plan.faults[0]), U("3 行目 6 文字目: 範囲の終わりがありません。"));
  EXPECT_EQ(text[plan.faults[0].position], u']');
  EXPECT_EQ(plan.faults[1].line, 5);
  EXPECT_EQ(text[plan.faults[1].position], u'[');
  EXPECT_EQ(CountSpreadLines(text).refused, 4);  // the specified syntax refuses four lines

  testing::ShellFixture f;
  PendingLines pending(f.list);
  AddExtendedSpread(pending, plan);
  EXPECT_EQ(pending.Commit(f.shell), 4);  // the blank item is left out
  EXPECT_EQ(f.Lines(), (Lines{u"a1", u"a3", u"x", u"y"}));
  EXPECT_EQ(
      SpreadTooLargeText(40000, 32767),
      U("伸長すると 40,000 行になり、リストに入る 32,767 行を超えるため、伸長しませんでした。"));
  EXPECT_EQ(SpreadTooLargeText(~std::uint64_t{0}, 5),
            U("伸長すると入りきらないほど多くの行になり、リストに入る 5 "
              "行を超えるため、伸長しませんでした。"));
}

TEST(GeneratorText, ExtendedSpreadKeepsCharactersTheCodePageLacks) {
  // An emoji is one character of the column but two units of the text.
  const std::u16string text = U("http://a/한😀[1-2]\r\n😀😀[1-2");
  const ExtendedSpread plan = PlanExtendedSpread(text);
  ASSERT_EQ(plan.faults.size(), 1u);
  EXPECT_EQ(SpreadFaultText(plan.faults[0]), U("2 行目 3 文字目: [を閉じる]がありません。"));
  EXPECT_EQ(text[plan.faults[0].position], u'[');

  testing::ShellFixture f;
  PendingLines pending(f.list);
  AddExtendedSpread(pending, plan);
  EXPECT_EQ(pending.Commit(f.shell), 2);
  EXPECT_EQ(f.Lines(), (Lines{U("http://a/한😀1"), U("http://a/한😀2")}));
}

TEST(GeneratorText, PendingLinesStopAtTheLimitsAndSayItOnce) {
  testing::ShellFixture f;
  f.SetLines({u"old"});
  std::string result;
  for (int i = 0; i < 40000; ++i) result += "http://h/" + std::to_string(i) + ".jpg\r\n";
  PendingLines pending(f.list);
  AddSpreadResult(pending, result);
  EXPECT_EQ(pending.Commit(f.shell), kMaxListLines - 1);
  EXPECT_EQ(f.list.Line(kMaxListLines - 1), u"http://h/32765.jpg");
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].text, msg::kListFull);

  testing::ShellFixture big;  // the code-unit budget: 64 MB of text at most
  PendingLines units(big.list);
  const std::u16string line(1 << 20, u'x');
  int kept = 0;
  while (units.Add(line)) ++kept;
  EXPECT_EQ(kept, static_cast<int>(kMaxListUnits >> 20));
  EXPECT_FALSE(units.Add(u"short"));  // a refused line ends the command's adds
  EXPECT_EQ(units.Commit(big.shell), kept);
  ASSERT_EQ(big.ui.messages.size(), 1u);  // it names the limit reached, not the line count
  EXPECT_EQ(big.ui.messages[0].text,
            u"リストの文字数が上限(33,554,432文字)に達したため、追加できなかった行があります。");

  testing::ShellFixture none;  // nothing kept: no change mark, no message
  PendingLines empty(none.list);
  EXPECT_EQ(empty.Commit(none.shell), 0);
  EXPECT_EQ(none.title, u"Cardo - [無題]");
  EXPECT_TRUE(none.ui.messages.empty());
}

TEST(GeneratorText, FreeInputTextOfADroppedFile) {
  testing::TempDir dir;
  dir.Write(u"lines.txt", Ansi("a\r\nb\rc\nd"));
  dir.Write(u"exact.txt", std::string(kMaxFreeInputFileBytes, 'x'));
  dir.Write(u"over.txt", std::string(kMaxFreeInputFileBytes + 1, 'x'));
  dir.Write(u"empty.txt", "");
  dir.Write(u"binary.bin", std::string("MZ\0\x90", 4));
  testing::FlakyFileSystem fs;
  const struct {
    std::u16string path;
    std::u16string text;  // expected; "-" for a failure
  } cases[] = {
      {dir.File(u"lines.txt"), u"a\r\nb\r\nc\r\nd\r\n"},
      {dir.File(u"exact.txt"), std::u16string(kMaxFreeInputFileBytes, u'x') + u"\r\n"},
      {dir.File(u"over.txt"),
       U("[ERR-MSG] ファイルサイズが大きすぎます : ") + dir.File(u"over.txt") + u"\r\n"},
      {dir.File(u"empty.txt"), u""},
      {dir.File(u"missing.txt"), u"-"},
      {dir.File(u"binary.bin"), u"-"},
      {dir.path(), u"-"},
  };
  for (const auto& c : cases) {
    std::u16string text = u"kept";
    const std::u16string failure = FreeInputFileText(fs, c.path, text);
    if (c.text == u"-") {
      EXPECT_FALSE(failure.empty());
      EXPECT_EQ(text, u"kept");
    } else {
      EXPECT_EQ(failure, u"");
      EXPECT_EQ(text, c.text);
    }
  }
  fs.failReads = true;
  std::u16string text = u"kept";
  EXPECT_EQ(FreeInputFileText(fs, dir.File(u"lines.txt"), text), u"injected failure");
  EXPECT_EQ(text, u"kept");
}

TEST(GeneratorText, CountsTheLinesAnExpansionMakesWithoutMakingThem) {
  const struct {
    const char16_t* text;
    std::uint64_t lines;
    int refused;
  } cases[] = {
      {u"a[1-3]\r\nb[01-10][a-b]\r\n\r\nnone\r\nx[1-]", 23, 2},
      {u"[3-1]", 3, 0},
      {u"日本[1-2]語", 2, 0},
      {u"[1-2147483647][1-2147483647][1-2147483647]", UINT64_MAX, 0},
      {u"", 0, 0},
  };
  for (const auto& c : cases) {
    const SpreadCount count = CountSpreadLines(c.text);
    EXPECT_EQ(count.lines, c.lines);
    EXPECT_EQ(count.refused, c.refused);
  }
  EXPECT_EQ(SpreadCountText({12000, 0}, 32767), u"12,000 行 (リストに入るのは 32,767 行まで)");
  EXPECT_EQ(SpreadCountText({23, 2}, 5), u"23 行 (リストに入るのは 5 行まで)、エラーの行が 2 行");
  EXPECT_EQ(SpreadCountText({9223372036854775807u, 0}, 1),
            u"9,223,372,036,854,775,807 行 (リストに入るのは 1 行まで)");
  for (const std::uint64_t past : {9223372036854775808u, UINT64_MAX}) {
    EXPECT_EQ(SpreadCountText({past, 1}, 32767),
              u"入りきらないほど多くの行 (リストに入るのは 32,767 行まで)、エラーの行が 1 行");
  }
}

}  // namespace
}  // namespace cardo
