#include "app/shell/win_menu_place.h"

#include "app/platform/wide_text_win.h"

namespace cardo {

WinHistoryMenu::WinHistoryMenu(HMENU submenu, UINT firstCommand)
    : submenu_(submenu), firstCommand_(firstCommand) {
  for (auto& place : places_) place.owner = this;
}

void WinHistoryMenu::PlaceState::SetCaption(const std::u16string& text) {
  caption = text;
  owner->Rebuild();
}

void WinHistoryMenu::PlaceState::SetVisible(bool v) {
  visible = v;
  owner->Rebuild();
}

void WinHistoryMenu::PlaceState::SetEnabled(bool e) {
  enabled = e;
  owner->Rebuild();
}

void WinHistoryMenu::Rebuild() {
  while (GetMenuItemCount(submenu_) > 0) DeleteMenu(submenu_, 0, MF_BYPOSITION);
  for (std::size_t i = 0; i < places_.size(); ++i) {
    const PlaceState& place = places_[i];
    if (!place.visible) continue;
    AppendMenuW(submenu_, MF_STRING | (place.enabled ? MF_ENABLED : MF_GRAYED),
                firstCommand_ + static_cast<UINT>(i), W(place.caption));
  }
}

}  // namespace cardo
