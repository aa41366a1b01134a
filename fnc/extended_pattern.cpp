#include "fnc/extended_pattern.h"

#include <algorithm>
#include <limits>
#include <optional>
#include <unordered_map>

namespace cardo::fnc {
namespace {

constexpr std::uint32_t kMaxStep = 2147483647u;

bool Escapable(char c) {
  return c == '[' || c == ']' || c == ',' || c == '=' || c == '\\';
}

bool IsNameStart(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsNameChar(char c) {
  return IsNameStart(c) || (c >= '0' && c <= '9') || c == '_';
}

bool IsName(std::string_view text) {
  if (text.empty() || !IsNameStart(text[0])) return false;
  for (const char c : text) {
    if (!IsNameChar(c)) return false;
  }
  return true;
}

// A group's body with its escapes undone, where its unescaped "," and "=" are, and which of
// its bytes were escaped (each took two bytes of the line), so that any byte can be traced back
// to the line without a position per byte.
struct Body {
  std::size_t from = 0;  // the line byte after the "["
  std::string text;
  std::vector<std::size_t> escaped;  // text positions, ascending
  std::vector<std::size_t> commas;
  std::size_t firstEquals = std::string::npos;

  // The line byte of text[i]; text.size() gives the "]".
  std::size_t LineOffset(std::size_t i) const {
    const auto before = std::lower_bound(escaped.begin(), escaped.end(), i) - escaped.begin();
    return from + i + static_cast<std::size_t>(before);
  }
};

Body ReadBody(std::string_view line, std::size_t from, std::size_t close, LeadByteTest isLead) {
  Body body;
  body.from = from;
  for (std::size_t i = from; i < close;) {
    const auto byte = static_cast<unsigned char>(line[i]);
    if (isLead(byte) && i + 1 < close) {
      body.text.append(line.substr(i, 2));
      i += 2;
      continue;
    }
    if (line[i] == '\\' && i + 1 < close && Escapable(line[i + 1])) {
      body.escaped.push_back(body.text.size());
      body.text.push_back(line[i + 1]);
      i += 2;
      continue;
    }
    if (line[i] == ',') body.commas.push_back(body.text.size());
    if (line[i] == '=' && body.firstEquals == std::string::npos) {
      body.firstEquals = body.text.size();
    }
    body.text.push_back(line[i]);
    ++i;
  }
  return body;
}

std::uint64_t SaturatingProduct(std::uint64_t a, std::uint64_t b) {
  if (b != 0 && a > std::numeric_limits<std::uint64_t>::max() / b) {
    return std::numeric_limits<std::uint64_t>::max();
  }
  return a * b;
}

}  // namespace

// Reads the line group by group; names are tied to their groups once every group is read.
class ExtendedParser {
 public:
  ExtendedParser(std::string_view line, LeadByteTest isLead) : line_(line), isLead_(isLead) {}

  std::variant<ExtendedExpansion, PatternError> Run() {
    for (std::size_t i = 0; i < line_.size();) {
      const auto byte = static_cast<unsigned char>(line_[i]);
      if (isLead_(byte) && i + 1 < line_.size()) {
        out_.literal_.append(line_.substr(i, 2));
        i += 2;
      } else if (line_[i] == '\\' && i + 1 < line_.size() && Escapable(line_[i + 1])) {
        out_.literal_.push_back(line_[i + 1]);
        i += 2;
      } else if (line_[i] == ']') {
        return Fault(PatternFault::StrayClose, i);
      } else if (line_[i] == '[') {
        const auto close = FindClose(i);
        if (!close) return error_;
        if (!ReadGroup(i, *close)) return error_;
        i = *close + 1;
      } else {
        out_.literal_.push_back(line_[i]);
        ++i;
      }
    }
    if (groups_.empty()) return Fault(PatternFault::NoGroup, 0);
    if (!TieNames()) return error_;
    return std::move(out_);
  }

 private:
  // A group as read: its values (a member), or a reference to a name.
  struct Group {
    std::string name;
    bool reference = false;
    std::size_t offset = 0;  // the "["
    std::uint32_t member = 0;
    std::uint64_t length = 0;
  };

  std::string_view line_;
  LeadByteTest isLead_;
  ExtendedExpansion out_;
  std::vector<Group> groups_;  // in line order, one per slot
  PatternError error_;

  PatternError Fault(PatternFault fault, std::size_t offset, std::string name = {}) {
    error_ = PatternError{fault, offset, std::move(name)};
    return error_;
  }

  std::optional<std::size_t> FindClose(std::size_t open) {
    for (std::size_t j = open + 1; j < line_.size(); ++j) {
      const auto byte = static_cast<unsigned char>(line_[j]);
      if (isLead_(byte) || (line_[j] == '\\' && j + 1 < line_.size() && Escapable(line_[j + 1]))) {
        ++j;
      } else if (line_[j] == '[') {
        Fault(PatternFault::NestedOpen, j);
        return std::nullopt;
      } else if (line_[j] == ']') {
        return j;
      }
    }
    Fault(PatternFault::Unclosed, open);
    return std::nullopt;
  }

