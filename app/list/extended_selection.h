#pragma once
// What the mouse and the keys do to the selection of a list's rows, as an extended-selection
// list box does it. The main window's list box keeps no selection of its own (the lines keep
// theirs, hidden ones included), so its presses and keys come here. Every call acts on the
// rows the list shows, through UrlList: a filtered view leaves its hidden lines as they are.
#include "app/list/url_list.h"

namespace cardo {

// The keys held with a press or a key.
struct SelectionKeys {
  bool shift = false;
  bool ctrl = false;
};

// The keys that move the focus row.
enum class FocusKey { Up, Down, PageUp, PageDown, Home, End };

// The row `key` moves the focus to from `focus`, in `rows` rows of which `page` fit the view
// (a page key keeps one row of the last view in sight). -1 without rows.
int FocusTarget(FocusKey key, int focus, int rows, int page);

class ExtendedSelection {
 public:
  // A press on `row`: it alone is selected; with Ctrl it toggles; with Shift the rows from the
  // anchor to it are selected (alone, or added to the others with Ctrl). The focus goes there.
  void Press(UrlList& list, int row, SelectionKeys keys);
  // A key moved the focus to `row`: as a press, but Ctrl alone moves the focus and nothing
  // else.
  void MoveFocus(UrlList& list, int row, SelectionKeys keys);
  // Space: a press on the focus row.
  void Space(UrlList& list, SelectionKeys keys);

 private:
  void Select(UrlList& list, int row, SelectionKeys keys, bool ctrlToggles);

  // The row a Shift press selects from: the last row chosen without Shift.
  int anchor_ = 0;
};

}  // namespace cardo
