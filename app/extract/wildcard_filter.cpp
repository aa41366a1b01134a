#include "app/extract/wildcard_filter.h"

#include <algorithm>
#include <optional>

#include "app/platform/lower_case.h"
#include "app/platform/text.h"

namespace cardo {
namespace {

struct Token {
  enum Kind { Literal, AnyRun, AnyOne, Digit, Set } kind = Literal;
  char16_t ch = 0;
  bool negated = false;
  std::vector<std::pair<char16_t, char16_t>> ranges;  // for Set

  bool Accepts(char16_t c) const {
    switch (kind) {
      case Literal:
        return c == ch;
      case AnyOne:
        return true;
      case Digit:
        return c >= u'0' && c <= u'9';
      case Set: {
        bool in = false;
        for (const auto& [lo, hi] : ranges) in = in || (c >= lo && c <= hi);
        return in != negated;
      }
      case AnyRun:
        return true;
    }
    return false;
  }
};

// The pattern as tokens, or nothing when a bracket expression is malformed.
std::optional<std::vector<Token>> Compile(std::u16string_view p) {
  std::vector<Token> tokens;
  for (std::size_t i = 0; i < p.size(); ++i) {
    Token t;
    switch (p[i]) {
      case u'*':
        t.kind = Token::AnyRun;
        break;
      case u'?':
        t.kind = Token::AnyOne;
        break;
      case u'#':
        t.kind = Token::Digit;
        break;
      case u'[': {
        t.kind = Token::Set;
        std::size_t j = i + 1;
        if (j < p.size() && p[j] == u'!') {
          t.negated = true;
          ++j;
        }
        const std::size_t close = p.find(u']', j);
        if (close == std::u16string_view::npos) return std::nullopt;
        const std::u16string_view list = p.substr(j, close - j);
        for (std::size_t k = 0; k < list.size(); ++k) {
          // "-" is itself when first or last; between two characters it makes a range.
          if (k + 2 < list.size() && list[k + 1] == u'-') {
            if (list[k] > list[k + 2]) return std::nullopt;
            t.ranges.emplace_back(list[k], list[k + 2]);
            k += 2;
          } else {
            t.ranges.emplace_back(list[k], list[k]);
          }
        }
        i = close;
        break;
      }
      default:
        t.ch = p[i];
        break;
    }
    if (t.kind == Token::AnyRun && !tokens.empty() && tokens.back().kind == Token::AnyRun) continue;
    tokens.push_back(std::move(t));
  }
  return tokens;
}

// Whether tokens[from, to), none of them "*", match `text` at `at`, one character each.
bool SegmentAt(const std::vector<Token>& tokens, std::size_t from, std::size_t to,
               std::u16string_view text, std::size_t at) {
  for (std::size_t k = from; k < to; ++k) {
    if (!tokens[k].Accepts(LowerUnit(text[at + k - from]))) return false;
  }
  return true;
}

// Every token but "*" takes one character, so the pattern is its pieces between the "*":
// the first piece stands at the start, the last at the end, and each piece between goes to
// its leftmost place after the one before (a later place never leaves more room). `text` is
// lower-cased unit by unit as it is read: a URL as long as a file is not copied.
bool Matches(const std::vector<Token>& tokens, std::u16string_view text) {
  const std::size_t n = tokens.size();
  auto pieceEnd = [&](std::size_t k) {
    while (k < n && tokens[k].kind != Token::AnyRun) ++k;
    return k;
  };
  const std::size_t firstEnd = pieceEnd(0);
  if (firstEnd == n) return text.size() == n && SegmentAt(tokens, 0, n, text, 0);
  std::size_t lastStart = n;
  while (tokens[lastStart - 1].kind != Token::AnyRun) --lastStart;
  const std::size_t lastLength = n - lastStart;
  if (text.size() < firstEnd + lastLength) return false;
  if (!SegmentAt(tokens, 0, firstEnd, text, 0)) return false;
  const std::size_t limit = text.size() - lastLength;
  if (!SegmentAt(tokens, lastStart, n, text, limit)) return false;
  std::size_t at = firstEnd;
  for (std::size_t k = firstEnd + 1; k < lastStart;) {
    const std::size_t end = pieceEnd(k);
    const std::size_t length = end - k;
    while (at + length <= limit && !SegmentAt(tokens, k, end, text, at)) ++at;
    if (at + length > limit) return false;
    at += length;
    k = end + 1;
  }
  return true;
}

}  // namespace

bool WildcardMatch(std::u16string_view pattern, std::u16string_view text) {
  const auto tokens = Compile(LowerText(pattern));
  return tokens && Matches(*tokens, text);
}

struct CompiledFilter::Pattern {
  std::optional<std::vector<Token>> tokens;  // nothing: malformed, matches nothing
  bool positive;
};

CompiledFilter::CompiledFilter(std::u16string_view filterText) {
  const std::u16string_view text = filterText.empty() ? std::u16string_view(u"*.*") : filterText;
  for (const auto part : SplitAt(text, u";")) {
    const bool negative = !part.empty() && part.front() == u'!';
    patterns_.push_back({Compile(LowerText(negative ? part.substr(1) : part)), !negative});
    anyNegative_ = anyNegative_ || negative;
  }
}

CompiledFilter::~CompiledFilter() = default;
CompiledFilter::CompiledFilter(CompiledFilter&&) noexcept = default;

int CompiledFilter::AppendCount(std::u16string_view url) const {
  auto matches = [&](const Pattern& p) { return p.tokens && Matches(*p.tokens, url); };
  if (!anyNegative_) {
    return static_cast<int>(std::count_if(patterns_.begin(), patterns_.end(), matches));
  }
  for (const auto& p : patterns_) {
    if (p.positive != matches(p)) return 0;
  }
  return 1;
}

}  // namespace cardo
