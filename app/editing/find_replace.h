#pragma once
// Find and replace over the URL list. A hit is a whole line; the search goes from a start line
// to the end and never wraps by itself. Case-insensitive comparison lower-cases one code unit
// to one code unit (LowerUnit), so positions in the lowered text are positions in the line.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/list/shell_context.h"
#include "app/platform/word_matcher.h"

namespace cardo {

// The last find, kept for find next for the whole run (never saved).
struct SearchRecord {
  std::int32_t nextLine = 0;
  std::u16string word;
  bool caseSensitive = false;
};

// The line with every occurrence of the word (left to right, non-overlapping) replaced, or
// nothing when the word does not occur. Text between occurrences keeps its case.
bool ReplaceOccurrences(std::u16string_view line, const WordMatcher& word,
                        std::u16string_view replacement, std::u16string& out);

// The search window's history rule: an entry equal to the word moves to the top; a new word
// goes on top, the list growing up to 10 entries and past that overwriting entry 9. A word the
// settings file could not give back whole is left out: the history would bring back another.
void UpdateSearchHistory(std::vector<std::u16string>& entries, const std::u16string& word);

enum class FindOutcome { Hit, End, NoSearchYet };

// New search (newSearch = true): stores word and case flag in `state` and searches from
// startLine. Continuation: searches the stored word from the stored next line; with no stored
// word it clears the selection and beeps. A hit becomes the first visible line and the only
// selected line, and the next search starts after it; the focus line does not move. Reaching
// the end says "最後まで検索しました。" and the next search starts at line 0.
FindOutcome FindInList(ShellContext& shell, SearchRecord& state, std::u16string_view word,
                       int startLine, bool caseSensitive, bool newSearch);

// Replaces the word in every line and reports "終了しました。" with the number of changed lines,
// which it returns; the list is redrawn once. Returns -1, with the list untouched, when the
// result would be larger than kMaxListUnits.
int ReplaceInList(ShellContext& shell, std::u16string_view word, std::u16string_view replacement,
                  bool caseSensitive);

}  // namespace cardo
