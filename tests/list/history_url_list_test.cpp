#include "app/list/history_url_list.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include "app/list/edit_commands.h"
#include "app/list/memory_url_list.h"

namespace cardo {
namespace {

using Lines = std::vector<std::u16string>;

Lines Numbered(int count, const std::u16string& prefix = u"line") {
  Lines lines;
  for (int i = 0; i < count; ++i) {
    std::u16string line = prefix;
    for (const char c : std::to_string(i)) line += static_cast<char16_t>(c);
    lines.push_back(line);
  }
  return lines;
}

struct State {
  Lines lines;
  std::vector<int> selected;
  int focus;
  bool operator==(const State&) const = default;
};

State StateOf(const UrlList& list) {
  return {list.Lines(), list.SelectedIndices(), list.FocusIndex()};
}

TEST(HistoryUrlList, UndoAndRedoBringBackLinesSelectionAndFocus) {
  const struct {
    const char* name;
    int count;  // lines before, numbered
    std::function<void(UrlList&)> change;
  } cases[] = {
      {"append", 5, [](UrlList& l) { l.AppendLines(Numbered(3, u"new"), true); }},
      {"append many", 5, [](UrlList& l) { l.AppendLines(Numbered(300, u"new"), false); }},
      {"append one by one", 5,
       [](UrlList& l) {
         RedrawSuspension hidden(l);
         for (int i = 0; i < 100; ++i) l.AppendLine(u"x");
       }},
      {"insert", 5, [](UrlList& l) { l.InsertLine(2, u"in"); }},
      {"remove", 5, [](UrlList& l) { l.RemoveLine(0); }},
      {"set", 5, [](UrlList& l) { l.SetLine(4, u"changed"); }},
      {"clear", 200, [](UrlList& l) { l.Clear(); }},
      {"replace the middle", 200,
       [](UrlList& l) {
         auto lines = l.Lines();
         lines.erase(lines.begin() + 50, lines.begin() + 150);
         lines.insert(lines.begin() + 50, u"middle");
         l.ReplaceAll(lines);
       }},
      {"remove scattered few", 20,
       [](UrlList& l) {
         l.RemoveLines({0, 3, 19});
       }},
      {"remove scattered many", 300,
       [](UrlList& l) {
         std::vector<int> odd;
         for (int i = 1; i < 300; i += 2) odd.push_back(i);
         l.RemoveLines(odd);
       }},
      {"sort", 300, [](UrlList& l) { SortLines(l, SortOrder::Descending); }},
      {"shuffle", 300, [](UrlList& l) { ShuffleLines(l, 7); }},
      {"move", 10, [](UrlList& l) { MoveSelectedLines(l, 1); }},
      {"several in one step", 10,
       [](UrlList& l) {
         ListStep step(l);
         l.RemoveLine(3);
         l.SetLine(0, u"first");
         l.AppendLine(u"last");
         RemoveDuplicateLines(l);
         SortLines(l, SortOrder::Ascending);
       }},
  };
  for (const auto& c : cases) {
    MemoryUrlList inner;
    HistoryUrlList list(inner);
    inner.ReplaceAll(Numbered(c.count));
    inner.SetRangeSelected(1, 2, true);
    inner.SetSelected(c.count - 3, true);
    inner.SetFocusIndex(2);
    const State before = StateOf(list);
    c.change(list);
    const State after = StateOf(list);
    ASSERT_NE(before.lines, after.lines) << c.name;
    EXPECT_EQ(list.UndoSteps(), 1u) << c.name;
    ASSERT_TRUE(list.Undo()) << c.name;
    EXPECT_EQ(StateOf(list), before) << c.name;
    EXPECT_FALSE(list.CanUndo()) << c.name;
    ASSERT_TRUE(list.Redo()) << c.name;
    EXPECT_EQ(StateOf(list), after) << c.name;
    ASSERT_TRUE(list.Undo()) << c.name;
    EXPECT_EQ(StateOf(list), before) << c.name;
  }
}

TEST(HistoryUrlList, KeepsHundredsOfStepsAndANewChangeEndsTheRedoBranch) {
  MemoryUrlList inner;
  HistoryUrlList list(inner);
  for (int i = 0; i < 150; ++i) list.AppendLine(u"x");
  EXPECT_EQ(list.UndoSteps(), 150u);
  for (int i = 0; i < 150; ++i) ASSERT_TRUE(list.Undo());
  EXPECT_EQ(list.Count(), 0);
  EXPECT_FALSE(list.Undo());
  ASSERT_TRUE(list.Redo());
  list.AppendLine(u"y");
  EXPECT_FALSE(list.CanRedo());
  EXPECT_EQ(list.Lines(), (Lines{u"x", u"y"}));
}

TEST(HistoryUrlList, TellsWhatEachStepDid) {
  const struct {
    std::function<void(HistoryUrlList&)> change;
    const char16_t* note;  // null: nothing told
  } cases[] = {
      {[](HistoryUrlList& l) { l.AppendLines(Numbered(120), true); }, u"120 行を追加しました"},
      {[](HistoryUrlList& l) {
         RedrawSuspension hidden(l);
         l.RemoveLine(0);
         l.RemoveLine(0);
       },
       u"2 行を削除しました"},
      {[](HistoryUrlList& l) {
         l.ReplaceAll({u"line0", u"x", u"y", u"line3", u"line4"});
       },
       u"2 行を変更しました"},
      {[](HistoryUrlList& l) {
         l.Reorder({4, 3, 2, 1, 0});
       },
       u"5 行を並べ替えました"},
      {[](HistoryUrlList& l) { l.SetLine(0, u"line0"); }, nullptr},
      {[](HistoryUrlList& l) {
         l.RemoveLine(4);
         l.Undo();
       },
       u"元に戻しました"},
      {[](HistoryUrlList& l) {
         l.RemoveLine(4);
         l.Undo();
         l.Redo();
       },
       u"やり直しました"},
  };
  for (const auto& c : cases) {
    MemoryUrlList inner;
    inner.AppendLines(Numbered(5), false);
    HistoryUrlList list(inner);
    std::optional<std::u16string> told;
    list.SetObserver(
        [&](std::optional<ListOutcome> outcome) { told = outcome ? OutcomeNote(*outcome) : u""; });
    c.change(list);
    if (c.note) {
      EXPECT_EQ(told, c.note);
    } else {
      EXPECT_EQ(told, std::nullopt);
    }
  }
}

TEST(HistoryUrlList, ClearingTheHistoryTellsNothingDone) {
  MemoryUrlList inner;
  HistoryUrlList list(inner);
  std::optional<ListOutcome> told{ListOutcome{}};
  int calls = 0;
  list.SetObserver([&](std::optional<ListOutcome> outcome) {
    told = outcome;
    ++calls;
  });
  list.AppendLine(u"a");
  list.ClearHistory();
  EXPECT_EQ(calls, 2);
  EXPECT_FALSE(told.has_value());
}

TEST(HistoryUrlList, StepsWithoutChangesAreNoSteps) {
  MemoryUrlList inner;
  HistoryUrlList list(inner);
  list.ReplaceAll({u"a", u"b"});
  {
    RedrawSuspension hidden(list);
    list.SetAllSelected(true);
    list.SetLine(0, u"a");
    list.ReplaceAll({u"a", u"b"});
  }
  EXPECT_EQ(list.UndoSteps(), 1u);
}

TEST(HistoryUrlList, MemoryIsBoundedAndASortHoldsOnlyItsOrder) {
  MemoryUrlList inner;
  HistoryUrlList list(inner);
  const Lines big = Numbered(kMaxListLines, u"http://example.com/a/long/path/to/a/file/");
  inner.ReplaceAll(big);
  SortLines(list, SortOrder::Descending);
  // One int a line, not a copy of the lines.
  EXPECT_LE(list.HeldBytes(), kMaxListLines * sizeof(int) + 64);

  // With room for about one copy of the list, older steps go first; the latest stays even
  // when it alone is larger.
  std::size_t oneCopy = 0;
  for (const auto& line : big) oneCopy += sizeof(std::u16string) + line.size() * 2;
  MemoryUrlList small;
  small.AppendLine(u"first");
  HistoryUrlList bounded(small, oneCopy);
  for (int i = 0; i < 3; ++i) {
    bounded.Clear();
    bounded.AppendLines(big, false);
  }
  EXPECT_LE(bounded.HeldBytes(), 2 * oneCopy);
  EXPECT_EQ(bounded.UndoSteps(), 1u);
  while (bounded.Undo()) {
  }
  EXPECT_NE(bounded.Lines(), Lines{u"first"});  // the oldest steps are gone
}

TEST(HistoryUrlList, SavedStateFollowsUndoAndRedo) {
  MemoryUrlList inner;
  HistoryUrlList list(inner);
  list.AppendLine(u"a");
  list.MarkSaved();
  list.AppendLine(u"b");
  EXPECT_FALSE(list.AtSaved());
  list.Undo();
  EXPECT_TRUE(list.AtSaved());
  list.Undo();
  EXPECT_FALSE(list.AtSaved());
  list.Redo();
  EXPECT_TRUE(list.AtSaved());
  // Undone past the saved state, a new change leaves it unreachable.
  list.Undo();
  list.AppendLine(u"c");
  while (list.Undo()) EXPECT_FALSE(list.AtSaved());
  list.ClearHistory();
  EXPECT_FALSE(list.AtSaved());
  list.MarkSaved();
  list.ClearHistory();
  EXPECT_TRUE(list.AtSaved());
}

}  // namespace
}  // namespace cardo
