#include "app/list/filtered_url_list.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/list/edit_commands.h"
#include "app/list/history_url_list.h"
#include "app/list/memory_url_list.h"
#include "app/platform/text.h"

namespace cardo {
namespace {

using Lines = std::vector<std::u16string>;

const Lines kStart = {u"a1", u"B2", u"c3", u"b4", u"e5", u"xb6", u"f7"};

// The store, its history and the view over it, as the main window composes them.
struct Filtered {
  MemoryUrlList store;
  HistoryUrlList history{store};
  FilteredUrlList view{history};
  explicit Filtered(const Lines& lines = kStart) {
    history.SetRestoredHook([this] { view.Refilter(); });
    store.AppendLines(lines, false);
    view.SetFilter(u"b");
  }
};

TEST(FilteredUrlList, CommandsActOnTheShownLinesAndUndoKeepsTheWholeList) {
  const struct {
    const char* name;
    std::function<void(UrlList&)> change;
    Lines whole;  // the whole list after
    Lines shown;  // what the view shows after
  } cases[] = {
      {"set",
       [](UrlList& l) { l.SetLine(1, u"bX"); },
       {u"a1", u"B2", u"c3", u"bX", u"e5", u"xb6", u"f7"},
       {u"B2", u"bX", u"xb6"}},
      {"remove",
       [](UrlList& l) {
         l.RemoveLines({0, 2});
       },
       {u"a1", u"c3", u"b4", u"e5", u"f7"},
       {u"b4"}},
      {"remove one",
       [](UrlList& l) { l.RemoveLine(2); },
       {u"a1", u"B2", u"c3", u"b4", u"e5", u"f7"},
       {u"B2", u"b4"}},
      {"reorder",
       [](UrlList& l) {
         l.Reorder({2, 1, 0});
       },
       {u"a1", u"xb6", u"c3", u"b4", u"e5", u"B2", u"f7"},
       {u"xb6", u"b4", u"B2"}},
      {"sort",
       [](UrlList& l) { SortLines(l, SortOrder::Descending); },
       {u"a1", u"xb6", u"c3", u"b4", u"e5", u"B2", u"f7"},
       {u"xb6", u"b4", u"B2"}},
      {"replace with fewer",
       [](UrlList& l) { l.ReplaceAll({u"n1"}); },
       {u"a1", u"n1", u"c3", u"e5", u"f7"},
       {u"n1"}},
      {"replace with more",
       [](UrlList& l) {
         l.ReplaceAll({u"n1", u"n2", u"n3", u"n4"});
       },
       {u"a1", u"n1", u"c3", u"n2", u"e5", u"n3", u"n4", u"f7"},
       {u"n1", u"n2", u"n3", u"n4"}},
      {"append goes to the end, shown",
       [](UrlList& l) { l.AppendLines({u"zz"}, false); },
       {u"a1", u"B2", u"c3", u"b4", u"e5", u"xb6", u"f7", u"zz"},
       {u"B2", u"b4", u"xb6", u"zz"}},
      {"insert before a row",
       [](UrlList& l) { l.InsertLine(1, u"in"); },
       {u"a1", u"B2", u"c3", u"in", u"b4", u"e5", u"xb6", u"f7"},
       {u"B2", u"in", u"b4", u"xb6"}},
      {"insert after the last row",
       [](UrlList& l) { l.InsertLine(3, u"in"); },
       {u"a1", u"B2", u"c3", u"b4", u"e5", u"xb6", u"in", u"f7"},
       {u"B2", u"b4", u"xb6", u"in"}},
      {"delete the selection",
       [](UrlList& l) {
         l.SetAllSelected(true);
         l.SetSelected(1, false);
         RemoveSelectedLines(l);
       },
       {u"a1", u"c3", u"b4", u"e5", u"f7"},
       {u"b4"}},
      {"move down",
       [](UrlList& l) {
         l.SetSelected(0, true);
         MoveSelectedLines(l, 1);
       },
       {u"a1", u"b4", u"c3", u"B2", u"e5", u"xb6", u"f7"},
       {u"b4", u"B2", u"xb6"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Filtered f;
    c.change(f.view);
    EXPECT_EQ(f.store.Lines(), c.whole);
    EXPECT_EQ(f.view.Lines(), c.shown);
    EXPECT_EQ(f.view.LineRefs(), c.shown);
    EXPECT_EQ(f.view.Whole().Count(), static_cast<int>(c.whole.size()));
    // Undo while filtered brings the whole list back, the filter matched again.
    ASSERT_TRUE(f.history.Undo());
    EXPECT_EQ(f.store.Lines(), kStart);
    EXPECT_EQ(f.view.Lines(), (Lines{u"B2", u"b4", u"xb6"}));
    ASSERT_TRUE(f.history.Redo());
    EXPECT_EQ(f.store.Lines(), c.whole);
    f.view.SetFilter(u"");
    EXPECT_FALSE(f.view.Filtering());
    EXPECT_EQ(f.view.Lines(), c.whole);
  }
}

TEST(FilteredUrlList, UndoOfAManyLineDeleteSelectsTheLinesAgain) {
  Lines lines;
  for (int i = 0; i < 300; ++i) lines.push_back(i % 3 == 0 ? u"keep" : u"other");
  Filtered f(lines);
  f.view.SetFilter(u"keep");
  f.view.SetAllSelected(true);
  RemoveSelectedLines(f.view);
  EXPECT_EQ(f.store.Count(), 200);
  ASSERT_TRUE(f.history.Undo());
  EXPECT_EQ(f.store.Lines(), lines);
  EXPECT_EQ(f.view.Count(), 100);
  EXPECT_EQ(f.view.SelectedCount(), 100);
}

TEST(FilteredUrlList, MatchesIgnoringCaseAsFindDoes) {
  const Lines lines = {u"http://H/画像/A.jpg", u"http://h/b.html", u"ＨＴＴＰ://full"};
  const struct {
    std::u16string text;
    Lines shown;
  } cases[] = {
      {u"a.JPG", {lines[0]}},    {u"画像", {lines[0]}}, {u"HTTP", {lines[0], lines[1]}},
      {u"ｈｔｔｐ", {lines[2]}}, {u"none", {}},
  };
  for (const auto& c : cases) {
    Filtered f(lines);
    f.view.SetFilter(c.text);
    EXPECT_TRUE(f.view.Filtering());
    EXPECT_EQ(f.view.Lines(), c.shown);
  }
}

TEST(FilteredUrlList, TypingOnShowsWhatAFreshFilterShows) {
  Filtered f;
  const struct {
    std::u16string text;
    Lines shown;
  } steps[] = {
      {u"x", {u"xb6"}},
      {u"", kStart},
      {u"b", {u"B2", u"b4", u"xb6"}},
      {u"B", {u"B2", u"b4", u"xb6"}},
      {u"b4", {u"b4"}},
      {u"4", {u"b4"}},  // held in the last text, not the other way round
      {u"b", {u"B2", u"b4", u"xb6"}},
      {u"xb", {u"xb6"}},
  };
  for (const auto& step : steps) {
    f.view.SetFilter(step.text);
    EXPECT_EQ(f.view.Lines(), step.shown) << Utf16ToUtf8(step.text);
  }
  // A line added while filtering stays shown until the text changes; the next key looks at
  // every line again.
  f.view.AppendLines({u"zz", u"axbz"}, false);
  EXPECT_EQ(f.view.Lines(), (Lines{u"xb6", u"zz", u"axbz"}));
  f.view.SetFilter(u"xbz");
  EXPECT_EQ(f.view.Lines(), (Lines{u"axbz"}));
}

TEST(FilteredUrlList, HiddenLinesKeepTheirSelectionButNotTheFocusOrTop) {
  Filtered f;
  f.view.SetFilter(u"");
  f.view.SetAllSelected(true);
  f.view.SetFocusIndex(2);  // c3, hidden by the filter
  f.view.SetTopIndex(2);
  f.view.SetFilter(u"b");
  EXPECT_EQ(f.store.SelectedCount(), 7);
  EXPECT_EQ(f.view.SelectedIndices(), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(f.view.SelectedCount(), 3);
  EXPECT_EQ(f.store.FocusIndex(), 3);  // b4, the next shown line
  EXPECT_EQ(f.view.FocusIndex(), 1);
  EXPECT_EQ(f.view.TopIndex(), 1);
  // The view's calls reach its rows only: c3 between B2 and b4 stays selected.
  f.view.SetRangeSelected(0, 1, false);
  EXPECT_EQ(f.store.SelectedIndices(), (std::vector<int>{0, 2, 4, 5, 6}));
  f.view.SetAllSelected(false);
  EXPECT_EQ(f.store.SelectedIndices(), (std::vector<int>{0, 2, 4, 6}));
  f.view.SetAllSelected(true);
  EXPECT_EQ(SelectedLinesText(f.view), u"B2\r\nb4\r\nxb6\r\n");
  f.view.SetFilter(u"zzz");
  EXPECT_EQ(f.view.Count(), 0);
  EXPECT_EQ(f.view.FocusIndex(), -1);
  EXPECT_EQ(f.view.SelectedCount(), 0);
  EXPECT_TRUE(f.view.SelectedIndices().empty());
  // Shown again, every line is selected as it was.
  f.view.SetFilter(u"");
  EXPECT_EQ(f.view.SelectedCount(), 7);
  // A new or opened list clears the whole list, not the lines shown.
  f.view.SetFilter(u"b");
  f.view.Clear();
  EXPECT_FALSE(f.view.Filtering());
  EXPECT_EQ(f.store.Count(), 0);
}

// The selected lines of the whole list, by their text.
Lines SelectedText(const UrlList& list) {
  Lines lines;
  for (const int i : list.SelectedIndices()) lines.push_back(list.Line(i));
  return lines;
}

TEST(FilteredUrlList, CommandsKeepTheHiddenLinesSelectedAndUndoBringsTheSelectionBack) {
  const struct {
    const char* name;
    int row;  // a shown row selected first, or -1
    std::function<void(UrlList&)> change;
    Lines selected;  // the whole list's selected lines after
  } cases[] = {
      {"delete the selection", 1, [](UrlList& l) { RemoveSelectedLines(l); }, {u"a1", u"e5"}},
      {"sort", -1, [](UrlList& l) { SortLines(l, SortOrder::Descending); }, {u"a1", u"e5"}},
      {"replace with fewer", -1, [](UrlList& l) { l.ReplaceAll({u"n1"}); }, {u"a1", u"e5"}},
      {"replace with more",
       -1,
       [](UrlList& l) {
         l.ReplaceAll({u"n1", u"n2", u"n3", u"n4"});
       },
       {u"a1", u"e5"}},
      {"move down", 0, [](UrlList& l) { MoveSelectedLines(l, 1); }, {u"a1", u"B2", u"e5"}},
      {"remove one", -1, [](UrlList& l) { l.RemoveLine(0); }, {u"a1", u"e5"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Filtered f;
    f.store.SetSelected(0, true);  // a1, hidden
    f.store.SetSelected(4, true);  // e5, hidden
    if (c.row >= 0) f.view.SetSelected(c.row, true);
    const auto before = f.store.SelectedIndices();
    c.change(f.view);
    EXPECT_EQ(SelectedText(f.store), c.selected);
    const auto after = f.store.SelectedIndices();
    ASSERT_TRUE(f.history.Undo());
    EXPECT_EQ(f.store.SelectedIndices(), before);
    ASSERT_TRUE(f.history.Redo());
    EXPECT_EQ(f.store.SelectedIndices(), after);
  }
}

}  // namespace
}  // namespace cardo
