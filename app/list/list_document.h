#pragma once
// The state beside the lines: the current list file path, the modified flag and the window
// title that shows both.
#include <functional>
#include <string>

#include "app/list/link_pages.h"
#include "app/list/list_text.h"
#include "app/list/url_list.h"

namespace cardo {

class HistoryUrlList;
class Ui;

// The text after the last path separator (the whole path when there is none).
std::u16string PathNamePart(const std::u16string& path);

// "Cardo - [name]" or "Cardo - [name*]"; name is "無題" for an empty path.
std::u16string ListTitle(const std::u16string& path, bool modified);

class ListDocument {
 public:
  using TitleSink = std::function<void(const std::u16string&)>;
  explicit ListDocument(TitleSink setTitle) : setTitle_(std::move(setTitle)) {}

  const std::u16string& Path() const { return path_; }
  void SetPath(std::u16string path) { path_ = std::move(path); }
  bool Modified() const { return modified_; }

  void MarkModified();
  // Also marks the list's history saved here.
  void ClearModified();

  // The list's undo history, when it keeps one.
  void SetHistory(HistoryUrlList* history) { history_ = history; }
  HistoryUrlList* History() const { return history_; }
  // A new or opened list starts a history of its own.
  void ClearHistory();
  // After an undo or redo: unmodified exactly when the list is back to what its file holds.
  void FollowHistory();

  // The form the list is saved in: the one its file came in, code page 932 for a new list.
  const ListFileFormat& Format() const { return format_; }
  void SetFormat(const ListFileFormat& format) { format_ = format; }
  // What a save over Path() would lose of that file, which was read only partly (lines past
  // the limit, bytes that are no characters), for the question before such a save; empty when
  // the list holds the file whole.
  const std::u16string& PartialRead() const { return partialRead_; }
  void SetPartialRead(std::u16string what) { partialRead_ = std::move(what); }

  // The page each line was found on, while the program runs: a list file holds none, so a
  // new or opened list starts without.
  LinkPages& Pages() { return pages_; }
  const LinkPages& Pages() const { return pages_; }

 private:
  TitleSink setTitle_;
  HistoryUrlList* history_ = nullptr;
  std::u16string path_;
  bool modified_ = false;
  ListFileFormat format_;
  std::u16string partialRead_;
  LinkPages pages_;
};

// Which of the list's limits refused a line: its count of lines or its code units in all.
enum class ListLimit { Lines, Units };

// Tells the user, once per operation, that lines were left out because the list is full,
// naming the limit that was reached.
void WarnIfListFull(Ui& ui, int refusedLines, ListLimit limit = ListLimit::Lines);
std::u16string ListFullMessage(ListLimit limit);

}  // namespace cardo
