// The link check's words in the window: every status in Japanese, and rows as TAB text.
#include <gtest/gtest.h>

#include "app/check/link_check_text.h"
#include "app/platform/text.h"

namespace cardo {
namespace {

TEST(LinkCheckTextTest, EveryResultHasAJapaneseStatus) {
  auto result = [](LinkVerdict verdict, int status, LinkFailure failure = LinkFailure::None) {
    LinkResult r;
    r.verdict = verdict;
    r.status = status;
    r.failure = failure;
    return r;
  };
  LinkResult loop = result(LinkVerdict::Error, 302);
  loop.loop = true;
  LinkResult hops = result(LinkVerdict::Error, 301);
  hops.tooManyHops = true;
  const struct {
    LinkResult result;
    const char* label;
  } cases[] = {
      {result(LinkVerdict::Alive, 206), "206 正常"},
      {result(LinkVerdict::Dead, 404), "404 無効"},
      {result(LinkVerdict::Dead, 503), "503 無効"},
      {result(LinkVerdict::Error, 304), "304 エラー"},
      {result(LinkVerdict::Error, 0), "エラー"},
      {result(LinkVerdict::Dead, 0, LinkFailure::Dns), "ホスト名不明"},
      {result(LinkVerdict::Dead, 0, LinkFailure::Refused), "接続拒否"},
      {result(LinkVerdict::Error, 0, LinkFailure::Tls), "TLSエラー"},
      {result(LinkVerdict::Error, 0, LinkFailure::TimedOut), "時間切れ"},
      {result(LinkVerdict::Error, 0, LinkFailure::Closed), "接続が切れました"},
      {result(LinkVerdict::NotChecked, 0, LinkFailure::Cancelled), "未確認"},
      {result(LinkVerdict::NotChecked, 0), "未確認"},
      {loop, "転送のループ"},
      {hops, "転送が多すぎます"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Utf16ToUtf8(StatusLabel(c.result)), c.label);
  }
}

TEST(LinkCheckTextTest, RowsStayOneLineOfTheirFieldsEach) {
  EXPECT_EQ(TabSeparatedRows({{u"404 無効", u"http://h/a\tb", u"line\r\nbreak", u""},
                              {u"200 正常", u"http://h/", u"", u"x"}}),
            u"404 無効\thttp://h/a b\tline  break\t\r\n200 正常\thttp://h/\t\tx\r\n");
  EXPECT_EQ(TabSeparatedRows({}), u"");
}

}  // namespace
}  // namespace cardo
