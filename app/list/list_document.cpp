#include "app/list/list_document.h"

#include "app/list/history_url_list.h"
#include "app/list/messages.h"
#include "app/platform/file_system.h"
#include "app/platform/text.h"
#include "app/platform/ui.h"

namespace cardo {

std::u16string PathNamePart(const std::u16string& path) {
  const auto pos = path.find_last_of(PathSeparator());
  return pos == std::u16string::npos ? path : path.substr(pos + 1);
}

std::u16string ListTitle(const std::u16string& path, bool modified) {
  std::u16string title = msg::kTitlePrefix;
  title += path.empty() ? std::u16string(msg::kUntitled) : PathNamePart(path);
  if (modified) title += u'*';
  title += u']';
  return title;
}

void ListDocument::MarkModified() {
  modified_ = true;
  if (setTitle_) setTitle_(ListTitle(path_, true));
}

void ListDocument::ClearModified() {
  modified_ = false;
  if (history_ != nullptr) history_->MarkSaved();
  if (setTitle_) setTitle_(ListTitle(path_, false));
}

void ListDocument::ClearHistory() {
  if (history_ != nullptr) history_->ClearHistory();
}

void ListDocument::FollowHistory() {
  // A list read only partly is never its file, whatever the history says.
  if (history_ != nullptr && history_->AtSaved() && partialRead_.empty()) {
    ClearModified();
  } else {
    MarkModified();
  }
}

std::u16string ListFullMessage(ListLimit limit) {
  if (limit == ListLimit::Lines) return msg::kListFull;
  return msg::kListTextFullPrefix + GroupedDecimalText(static_cast<long long>(kMaxListUnits)) +
         msg::kListTextFullSuffix;
}

void WarnIfListFull(Ui& ui, int refusedLines, ListLimit limit) {
  if (refusedLines > 0) ShowError(ui, ListFullMessage(limit));
}

}  // namespace cardo
