#include "app/list/pending_lines.h"

#include <algorithm>
#include <span>

#include "app/list/list_document.h"

namespace cardo {

PendingLines::PendingLines(const UrlList& list) {
  Measure(list);
}

void PendingLines::Measure(const UrlList& view) {
  // The limits count every line, also those a filter hides.
  const UrlList& list = view.Whole();
  room_ = static_cast<std::size_t>(std::max(kMaxListLines - list.Count(), 0));
  std::size_t used = 0;
  for (const auto& line : list.LineRefs()) used += line.size();
  units_ = kMaxListUnits - std::min(used, kMaxListUnits);
}

void PendingLines::Recheck(const UrlList& list) {
  Measure(list);
  std::size_t fit = 0;
  for (; fit < lines_.size() && fit < room_ && lines_[fit].size() <= units_; ++fit) {
    units_ -= lines_[fit].size();
  }
  if (fit == lines_.size()) return;
  if (refused_ == 0) limit_ = fit < room_ ? ListLimit::Units : ListLimit::Lines;
  refused_ += static_cast<int>(lines_.size() - fit);
  lines_.resize(fit);
  for (PageRun& run : runs_) run.first = std::min(run.first, fit);
}

bool PendingLines::Add(std::u16string_view line) {
  if (refused_ == 0 && lines_.size() < room_ && line.size() > units_) limit_ = ListLimit::Units;
  if (refused_ > 0 || lines_.size() >= room_ || line.size() > units_) {
    ++refused_;
    return false;
  }
  units_ -= line.size();
  lines_.emplace_back(line);
  return true;
}

void PendingLines::SetPage(std::u16string_view page) {
  if (runs_.back().page == page) return;
  if (runs_.back().first == lines_.size()) {
    runs_.back().page = page;
  } else {
    runs_.push_back({lines_.size(), std::u16string(page)});
  }
}

void PendingLines::Flush(ShellContext& shell) {
  if (lines_.empty()) return;
  int added = 0;
  {
    RedrawSuspension hidden(shell.list);
    added = shell.list.AppendLines(lines_, false);
  }
  const std::span<const std::u16string> appended(lines_.data(), static_cast<std::size_t>(added));
  for (std::size_t i = 0; i < runs_.size() && runs_[i].first < appended.size(); ++i) {
    const std::size_t end = i + 1 < runs_.size() ? runs_[i + 1].first : appended.size();
    shell.document.Pages().Record(
        appended.subspan(runs_[i].first, std::min(end, appended.size()) - runs_[i].first),
        runs_[i].page, shell.list.Whole().LineRefs());
  }
  runs_ = {{0, std::move(runs_.back().page)}};
  // The list refuses only what the system refuses it (no memory for the count).
  refused_ += static_cast<int>(lines_.size()) - added;
  appended_ += added;
  room_ -= lines_.size();
  lines_.clear();
  shell.document.MarkModified();
}

int PendingLines::Commit(ShellContext& shell) {
  {
    // The last flush and the scroll to the new lines are one undo step, so that a redo shows
    // the lines the command showed.
    const ListStep step(shell.list);
    Flush(shell);
    if (appended_ > 0) ShowLastLine(shell.list);
  }
  if (appended_ > 0) shell.UpdateHorizontalExtent();
  WarnIfListFull(shell.ui, refused_, limit_);
  return appended_;
}

}  // namespace cardo
