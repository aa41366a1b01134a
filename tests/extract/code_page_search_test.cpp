#include "app/extract/code_page_search.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "app/extract/code_page_codes.h"

namespace cardo {
namespace {

// The deletion as a search of the codes would make it: whole characters, left to right.
std::string LiteralDelete(const std::string& line, const std::string& what) {
  const CodeText codes = DecodeCodePage(line);
  const CodeText word = DecodeCodePage(what);
  CodeText out;
  for (std::size_t at = 0; at < codes.size();) {
    if (codes.compare(at, word.size(), word) == 0) {
      at += word.size();
    } else {
      out += codes[at++];
    }
  }
  return EncodeCodePage(out);
}

TEST(CodePageSearch, DeletesWholeCharactersOnly) {
  const struct {
    std::string line;
    std::string what;
    std::string kept;
  } cases[] = {
      {"a/b/a/", "a/", "b/"},
      {"aaaaa", "aa", "a"},  // left to right, never overlapping
      {"\x82\x61"
       "a",
       "a", "\x82\x61"},  // 0x61 after a lead byte is a trail byte
      {"\x82\x61\x82\x61", "\x61\x82", "\x82\x61\x82\x61"},
      {"x\x82", "\x82", "x"},  // a lead byte alone at the end is a character
      {"\x82\x61\x82", "\x82", "\x82\x61"},
      {"abc", "abcd", "abc"},
      {"abc", "", "abc"},
  };
  for (const auto& c : cases) {
    std::string line = c.line;
    DeleteAllCharacters(line, DecodeCodePage(c.what));
    EXPECT_EQ(line, c.kept) << c.line << " - " << c.what;
  }
}

TEST(CodePageSearch, AgreesWithTheCodesOnRandomLines) {
  std::mt19937 rng(31);
  const std::string pieces[] = {"a", "b", "/", "\x82", "\x82\xA0", "\x61", "\x82\x61"};
  for (int round = 0; round < 3000; ++round) {
    std::string line;
    std::string what;
    for (int k = static_cast<int>(rng() % 40); k > 0; --k) line += pieces[rng() % 7];
    for (int k = static_cast<int>(rng() % 4) + 1; k > 0; --k) what += pieces[rng() % 7];
    const std::string expected = LiteralDelete(line, what);
    DeleteAllCharacters(line, DecodeCodePage(what));
    ASSERT_EQ(line, expected) << round;
  }
}

}  // namespace
}  // namespace cardo
