#include "app/list/menu_history.h"

#include <algorithm>

#include "app/platform/file_system.h"
#include "app/platform/text.h"

namespace cardo {

std::u16string CompressPath(const std::u16string& path, int compSize, char16_t separator) {
  const auto limit = static_cast<std::size_t>(std::max(compSize, 0));
  if (path.size() < limit) return path;
  // The head stays whole: the drive ("C:\\"), or server and share ("\\\\server\\share\\").
  std::size_t headEnd = path.find(separator);
  if (headEnd == 0 && path.size() > 1 && path[1] == separator) {
    const std::size_t serverEnd = path.find(separator, 2);
    headEnd = serverEnd == std::u16string::npos ? serverEnd : path.find(separator, serverEnd + 1);
  }
  if (headEnd == std::u16string::npos) return path;
  std::u16string text = path;
  const std::size_t dotsAt = headEnd + 1;
  const std::u16string dots = u"...";
  bool first = true;
  while (text.size() >= limit) {
    if (first) {
      const std::size_t folderEnd = text.find(separator, dotsAt);
      if (folderEnd == std::u16string::npos) break;
      text.replace(dotsAt, folderEnd - dotsAt, dots);
      first = false;
      continue;
    }
    const std::size_t folderStart = dotsAt + dots.size() + 1;
    const std::size_t folderEnd = text.find(separator, folderStart);
    if (folderEnd == std::u16string::npos) break;
    text.erase(folderStart, folderEnd + 1 - folderStart);
  }
  return text;
}

void CMenuHistory::SetMenu(MenuPlace* place) {
  places_.push_back(place);
  items_.emplace_back();
  Refresh();
}

void CMenuHistory::AddItem(const std::u16string& item) {
  // An empty item would open a gap at place 1 above the stored paths; it is not an entry.
  if (items_.empty() || item.empty()) return;
  std::size_t p = 0;
  while (p < items_.size() && !items_[p].empty() && items_[p] != item) ++p;
  if (p == items_.size()) {
    if (OverFlowItem) OverFlowItem(items_.back());
    p = items_.size() - 1;
  }
  std::move_backward(items_.begin(), items_.begin() + static_cast<std::ptrdiff_t>(p),
                     items_.begin() + static_cast<std::ptrdiff_t>(p) + 1);
  items_[0] = item;
  if (HistoryAddItem) HistoryAddItem(item);
  Refresh();
}

std::u16string CMenuHistory::MenuItem(int index) const {
  return ValidPlace(index) ? items_[static_cast<std::size_t>(index - 1)] : std::u16string();
}

int CMenuHistory::MenuCount() const {
  return static_cast<int>(
      std::count_if(items_.begin(), items_.end(), [](const auto& s) { return !s.empty(); }));
}

void CMenuHistory::SetHistoryNothingMessage(std::u16string text) {
  nothingMessage_ = std::move(text);
  Refresh();
}

void CMenuHistory::SetItemCompress(bool compress) {
  compress_ = compress;
  Refresh();
}

void CMenuHistory::SetCompSize(int size) {
  compSize_ = size;
  Refresh();
}

void CMenuHistory::Refresh() {
  for (std::size_t i = 0; i < places_.size(); ++i) {
    MenuPlace* place = places_[i];
    if (!place) continue;
    const std::u16string& item = items_[i];
    if (!item.empty()) {
      const std::u16string shown =
          compress_ ? CompressPath(item, compSize_, PathSeparator()) : item;
      place->SetCaption(u"&" + DecimalText(static_cast<long long>(i + 1)) + u": " + shown);
      place->SetVisible(true);
      place->SetEnabled(true);
    } else if (i == 0) {
      place->SetCaption(nothingMessage_);
      place->SetVisible(true);
      place->SetEnabled(false);
    } else {
      place->SetVisible(false);
    }
  }
}

}  // namespace cardo
