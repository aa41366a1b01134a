#include <gtest/gtest.h>

#include <map>

#include "app/list/messages.h"
#include "app/platform/text.h"
#include "tests/list/shell_fixture.h"

namespace cardo {
namespace {

using testing::ShellFixture;
using Lines = std::vector<std::u16string>;

TEST(EditCommands, RemoveDuplicatesKeepsFirstCopiesAndDropsEmptyLines) {
  const struct {
    Lines before;
    Lines after;
    bool marked;
  } cases[] = {
      {{u"b", u"a", u"B", u"a", u""}, {u"b", u"a", u"B"}, true},
      {{u""}, {u""}, false},  // fewer than two lines: nothing changes
      {{}, {}, false},
      {{u"", u"x", u""}, {u"x"}, true},
      {{u"a", u"\uFF41", u"a "}, {u"a", u"\uFF41", u"a "}, true},  // width and blanks count
  };
  for (const auto& c : cases) {
    ShellFixture f;
    f.list.ReplaceAll(c.before);
    f.list.SetAllSelected(true);
    EditRemoveDuplicates(f.shell);
    EXPECT_EQ(f.Lines(), c.after);
    EXPECT_EQ(f.document.Modified(), c.marked);
    EXPECT_TRUE(f.SelectedRows().empty() || !c.marked);
  }
}

TEST(EditCommands, SortsAreOrdinal) {
  const Lines before = {u"a", u"B", u"\uFF41", u"b", u"", u"a"};
  ShellFixture f;
  f.list.ReplaceAll(before);
  f.list.SetSelected(1, true);
  EditSort(f.shell, SortOrder::Ascending);
  EXPECT_EQ(f.Lines(), (Lines{u"", u"B", u"a", u"a", u"b", u"\uFF41"}));
  EXPECT_TRUE(f.SelectedRows().empty());
  EXPECT_EQ(f.title, u"Cardo - [無題*]");
  EditSort(f.shell, SortOrder::Descending);
  EXPECT_EQ(f.Lines(), (Lines{u"\uFF41", u"b", u"a", u"a", u"B", u""}));
}

TEST(EditCommands, SortsAndShuffleOfAnEmptyListDoNothing) {
  ShellFixture f;
  EditSort(f.shell, SortOrder::Ascending);
  EditSort(f.shell, SortOrder::Descending);
  EditShuffle(f.shell);
  EXPECT_FALSE(f.document.Modified());
  EXPECT_EQ(f.extentUpdates, 0);
}

TEST(EditCommands, ShuffleIsUniform) {
  // Every order of three lines, over many seeds, comes up about equally often.
  std::map<Lines, int> seen;
  const int runs = 6000;
  for (int seed = 0; seed < runs; ++seed) {
    MemoryUrlList list;
    list.ReplaceAll({u"a", u"b", u"c"});
    ShuffleLines(list, static_cast<std::uint64_t>(seed) * 7919u + 1);
    ++seen[list.Lines()];
  }
  ASSERT_EQ(seen.size(), 6u);
  for (const auto& [order, count] : seen) {
    EXPECT_NEAR(count, runs / 6, runs / 6 / 5) << "an order is favoured";
  }
}

TEST(EditCommands, ShuffleKeepsEveryLine) {
  ShellFixture f;
  f.list.ReplaceAll({u"1", u"2", u"2", u"3", u""});
  EditShuffle(f.shell);
  auto lines = f.Lines();
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines, (Lines{u"", u"1", u"2", u"2", u"3"}));
  EXPECT_TRUE(f.document.Modified());
}

TEST(EditCommands, PasteAppendsSelectedLines) {
  const struct {
    std::optional<std::u16string> clipboard;
    Lines added;
  } cases[] = {
      {u"x\r\ny\r\n\r\n", {u"x", u"y"}},
      {u"x\r\n\r\ny", {u"x", u"", u"y"}},
      {u"single", {u"single"}},
      {u"", {}},
      {u"\r\n\r\n", {}},
      {std::nullopt, {}},          // no text on the clipboard
      {u"a\nb\rc", {u"a\nb\rc"}},  // only CR LF splits
  };
  for (const auto& c : cases) {
    ShellFixture f;
    f.list.ReplaceAll({u"old"});
    f.list.SetSelected(0, true);
    f.ui.clipboard = c.clipboard;
    EditPaste(f.shell);
    Lines expected = {u"old"};
    expected.insert(expected.end(), c.added.begin(), c.added.end());
    EXPECT_EQ(f.Lines(), expected);
    std::vector<int> selected;
    for (int i = 1; i < static_cast<int>(expected.size()); ++i) selected.push_back(i);
    EXPECT_EQ(f.SelectedRows(), selected);
    EXPECT_TRUE(f.document.Modified());  // also when nothing was added
  }
}

TEST(EditCommands, CopyCutDelete) {
  ShellFixture f;
  f.list.ReplaceAll({u"a", u"b", u"c", u"d"});
  f.list.SetSelected(1, true);
  f.list.SetSelected(3, true);
  EditCopy(f.shell);
  EXPECT_EQ(f.ui.clipboard, u"b\r\nd\r\n");
  EXPECT_FALSE(f.document.Modified());
  EditCut(f.shell);
  EXPECT_EQ(f.Lines(), (Lines{u"a", u"c"}));
  EXPECT_TRUE(f.document.Modified());

  f.list.SetAllSelected(false);
  EditCopy(f.shell);
  EXPECT_EQ(f.ui.clipboard, u"");  // nothing selected: an empty text

  ShellFixture empty;
  EditDelete(empty.shell);
  EXPECT_TRUE(empty.document.Modified());
}

TEST(EditCommands, SelectAllInvertAndInsertKey) {
  ShellFixture f;
  f.list.ReplaceAll({u"a", u"b", u"c"});
  f.list.SetFocusIndex(1);
  EditSelectAll(f.shell);
  EXPECT_EQ(f.SelectedRows(), (std::vector<int>{0, 1, 2}));
  ToggleFocusSelection(f.list);
  EXPECT_TRUE(f.SelectedRows().empty());
  ToggleFocusSelection(f.list);
  EXPECT_EQ(f.SelectedRows(), (std::vector<int>{1}));
  EditInvertSelection(f.shell);
  EXPECT_EQ(f.SelectedRows(), (std::vector<int>{0, 2}));
  EXPECT_FALSE(f.document.Modified());
}

TEST(EditCommands, DragTargetRow) {
  const struct {
    int top, dropY, lineHeight, count, row;
  } cases[] = {
      {0, 0, 195, 10, 0},   {0, 194, 195, 10, 0},   {0, 195, 195, 10, 1},
      {5, 400, 195, 10, 7}, {0, 99999, 195, 10, 9},  // below the last line: the last
      {0, 500, 0, 3, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DropTargetRow(c.top, c.dropY, c.lineHeight, c.count), c.row);
  }
}

TEST(EditCommands, DragMovesTheSelectionHoldingTheFocusLineElseTheFocusLine) {
  const struct {
    std::vector<int> selected;
    int focus;
    int target;
    Lines after;
    std::vector<int> selectedAfter;
    int focusAfter;
  } cases[] = {
      {{0}, 1, 4, {u"a", u"c", u"d", u"e", u"b"}, {4}, 4},  // the focus line alone
      {{1, 3}, 3, 0, {u"b", u"d", u"a", u"c", u"e"}, {0, 1}, 1},
      {{1, 3}, 1, 4, {u"a", u"c", u"e", u"b", u"d"}, {3, 4}, 3},  // as far as the end allows
      {{1, 2}, 1, 1, {u"a", u"b", u"c", u"d", u"e"}, {1, 2}, 1},  // nothing moves
      {{}, 0, 2, {u"b", u"c", u"a", u"d", u"e"}, {2}, 2},
  };
  for (const auto& c : cases) {
    MemoryUrlList list;
    list.ReplaceAll({u"a", u"b", u"c", u"d", u"e"});
    for (const int i : c.selected) list.SetSelected(i, true);
    list.SetFocusIndex(c.focus);
    const bool moves = c.after != list.Lines();
    EXPECT_EQ(MoveLinesTo(list, c.target), moves) << c.target;
    EXPECT_EQ(list.Lines(), c.after) << c.target;
    EXPECT_EQ(list.SelectedIndices(), c.selectedAfter) << c.target;
    EXPECT_EQ(list.FocusIndex(), c.focusAfter) << c.target;
  }
}

TEST(EditCommands, MoveSelectedLinesMovesEveryRunOneLine) {
  const struct {
    std::vector<int> selected;
    int delta;
    Lines after;  // empty: nothing moves
    std::vector<int> selectedAfter;
  } cases[] = {
      {{1, 2, 4}, -1, {u"b", u"c", u"a", u"e", u"d"}, {0, 1, 3}},
      {{0, 2}, 1, {u"b", u"a", u"d", u"c", u"e"}, {1, 3}},
      {{0, 3}, -1, {}, {0, 3}},  // a selected line at the top: the block stays
      {{4}, 1, {}, {4}},
      {{}, 1, {}, {}},
  };
  for (const auto& c : cases) {
    MemoryUrlList list;
    const Lines before = {u"a", u"b", u"c", u"d", u"e"};
    list.ReplaceAll(before);
    for (const int i : c.selected) list.SetSelected(i, true);
    if (!c.selected.empty()) list.SetFocusIndex(c.selected.front());
    EXPECT_EQ(MoveSelectedLines(list, c.delta), !c.after.empty());
    EXPECT_EQ(list.Lines(), c.after.empty() ? before : c.after);
    EXPECT_EQ(list.SelectedIndices(), c.selectedAfter);
    if (!c.selected.empty()) EXPECT_EQ(list.FocusIndex(), c.selectedAfter.front());
  }
}

TEST(EditCommands, DroppedTextKeepsAnEmptyLastPiece) {
  ShellFixture f;
  DropTextOnList(f.shell, u"x\r\ny\r\nz\r\n");
  EXPECT_EQ(f.Lines(), (Lines{u"x", u"y", u"z", u""}));
  EXPECT_TRUE(f.document.Modified());
}

TEST(EditCommands, FullListTakesLinesUpToTheLimitAndSaysSoOnce) {
  ShellFixture f;
  std::vector<std::u16string> lines(kMaxListLines - 2, u"u");
  f.list.ReplaceAll(lines);
  f.ui.clipboard = u"1\r\n2\r\n3\r\n4";
  EditPaste(f.shell);
  EXPECT_EQ(f.list.Count(), kMaxListLines);
  EXPECT_EQ(f.list.Line(kMaxListLines - 1), u"2");
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].text, msg::kListFull);
  EXPECT_EQ(f.ui.messages[0].title, u"エラー");
  EXPECT_EQ(f.ui.messages[0].icon, MessageIcon::Warning);
}

