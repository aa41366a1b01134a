#pragma once
// CMenuHistory: a recent-items menu over a fixed number of menu items ("places"). It keeps
// one path per place, most recent first, numbers and shortens the captions, and moves a
// path used again to the top.
#include <functional>
#include <string>
#include <vector>

namespace cardo {

// One menu item that the history drives.
class MenuPlace {
 public:
  virtual ~MenuPlace() = default;
  virtual void SetCaption(const std::u16string& caption) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual void SetEnabled(bool enabled) = 0;
};

// The path as a caption shows it: from `compSize` characters on, the folders after the head
// (up to the first separator) give way to "..." one by one.
std::u16string CompressPath(const std::u16string& path, int compSize, char16_t separator);

class CMenuHistory {
 public:
  std::function<void(const std::u16string&)> OverFlowItem;
  std::function<void(const std::u16string&)> HistoryAddItem;

  // Places are 1-based. `place` must outlive this object.
  void SetMenu(MenuPlace* place);
  void AddItem(const std::u16string& item);

  std::u16string MenuItem(int index) const;
  int MenuCount() const;
  int PlaceCount() const { return static_cast<int>(places_.size()); }

  const std::u16string& HistoryNothingMessage() const { return nothingMessage_; }
  void SetHistoryNothingMessage(std::u16string text);
  bool ItemCompress() const { return compress_; }
  void SetItemCompress(bool compress);
  int CompSize() const { return compSize_; }
  void SetCompSize(int size);

 private:
  void Refresh();
  bool ValidPlace(int index) const { return index >= 1 && index <= PlaceCount(); }

  std::vector<MenuPlace*> places_;
  std::vector<std::u16string> items_;
  std::u16string nothingMessage_ = u"履歴無し";
  bool compress_ = true;
  int compSize_ = 30;
};

}  // namespace cardo
