#pragma once
// Word search over UTF-16 text, used by find and replace and by the scanner's protocol search.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace cardo {

// Finds a word in text in time linear in both (Knuth-Morris-Pratt), so no line or word shape
// makes a search quadratic.
class WordMatcher {
 public:
  WordMatcher(std::u16string_view word, bool caseSensitive);
  // Compares the word as it is with the text's units folded by `textFold`.
  WordMatcher(std::u16string_view word, char16_t (*textFold)(char16_t));
  // The first position at or after `from` where the word starts, or npos. An empty word is
  // found at `from`.
  std::size_t Find(std::u16string_view text, std::size_t from = 0) const;
  std::size_t size() const { return word_.size(); }

 private:
  void Prepare();
  char16_t Fold(char16_t c) const { return fold_ ? fold_(c) : c; }
  std::u16string word_;
  std::vector<std::size_t> fallback_;
  char16_t (*fold_)(char16_t);
};

}  // namespace cardo
