#include "app/scan/html_tokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace cardo {
namespace {

// Each start tag as "name attribute=[value] ...", and the text run together.
class Record final : public HtmlTokenHandler {
 public:
  void StartTag(std::string_view name, std::span<const HtmlAttribute> attributes) override {
    std::string tag(name);
    for (const HtmlAttribute& a : attributes) {
      tag.append(" ").append(a.name).append("=[").append(a.value).append("]");
    }
    tags.push_back(tag);
  }
  void Text(std::string_view bytes) override { text += bytes; }
  std::vector<std::string> tags;
  std::string text;
};

Record Feed(const std::vector<std::string_view>& pieces) {
  Record record;
  HtmlTokenizer tokenizer(record);
  for (std::string_view piece : pieces) tokenizer.Feed(piece);
  return record;
}

TEST(HtmlTokenizer, TagsAndTextWhereverThePiecesEnd) {
  const std::string_view page =
      "<A HREF=\"x.html\" Title='T'>text<IMG\r\nsrc=a.png ALT=b/><!-- c --><p class=x>more</p>"
      "<script>if (a<b) x='<a href=no>'</SCRIPT ><div data-src = \"q\" =x>end</a title=\">\">"
      "<title>a<b</title><Br/><img srcset=\"1.png 1x,\n2.png 2x\">";
  const std::vector<std::string> tags = {"a href=[x.html] title=[T]",
                                         "img src=[a.png] alt=[b/]",
                                         "p class=[x]",
                                         "script",
                                         "div data-src=[q] =x=[]",
                                         "title",
                                         "br",
                                         "img srcset=[1.png 1x,\n2.png 2x]"};
  const Record whole = Feed({page});
  EXPECT_EQ(whole.tags, tags);
  EXPECT_EQ(whole.text, "textmoreendab");
  // A tag cut anywhere, once or twice, reads as the whole page does.
  for (std::size_t first = 0; first <= page.size(); ++first) {
    for (std::size_t second = first; second <= page.size(); second += 7) {
      const Record cut =
          Feed({page.substr(0, first), page.substr(first, second - first), page.substr(second)});
      ASSERT_EQ(cut.tags, tags) << first << " " << second;
      ASSERT_EQ(cut.text, whole.text) << first << " " << second;
    }
  }
  std::vector<std::string_view> bytes;
  for (std::size_t i = 0; i < page.size(); ++i) bytes.push_back(page.substr(i, 1));
  EXPECT_EQ(Feed(bytes).tags, tags);
}

}  // namespace
}  // namespace cardo
