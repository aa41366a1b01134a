#include "app/info/topic_file.h"

#include <gtest/gtest.h>

#include "app/platform/codec.h"
#include "app/platform/file_system.h"

namespace cardo {
namespace {

TEST(TopicFile, SectionRules) {
  const struct {
    std::u16string file;
    std::u16string key;
    std::u16string text;
  } cases[] = {
      {u"intro\r\n[KEY]:a\r\nx\r\n'note\r\ny\r\n[KEY]:b\r\nz\r\n", u"a", u"x\r\ny\r\n"},
      {u"[KEY]:a\r\nx\r\n[KEY]:b\r\nz", u"b", u"z\r\n"},            // the last line gets its CR LF
      {u"[KEY]:a \r\nx\r\n", u"a", u""},                            // a trailing space is no marker
      {u"[KEY]:A\r\nx\r\n", u"a", u""},                             // nor another letter case
      {u"[KEY]:a\r\nx\r\n' see [KEY]:b\r\ny\r\n", u"a", u"x\r\n"},  // the end test comes first
      {u"[KEY]:a\r\nfirst\r\n[KEY]:a\r\nsecond\r\n", u"a", u"first\r\n"},
      {u"x\r\n[KEY]:a", u"a", u""},  // a marker as the last line
      {u"[KEY]:a\rx\ry\r", u"a", u"x\r\ny\r\n"},
      {u"", u"a", u""},
      {u"[KEY]:reget/iria\r\n\r\nbody\r\n", u"reget/iria", u"\r\nbody\r\n"},
      {u"\u0000\u00FF[KEY]:a\r\n\u0001", u"a", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(TopicText(c.file, c.key), c.text);
}

TEST(TopicFile, EveryShippedTopicHasText) {
  const auto bytes = SystemFileSystem().ReadAll(CARDO_TOPIC_FILE_FOR_TESTS);
  ASSERT_TRUE(bytes.has_value());
  const std::u16string file = AnsiToWide(*bytes);
  for (const char16_t* key : {u"gen_list", u"spear_url", u"filter", u"baseurl", u"reget/iria",
                              u"other", u"clipboard", u"list"}) {
    const std::u16string text = TopicText(file, key);
    EXPECT_GT(text.size(), 200u) << std::u16string(key).size();
    EXPECT_TRUE(text.ends_with(u"\r\n"));
  }
}

}  // namespace
}  // namespace cardo
