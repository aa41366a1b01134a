#include "app/list/extended_selection.h"

#include <algorithm>

namespace cardo {

int FocusTarget(FocusKey key, int focus, int rows, int page) {
  if (rows <= 0) return -1;
  const int step = std::max(page - 1, 1);
  int target = focus;
  switch (key) {
    case FocusKey::Up:
      target = focus - 1;
      break;
    case FocusKey::Down:
      target = focus + 1;
      break;
    case FocusKey::PageUp:
      target = focus - step;
      break;
    case FocusKey::PageDown:
      target = focus + step;
      break;
    case FocusKey::Home:
      target = 0;
      break;
    case FocusKey::End:
      target = rows - 1;
      break;
  }
  return std::clamp(target, 0, rows - 1);
}

void ExtendedSelection::Press(UrlList& list, int row, SelectionKeys keys) {
  Select(list, row, keys, true);
}

void ExtendedSelection::MoveFocus(UrlList& list, int row, SelectionKeys keys) {
  Select(list, row, keys, false);
}

void ExtendedSelection::Space(UrlList& list, SelectionKeys keys) {
  const int focus = list.FocusIndex();
  if (focus >= 0) Select(list, focus, keys, true);
}

void ExtendedSelection::Select(UrlList& list, int row, SelectionKeys keys, bool ctrlToggles) {
  if (row < 0 || row >= list.Count()) return;
  if (keys.shift) {
    // The anchor of another view of the rows may lie past their end now.
    const int anchor = std::min(anchor_, list.Count() - 1);
    if (!keys.ctrl) list.SetAllSelected(false);
    list.SetRangeSelected(std::min(anchor, row), std::max(anchor, row), true);
  } else if (keys.ctrl) {
    anchor_ = row;
    if (ctrlToggles) list.SetSelected(row, !list.Selected(row));
  } else {
    anchor_ = row;
    list.SetAllSelected(false);
    list.SetSelected(row, true);
  }
  list.SetFocusIndex(row);
}

}  // namespace cardo
