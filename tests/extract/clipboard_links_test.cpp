#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/extract/clipboard_links.h"
#include "app/extract/extract_to_list.h"
#include "app/list/messages.h"
#include "app/platform/text.h"
#include "tests/list/shell_fixture.h"
#include "tests/support/fakes.h"

namespace cardo {
namespace {

using Lines = std::vector<std::u16string>;
using testing::U;

// An HTML Format as browsers write it: ten-digit offsets computed for the markup, the
// fragment between the comments a browser puts around it.
std::string HtmlFormatOf(const std::string& fragment, const std::string& sourceUrl,
                         const std::string& eol = "\r\n") {
  const std::string before = "<html><body>" + eol + "<!--StartFragment-->";
  const std::string after = "<!--EndFragment-->" + eol + "</body></html>";
  auto header = [&](std::size_t startHtml) {
    auto number = [](std::size_t n) {
      char text[16];
      std::snprintf(text, sizeof text, "%010zu", n);
      return std::string(text);
    };
    const std::size_t startFragment = startHtml + before.size();
    const std::size_t endFragment = startFragment + fragment.size();
    std::string h = "Version:0.9" + eol + "StartHTML:" + number(startHtml) + eol +
                    "EndHTML:" + number(endFragment + after.size()) + eol +
                    "StartFragment:" + number(startFragment) + eol +
                    "EndFragment:" + number(endFragment) + eol;
    if (!sourceUrl.empty()) h += "SourceURL:" + sourceUrl + eol;
    return h;
  };
  const std::string h = header(0);
  return header(h.size()) + before + fragment + after;
}

TEST(ClipboardLinks, HtmlFormatHeaderGivesFragmentAndSource) {
  const std::string wholeHtml = "<html><body>x</body></html>";
  const std::string noOffsets = "Version:0.9\r\nSourceURL:http://h/p.html\r\n" + wholeHtml;
  const std::string htmlOnly = "Version:0.9\r\nStartHTML:0000000055\r\nEndHTML:0000000082\r\n" +
                               wholeHtml + "<!-- after -->";
  struct Case {
    const char* name;
    std::string data;
    std::string markup;
    std::string source;
  } cases[] = {
      {"CR LF", HtmlFormatOf("<a href=\"a.zip\">", "http://h/d/p.html"), "<a href=\"a.zip\">",
       "http://h/d/p.html"},
      {"LF", HtmlFormatOf("<b>x</b>", "http://h/", "\n"), "<b>x</b>", "http://h/"},
      {"no SourceURL", HtmlFormatOf("<i>y</i>", ""), "<i>y</i>", ""},
      {"UTF-8 fragment", HtmlFormatOf("画像.jpg", "http://h/"), "画像.jpg", "http://h/"},
      {"fragment offsets missing, HTML offsets used", htmlOnly, wholeHtml, ""},
      {"no offsets: all after the header", noOffsets, wholeHtml, "http://h/p.html"},
      {"a blank before the value", "SourceURL: http://h/s \r\n<p>", "<p>", "http://h/s"},
      {"fragment past the end", "StartFragment:5\r\nEndFragment:9999\r\n<p>", "<p>", ""},
      {"negative and reversed offsets",
       "StartHTML:-1\r\nEndHTML:-1\r\nStartFragment:20\r\nEndFragment:10\r\n<p>", "<p>", ""},
      {"offsets that overflow", "StartFragment:0\r\nEndFragment:99999999999999999999999\r\n<p>",
       "<p>", ""},
      {"not numbers", "StartFragment:ten\r\nEndFragment:0x20\r\n<p>", "<p>", ""},
      {"offsets past the first NUL",
       std::string("StartFragment:0\r\nEndFragment:40\r\n<p>\0<q>", 40), "<p>", ""},
      {"header without markup", "Version:0.9", "", ""},
      {"empty", "", "", ""},
  };
  // The hand-counted offsets hold for this exact text only.
  ASSERT_EQ(htmlOnly.find("<html>"), 55u);
  for (const Case& c : cases) {
    const HtmlFormat format = ParseHtmlFormat(c.data);
    EXPECT_EQ(format.markup, c.markup) << c.name;
    EXPECT_EQ(format.sourceUrl, c.source) << c.name;
  }
}

struct PasteCase {
  const char* name;
  std::optional<std::string> html;
  std::u16string text;
  Lines listed;  // the list before the paste
  bool skipListed;
  Lines expected;  // the list after it
};

TEST(ClipboardLinks, PasteTakesHtmlFormatElseTextThroughTheFilterEachUrlOnce) {
  Settings settings;
  settings.UrlExtProtocol = u"http://";
  settings.NotReturnSearch = 1;
  settings.UrlExtFilter = u"*.zip;*.jpg";
  const std::string links =
      "<a href=\"img/a.jpg\">a</a><a href=\"/top.zip\">t</a>\r\n"
      "<a href=\"http://other.jp/b.zip\">http://other.jp/b.zip</a><a href=\"img/a.jpg\">again</a>";
  const PasteCase cases[] = {
      {"relative links against SourceURL",
       HtmlFormatOf(links, "http://h.jp/dir/page.html"),
       u"ignored http://t.jp/t.zip",
       {},
       false,
       {u"http://h.jp/dir/img/a.jpg", u"http://h.jp/top.zip", u"http://other.jp/b.zip"}},
      {"links in the order of the selection, relative ones too",
       HtmlFormatOf("<p>1 <a href=\"r.zip\">r</a> and http://o.jp/a.zip <a "
                    "href=\"http://o.jp/b.zip\">b</a> c.zip</p>",
                    "http://h.jp/"),
       u"",
       {},
       false,
       {u"http://h.jp/r.zip", u"http://o.jp/a.zip", u"http://o.jp/b.zip", u"http://h.jp/c.zip"}},
      {"<base> inside the fragment wins",
       HtmlFormatOf("<base href=\"http://b.jp/x/\"><a href=\"c.zip\">", "http://h.jp/"),
       u"",
       {},
       false,
       {u"http://b.jp/x/c.zip"}},
      {"Japanese in the page's address and a character cp932 lacks in a link",
       HtmlFormatOf("<a href=\"a.jpg\">写真</a><a href=\"http://h.jp/\U0001F600.zip\">",
                    "http://h.jp/日本/p.html"),
       u"",
       {},
       false,
       {U("http://h.jp/日本/a.jpg"), u"http://h.jp/%F0%9F%98%80.zip"}},
      {"a character cp932 lacks ends a link outside a value, as on a page",
       HtmlFormatOf("http://h.jp/a.zip\U0001F600b.zip <a href=\"c\U0001F600.zip\">",
                    "http://h.jp/"),
       u"",
       {},
       false,
       {u"http://h.jp/a.zip", u"http://h.jp/b.zip", u"http://h.jp/c%F0%9F%98%80.zip"}},
      {"text: a character cp932 lacks percent-encoded, never a near match",
       std::nullopt,
       u"http://t.jp/caf\u00E9.zip http://t.jp/a" + std::u16string(1, char16_t(0xD800)) + u".zip",
       {},
       false,
       {u"http://t.jp/caf%C3%A9.zip", u"http://t.jp/a%EF%BF%BD.zip"}},
      {"offsets past the end: the whole HTML",
       "StartHTML:0000000052\r\nStartFragment:9999\r\nEndFragment:99999\r\n"
       "<html><a href=\"http://h.jp/w.zip\"></html>",
       u"",
       {},
       false,
       {u"http://h.jp/w.zip"}},
      {"an HTML Format without markup: the text",
       std::string("Version:0.9\r\n"),
       u"http://t.jp/t.zip",
       {},
       false,
       {u"http://t.jp/t.zip"}},
      {"text with two URLs on LF lines",
       std::nullopt,
       U("見て http://t.jp/1.zip\nhttp://t.jp/2.jpg を見てください。また http://t.jp/1.zip"),
       {},
       false,
       {u"http://t.jp/1.zip", u"http://t.jp/2.jpg"}},
      {"text: https and ftp besides the protocol set, in order",
       std::nullopt,
       u"ftp://f.jp/1.zip https://s.jp/2.zip\thttp://t.jp/3.zip",
       {},
       false,
       {u"ftp://f.jp/1.zip", u"https://s.jp/2.zip", u"http://t.jp/3.zip"}},
      {"full-width characters end a URL unless allowed",
       std::nullopt,
       U("http://t.jp/写真.jpg"),
       {},
       false,
       {}},
      {"the watcher skips what the list holds",
       std::nullopt,
       u"http://t.jp/old.zip\r\nhttp://t.jp/new.zip",
       {u"http://t.jp/old.zip"},
       true,
       {u"http://t.jp/old.zip", u"http://t.jp/new.zip"}},
      {"a paste does not",
       std::nullopt,
       u"http://t.jp/old.zip",
       {u"http://t.jp/old.zip"},
       false,
       {u"http://t.jp/old.zip", u"http://t.jp/old.zip"}},
  };
  for (const PasteCase& c : cases) {
    testing::ShellFixture f;
    for (const auto& line : c.listed) f.list.AppendLine(line);
    const LinkScan scan = PrepareLinkScan({c.html, c.text, false}, settings);
    const LinkPasteResult result =
        PasteLinksToList(scan, settings.UrlExtFilter, c.skipListed, f.shell);
    EXPECT_EQ(f.Lines(), c.expected) << c.name;
    EXPECT_EQ(result.added, static_cast<int>(c.expected.size() - c.listed.size())) << c.name;
    EXPECT_EQ(f.document.Modified(), result.added > 0) << c.name;
    EXPECT_EQ(f.list.SuspendDepth(), 0) << c.name;
  }
  settings.UrlTwinChar = 1;
  testing::ShellFixture f;
  PasteLinksToList(PrepareLinkScan({std::nullopt, U("http://t.jp/写真.jpg 次"), false}, settings),
                   settings.UrlExtFilter, false, f.shell);
  EXPECT_EQ(f.Lines(), Lines{U("http://t.jp/写真.jpg")});
}

// The parsed-HTML mode chosen in the extraction dialog, for files or for downloads, reads the
// markup as a browser does: no CSS or attribute junk, URLs of the text kept, quoted values
// whole even after a ">" inside another value.
TEST(ClipboardLinks, TheParsedModeReadsTheMarkupAsABrowserDoes) {
  const std::string markup =
      "<style>p.zip { }</style><a title=\"x>y\" href='r r.zip'>r</a>\r\n"
      "<span id=s.zip>see http://o.jp/a.zip</span><img\r\nsrc=i.jpg>";
  const struct {
    const char* name;
    std::int16_t mode, parsed;
    ExtractMode scanned;
  } cases[] = {
      {"the HTML mode", 1, 0, ExtractMode::Download},
      {"the parsed mode", 3, 0, ExtractMode::Parsed},
      {"the URL page parsing", 2, 1, ExtractMode::Parsed},
  };
  for (const auto& c : cases) {
    Settings settings;
    settings.UrlExtFilter = u"*.zip;*.jpg";
    settings.UrlExtSelMode = c.mode;
    settings.UrlExtParsed = c.parsed;
    const LinkScan scan =
        PrepareLinkScan({HtmlFormatOf(markup, "http://h.jp/d/"), u"", false}, settings);
    EXPECT_EQ(scan.options.mode, c.scanned) << c.name;
    if (c.scanned != ExtractMode::Parsed) continue;
    testing::ShellFixture f;
    PasteLinksToList(scan, settings.UrlExtFilter, false, f.shell);
    EXPECT_EQ(f.Lines(),
              (Lines{u"http://h.jp/d/r%20r.zip", u"http://o.jp/a.zip", u"http://h.jp/d/i.jpg"}))
        << c.name;
  }
}

TEST(ClipboardLinks, APasteIntoANearlyFullListAddsWhatFitsAndSaysSoOnce) {
  testing::ShellFixture f;
  f.list.AppendLines(Lines(kMaxListLines - 1, u"x"), false);
  Settings settings;
  settings.UrlExtProtocol = u"http://";
  const LinkPasteResult result = PasteLinksToList(
      PrepareLinkScan({std::nullopt, u"http://a.jp/1 http://a.jp/2 http://a.jp/3", false},
                      settings),
      u"", false, f.shell);
  EXPECT_EQ(result.added, 1);
  EXPECT_TRUE(result.listFull);
  EXPECT_EQ(f.list.Line(kMaxListLines - 1), u"http://a.jp/1");
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].text, msg::kListFull);
}

}  // namespace
}  // namespace cardo
