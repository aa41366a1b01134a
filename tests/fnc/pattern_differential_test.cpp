// Random patterns through both syntaxes. Without the extended syntax the parsed engine must
// give exactly what the recursive expansion as the library first described it gives (check the
// first group, expand it, check the produced line again); with it, a line that uses only the
// specified forms makes the same lines (a descending run reverses its order only).
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <string>
#include <vector>

#include "fnc/bracket_engine.h"
#include "fnc/extended_pattern.h"

namespace cardo::fnc {
namespace {

using Lines = std::vector<std::string>;
constexpr std::size_t kCap = 100;

std::size_t Find(const std::string& line, char target, std::size_t from) {
  for (std::size_t i = from; i < line.size(); ++i) {
    if (line[i] == target) return i;
    if (Cp932LeadByte(static_cast<unsigned char>(line[i]))) ++i;
  }
  return std::string::npos;
}

// The recursive expansion, one group at a time, every produced line checked again.
void Recursive(const std::string& line, Lines& out) {
  const std::size_t open = Find(line, '[', 0);
  const std::size_t close = Find(line, ']', open + 1);
  const std::size_t dash = Find(line, '-', open + 1);
  const std::string start = line.substr(open + 1, dash - open - 1).substr(0, kBoundCut);
  const std::string end = line.substr(dash + 1, close - dash - 1).substr(0, kBoundCut);
  const BoundKind kind = ClassifyBound(start);
  const std::uint32_t a = *BoundValue(start, kind);
  const std::uint32_t b = *BoundValue(end, kind);
  const std::size_t width = start.size() == end.size() ? start.size() : 0;
  for (std::uint64_t v = std::min(a, b); v <= std::max(a, b) && out.size() < kCap; ++v) {
    const std::string produced = line.substr(0, open) +
                                 FormatValue(static_cast<std::uint32_t>(v), kind, width) +
                                 line.substr(close + 1);
    if (CheckPattern(produced, Cp932LeadByte) == kPatternOk) {
      Recursive(produced, out);
    } else {
      out.push_back(produced);
    }
  }
}

// The extended syntax takes a bound whole where the specified one cuts it to 13 bytes.
bool HasLongBound(const std::string& line) {
  std::size_t run = 0;
  for (const char c : line) {
    run = std::isalnum(static_cast<unsigned char>(c)) ? run + 1 : 0;
    if (run > kBoundCut) return true;
  }
  return false;
}

std::string RandomPattern(std::mt19937& random) {
  static const char* const kPieces[] = {"[",
                                        "]",
                                        "-",
                                        "0",
                                        "1",
                                        "9",
                                        "08",
                                        "10",
                                        "a",
                                        "z",
                                        "B",
                                        "r98",
                                        "s01",
                                        "x",
                                        "/",
                                        "\x83\x5B",
                                        "\x83\x5D",
                                        ",",
                                        "=",
                                        ":",
                                        "\\",
                                        " ",
                                        "[1-3]",
                                        "[a-c]",
                                        "[08-10]",
                                        "[3-1]",
                                        "[r99-s00]",
                                        "[A-B]",
                                        "[0000000000000001-2]",
                                        "\x83"};
  std::uniform_int_distribution<std::size_t> piece(0, std::size(kPieces) - 1);
  std::uniform_int_distribution<int> length(1, 9);
  std::string line;
  for (int n = length(random); n > 0; --n) line += kPieces[piece(random)];
  return line;
}

TEST(PatternDifferential, BothSyntaxesAgainstTheRecursiveExpansion) {
  std::mt19937 random(20261209);
  int expanded = 0, sharedForms = 0;
  for (int i = 0; i < 100000; ++i) {
    const std::string line = RandomPattern(random);
    const PatternCode code = CheckPattern(line, Cp932LeadByte);
    const auto parsed = Expansion::Parse(line, Cp932LeadByte);
    ASSERT_EQ(parsed.has_value(), code == kPatternOk) << line;
    if (!parsed) continue;
    Lines expected, got;
    Recursive(line, expected);
    parsed->ForEachLine([&](std::string_view produced) {
      got.emplace_back(produced);
      return got.size() < kCap;
    });
    ASSERT_EQ(got, expected) << line;
    ++expanded;

    if (line.find_first_of("\\,=:") != std::string::npos || HasLongBound(line)) continue;
    const auto extended = ExtendedExpansion::Parse(line, Cp932LeadByte);
    const auto* ext = std::get_if<ExtendedExpansion>(&extended);
    if (!ext || ext->LineCount() > kCap || parsed->LineCount() > kCap) continue;
    Lines ours;
    ext->ForEachLine([&](std::string_view produced) {
      ours.emplace_back(produced);
      return true;
    });
    std::sort(ours.begin(), ours.end());
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(ours, expected) << line;
    ++sharedForms;
  }
  // The random lines reach both comparisons often enough to mean something.
  EXPECT_GT(expanded, 10000);
  EXPECT_GT(sharedForms, 2000);
}

}  // namespace
}  // namespace cardo::fnc
