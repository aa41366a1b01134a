#include "app/platform/word_matcher.h"

#include "app/platform/lower_case.h"

namespace cardo {

WordMatcher::WordMatcher(std::u16string_view word, bool caseSensitive)
    : word_(word), fold_(caseSensitive ? nullptr : LowerUnit) {
  for (auto& c : word_) c = Fold(c);
  Prepare();
}

WordMatcher::WordMatcher(std::u16string_view word, char16_t (*textFold)(char16_t))
    : word_(word), fold_(textFold) {
  Prepare();
}

void WordMatcher::Prepare() {
  fallback_.assign(word_.size() + 1, 0);
  // fallback_[i]: the length of the longest proper border of word_[0, i).
  std::size_t k = 0;
  for (std::size_t i = 1; i < word_.size(); ++i) {
    while (k > 0 && word_[i] != word_[k]) k = fallback_[k];
    if (word_[i] == word_[k]) ++k;
    fallback_[i + 1] = k;
  }
}

std::size_t WordMatcher::Find(std::u16string_view text, std::size_t from) const {
  if (word_.empty()) return from <= text.size() ? from : std::u16string_view::npos;
  // Only ASCII capitals fold onto ASCII letters, so an ASCII first unit has at most two forms.
  const char16_t first = word_[0];
  const char16_t firstUpper =
      fold_ && first >= u'a' && first <= u'z' ? static_cast<char16_t>(first - 0x20) : first;
  const bool skips = !fold_ || first < 0x80;
  std::size_t k = 0;
  for (std::size_t i = from; i < text.size(); ++i) {
    // Between partial matches only the first unit can start one: skip to it (each position
    // is still visited once).
    if (k == 0 && skips) {
      if (first == firstUpper) {
        i = text.find(first, i);
        if (i == std::u16string_view::npos) break;
      } else {
        while (i < text.size() && text[i] != first && text[i] != firstUpper) ++i;
        if (i == text.size()) break;
      }
    }
    const char16_t c = Fold(text[i]);
    while (k > 0 && c != word_[k]) k = fallback_[k];
    if (c == word_[k] && ++k == word_.size()) return i + 1 - k;
  }
  return std::u16string_view::npos;
}

}  // namespace cardo
