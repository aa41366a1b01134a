#pragma once
// The links the browser extension sent, added to the list as every producer adds lines: each
// with the page it was found on, up to the list's room, in one undo step.
#include <cstddef>
#include <span>
#include <string>

#include "app/list/shell_context.h"
#include "app/receive/receiver.h"

namespace cardo {

struct ReceivedIntoList {
  std::size_t added = 0;
  std::size_t leftOut = 0;  // past the room of the list
  std::size_t room = 0;     // lines the list can take after them
};

// Adds `links` at the end of the list; none when it is full. The lines kept are the first ones.
ReceivedIntoList AddReceivedLinks(std::span<const ReceivedLink> links, ShellContext& shell);

// The lines the list can take now.
std::size_t ListRoom(const UrlList& list);

// The status bar's note on what a request added: "ブラウザから 12 行を追加しました", and the
// lines left out when there are any; empty when it offered no link.
std::u16string ReceivedNote(const ReceivedIntoList& result);

}  // namespace cardo
