#include "app/list/extended_selection.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/list/filtered_url_list.h"
#include "app/list/history_url_list.h"
#include "app/list/memory_url_list.h"

namespace cardo {
namespace {

struct Step {
  enum class Kind { Press, Move, Space } kind;
  int row;
  SelectionKeys keys;
};

constexpr SelectionKeys kPlain{};
constexpr SelectionKeys kShift{.shift = true};
constexpr SelectionKeys kCtrl{.ctrl = true};
constexpr SelectionKeys kBoth{.shift = true, .ctrl = true};

void Apply(ExtendedSelection& selection, UrlList& list, const std::vector<Step>& steps) {
  for (const Step& step : steps) {
    switch (step.kind) {
      case Step::Kind::Press:
        selection.Press(list, step.row, step.keys);
        break;
      case Step::Kind::Move:
        selection.MoveFocus(list, step.row, step.keys);
        break;
      case Step::Kind::Space:
        selection.Space(list, step.keys);
        break;
    }
  }
}

TEST(ExtendedSelection, PressesAndKeysSelectAsAnExtendedSelectionListBox) {
  using K = Step::Kind;
  const struct {
    const char* name;
    std::vector<Step> steps;
    std::vector<int> selected;
    int focus;
  } cases[] = {
      {"a press selects its row alone", {{K::Press, 1, kPlain}, {K::Press, 4, kPlain}}, {4}, 4},
      {"shift selects from the anchor",
       {{K::Press, 1, kPlain}, {K::Press, 4, kShift}},
       {1, 2, 3, 4},
       4},
      {"shift upwards, the anchor kept",
       {{K::Press, 4, kPlain}, {K::Press, 1, kShift}, {K::Press, 5, kShift}},
       {4, 5},
       5},
      {"ctrl toggles a row",
       {{K::Press, 1, kPlain}, {K::Press, 3, kCtrl}, {K::Press, 1, kCtrl}},
       {3},
       1},
      {"ctrl anchors where it pressed",
       {{K::Press, 0, kPlain}, {K::Press, 4, kCtrl}, {K::Press, 5, kShift}},
       {4, 5},
       5},
      {"ctrl with shift adds the range",
       {{K::Press, 0, kPlain}, {K::Press, 5, kCtrl}, {K::Press, 3, kBoth}},
       {0, 3, 4, 5},
       3},
      {"a key selects its row alone", {{K::Press, 0, kPlain}, {K::Move, 2, kPlain}}, {2}, 2},
      {"shift with a key extends",
       {{K::Move, 2, kPlain}, {K::Move, 4, kShift}, {K::Move, 3, kShift}},
       {2, 3},
       3},
      {"ctrl with a key moves the focus only",
       {{K::Press, 1, kPlain}, {K::Move, 4, kCtrl}},
       {1},
       4},
      {"space selects the focus row, ctrl toggles it",
       {{K::Press, 1, kPlain},
        {K::Move, 4, kCtrl},
        {K::Space, 0, kCtrl},
        {K::Move, 5, kCtrl},
        {K::Space, 0, kPlain}},
       {5},
       5},
      {"ctrl space adds the focus row",
       {{K::Press, 1, kPlain}, {K::Move, 4, kCtrl}, {K::Space, 0, kCtrl}},
       {1, 4},
       4},
      {"a row past the end changes nothing",
       {{K::Press, 2, kPlain}, {K::Press, 9, kPlain}},
       {2},
       2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    MemoryUrlList list;
    list.AppendLines({u"a0", u"a1", u"a2", u"a3", u"a4", u"a5"}, false);
    ExtendedSelection selection;
    Apply(selection, list, c.steps);
    EXPECT_EQ(list.SelectedIndices(), c.selected);
    EXPECT_EQ(list.FocusIndex(), c.focus);
  }
}

TEST(ExtendedSelection, ActsOnTheShownRowsAndLeavesTheHiddenLinesSelected) {
  MemoryUrlList store;
  HistoryUrlList history{store};
  FilteredUrlList view{history};
  store.AppendLines({u"b0", u"x1", u"b2", u"x3", u"b4", u"b5"}, false);
  store.SetSelected(1, true);
  store.SetSelected(3, true);
  view.SetFilter(u"b");
  ExtendedSelection selection;
  selection.Press(view, 1, kPlain);  // b2
  selection.Press(view, 3, kShift);  // to b5, past the hidden x3
  EXPECT_EQ(view.SelectedIndices(), (std::vector<int>{1, 2, 3}));
  EXPECT_EQ(store.SelectedIndices(), (std::vector<int>{1, 2, 3, 4, 5}));
  // Another filter shows fewer rows than the anchor's.
  view.SetFilter(u"b0");
  selection.Press(view, 0, kShift);
  EXPECT_EQ(view.SelectedIndices(), (std::vector<int>{0}));
}

TEST(ExtendedSelection, FocusKeysStayInTheRows) {
  const struct {
    FocusKey key;
    int focus, rows, page, target;
  } cases[] = {
      {FocusKey::Up, 0, 10, 5, 0},       {FocusKey::Up, 3, 10, 5, 2},
      {FocusKey::Down, 9, 10, 5, 9},     {FocusKey::Down, 3, 10, 5, 4},
      {FocusKey::PageDown, 0, 10, 5, 4}, {FocusKey::PageDown, 8, 10, 5, 9},
      {FocusKey::PageUp, 9, 10, 5, 5},   {FocusKey::PageUp, 2, 10, 5, 0},
      {FocusKey::PageDown, 0, 10, 1, 1}, {FocusKey::Home, 7, 10, 5, 0},
      {FocusKey::End, 2, 10, 5, 9},      {FocusKey::Down, 0, 0, 5, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FocusTarget(c.key, c.focus, c.rows, c.page), c.target)
        << static_cast<int>(c.key) << " from " << c.focus;
  }
}

}  // namespace
}  // namespace cardo
