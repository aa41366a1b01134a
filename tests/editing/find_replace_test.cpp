#include "app/editing/find_replace.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>

#include "app/editing/messages.h"
#include "app/list/filtered_url_list.h"
#include "app/platform/text.h"
#include "tests/list/shell_fixture.h"

namespace cardo {
namespace {

using testing::ShellFixture;
using Lines = std::vector<std::u16string>;

TEST(FindReplace, ReplacesEveryOccurrenceAndKeepsTheCaseOfTheRest) {
  const struct {
    std::u16string line, word, replacement;
    bool caseSensitive;
    std::optional<std::u16string> expected;
  } cases[] = {
      {u"aaa", u"a", u"b", true, u"bbb"},
      {u"DIR/A.ZIP", u"zip", u"rar", false, u"DIR/A.rar"},
      {u"DIR/A.ZIP", u"zip", u"rar", true, std::nullopt},
      {u"a.zip.zip", u"zip", u"", true, u"a.."},
      {u"zip", u"zip", u"", true, u""},
      {u"aaaa", u"aa", u"a", true, u"aa"},  // left to right, non-overlapping
      {u"ab", u"a", u"aa", true, u"aab"},   // the replacement holds the word
      {u"abababc", u"ababc", u"X", true, u"abX"},
      {u"\uFF21\uFF42", u"\uFF41", u"x", false, u"x\uFF42"},  // full-width
      {u"\u0391\u03B2", u"\u03B1\u0392", u"g", false, u"g"},  // Greek
      {u"\U0001F600A\U0001F600a", u"a", u"b", false, u"\U0001F600b\U0001F600b"},
      {u"日本語.ZIP", u"語.zip", u"", false, u"日本"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.line.begin(), c.line.end()));
    std::u16string out;
    const bool changed =
        ReplaceOccurrences(c.line, WordMatcher(c.word, c.caseSensitive), c.replacement, out);
    EXPECT_EQ(changed ? std::optional(out) : std::nullopt, c.expected);
  }
}

TEST(FindReplace, MatcherAgreesWithTheStandardSearch) {
  std::mt19937 random(7);
  for (int round = 0; round < 3000; ++round) {
    auto make = [&](int maxLength) {
      std::u16string s(random() % maxLength, u'a');
      for (auto& c : s) c = static_cast<char16_t>(u'a' + random() % 2);
      return s;
    };
    const std::u16string text = make(40);
    const std::u16string word = make(6) + u"a";
    const std::size_t from = random() % (text.size() + 1);
    ASSERT_EQ(WordMatcher(word, true).Find(text, from), text.find(word, from)) << round;
  }
}

TEST(FindReplace, HistoryMovesKnownWordsUpAndHoldsTenNewOnes) {
  auto numbered = [](int n) {
    Lines entries;
    for (int i = 0; i < n; ++i) entries.push_back(u"w" + DecimalText(i));
    return entries;
  };
  const struct {
    Lines before;
    std::u16string word;
    Lines after;
  } cases[] = {
      {{}, u"a", {u"a"}},
      {{u"a", u"b", u"c"}, u"c", {u"c", u"a", u"b"}},
      {{u"a", u"b"}, u"B", {u"B", u"a", u"b"}},  // exact comparison
      {numbered(9), u"x",
       [&] {
         auto e = numbered(9);
         e.insert(e.begin(), u"x");
         return e;
       }()},
      {numbered(10), u"x",
       [&] {
         auto e = numbered(9);
         e.insert(e.begin(), u"x");
         return e;
       }()},
      // A longer stored history keeps its entries past the tenth.
      {numbered(12), u"x",
       [&] {
         auto e = numbered(12);
         e.erase(e.begin() + 9);
         e.insert(e.begin(), u"x");
         return e;
       }()},
  };
  for (const auto& c : cases) {
    Lines entries = c.before;
    UpdateSearchHistory(entries, c.word);
    EXPECT_EQ(entries, c.after);
  }
  // What the settings file would give back cut short is not remembered.
  Lines entries{u"a"};
  UpdateSearchHistory(entries, std::u16string(128, u'語'));  // 256 bytes in the code page
  EXPECT_EQ(entries, Lines{u"a"});
  UpdateSearchHistory(entries, std::u16string(127, u'語') + u"x");
  EXPECT_EQ(entries.size(), 2u);
}

TEST(FindReplace, FindSelectsEachHitThenReportsTheEndAndStartsOver) {
  ShellFixture f;
  f.SetLines({u"a.zip", u"b.lzh", u"c.zip"});
  f.list.SetFocusIndex(1);
  SearchRecord state;
  auto next = [&] { return FindInList(f.shell, state, u"", 0, false, false); };

  EXPECT_EQ(FindInList(f.shell, state, u"ZIP", 0, false, true), FindOutcome::Hit);
  EXPECT_EQ(f.SelectedRows(), std::vector<int>{0});
  EXPECT_EQ(next(), FindOutcome::Hit);
  EXPECT_EQ(f.SelectedRows(), std::vector<int>{2});
  EXPECT_EQ(f.list.TopIndex(), 2);
  EXPECT_EQ(f.list.FocusIndex(), 1);  // only the selection and the scroll position move
  EXPECT_TRUE(f.ui.messages.empty());
  EXPECT_EQ(next(), FindOutcome::End);
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].text, msg::kSearchReachedEnd);
  EXPECT_EQ(f.ui.messages[0].title, u"情報");
  EXPECT_EQ(next(), FindOutcome::Hit);
  EXPECT_EQ(f.SelectedRows(), std::vector<int>{0});
  EXPECT_EQ(f.list.SuspendDepth(), 0);

  // A new search includes its start line; a case-sensitive one does not fold.
  EXPECT_EQ(FindInList(f.shell, state, u"zip", 2, true, true), FindOutcome::Hit);
  EXPECT_EQ(f.SelectedRows(), std::vector<int>{2});
  EXPECT_EQ(FindInList(f.shell, state, u"ZIP", 0, true, true), FindOutcome::End);
}

