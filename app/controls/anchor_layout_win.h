#pragma once
// AnchorLayout: keeps the controls of a resizable window where its template put them relative
// to the edges they are anchored to. A control anchored left and right grows with the width;
// one anchored right (or bottom) only moves with that edge.
#include <windows.h>

#include <vector>

namespace cardo {

enum Anchor : unsigned { kAnchorRight = 1, kAnchorBottom = 2, kAnchorLeft = 4, kAnchorTop = 8 };

class AnchorLayout {
 public:
  // Notes where each control stands in `window`'s client area now: the layout it keeps.
  // Called again after the controls have been placed anew (a DPI change).
  void Capture(HWND window, const std::vector<std::pair<int, unsigned>>& anchors);
  // Places the controls for the client area's current size.
  void Apply() const;
  // The window size (outer) the layout was captured at: the smallest it takes.
  SIZE MinimumSize() const { return minimum_; }

 private:
  struct Item {
    int id;
    unsigned anchors;
    RECT margins;  // left, top from the client's top-left; right, bottom from its bottom-right
  };
  HWND window_ = nullptr;
  std::vector<Item> items_;
  SIZE minimum_{};
};

}  // namespace cardo
