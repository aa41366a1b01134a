#include "app/check/link_check_list.h"

#include <unordered_map>

namespace cardo {
namespace {

bool IsBlankLine(const std::u16string& line) {
  return line.find_first_not_of(u" \t\u3000") == std::u16string::npos;
}

// Each checked line's result by its text.
std::unordered_map<std::u16string, const LinkResult*> ByLine(const CheckedLinks& checked) {
  std::unordered_map<std::u16string, const LinkResult*> by;
  for (std::size_t i = 0; i < checked.urls.size() && i < checked.results.size(); ++i) {
    by.emplace(checked.urls[i], &checked.results[i]);
  }
  return by;
}

const LinkResult* ResultOf(const std::unordered_map<std::u16string, const LinkResult*>& by,
                           const std::u16string& line) {
  const auto at = by.find(line);
  return at == by.end() ? nullptr : at->second;
}

bool Failed(const LinkResult* result) {
  return result && (result->verdict == LinkVerdict::Dead || result->verdict == LinkVerdict::Error);
}

}  // namespace

std::vector<std::u16string> LinesToCheck(const UrlList& list) {
  std::vector<std::u16string> lines;
  const auto& all = list.LineRefs();
  if (list.SelectedCount() >= 2) {
    for (const int index : list.SelectedIndices()) {
      if (!IsBlankLine(all[index])) lines.push_back(all[index]);
    }
    return lines;
  }
  for (const std::u16string& line : all) {
    if (!IsBlankLine(line)) lines.push_back(line);
  }
  return lines;
}

int RemoveDeadLines(UrlList& list, const CheckedLinks& checked) {
  const auto by = ByLine(checked);
  // By position, so the undo step keeps only the removed lines.
  std::vector<int> dead;
  const auto& all = list.LineRefs();
  for (int i = 0; i < static_cast<int>(all.size()); ++i) {
    const LinkResult* result = ResultOf(by, all[i]);
    if (result && result->verdict == LinkVerdict::Dead) dead.push_back(i);
  }
  if (!dead.empty()) {
    RedrawSuspension hidden(list);
    list.RemoveLines(dead);
  }
  return static_cast<int>(dead.size());
}

int ReplaceRedirectedLines(UrlList& list, LinkPages& pages, const CheckedLinks& checked) {
  const auto by = ByLine(checked);
  int changed = 0;
  RedrawSuspension hidden(list);
  for (int i = 0; i < list.Count(); ++i) {
    const LinkResult* result = ResultOf(by, list.LineRefs()[i]);
    if (!result || result->verdict != LinkVerdict::Alive || result->finalUrl.empty() ||
        result->finalUrl == list.LineRefs()[i]) {
      continue;
    }
    pages.Carry(list.LineRefs()[i], result->finalUrl, list.Whole().LineRefs());
    list.SetLine(i, result->finalUrl);
    ++changed;
  }
  return changed;
}

int SelectFailedLines(UrlList& list, const CheckedLinks& checked) {
  const auto by = ByLine(checked);
  int selected = 0;
  RedrawSuspension hidden(list);
  list.SetAllSelected(false);
  for (int i = 0; i < list.Count(); ++i) {
    if (!Failed(ResultOf(by, list.LineRefs()[i]))) continue;
    list.SetSelected(i, true);
    ++selected;
  }
  return selected;
}

}  // namespace cardo
