#pragma once
// The extended bracket syntax, an opt-in beside the specified one (which SpreadURL keeps as
// it is): steps, descending runs, lists, escapes and named counters that repeat or move
// together. The grammar, for one line of bytes:
//
//   line    := (text | escape | group)*
//   escape  := "\" one of  [ ] , = \      the character itself; any other "\" is itself
//   group   := "[" body "]"               every group counts; a "[" inside one is a fault
//   body    := "=" name                   name's value again, formatted as its first group
//            | [name "="] values
//   values  := item ("," item)+           a list: a body with an unescaped "," (items as
//                                          written, "-" and ":" included, empty ones too)
//            | bound "-" bound [":" step] a run from the first bound to the second, up or
//                                          down, every step-th value (1-2147483647)
//   name    := letter (letter | digit | "_")*
//
// Bounds are the specified kinds (decimal, A-Z or a-z letters, volumes r00) taken whole, not
// cut to 13 bytes; equally long bounds pad to their length. Groups sharing a name move in
// step and must have the same number of values. Groups vary as the specified ones do: the
// first slowest; a name's groups vary where the first of them stands. Text in code page 932
// is never split (trail bytes are skipped).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "fnc/bracket_engine.h"

namespace cardo::fnc {

enum class PatternFault : std::uint8_t {
  NoGroup,         // the line holds no group
  Unclosed,        // a "[" without its "]"
  StrayClose,      // a "]" without its "["
  NestedOpen,      // a "[" inside a group
  Empty,           // nothing between the brackets (or after "name=")
  NotRangeOrList,  // neither "-" nor ","
  EmptyStart,      // nothing before the "-"
  EmptyEnd,        // nothing after the "-"
  BadBound,        // a bound of no kind
  MixedKinds,      // the two bounds of different kinds
  TooLarge,        // a decimal above 2147483647, or 7 or more letters
  BadStep,         // a step that is no number from 1 to 2147483647
  BadName,         // a name that is not a letter then letters, digits and "_"
  Undefined,       // "[=name]" for a name no group defines
  LengthMismatch,  // groups of one name with different numbers of values
};

struct PatternError {
  PatternFault fault = PatternFault::NoGroup;
  std::size_t offset = 0;  // the byte of the line where the fault is
  std::string name;        // Undefined, LengthMismatch
  std::uint64_t firstLength = 0;
  std::uint64_t otherLength = 0;  // LengthMismatch: the first group's and this group's
};

// The reason, in UTF-8, for the user ("範囲の終わりがありません。").
std::string PatternErrorText(const PatternError& error);
// The 1-based column of the character holding byte `offset`: with Cp932LeadByte a double-byte
// character counts once; with NoLeadBytes the line is read as UTF-8.
std::size_t CharacterColumn(std::string_view line, std::size_t offset, LeadByteTest isLead);

class ExtendedExpansion {
 public:
  // The line parsed once, or its first fault (group faults from the left, then the names).
  // Costs time and memory linear in the line.
  static std::variant<ExtendedExpansion, PatternError> Parse(std::string_view line,
                                                             LeadByteTest isLead);

  // Calls `emit(line)` for every produced line, in order, as long as it returns true.
  template <typename Emit>
  void ForEachLine(Emit&& emit) const;

  // The exact number of lines; saturates at UINT64_MAX.
  std::uint64_t LineCount() const;

 private:
  // The values of one group: a run or a list.
  struct Member {
    bool list = false;
    BoundKind kind = BoundKind::None;
    bool down = false;
    std::uint32_t start = 0;
    std::uint32_t step = 1;
    std::size_t width = 0;
    std::size_t firstItem = 0;  // lists: the first item in items_
  };
  // A place in the line that shows a value: the literal text before it ends at `before` in
  // literal_ (it begins where the previous slot's ends).
  struct Slot {
    std::size_t before = 0;
    std::uint32_t axis = 0;
    std::uint32_t member = 0;
  };
  // One counter: a group alone, or the groups of one name moving together.
  struct Axis {
    std::uint64_t length = 0;
    std::size_t rebuildFrom = 0;  // the first slot that shows this counter or a later one
  };

  std::string literal_;
  std::vector<Slot> slots_;
  std::vector<Member> members_;
  std::vector<std::string> items_;
  std::vector<Axis> axes_;

  void AppendValue(std::string& line, const Slot& slot, std::uint64_t index) const;
  friend class ExtendedParser;
};

template <typename Emit>
void ExtendedExpansion::ForEachLine(Emit&& emit) const {
  const std::size_t n = axes_.size();
  const std::size_t m = slots_.size();
  std::vector<std::uint64_t> index(n, 0);
  std::vector<std::size_t> start(m + 1, 0);  // where each slot's literal text begins in `line`
  std::string line;
  auto build = [&](std::size_t from) {
    line.resize(start[from]);
    for (std::size_t p = from; p < m; ++p) {
      start[p] = line.size();
      const std::size_t begin = p == 0 ? 0 : slots_[p - 1].before;
      line.append(literal_, begin, slots_[p].before - begin);
      AppendValue(line, slots_[p], index[slots_[p].axis]);
    }
    line.append(literal_, m == 0 ? 0 : slots_[m - 1].before);
  };
  build(0);
  for (;;) {
    if (!emit(std::string_view(line))) return;
    // Advance the odometer: the last counter fastest.
    std::size_t g = n;
    while (g > 0 && index[g - 1] + 1 == axes_[g - 1].length) --g;
    if (g == 0) return;
    --g;
    ++index[g];
    for (std::size_t k = g + 1; k < n; ++k) index[k] = 0;
    build(axes_[g].rebuildFrom);
  }
}

}  // namespace cardo::fnc
