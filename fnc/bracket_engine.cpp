#include "fnc/bracket_engine.h"

#include <algorithm>
#include <limits>

#include "app/platform/code_page_932.h"

namespace cardo::fnc {
namespace {

bool IsDigit(unsigned char c) {
  return c >= '0' && c <= '9';
}
bool IsUpper(unsigned char c) {
  return c >= 'A' && c <= 'Z';
}
bool IsLower(unsigned char c) {
  return c >= 'a' && c <= 'z';
}

template <typename Pred>
bool All(std::string_view s, Pred pred) {
  return std::all_of(s.begin(), s.end(),
                     [&](char c) { return pred(static_cast<unsigned char>(c)); });
}

// The volume letters run r, s, ..., z, a, b, ..., q.
std::uint32_t VolumeLetterIndex(unsigned char letter) {
  const unsigned char lower =
      IsUpper(letter) ? static_cast<unsigned char>(letter - 'A' + 'a') : letter;
  return lower >= 'r' ? static_cast<std::uint32_t>(lower - 'r')
                      : static_cast<std::uint32_t>(lower - 'a' + 9);
}

char VolumeLetter(std::uint32_t index, bool upper) {
  const char lower =
      index <= 8 ? static_cast<char>('r' + index) : static_cast<char>('a' + index - 9);
  return upper ? static_cast<char>(lower - 'a' + 'A') : lower;
}

// The first `target` byte at or after `from`, stepping over the trail byte of every
// double-byte character; npos when there is none.
std::size_t FindByte(std::string_view line, char target, std::size_t from, LeadByteTest isLead) {
  for (std::size_t i = from; i < line.size(); ++i) {
    const auto byte = static_cast<unsigned char>(line[i]);
    if (line[i] == target) return i;
    if (isLead(byte)) ++i;
  }
  return std::string_view::npos;
}

// The positions of the first group's "[", "-" and "]", and its code.
struct GroupSpan {
  PatternCode code;
  std::size_t open = 0;
  std::size_t dash = 0;
  std::size_t close = 0;
};

GroupSpan FindGroup(std::string_view line, LeadByteTest isLead) {
  GroupSpan span{kPatternOk};
  span.open = FindByte(line, '[', 0, isLead);
  if (span.open == std::string_view::npos) return {kNoOpenBracket};
  // The search continues from the byte after "[", which is never a trail byte.
  span.close = FindByte(line, ']', span.open + 1, isLead);
  if (span.close == std::string_view::npos) return {kNoCloseBracket};
  span.dash = FindByte(line, '-', span.open + 1, isLead);
  if (span.dash == std::string_view::npos || span.dash > span.close) return {kNoSeparator};
  if (span.dash == span.open + 1 || span.close == span.dash + 1) return {kEmptyBound};
  return span;
}

std::string_view Cut(std::string_view bound, std::size_t cut = kBoundCut) {
  return bound.substr(0, cut);
}

}  // namespace

bool NoLeadBytes(unsigned char) {
  return false;
}

bool Cp932LeadByte(unsigned char byte) {
  return IsCp932LeadByte(byte);
}

BoundKind ClassifyBound(std::string_view bound, std::size_t cut) {
  bound = Cut(bound, cut);
  if (bound.empty()) return BoundKind::None;
  if (All(bound, IsDigit)) return BoundKind::Decimal;
  if (All(bound, IsUpper)) return BoundKind::LettersUpper;
  if (All(bound, IsLower)) return BoundKind::LettersLower;
  if (bound.size() == 3 && IsDigit(static_cast<unsigned char>(bound[1])) &&
      IsDigit(static_cast<unsigned char>(bound[2]))) {
    if (IsUpper(static_cast<unsigned char>(bound[0]))) return BoundKind::VolumeUpper;
    if (IsLower(static_cast<unsigned char>(bound[0]))) return BoundKind::VolumeLower;
  }
  return BoundKind::None;
}

std::optional<std::uint32_t> BoundValue(std::string_view bound, BoundKind kind, std::size_t cut) {
  bound = Cut(bound, cut);
  switch (kind) {
    case BoundKind::Decimal: {
      std::uint64_t value = 0;
      for (const char c : bound) {
        value = value * 10 + static_cast<std::uint64_t>(c - '0');
        if (value > kMaxDecimalBound) return std::nullopt;
      }
      return static_cast<std::uint32_t>(value);
    }
    case BoundKind::LettersUpper:
    case BoundKind::LettersLower: {
      if (bound.size() > kMaxLetters) return std::nullopt;
      const char base = kind == BoundKind::LettersUpper ? 'A' : 'a';
      std::uint32_t value = 0;
      for (const char c : bound) value = value * 26 + static_cast<std::uint32_t>(c - base);
      return value;
    }
    case BoundKind::VolumeUpper:
    case BoundKind::VolumeLower:
      return VolumeLetterIndex(static_cast<unsigned char>(bound[0])) * 100 +
             static_cast<std::uint32_t>((bound[1] - '0') * 10 + (bound[2] - '0'));
    case BoundKind::None:
      break;
  }
  return std::nullopt;
}

std::string FormatValue(std::uint32_t value, BoundKind kind, std::size_t width) {
  std::string text;
  switch (kind) {
    case BoundKind::Decimal:
      do {
        text.push_back(static_cast<char>('0' + value % 10));
        value /= 10;
      } while (value != 0);
      text.append(width > text.size() ? width - text.size() : 0, '0');
      std::reverse(text.begin(), text.end());
      return text;
    case BoundKind::LettersUpper:
    case BoundKind::LettersLower: {
      const char base = kind == BoundKind::LettersUpper ? 'A' : 'a';
      do {
        text.push_back(static_cast<char>(base + value % 26));
        value /= 26;
      } while (value != 0);
      text.append(width > text.size() ? width - text.size() : 0, base);
      std::reverse(text.begin(), text.end());
      return text;
    }
    case BoundKind::VolumeUpper:
    case BoundKind::VolumeLower: {
      const std::uint32_t number = value % 100;
      text.push_back(VolumeLetter(value / 100 % 26, kind == BoundKind::VolumeUpper));
      text.push_back(static_cast<char>('0' + number / 10));
      text.push_back(static_cast<char>('0' + number % 10));
      return text;
    }
    case BoundKind::None:
      break;
  }
  return text;
}

PatternCode CheckPattern(std::string_view line, LeadByteTest isLead) {
  const GroupSpan span = FindGroup(line, isLead);
  if (span.code != kPatternOk) return span.code;
  const auto start = line.substr(span.open + 1, span.dash - span.open - 1);
  const auto end = line.substr(span.dash + 1, span.close - span.dash - 1);
  const BoundKind kind = ClassifyBound(start);
  if (kind == BoundKind::None || ClassifyBound(end) != kind) return kBadBound;
  if (!BoundValue(start, kind) || !BoundValue(end, kind)) return kBadBound;
  return kPatternOk;
}

std::optional<Expansion> Expansion::Parse(std::string_view line, LeadByteTest isLead) {
  if (CheckPattern(line, isLead) != kPatternOk) return std::nullopt;
  Expansion expansion;
  std::string& literal = expansion.literal_;
  auto endLiteral = [&] {
    if (expansion.groups_.empty()) {
      expansion.headEnd_ = literal.size();
    } else {
      expansion.groups_.back().afterEnd = literal.size();
    }
  };
  // Groups are taken from the left as long as the first group of the rest passes the check;
  // the substituted values hold no bracket, so each later check sees exactly this rest.
  while (CheckPattern(line, isLead) == kPatternOk) {
    const GroupSpan span = FindGroup(line, isLead);
    literal.append(line.substr(0, span.open));
    const auto start = Cut(line.substr(span.open + 1, span.dash - span.open - 1));
    const auto end = Cut(line.substr(span.dash + 1, span.close - span.dash - 1));
    const BoundKind kind = ClassifyBound(start);
    const std::uint32_t a = *BoundValue(start, kind);
    const std::uint32_t b = *BoundValue(end, kind);
    const auto width = static_cast<std::uint8_t>(start.size() == end.size() ? start.size() : 0);
    line.remove_prefix(span.close + 1);
    if (a == b) {
      literal += FormatValue(a, kind, width);
      continue;
    }
    endLiteral();
    expansion.groups_.push_back(Group{std::min(a, b), std::max(a, b), kind, width, 0});
  }
  literal.append(line);
  endLiteral();
  expansion.groups_.shrink_to_fit();
  return expansion;
}

std::uint64_t Expansion::LineCount() const {
  std::uint64_t count = 1;
  for (const Group& group : groups_) {
    const std::uint64_t size = std::uint64_t{group.hi} - group.lo + 1;
    if (count > std::numeric_limits<std::uint64_t>::max() / size) {
      return std::numeric_limits<std::uint64_t>::max();
    }
    count *= size;
  }
  return count;
}

void Expansion::AppendValue(std::string& line, std::size_t group, std::uint32_t value) const {
  const Group& g = groups_[group];
  line += FormatValue(value, g.kind, g.width);
  const std::size_t from = group == 0 ? headEnd_ : groups_[group - 1].afterEnd;
  line.append(literal_, from, g.afterEnd - from);
}

}  // namespace cardo::fnc
