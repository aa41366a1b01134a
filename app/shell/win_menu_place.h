#pragma once
// The recent-files submenu on Windows. A Win32 menu cannot hide an item, so the submenu is
// rebuilt from the places' states whenever one of them changes.
#include <windows.h>

#include <array>
#include <memory>

#include "app/list/menu_history.h"

namespace cardo {

class WinHistoryMenu {
 public:
  static constexpr int kPlaces = 5;
  // `submenu` holds the places; place i has command `firstCommand` + i - 1.
  WinHistoryMenu(HMENU submenu, UINT firstCommand);

  MenuPlace* Place(int index) { return &places_[static_cast<std::size_t>(index - 1)]; }
  HMENU Submenu() const { return submenu_; }

 private:
  class PlaceState final : public MenuPlace {
   public:
    void SetCaption(const std::u16string& caption) override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    WinHistoryMenu* owner = nullptr;
    std::u16string caption;
    bool visible = true;
    bool enabled = true;
  };
  void Rebuild();

  HMENU submenu_;
  UINT firstCommand_;
  std::array<PlaceState, kPlaces> places_;
};

}  // namespace cardo
