#include <gtest/gtest.h>

#include "app/shell/command_line.h"

namespace cardo {
namespace {

using Args = std::vector<std::u16string>;

TEST(CommandLine, SplitsAtSpacesAndJoinsQuotes) {
  const struct {
    const char16_t* tail;
    Args args;
  } cases[] = {
      {u"", {u""}},
      {u"a.lst", {u"a.lst"}},
      {u"a.lst b.lst", {u"a.lst", u"b.lst"}},
      {u"a  b", {u"a", u"", u"b"}},  // a run of spaces gives empty arguments
      {u"\"C:\\a.lst\"", {u"C:\\a.lst"}},
      {u"\"C:\\My Documents\\a b.lst\" x", {u"C:\\My Documents\\a b.lst", u"x"}},
      {u"\"C:\\My  Documents\\a.lst\"", {u"C:\\My  Documents\\a.lst"}},  // inner runs kept
      {u"\"", {u" "}},
      {u"\"\"", {u""}},
      {u"\"a b", {u"a b "}},  // never closed: the rest of the line
      {u"\"a b c", {u"a b c "}},
      {u"x \"y", {u"x", u"y "}},
      {u" a", {u"", u"a"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseCommandLine(c.tail, nullptr), c.args) << std::u16string(c.tail).size();
  }
}

TEST(CommandLine, LongPathFormReplacesAnArgumentWhenTheSystemHasOne) {
  const auto longPath = [](const std::u16string& arg) -> std::optional<std::u16string> {
    if (arg == u"C:\\MYDOCU~1\\A.LST") return u"C:\\My Documents\\a.lst";
    return std::nullopt;
  };
  const Args expected = {u"C:\\My Documents\\a.lst", u"other"};
  EXPECT_EQ(ParseCommandLine(u"C:\\MYDOCU~1\\A.LST other", longPath), expected);
}

}  // namespace
}  // namespace cardo
