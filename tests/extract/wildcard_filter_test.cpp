#include <gtest/gtest.h>

#include <random>
#include <string>

#include "app/extract/filter_gate.h"
#include "app/extract/wildcard_filter.h"
#include "app/list/memory_url_list.h"
#include "tests/list/shell_fixture.h"

namespace cardo {
namespace {

TEST(WildcardFilter, Patterns) {
  const std::u16string manyA(10000, u'a');
  const struct {
    const char16_t* pattern;
    const char16_t* text;
    bool matches;
  } cases[] = {
      {u"*.zip", u"http://a/b.zip", true},
      {u"*.zip", u"http://a/b.ZIP", true},  // case folded
      {u"*.zip", u"http://a/b.zip.html", false},
      {u"zip", u"zip", true},
      {u"zip", u"a.zip", false},
      {u"", u"", true},
      {u"", u"x", false},
      {u"*", u"", true},
      {u"?", u"", false},
      {u"a?c", u"abc", true},
      {u"img##.jpg", u"img07.jpg", true},
      {u"img##.jpg", u"imgx7.jpg", false},
      {u"[abc]x", u"bx", true},
      {u"[!abc]x", u"bx", false},
      {u"[!abc]x", u"dx", true},
      {u"[a-c]", u"b", true},
      {u"[a-c]", u"d", false},
      {u"[-a]", u"-", true},    // "-" first is itself
      {u"[a-]", u"-", true},    // and last
      {u"[*?#[]", u"#", true},  // inside brackets these are themselves
      {u"a]b!", u"a]b!", true},
      {u"[#]1", u"#1", true},
      {u"[z-a]", u"m", false},         // a descending range matches nothing
      {u"[abc", u"[abc", false},       // an unclosed bracket matches nothing
      {u"*\uFF41", u"X\uFF21", true},  // full-width letters fold too
      {u"*a*a*a*a*a*a*a*a*b", manyA.c_str(), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WildcardMatch(c.pattern, c.text), c.matches)
        << std::u16string(c.pattern).size() << " " << std::u16string(c.text).size();
  }
}

TEST(WildcardFilter, Combinations) {
  const struct {
    const char16_t* filter;
    const char16_t* url;
    int count;
  } cases[] = {
      {u"", u"http://a/b.html", 1},
      {u"", u"http://a/b", 0},
      {u"*.zip;*.html", u"http://a/B.ZIP", 1},
      {u"*.zip;*.html", u"http://a/b.txt", 0},
      {u"*.zip;*.*", u"http://a/b.zip", 2},
      {u"*.zip;*.*", u"http://a/b.txt", 1},
      {u"!*.cgi", u"http://a/b.html", 1},
      {u"!*.cgi", u"http://a/b.CGI", 0},
      {u"!*.cgi;*.zip", u"http://a/b.zip", 1},
      {u"!*.cgi;*.zip", u"http://a/b.cgi", 0},
      {u"!*.cgi;*.zip", u"http://a/b.html", 0},
      {u"*.zip;*.html;!*.cgi", u"http://a/b.zip", 0},
      {u"!*.cgi;", u"http://a/b.zip", 0},  // an empty positive pattern matches nothing here
      {u"*.zip; *.gif", u"http://a/b.gif", 0},
      {u"*.zip; *.gif", u" http://a/b.gif", 1},
      {u"lzh;zip;jpg;gif", u"zip", 1},
      {u"lzh;zip;jpg;gif", u"a.zip", 0},
      {u"!", u"x", 1},
      {u"!", u"", 0},
      {u"!!x", u"!x", 0},
      {u"[abc;*.zip", u"http://a/b.zip", 1},  // a malformed pattern leaves the others working
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CompiledFilter(c.filter).AppendCount(c.url), c.count)
        << std::u16string(c.filter).size() << " " << std::u16string(c.url).size();
  }
}

// Backtracking over the pattern, the slow obvious way, for comparison.
bool Reference(std::u16string_view p, std::u16string_view t) {
  if (p.empty()) return t.empty();
  if (p[0] == u'*') return Reference(p.substr(1), t) || (!t.empty() && Reference(p, t.substr(1)));
  if (t.empty()) return false;
  std::size_t used = 1;
  bool one = p[0] == u'?' || p[0] == t[0] || (p[0] == u'#' && t[0] >= u'0' && t[0] <= u'9');
  if (p[0] == u'[') {
    used = p.find(u']') + 1;
    one = t[0] >= p[1] && t[0] <= p[3];
  }
  return one && Reference(p.substr(used), t.substr(1));
}

TEST(WildcardMatch, AgreesWithBacktrackingOnRandomPatterns) {
  std::mt19937 rng(7);
  const std::u16string pieces[] = {u"a", u"b", u"*", u"?", u"#", u"[a-b]", u"1"};
  const std::u16string letters = u"ab1c";
  for (int round = 0; round < 20000; ++round) {
    std::u16string pattern, text;
    for (int k = static_cast<int>(rng() % 7); k > 0; --k) pattern += pieces[rng() % 7];
    for (int k = static_cast<int>(rng() % 8); k > 0; --k) text += letters[rng() % 4];
    ASSERT_EQ(WildcardMatch(pattern, text), Reference(pattern, text))
        << std::string(pattern.begin(), pattern.end()) << " "
        << std::string(text.begin(), text.end());
  }
}

TEST(FilterGate, OffersTheUrlAsOftenAsTheFilterSaysUntilTheListIsFull) {
  testing::ShellFixture f;
  PendingLines pending(f.list);
  AddOncePerMatchingPattern(u"http://A/B.ZIP",
                            CompiledFilter(u"*.zip;*.*").AppendCount(u"http://A/B.ZIP"), pending);
  EXPECT_EQ(pending.Gathered(), 2u);
  for (int i = 2; i < kMaxListLines; ++i) f.list.AppendLine(u"x");
  PendingLines full(f.list);
  AddOncePerMatchingPattern(u"http://A/B.ZIP", 2, full);
  EXPECT_EQ(full.Gathered(), 2u);
  AddOncePerMatchingPattern(u"http://A/C.ZIP", 1, full);
  EXPECT_TRUE(full.Full());
}

}  // namespace
}  // namespace cardo
