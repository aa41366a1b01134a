#pragma once
// Lines a command is about to add at the end of the list, gathered first and added in one
// step: kept while they fit (kMaxListLines lines and kMaxListUnits code units in all, lines
// already in the list included), the rest counted as refused. Every producer that adds many
// lines (the generators, expansion, free input) goes through here, so the list is drawn once,
// marked once and the "list full" message comes once per command.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "app/list/list_document.h"
#include "app/list/shell_context.h"

namespace cardo {

class PendingLines {
 public:
  explicit PendingLines(const UrlList& list);

  // Keeps `line` when it fits; false (and counted as refused) when it does not. Once a line
  // is refused every later one is too, so the kept lines are a prefix of what was offered.
  bool Add(std::u16string_view line);
  // The page the lines Add()ed from now on were found on (empty: none), recorded in the
  // document's pages when they are appended.
  void SetPage(std::u16string_view page);
  bool Full() const { return refused_ > 0; }
  // The lines kept and not yet appended.
  std::size_t Gathered() const { return lines_.size(); }
  // The room measured again against the list as it is now, for lines gathered while the list
  // could change (on another thread); the lines that no longer fit are refused, from the end.
  void Recheck(const UrlList& list);

  // Appends the lines kept so far in one step (the list drawn once) and marks the list
  // modified when there were any: for a command that shows results between its steps.
  void Flush(ShellContext& shell);
  // Flushes, then updates the list's extent when anything was appended, and says once that
  // lines were refused. Returns the number appended over the object's life.
  int Commit(ShellContext& shell);

 private:
  std::vector<std::u16string> lines_;
  // Where each page's lines start in lines_, in order; the first run starts at 0.
  struct PageRun {
    std::size_t first;
    std::u16string page;
  };
  std::vector<PageRun> runs_{{0, {}}};
  std::size_t room_ = 0;
  std::size_t units_ = 0;
  int appended_ = 0;
  void Measure(const UrlList& list);

  int refused_ = 0;
  ListLimit limit_ = ListLimit::Lines;  // the one that refused the first line refused
};

}  // namespace cardo
