// One address, every reader: a link's join on a page, a Location's join, the link check's
// request and the export's line give the same address for each shape that once set them apart.
#include <gtest/gtest.h>

#include <atomic>
#include <vector>

#include "app/check/link_check.h"
#include "app/export/export.h"
#include "app/platform/text.h"
#include "app/scan/url_scanner.h"
#include "app/text/line_source.h"
#include "app/url/web_address.h"

namespace cardo {
namespace {

constexpr char16_t kPage[] = u"http://h/a/b/c";

// The address the check's first request for `line` goes to.
std::u16string CheckTarget(std::u16string_view line) {
  struct Recorder final : LinkTransport {
    LinkAnswer Ask(const LinkRequest& request, const std::atomic<bool>&) override {
      if (asked.empty()) asked = request.url;
      LinkAnswer answer;
      answer.status = 200;
      return answer;
    }
    std::u16string asked;
  } recorder;
  const std::atomic<bool> cancelled{false};
  static_cast<void>(CheckOneLink(line, recorder, std::chrono::seconds(1), cancelled));
  return recorder.asked;
}

// The list line the parsed scan makes of a link to `href` on kPage.
std::u16string LinkLine(std::u16string_view href) {
  ExtractOptions options;
  options.mode = ExtractMode::Parsed;
  options.pageUrl = kPage;
  const std::string page = Utf16ToUtf8(u"<a href=\"" + std::u16string(href) + u"\">");
  TextLineSource source(page);
  std::vector<std::u16string> found;
  ExtractUrls(source, options, [&](std::u16string_view url) { found.emplace_back(url); });
  return found.size() == 1 ? found[0] : u"(" + DecimalText(found.size()) + u" links)";
}

TEST(AddressAgreement, ALinkARedirectTheCheckAndTheExportNameOneAddress) {
  const struct {
    const char16_t* probe;
    const char16_t* address;
  } cases[] = {
      {u"http://127.0.0.1:8765/a\\b.jpg", u"http://127.0.0.1:8765/a/b.jpg"},
      {u"http://localhost\\a/b.jpg", u"http://localhost/a/b.jpg"},
      {u"/\\other/x", u"http://other/x"},
      {u"\\\\other\\x", u"http://other/x"},
      {u"..\\d", u"http://h/a/d"},
      {u"%2e%2e/x", u"http://h/a/x"},
      {u"./%2E/y", u"http://h/a/b/y"},
      {u"/a/.%2e/z", u"http://h/z"},
      {u"/dot/../up/./", u"http://h/up/"},
      {u"http://h", u"http://h/"},
      {u"HTTP://U:P@H:80/資料/一覧.html?問",
       u"http://U:P@h/%E8%B3%87%E6%96%99/%E4%B8%80%E8%A6%A7.html?%E5%95%8F"},
      {u"http://[0::1]:8080/x y", u"http://[::1]:8080/x%20y"},
      {u"http://0x7f.1/", u"http://127.0.0.1/"},
      {u"//例え.jp/a", u"http://xn--r8jz45g.jp/a"},
  };
  RedirectChain redirect(*ParseUrl(kPage));
  for (const auto& c : cases) {
    const std::string what = Utf16ToUtf8(c.probe);
    const std::u16string link = LinkLine(c.probe);
    const auto linked = ParseUrl(link);
    ASSERT_TRUE(linked) << what << " gave " << Utf16ToUtf8(link);
    EXPECT_EQ(linked->Href(), c.address) << what;
    const auto located = redirect.Target(Utf16ToUtf8(c.probe));
    ASSERT_TRUE(located) << what;
    EXPECT_EQ(located->Href(), c.address) << what;
    // The list line the link gave, and an absolute probe typed as a line itself.
    std::vector<std::u16string> lines = {link};
    if (ParseUrl(c.probe)) lines.emplace_back(c.probe);
    for (const std::u16string& line : lines) {
      EXPECT_EQ(CheckTarget(line), c.address) << Utf16ToUtf8(line);
      EXPECT_EQ(OtherExportUrl(line), Utf16ToUtf8(c.address)) << Utf16ToUtf8(line);
    }
  }
}

}  // namespace
}  // namespace cardo
