#include "app/controls/anchor_layout_win.h"

namespace cardo {

void AnchorLayout::Capture(HWND window, const std::vector<std::pair<int, unsigned>>& anchors) {
  window_ = window;
  items_.clear();
  RECT client{};
  GetClientRect(window, &client);
  for (const auto& [id, flags] : anchors) {
    RECT r{};
    HWND control = GetDlgItem(window, id);
    if (!control) continue;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    items_.push_back(
        {id, flags, {r.left, r.top, client.right - r.right, client.bottom - r.bottom}});
  }
  RECT outer{};
  GetWindowRect(window, &outer);
  minimum_ = {outer.right - outer.left, outer.bottom - outer.top};
}

void AnchorLayout::Apply() const {
  if (!window_) return;
  RECT client{};
  GetClientRect(window_, &client);
  // A minimized window has no client area to lay out.
  if (client.right == 0 && client.bottom == 0) return;
  HDWP batch = BeginDeferWindowPos(static_cast<int>(items_.size()));
  for (const Item& item : items_) {
    HWND control = GetDlgItem(window_, item.id);
    RECT r{};
    GetWindowRect(control, &r);
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    // Right only: the width stays and the control follows the right edge.
    int left = item.margins.left;
    int right = left + width;
    if (item.anchors & kAnchorRight) {
      right = client.right - item.margins.right;
      if (!(item.anchors & kAnchorLeft)) left = right - width;
    }
    int top = item.margins.top;
    int bottom = top + height;
    if (item.anchors & kAnchorBottom) {
      bottom = client.bottom - item.margins.bottom;
      if (!(item.anchors & kAnchorTop)) top = bottom - height;
    }
    if (batch) {
      batch = DeferWindowPos(batch, control, nullptr, left, top, right - left, bottom - top,
                             SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  if (batch) EndDeferWindowPos(batch);
  InvalidateRect(window_, nullptr, TRUE);
}

}  // namespace cardo
