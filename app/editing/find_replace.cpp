#include "app/editing/find_replace.h"

#include <algorithm>

#include "app/editing/messages.h"
#include "app/platform/lower_case.h"
#include "app/platform/text.h"
#include "app/platform/ui_messages.h"
#include "app/settings/ini_values.h"

namespace cardo {

bool ReplaceOccurrences(std::u16string_view line, const WordMatcher& word,
                        std::u16string_view replacement, std::u16string& out) {
  std::size_t at = word.Find(line);
  if (at == std::u16string_view::npos) return false;
  out.clear();
  std::size_t copied = 0;
  while (at != std::u16string_view::npos) {
    out.append(line.substr(copied, at - copied)).append(replacement);
    copied = at + word.size();
    // An empty word would match at the same place forever: step past one unit.
    if (word.size() == 0) {
      if (copied >= line.size()) break;
      out.push_back(line[copied++]);
    }
    at = word.Find(line, copied);
  }
  out.append(line.substr(std::min(copied, line.size())));
  return true;
}

void UpdateSearchHistory(std::vector<std::u16string>& entries, const std::u16string& word) {
  if (!FitsSettingsText(word)) return;
  constexpr std::size_t kKept = 10;
  auto found = std::find(entries.begin(), entries.end(), word);
  if (found == entries.end()) {
    if (entries.size() < kKept) {
      entries.insert(entries.begin(), word);
      return;
    }
    found = entries.begin() + (kKept - 1);  // overwritten; the entries past it stay
  }
  std::rotate(entries.begin(), found, found + 1);
  entries.front() = word;
}

FindOutcome FindInList(ShellContext& shell, SearchRecord& state, std::u16string_view word,
                       int startLine, bool caseSensitive, bool newSearch) {
  UrlList& list = shell.list;
  std::int32_t start = 0;
  {
    RedrawSuspension hidden(list);
    list.SetAllSelected(false);
    if (newSearch) {
      state.word = std::u16string(word);
      state.caseSensitive = caseSensitive;
      start = startLine;
    } else if (state.word.empty()) {
      start = -1;
    } else {
      start = state.nextLine;
    }
    if (start >= 0) {
      const WordMatcher matcher(state.word, state.caseSensitive);
      const auto& lines = list.LineRefs();
      for (std::int32_t i = start; i < static_cast<std::int32_t>(lines.size()); ++i) {
        if (matcher.Find(lines[static_cast<std::size_t>(i)]) == std::u16string_view::npos) continue;
        list.SetTopIndex(i);
        list.SetSelected(i, true);
        state.nextLine = i + 1;
        return FindOutcome::Hit;
      }
    }
  }
  if (start < 0) {
    shell.ui.Beep();
    return FindOutcome::NoSearchYet;
  }
  state.nextLine = 0;
  shell.ui.ShowMessage(msg::kSearchReachedEnd, msg::kInfoTitle, MessageIcon::Information,
                       MessageButtons::Ok);
  return FindOutcome::End;
}

int ReplaceInList(ShellContext& shell, std::u16string_view word, std::u16string_view replacement,
                  bool caseSensitive) {
  UrlList& list = shell.list;
  const WordMatcher matcher(word, caseSensitive);
  // The new lines are built aside first, so a result too large for the list leaves every line
  // as it was, and the list is written in one pass without a redraw per line.
  std::vector<std::pair<int, std::u16string>> changed;
  std::u16string replaced;
  const auto& lines = list.LineRefs();
  // The lines a filter hides stay in the list and count towards its size.
  std::size_t total = 0;
  for (const auto& line : list.Whole().LineRefs()) total += line.size();
  for (const auto& line : lines) total -= line.size();
  for (std::size_t i = 0; i < lines.size() && total <= kMaxListUnits; ++i) {
    if (ReplaceOccurrences(lines[i], matcher, replacement, replaced)) {
      total += replaced.size();
      changed.emplace_back(static_cast<int>(i), std::move(replaced));
    } else {
      total += lines[i].size();
    }
  }
  if (total > kMaxListUnits) {
    changed = {};
    ShowError(shell.ui, msg::kReplaceTooLarge);
    return -1;
  }
  if (!changed.empty()) {
    RedrawSuspension hidden(list);
    for (auto& [index, text] : changed) {
      // The address the replace rewrote was still found on its page.
      shell.document.Pages().Carry(lines[static_cast<std::size_t>(index)], text,
                                   list.Whole().LineRefs());
      list.SetLine(index, std::move(text));
    }
  }
  const int count = static_cast<int>(changed.size());
  if (count > 0) {
    shell.document.MarkModified();
    shell.UpdateHorizontalExtent();
  }
  shell.ui.ShowMessage(
      std::u16string(msg::kReplaceDone) + u"\r\n" + msg::kReplaceCount + DecimalText(count),
      msg::kInfoTitle, MessageIcon::Information, MessageButtons::Ok);
  return count;
}

}  // namespace cardo
