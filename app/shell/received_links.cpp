#include "app/shell/received_links.h"

#include <algorithm>

#include "app/list/messages.h"
#include "app/list/pending_lines.h"
#include "app/platform/text.h"

namespace cardo {

std::size_t ListRoom(const UrlList& list) {
  // The limit counts every line, also those a filter hides.
  return static_cast<std::size_t>(std::max(kMaxListLines - list.Whole().Count(), 0));
}

ReceivedIntoList AddReceivedLinks(std::span<const ReceivedLink> links, ShellContext& shell) {
  ReceivedIntoList result;
  const int before = shell.list.Whole().Count();
  {
    // No message box: the extension hears what was left out, and the status bar says it.
    const ListStep step(shell.list);
    PendingLines pending(shell.list);
    for (const ReceivedLink& link : links) {
      pending.SetPage(link.page);
      if (!pending.Add(link.url)) break;
    }
    if (pending.Gathered() > 0) {
      RedrawSuspension hidden(shell.list);
      pending.Flush(shell);
      ShowLastLine(shell.list);
    }
  }
  result.added = static_cast<std::size_t>(std::max(shell.list.Whole().Count() - before, 0));
  if (result.added > 0) shell.UpdateHorizontalExtent();
  result.leftOut = links.size() - result.added;
  result.room = ListRoom(shell.list);
  return result;
}

std::u16string ReceivedNote(const ReceivedIntoList& result) {
  if (result.added == 0 && result.leftOut == 0) return {};
  std::u16string note =
      u"ブラウザから " + DecimalText(static_cast<long long>(result.added)) + msg::kLinesAdded;
  if (result.leftOut > 0) {
    note += u" (上限のため " + DecimalText(static_cast<long long>(result.leftOut)) + u" 行は除外)";
  }
  return note;
}

}  // namespace cardo