  bool ReadGroup(std::size_t open, std::size_t close) {
    const Body body = ReadBody(line_, open + 1, close, isLead_);
    Group group;
    group.offset = open;
    std::size_t from = 0;  // where the values begin in the body's text
    if (body.firstEquals != std::string::npos &&
        (body.commas.empty() || body.firstEquals < body.commas.front())) {
      group.name = body.text.substr(0, body.firstEquals);
      from = body.firstEquals + 1;
      if (body.firstEquals == 0) {
        // "[=name]": the rest is the name, nothing else.
        group.name = body.text.substr(1);
        group.reference = true;
        if (!IsName(group.name)) return (Fault(PatternFault::BadName, open + 1), false);
        groups_.push_back(std::move(group));
        EndLiteral();
        return true;
      }
      if (!IsName(group.name)) return (Fault(PatternFault::BadName, open + 1), false);
    }
    ExtendedExpansion::Member member;
    if (!body.commas.empty()) {
      member.list = true;
      member.firstItem = out_.items_.size();
      std::size_t begin = from;
      for (const std::size_t comma : body.commas) {
        out_.items_.emplace_back(body.text, begin, comma - begin);
        begin = comma + 1;
      }
      out_.items_.emplace_back(body.text, begin);
      group.length = out_.items_.size() - member.firstItem;
    } else if (!ReadRun(body, from, member, group.length)) {
      return false;
    }
    group.member = static_cast<std::uint32_t>(out_.members_.size());
    out_.members_.push_back(member);
    groups_.push_back(std::move(group));
    EndLiteral();
    return true;
  }

  bool ReadRun(const Body& body, std::size_t from, ExtendedExpansion::Member& member,
               std::uint64_t& length) {
    const std::string_view range = std::string_view(body.text).substr(from);
    auto at = [&](std::size_t i) { return body.LineOffset(from + i); };
    if (range.empty()) return (Fault(PatternFault::Empty, at(0)), false);
    const std::size_t dash = range.find('-');
    if (dash == std::string_view::npos) return (Fault(PatternFault::NotRangeOrList, at(0)), false);
    if (dash == 0) return (Fault(PatternFault::EmptyStart, at(0)), false);
    const std::size_t colon = range.find(':', dash + 1);
    const std::size_t endSize = (colon == std::string_view::npos ? range.size() : colon) - dash - 1;
    const std::string_view start = range.substr(0, dash);
    const std::string_view end = range.substr(dash + 1, endSize);
    if (end.empty()) return (Fault(PatternFault::EmptyEnd, at(dash + 1)), false);
    const std::size_t whole = std::string_view::npos;
    const BoundKind kind = ClassifyBound(start, whole);
    if (kind == BoundKind::None) return (Fault(PatternFault::BadBound, at(0)), false);
    const BoundKind endKind = ClassifyBound(end, whole);
    if (endKind == BoundKind::None) return (Fault(PatternFault::BadBound, at(dash + 1)), false);
    if (endKind != kind) return (Fault(PatternFault::MixedKinds, at(dash + 1)), false);
    const auto a = BoundValue(start, kind, whole);
    if (!a) return (Fault(PatternFault::TooLarge, at(0)), false);
    const auto b = BoundValue(end, kind, whole);
    if (!b) return (Fault(PatternFault::TooLarge, at(dash + 1)), false);
    if (colon != std::string_view::npos) {
      const std::string_view step = range.substr(colon + 1);
      const auto value = ClassifyBound(step, whole) == BoundKind::Decimal
                             ? BoundValue(step, BoundKind::Decimal, whole)
                             : std::nullopt;
      if (!value || *value == 0 || *value > kMaxStep) {
        return (Fault(PatternFault::BadStep, at(colon + 1)), false);
      }
      member.step = *value;
    }
    member.kind = kind;
    member.start = *a;
    member.down = *a > *b;
    member.width = start.size() == end.size() ? start.size() : 0;
    length = (member.down ? *a - *b : *b - *a) / member.step + 1;
    return true;
  }

  // The literal text read so far ends before the slot of the group just read.
  void EndLiteral() { out_.slots_.push_back({out_.literal_.size(), 0, 0}); }