TEST(EditCommands, SortAndDeleteKeepTheViewWhereItWas) {
  ShellFixture f;
  Lines lines;
  for (int i = 0; i < 20; ++i) lines.push_back(u"u" + DecimalText(99 - i));
  f.list.ReplaceAll(lines);
  f.list.SetTopIndex(5);
  f.list.SetFocusIndex(7);
  EditSort(f.shell, SortOrder::Ascending);
  EXPECT_EQ(f.list.TopIndex(), 5);
  EXPECT_EQ(f.list.FocusIndex(), 7);
  f.list.SetRangeSelected(0, 2, true);  // three lines above the focus line
  EditDelete(f.shell);
  EXPECT_EQ(f.list.TopIndex(), 5);
  EXPECT_EQ(f.list.FocusIndex(), 4);  // still on the same line
  f.list.SetAllSelected(true);
  f.list.SetSelected(0, false);
  EditCut(f.shell);  // one line left: both clamp to it
  EXPECT_EQ(f.list.TopIndex(), 0);
  EXPECT_EQ(f.list.FocusIndex(), 0);
}

TEST(EditCommands, TitleRule) {
  EXPECT_EQ(ListTitle(u"", false), u"Cardo - [無題]");
  EXPECT_EQ(ListTitle(u"", true), u"Cardo - [無題*]");
  std::u16string path = u"lists";
  path += PathSeparator();
  path += u"a.lst";
  EXPECT_EQ(ListTitle(path, false), u"Cardo - [a.lst]");
  EXPECT_EQ(ListTitle(u"plain.lst", true), u"Cardo - [plain.lst*]");
}

}  // namespace
}  // namespace cardo
