#pragma once
// The bracket expansion engine: one line of bytes with bracket ranges ("[001-120]", "[a-z]",
// "[r00-r99]") expands into every line the ranges stand for, the first group varying slowest.
// Bytes in, lines out; the caller decides where the lines go.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cardo::fnc {

// Result codes of a pattern check, as the library returns them.
enum PatternCode : std::int32_t {
  kPatternOk = 0,
  kNoOpenBracket = 1,
  kNoCloseBracket = 2,
  kNoSeparator = 3,
  kEmptyBound = 4,
  kBadBound = 9,
};

enum class BoundKind : std::uint8_t {
  None,
  Decimal,
  LettersUpper,
  LettersLower,
  VolumeUpper,
  VolumeLower
};

// A bound is considered by at most this many bytes.
inline constexpr std::size_t kBoundCut = 13;
// The largest decimal bound (values are printed as signed 32-bit numbers) and the first letter
// bound length that is refused (7 letters no longer fit the value type).
inline constexpr std::uint32_t kMaxDecimalBound = 2147483647u;
inline constexpr std::size_t kMaxLetters = 6;

// Whether a byte starts a double-byte character: the searches for "[", "]" and "-" skip the
// byte after it, so text in a double-byte code page is never split. For UTF-8 text no byte
// needs skipping (multi-byte sequences hold no ASCII bytes).
using LeadByteTest = bool (*)(unsigned char);
bool NoLeadBytes(unsigned char);
bool Cp932LeadByte(unsigned char byte);

// Both consider the first `cut` bytes of the bound (the extended syntax takes it whole).
BoundKind ClassifyBound(std::string_view bound, std::size_t cut = kBoundCut);
// The bound's value, or nothing when it is too large for the engine.
std::optional<std::uint32_t> BoundValue(std::string_view bound, BoundKind kind,
                                        std::size_t cut = kBoundCut);
// The value as text of `kind`, padded to `width` (0: no padding); volumes ignore the width.
std::string FormatValue(std::uint32_t value, BoundKind kind, std::size_t width);
// The code for the first bracket group of `line`.
PatternCode CheckPattern(std::string_view line, LeadByteTest isLead);

// One line's expansion, parsed once: the groups that expand, and the literal text around and
// after them (from the first group that does not pass the check, the rest is copied as is).
class Expansion {
 public:
  // Nothing when the first group of `line` does not pass CheckPattern.
  static std::optional<Expansion> Parse(std::string_view line, LeadByteTest isLead);

  // Calls `emit(line)` for every produced line, in order, as long as it returns true.
  template <typename Emit>
  void ForEachLine(Emit&& emit) const;

  // The number of lines; saturates at UINT64_MAX.
  std::uint64_t LineCount() const;

 private:
  // A group costs a few bytes whatever its text, and a group of one value (such as "[1-1]")
  // is no group at all but literal text, so that a long line of groups stays near its own size.
  struct Group {
    std::uint32_t lo;
    std::uint32_t hi;
    BoundKind kind;
    std::uint8_t width;
    std::size_t afterEnd;  // the literal text after the group ends here in literal_
  };
  std::string literal_;  // the text before the first group, then each group's following text
  std::size_t headEnd_ = 0;
  std::vector<Group> groups_;

  void AppendValue(std::string& line, std::size_t group, std::uint32_t value) const;
};

template <typename Emit>
void Expansion::ForEachLine(Emit&& emit) const {
  const std::size_t n = groups_.size();
  std::vector<std::uint32_t> value(n);
  std::vector<std::size_t> start(n);  // where each group's text begins in `line`
  std::string line = literal_.substr(0, headEnd_);
  for (std::size_t g = 0; g < n; ++g) {
    value[g] = groups_[g].lo;
    start[g] = line.size();
    AppendValue(line, g, value[g]);
  }
  for (;;) {
    if (!emit(std::string_view(line))) return;
    // Advance the odometer: the last group fastest.
    std::size_t g = n;
    while (g > 0 && value[g - 1] == groups_[g - 1].hi) --g;
    if (g == 0) return;
    --g;
    ++value[g];
    line.resize(start[g]);
    AppendValue(line, g, value[g]);
    for (std::size_t k = g + 1; k < n; ++k) {
      value[k] = groups_[k].lo;
      start[k] = line.size();
      AppendValue(line, k, value[k]);
    }
  }
}

}  // namespace cardo::fnc
