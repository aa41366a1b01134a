#include "app/list/link_pages.h"

#include <gtest/gtest.h>

#include "app/list/pending_lines.h"
#include "app/platform/text.h"
#include "tests/list/shell_fixture.h"

namespace cardo {
namespace {

using Lines = std::vector<std::u16string>;

TEST(LinkPages, RecordCarryAndClearKeepOnePagePerText) {
  LinkPages pages;
  const Lines listed = {u"http://a/1", u"http://a/2", u"x"};
  pages.Record({listed.data(), 2}, u"http://p/", listed);
  pages.Record({listed.data() + 2, 1}, u"", listed);  // no page: nothing recorded
  pages.Record({listed.data() + 1, 1}, u"http://q/", listed);
  pages.Carry(u"http://a/1", u"http://a/1b", listed);
  pages.Carry(u"x", u"y", listed);  // x has no page to carry
  const struct {
    const char16_t* line;
    const char16_t* page;
  } cases[] = {
      {u"http://a/1", u"http://p/"},
      {u"http://a/1b", u"http://p/"},
      {u"http://a/2", u"http://q/"},
      {u"x", u""},
      {u"y", u""},
      {u"http://a/3", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(pages.PageOf(c.line), c.page) << Utf16ToUtf8(c.line);
  pages.Clear();
  EXPECT_EQ(pages.PageOf(u"http://a/1"), u"");
  EXPECT_EQ(pages.Size(), 0u);
}

TEST(LinkPages, TextsNoLongerListedAreForgottenAtTheBoundAndTheListedKeepTheirPages) {
  LinkPages pages;
  Lines gone;
  for (std::size_t i = 0; i < LinkPages::kMaxLines; ++i)
    gone.push_back(u"g" + DecimalText(static_cast<long long>(i)));
  pages.Record(gone, u"http://old/", gone);
  const Lines listed = {u"g7", u"new1", u"new2"};
  pages.Record({listed.data() + 1, 1}, u"http://p1/", listed);  // meets the bound
  pages.Record({listed.data() + 2, 1}, u"http://p2/", listed);
  EXPECT_EQ(pages.Size(), 3u);
  EXPECT_EQ(pages.PageOf(u"g7"), u"http://old/");
  EXPECT_EQ(pages.PageOf(u"g8"), u"");
  EXPECT_EQ(pages.PageOf(u"new1"), u"http://p1/");
  EXPECT_EQ(pages.PageOf(u"new2"), u"http://p2/");
}

TEST(PendingLines, EachPagesLinesGetThatPageAndRefusedLinesNone) {
  testing::ShellFixture f;
  f.list.AppendLine(u"typed");
  PendingLines pending(f.list);
  pending.Add(u"none");
  pending.SetPage(u"http://p1/");
  pending.Add(u"a");
  pending.Add(u"b");
  pending.Flush(f.shell);
  pending.Add(u"c");  // the page holds across a flush
  pending.SetPage(u"http://p2/");
  pending.SetPage(u"http://p3/");  // no line between: the later one counts
  pending.Add(u"d");
  pending.SetPage(u"");
  pending.Add(u"e");
  // The list fills while the lines wait: the last ones are refused, and get no page.
  while (f.list.Count() < kMaxListLines - 1) f.list.AppendLine(u"filler");
  pending.Recheck(f.list);
  pending.Commit(f.shell);
  const struct {
    const char16_t* line;
    const char16_t* page;
  } cases[] = {{u"typed", u""},
               {u"none", u""},
               {u"a", u"http://p1/"},
               {u"b", u"http://p1/"},
               {u"c", u"http://p1/"},
               {u"d", u""},
               {u"e", u""}};
  for (const auto& c : cases) {
    EXPECT_EQ(f.document.Pages().PageOf(c.line), c.page) << Utf16ToUtf8(c.line);
  }
  EXPECT_EQ(f.list.Line(kMaxListLines - 1), u"c");
}

}  // namespace
}  // namespace cardo