  bool TieNames() {
    std::unordered_map<std::string_view, std::size_t> first;  // name -> its first group
    for (std::size_t i = 0; i < groups_.size(); ++i) {
      const Group& g = groups_[i];
      if (g.reference || g.name.empty()) continue;
      const auto [it, added] = first.emplace(g.name, i);
      if (added) continue;
      const Group& named = groups_[it->second];
      if (named.length != g.length) {
        Fault(PatternFault::LengthMismatch, g.offset, g.name);
        error_.firstLength = named.length;
        error_.otherLength = g.length;
        return false;
      }
    }
    // Counters in the order of their first group; a reference shows the first group's values.
    std::unordered_map<std::string_view, std::uint32_t> axisOf;
    std::vector<std::uint32_t> axisOfGroup(groups_.size());
    for (std::size_t i = 0; i < groups_.size(); ++i) {
      const Group& g = groups_[i];
      if (g.reference) continue;
      if (!g.name.empty()) {
        if (const auto it = axisOf.find(g.name); it != axisOf.end()) {
          axisOfGroup[i] = it->second;
          continue;
        }
      }
      const auto axis = static_cast<std::uint32_t>(out_.axes_.size());
      out_.axes_.push_back({g.length, 0});
      if (!g.name.empty()) axisOf.emplace(g.name, axis);
      axisOfGroup[i] = axis;
    }
    for (std::size_t i = 0; i < groups_.size(); ++i) {
      const Group& g = groups_[i];
      ExtendedExpansion::Slot& slot = out_.slots_[i];
      if (g.reference) {
        const auto it = first.find(g.name);
        if (it == first.end()) return (Fault(PatternFault::Undefined, g.offset, g.name), false);
        slot.axis = axisOfGroup[it->second];
        slot.member = groups_[it->second].member;
      } else {
        slot.axis = axisOfGroup[i];
        slot.member = g.member;
      }
    }
    // When counter g moves, every slot of g and of the counters after it changes.
    const std::size_t none = out_.slots_.size();
    std::vector<std::size_t> firstSlot(out_.axes_.size(), none);
    for (std::size_t i = out_.slots_.size(); i-- > 0;) firstSlot[out_.slots_[i].axis] = i;
    std::size_t from = none;
    for (std::size_t g = out_.axes_.size(); g-- > 0;) {
      from = std::min(from, firstSlot[g]);
      out_.axes_[g].rebuildFrom = from;
    }
    return true;
  }
};

std::variant<ExtendedExpansion, PatternError> ExtendedExpansion::Parse(std::string_view line,
                                                                       LeadByteTest isLead) {
  return ExtendedParser(line, isLead).Run();
}

std::uint64_t ExtendedExpansion::LineCount() const {
  std::uint64_t count = 1;
  for (const Axis& axis : axes_) count = SaturatingProduct(count, axis.length);
  return count;
}

void ExtendedExpansion::AppendValue(std::string& line, const Slot& slot,
                                    std::uint64_t index) const {
  const Member& m = members_[slot.member];
  if (m.list) {
    line += items_[m.firstItem + index];
    return;
  }
  const std::uint64_t move = index * m.step;
  const auto value = static_cast<std::uint32_t>(m.down ? m.start - move : m.start + move);
  line += FormatValue(value, m.kind, m.width);
}

std::string PatternErrorText(const PatternError& error) {
  switch (error.fault) {
    case PatternFault::NoGroup:
      return "文字列内に[が見つかりません。";
    case PatternFault::Unclosed:
      return "[を閉じる]がありません。";
    case PatternFault::StrayClose:
      return "対応する[のない]があります(文字として使うには\\])。";
    case PatternFault::NestedOpen:
      return "[]の中に[があります(文字として使うには\\[)。";
    case PatternFault::Empty:
      return "[]の中に値がありません。";
    case PatternFault::NotRangeOrList:
      return "[]の中が範囲(始め-終わり)でも一覧(a,b)でもありません。";
    case PatternFault::EmptyStart:
      return "範囲の始めがありません。";
    case PatternFault::EmptyEnd:
      return "範囲の終わりがありません。";
    case PatternFault::BadBound:
      return "範囲の値は数字、英字(大文字か小文字)、またはr00のような巻の名前にしてください。";
    case PatternFault::MixedKinds:
      return "範囲の始めと終わりの種類が違います。";
    case PatternFault::TooLarge:
      return "範囲の値が大きすぎます(数字は2147483647まで、英字は6文字まで)。";
    case PatternFault::BadStep:
      return "増分は1から2147483647までの数字にしてください。";
    case PatternFault::BadName:
      return "名前は英字で始め、英字、数字と_だけにしてください。";
    case PatternFault::Undefined:
      return "「" + error.name + "」という名前の[]がありません。";
    case PatternFault::LengthMismatch:
      return "「" + error.name + "」の[]の値の数が違います(" + std::to_string(error.firstLength) +
             "個と" + std::to_string(error.otherLength) + "個)。";
  }
  return {};
}

std::size_t CharacterColumn(std::string_view line, std::size_t offset, LeadByteTest isLead) {
  std::size_t column = 1;
  const std::size_t end = std::min(offset, line.size());
  for (std::size_t i = 0; i < end; ++column) {
    const auto byte = static_cast<unsigned char>(line[i]);
    ++i;
    if (isLead == NoLeadBytes) {
      while (i < end && (static_cast<unsigned char>(line[i]) & 0xC0) == 0x80) ++i;
    } else if (isLead(byte) && i < line.size()) {
      ++i;
    }
  }
  return column;
}

}  // namespace cardo::fnc