TEST(FindReplace, FindNextWithoutASearchOrPastTheEnd) {
  ShellFixture f;
  f.SetLines({u"a", u"b"});
  f.list.SetAllSelected(true);
  SearchRecord state;
  EXPECT_EQ(FindInList(f.shell, state, u"", 0, false, false), FindOutcome::NoSearchYet);
  EXPECT_EQ(f.ui.beeps, 1);
  EXPECT_TRUE(f.SelectedRows().empty());
  EXPECT_TRUE(f.ui.messages.empty());

  state = {5, u"a", true};  // lines were deleted after the last hit
  EXPECT_EQ(FindInList(f.shell, state, u"", 0, false, false), FindOutcome::End);
  EXPECT_EQ(state.nextLine, 0);
}

TEST(FindReplace, ReplaceCountsChangedLinesAndMarksOnlyWhenSomethingChanged) {
  const struct {
    Lines before;
    std::u16string word, replacement;
    bool caseSensitive;
    Lines after;
    int count;
  } cases[] = {
      {{u"aaa", u"b", u"xa"}, u"a", u"b", true, {u"bbb", u"b", u"xb"}, 2},
      {{u"DIR/A.ZIP"}, u"zip", u"rar", false, {u"DIR/A.rar"}, 1},
      {{u"a.zip"}, u"a.zip", u"", true, {u""}, 1},
      {{}, u"a", u"b", true, {}, 0},
      {{u"x"}, u"a", u"b", true, {u"x"}, 0},
  };
  for (const auto& c : cases) {
    ShellFixture f;
    f.list.ReplaceAll(c.before);
    f.list.SetSelected(0, true);
    EXPECT_EQ(ReplaceInList(f.shell, c.word, c.replacement, c.caseSensitive), c.count);
    EXPECT_EQ(f.Lines(), c.after);
    EXPECT_EQ(f.document.Modified(), c.count > 0);
    EXPECT_EQ(f.extentUpdates, c.count > 0 ? 1 : 0);
    EXPECT_EQ(f.list.Selected(0), !c.before.empty());
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0].text, u"終了しました。\r\n置き換えた回数:" + DecimalText(c.count));
    EXPECT_EQ(f.ui.messages[0].icon, MessageIcon::Information);
  }
}

TEST(FindReplace, ReplaceThatWouldOutgrowTheListChangesNothing) {
  ShellFixture f;
  const Lines before(32767, std::u16string(80, u'a'));
  f.list.ReplaceAll(before);
  EXPECT_EQ(ReplaceInList(f.shell, u"a", std::u16string(1000, u'b'), true), -1);
  EXPECT_EQ(f.list.LineRefs(), before);
  EXPECT_FALSE(f.document.Modified());
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].text, msg::kReplaceTooLarge);
  EXPECT_EQ(f.ui.messages[0].title, u"エラー");
}

TEST(FindReplace, ReplaceWhileFilteredCountsTheHiddenLinesToo) {
  ShellFixture f;
  // The hidden lines fill the list nearly to its size; the shown one would take it past.
  Lines before(kMaxListUnits / 2000 - 10, std::u16string(2000, u'z'));
  before.push_back(u"a");
  f.list.ReplaceAll(before);
  FilteredUrlList view(f.list);
  view.SetFilter(u"a");
  ShellContext shell{view, f.document, f.ui, f.fs, f.recent.history, [] {}};
  EXPECT_EQ(ReplaceInList(shell, u"a", std::u16string(100000, u'b'), true), -1);
  EXPECT_EQ(f.list.LineRefs(), before);
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].text, msg::kReplaceTooLarge);
}

}  // namespace
}  // namespace cardo
