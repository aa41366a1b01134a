#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "app/scan/absolute_pass.h"
#include "tests/extract/extract_to_list_steps.h"
#include "app/scan/html_scan.h"
#include "app/scan/relative_url.h"
#include "app/scan/url_characters.h"
#include "app/scan/url_scanner.h"
#include "app/text/page_encoding.h"
#include "app/list/memory_url_list.h"
#include "app/list/messages.h"
#include "app/platform/text.h"
#include "cli/extract_command.h"
#include "tests/list/shell_fixture.h"
#include "tests/support/fakes.h"

namespace cardo {
namespace {

using Urls = std::vector<std::string>;

// Runs the scanner over UTF-8 text and returns the candidates.
Urls Scan(const std::string& utf8, ExtractOptions options, Repeats repeats = Repeats::Dropped) {
  TextLineSource source(utf8);
  Urls found;
  ExtractUrls(
      source, options, [&](std::u16string_view url) { found.push_back(Utf16ToUtf8(url)); },
      repeats);
  return found;
}

ExtractOptions Text(bool fullWidth = false, bool noLineBreak = false,
                    std::u16string p = u"http://") {
  ExtractOptions o;
  o.mode = ExtractMode::Text;
  o.fullWidth = fullWidth;
  o.notReturnSearch = noLineBreak;
  o.protocol = std::move(p);
  return o;
}

ExtractOptions Several(std::u16string p, std::vector<std::u16string> more) {
  ExtractOptions o = Text(false, false, std::move(p));
  o.moreProtocols = std::move(more);
  return o;
}

ExtractOptions Html(std::u16string box = u"") {
  ExtractOptions o;
  o.mode = ExtractMode::Html;
  o.baseUrlBox = std::move(box);
  return o;
}

TEST(UrlScanner, TextMode) {
  const struct {
    const char* name;
    std::string text;
    ExtractOptions options;
    Urls urls;
  } cases[] = {
      {"capitals", "see HTTP://Example.com/A.html now", Text(), {"http://Example.com/A.html"}},
      {"two with one space",
       "http://a.com/1 http://b.com/2",
       Text(),
       {"http://a.com/1", "http://b.com/2"}},
      {"joined by and",
       "http://a/x.zip and http://b/y.zip",
       Text(),
       {"http://a/x.zip", "http://b/y.zip"}},
      {"joined by a lone LF",
       "http://a/x.zip\nhttp://b/y.zip",
       Text(),
       {"http://a/x.zip", "http://b/y.zip"}},
      {"back to back", "http://a/(http://b/)", Text(), {"http://a/", "http://b/"}},
      {"seven characters later",
       "http://a.com/1 and then http://b.com/2",
       Text(),
       {"http://a.com/1", "http://b.com/2"}},
      {"japanese ends it", "http://a.jp/画像　です", Text(false), {"http://a.jp/"}},
      {"full width", "http://a.jp/画像　です", Text(true), {"http://a.jp/画像　です"}},
      {"continues", "x http://a.com/ab\r\ncd ef\r\n", Text(), {"http://a.com/abcd"}},
      {"no continuation", "x http://a.com/ab\r\ncd ef\r\n", Text(false, true), {"http://a.com/ab"}},
      {"own line starts with it", "http://a.com/ab\r\ncd\r\n", Text(), {"http://a.com/ab"}},
      {"swallows the next url",
       "x http://a.com/\r\nhttp://b.com/\r\n",
       Text(),
       {"http://a.com/http://b.com/"}},
      {"last line", "x http://a.com/end", Text(), {"http://a.com/end"}},
      {"protocol alone", "http:// x", Text(), {"http://"}},
      {"a lone LF ends a line as CR LF does", "x http://a.com/a\nb", Text(), {"http://a.com/ab"}},
      {"other protocol",
       "ftp://f.org/x mailto:a@b.c",
       Text(false, false, u"mailto:"),
       {"mailto:a@b.c"}},
      {"capital protocol never matches", "HTTP://A", Text(false, false, u"HTTP://"), {}},
      {"empty protocol", "anything", Text(false, false, u""), {}},
      {"several protocols in the order they stand",
       "ftp://f/1 https://s/2 HTTP://h/3 ttp://t/4",
       Several(u"ttp://", {u"http://", u"https://", u"ftp://"}),
       {"ftp://f/1", "https://s/2", "http://h/3", "ttp://t/4"}},
      {"an empty main protocol leaves the others",
       "x https://s/a\r\nb",
       Several(u"", {u"https://", u"https://"}),
       {"https://s/ab"}},
      {"a line starting with any of them does not go on",
       "see ftp://f/a\r\nhttps://s/b\r\nc",
       Several(u"http://", {u"https://", u"ftp://"}),
       {"ftp://f/ahttps://s/b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Scan(c.text, c.options), c.urls) << c.name;
}

TEST(UrlScanner, HtmlMode) {
  const struct {
    const char* name;
    std::string text;
    ExtractOptions options;
    Urls urls;
  } cases[] = {
      {"anchor repeats the url",
       "<a href=\"http://a.com/x.zip\">http://a.com/x.zip</a>",
       Html(),
       {"http://a.com/x.zip"}},
      {"two separators",
       "http://a.com/1 and file:///c/d.txt",
       Html(),
       {"http://a.com/1", "file:///c/d.txt"}},
      {"relative and skips", "<img src=\"img/a.gif\"> e.g. mail a@b.com.", Html(), {"/img/a.gif"}},
      {"a prefix leaves the longer url whole",
       "<a href=\"https://www.python.org/\"><a href=\"https://www.python.org/psf/donations/\">",
       Html(),
       {"https://www.python.org/", "https://www.python.org/psf/donations/"}},
      {"only whole runs are deleted",
       "http://a/x http://a/x/y http://a/x ahttp://a/x",
       Html(),
       {"http://a/x", "http://a/x/y", "ahttp://a/x"}},
      {"separator at line start",
       "://a.com/x http://b.com/",
       Html(),
       {"/://a.com/x", "/http://b.com/"}},  // only the relative pass sees them
      {"separator at line end", "see http://", Html(), {}},
      {"base line",
       "a.html\r\n<base href=\"http://b.org/d/\">\r\nc.html\r\n",
       Html(),
       {"/a.html", "http://b.org/d/c.html"}},
      {"base box wins",
       "<base href=\"http://b.org/d/\">\r\nc.html\r\n",
       Html(u"http://box/x/"),
       {"http://box/x/c.html"}},  // not taken as the base, and no link
      {"base without href resets",
       "<base href=\"http://b.org/d/\">\r\n<base target=x>\r\nc.html",
       Html(),
       {"/c.html"}},
      {"target then anchor",
       "<base target=_top><a href=\"http://x.org/y/\">",
       Html(),
       {"http://x.org/y/"}},
      {"a base in Japanese is no link, the text's URL is",
       "<base href=\"http://b/画/\">http://b/画/ x.html\r\n",
       Html(),
       {"http://b/", "http://b/画/x.html"}},  // outside a value 画 ends a URL
      {"unclosed quote takes the rest",
       "<base href=\"http://b.org/d/ x.html\r\nc.html",
       Html(),
       {"http://b.org/d/c.html"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Scan(c.text, c.options), c.urls) << c.name;
}

TEST(UrlScanner, HtmlModeReadsCharacterReferences) {
  const struct {
    const char* text;
    Urls urls;
  } cases[] = {
      {"<a href=\"https://bugs.python.org/issue?&#64;action=redirect&amp;bpo=12782\">",
       {"https://bugs.python.org/issue?@action=redirect&bpo=12782"}},
      {"<a href=\"a.cgi?x=1&amp;y=2&#x26;z=&eacute;&bogus;&amp\">",
       {"/a.cgi?x=1&y=2&z=\u00e9&bogus;&amp"}},
      {"&lt;http://x.org/a.html&gt; and &quot;b.html&quot;", {"http://x.org/a.html", "/b.html"}},
      {"<a href=\"c.html&#32;d&nbsp;e\">", {"/c.html"}},
      {"<a href=\"d.html?&#0;&#x1D504;\">", {"/d.html?\ufffd\U0001d504"}},
      {"<a href=\"e.html?&#150;\">", {"/e.html?\u2013"}},
      {"<a href=\"mail&#64;host.org\">", {}},  // a mail address once read
  };
  for (const auto& c : cases) EXPECT_EQ(Scan(c.text, Html()), c.urls) << c.text;
}

TEST(UrlScanner, JapaneseInQuotedValuesBelongsToTheUrl) {
  const struct {
    const char* text;
    Urls urls;
  } cases[] = {
      {"<a href=\"画像/写真.jpg\">", {"http://b/d/画像/写真.jpg"}},
      {"<a href=\"http://h/画像/a.jpg\">写真</a>", {"http://h/画像/a.jpg"}},
      {"<img src = 'ｶﾀｶﾅ/図.png' alt=\"図.png\">", {"http://b/d/ｶﾀｶﾅ/図.png", "http://b/d/図.png"}},
      {"<a href=\"写真　2.jpg\">", {"http://b/d/2.jpg"}},   // an ideographic space ends it
      {"<a href=画像.jpg> 画像.jpg", {"http://b/d/.jpg"}},  // unquoted, once a run
      {"<a href=\"ファイル.zip\"><base target=x>", {"http://b/d/ファイル.zip"}},
      // The characters of deleted URLs go with them; those before and after keep their place.
      {"<a title=\"前\" href=\"http://h/画像/a.jpg\"> <img src=\"図/b.png\">"
       "<a href=\"http://h/画像/a.jpg\">後 <img alt=\"ア\" src=\"表.gif\">",
       {"http://h/画像/a.jpg", "http://b/d/図/b.png", "http://b/d/表.gif"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Scan(c.text, Html(u"http://b/d/")), c.urls) << c.text;
  EXPECT_EQ(Scan("http://a.jp/画像.html", Html()), (Urls{"http://a.jp/", "/.html"}));
  EXPECT_EQ(Scan("\"http://a.jp/画像.html\"", Text()), (Urls{"http://a.jp/"}));
}

// Shapes of real pages, each read as a browser reads it.
TEST(UrlScanner, HtmlModeOnRealPages) {
  const struct {
    const char* name;
    const char* text;
    Urls urls;
  } cases[] = {
      {"urls that differ only in Japanese",
       "<a href=\"http://h.example/画像/1.jpg\"><a href=\"http://h.example/写真/1.jpg\">",
       {"http://h.example/画像/1.jpg", "http://h.example/写真/1.jpg"}},
      {"a root base leaves the page's slashes",
       "<base href=\"/\"><img src=\"assets/logo.png\"> <a href=\"/\">",
       {"https://www.example.com/assets/logo.png"}},
      {"a base's target is no href",
       "<base target=\"_blank\"><a href=\"x.html\">",
       {"https://www.example.com/d/x.html"}},
      {"a relative base on its own line",
       "<base href=\"../up/\">\r\n<a href=\"/favicon.ico\"><a href=\"a.html\">",
       {"https://www.example.com/favicon.ico", "https://www.example.com/up/a.html"}},
      {"a base at the end of a long line",
       "<p>some words before it, and more<a href=\"a.html\"><BASE href=\"/x/\">",
       {"https://www.example.com/x/a.html"}},
      {"a base without the blanks around it",
       "<base href=\"  /sp/ \t\"><a href=\"q.html\">",
       {"https://www.example.com/sp/q.html"}},
      {"the first base element with an href",
       "<base <base target=x><base href=\"/y/\"><a href=\"a.html\">",
       {"https://www.example.com/y/a.html"}},
      {"a base is no link, the same URL in the text is",
       "<base href=\"http://h\"> http://h a.html",
       {"http://h", "http://h/a.html"}},
      {"basefont is no base",
       "<basefont href=\"http://f/\"> b.html",
       {"http://f/", "https://www.example.com/d/b.html"}},
      {"protocol-relative",
       "<img src=\"//img.example.org/g.jpg\">",
       {"https://img.example.org/g.jpg"}},
      {"a reference right after another",
       "<a href=\"chapter-introduction.html\"><img src=\"b.png\"></a>",
       {"https://www.example.com/d/chapter-introduction.html", "https://www.example.com/d/b.png"}},
      {"fragments go, a page once for its anchors",
       "<a href=\"x.html#sec\">\n<a href=\"x.html#other\">\n<a href=\"#os.path\">"
       "<a href=\"http://h/a.html#b\">",
       {"https://www.example.com/d/x.html", "http://h/a.html", "https://www.example.com/d/p.html"}},
      {"an XML declaration's version is no file",
       "<?xml version=\"1.0\" encoding=\"EUC-JP\"?>\n<a href=\"v2.5/\">1.0 2.5.1",
       {"https://www.example.com/d/v2.5/"}},
      {"json in a script",
       "<script>{\"img\":\"https:\\/\\/cdn.example.net\\/n3.jpg\",\"a\":\"\\/s\\/b.png\"}",
       {"https://cdn.example.net/n3.jpg", "https://www.example.com/s/b.png"}},
      {"parentheses and commas in a quoted value",
       "<a href=\"https://en.wikipedia.org/wiki/Shell_(computing)\">(see a.html), "
       "<img src=\"t/w_300,c_fill/a.jpg\">",
       {"https://en.wikipedia.org/wiki/Shell_(computing)", "https://www.example.com/d/a.html",
        "https://www.example.com/d/t/w_300,c_fill/a.jpg"}},
      {"an @ in a quoted value is a file's",
       "<img src=\"b@2x.png\"><a href=\"mailto:a@b.org\">a@b.org</a>",
       {"https://www.example.com/d/b@2x.png"}},
      {"srcset candidates",
       "<img srcset=\"a.png 1.5x,b@2x.png 2x, c,d.png, e.png\" SRCSET = 'f.png 480w (x),g.png'>",
       {"https://www.example.com/d/a.png", "https://www.example.com/d/b@2x.png",
        "https://www.example.com/d/c,d.png", "https://www.example.com/d/e.png",
        "https://www.example.com/d/f.png", "https://www.example.com/d/g.png"}},
  };
  ExtractOptions o;
  o.mode = ExtractMode::Download;
  o.pageUrl = u"https://www.example.com/d/p.html";
  for (const auto& c : cases) EXPECT_EQ(Scan(c.text, o), c.urls) << c.name;
}

TEST(UrlScanner, EachUrlOncePerRunInEveryMode) {
  const std::string anchors =
      "<a href=\"p1.html#a\">\n<a href=\"p1.html#b\">\n<a href=\"/g/p1.html\">\n"
      "<a href=\"p1.html\"> <a href=\"p2.html\">\n<a href=\"p1.html\">";
  const Urls pages = {"https://h/g/p1.html", "https://h/g/p2.html"};
  for (const ExtractMode mode : {ExtractMode::Download, ExtractMode::Parsed}) {
    ExtractOptions o;
    o.mode = mode;
    o.pageUrl = u"https://h/g/index.html";
    EXPECT_EQ(Scan(anchors, o), pages) << static_cast<int>(mode);
  }
  EXPECT_EQ(Scan(anchors, Html(u"https://h/g/")), pages);
  EXPECT_EQ(Scan("http://a/x\nhttp://a/x http://a/y\r\nhttp://a/x", Text()),
            (Urls{"http://a/x", "http://a/y"}));
  // A run over several pages keeps each once itself: it is given every finding.
  EXPECT_EQ(Scan("http://a/x\nhttp://a/x http://a/y", Text(), Repeats::Kept),
            (Urls{"http://a/x", "http://a/x", "http://a/y"}));
}

// Runs cardo-cli over a UTF-8 page with the base http://b/d/ and returns what it prints.
std::string ExtractUtf8Page(const std::string& page) {
  testing::TempDir dir;
  dir.Write(u"page.html", page);
  std::FILE* out = std::tmpfile();
  EXPECT_EQ(cli::RunExtract({"--mode", "html", "--input-encoding", "utf-8", "--base", "http://b/d/",
                             Utf16ToUtf8(dir.File(u"page.html"))},
                            stdin, out, stderr),
            0);
  std::rewind(out);
  std::string printed(4096, '\0');
  printed.resize(std::fread(printed.data(), 1, printed.size(), out));
  std::fclose(out);
  return printed;
}

TEST(UrlScanner, CharactersTheCodePageLacksEndUrlsAsItsOwnDo) {
  const struct {
    const char* page;
    const char* printed;
  } cases[] = {
      {"<p>see x.html\u00a0next, y.html\u2013z or \u00aba.html\u00bb</p>",
       "http://b/d/x.html\nhttp://b/d/y.html\nhttp://b/d/a.html\n"},
      {"<a href=\"c\u2013d.html\">", "http://b/d/c%E2%80%93d.html\n"},
      {"<a href=\"e\u00a0f.html\">", "http://b/d/f.html\n"},  // a space, in a value too
      {"&ldquo;http://h/q.html&rdquo; &laquo;r.html&raquo;",
       "http://h/q.html\nhttp://b/d/r.html\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(ExtractUtf8Page(c.page), c.printed) << c.page;
}

TEST(UrlScanner, AUtf8PageGivesWholeJapaneseUrls) {
  testing::TempDir dir;
  dir.Write(u"page.html",
            "<a href=\"http://h/画像/写真.jpg\">写真</a>\n<img src=\"資料/図.png\">\n");
  std::FILE* out = std::tmpfile();
  ASSERT_EQ(cli::RunExtract({"--mode", "html", "--input-encoding", "utf-8", "--base", "http://b/d/",
                             Utf16ToUtf8(dir.File(u"page.html"))},
                            stdin, out, stderr),
            0);
  std::rewind(out);
  std::string printed(4096, '\0');
  printed.resize(std::fread(printed.data(), 1, printed.size(), out));
  std::fclose(out);
  EXPECT_EQ(printed, "http://h/画像/写真.jpg\nhttp://b/d/資料/図.png\n");
}

TEST(UrlScanner, ALongUrlFillingItsLineIsWhole) {
  const std::string path = "http://a/" + std::string(200000, 'p');
  // The first line begins with the protocol, so its last URL ends with it; the second does
  // not, and its URL runs to the end of the file.
  const std::string text = path + " http://b/c\r\nx " + path + "q\r\n";
  std::FILE* f = std::tmpfile();
  std::fwrite(text.data(), 1, text.size(), f);
  std::rewind(f);
  FileLineSource source(f);
  Urls found;
  ExtractUrls(source, Text(), [&](std::u16string_view url) { found.push_back(Utf16ToUtf8(url)); });
  std::fclose(f);
  EXPECT_EQ(found, (Urls{path, "http://b/c", path + "q"}));
}

TEST(UrlScanner, DownloadModeStartsAtThePage) {
  ExtractOptions o;
  o.mode = ExtractMode::Download;
  o.pageUrl = u"http://p.net/dir/";
  EXPECT_EQ(Scan("a.html\r\n<base target=x>\r\nb.html", o),
            (Urls{"http://p.net/dir/a.html", "http://p.net/dir/b.html"}));
  o.pageUrl = u"http://p.net";
  EXPECT_EQ(Scan("a.html", o), (Urls{"http://p.net/a.html"}));
}

// The URLs of a page in code page 932, read as a file in it is.
Urls ScanShiftJis(const std::string& bytes, const ExtractOptions& options) {
  std::FILE* f = std::tmpfile();
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::rewind(f);
  const auto source = OpenLineSource(f, {}, PageEncoding::CodePage932);
  Urls found;
  ExtractUrls(*source, options,
              [&](std::u16string_view url) { found.push_back(Utf16ToUtf8(url)); });
  std::fclose(f);
  return found;
}

// A line longer than a piece is read in pieces, never whole: every URL of it comes whole, and
// a run too long for any URL is left out and counted.
TEST(UrlScanner, ALineOfAnyLengthIsReadInPieces) {
  const std::string words = [] {
    std::string w;
    for (int i = 0; w.size() < 3 * kLinePieceBytes; ++i) w += " w" + std::to_string(i) + ",";
    return w;
  }();
  const std::string run(kLinePieceBytes, 'p');
  ExtractOptions parsed;
  parsed.mode = ExtractMode::Parsed;
  parsed.pageUrl = u"http://h/";
  const struct {
    const char* name;
    std::string page;
    ExtractOptions options;
    Urls urls;
    std::uint64_t leftOut;
  } cases[] = {
      {"text",
       "http://a/1" + words + " http://a/2" + words,
       Text(),
       {"http://a/1", "http://a/2"},
       0},
      {"html",
       "<a href=\"b.zip\">" + words + "<img src=\"c.jpg\">" + words,
       Html(u"http://h/"),
       {"http://h/b.zip", "http://h/c.jpg"},
       0},
      {"text, a run too long",
       "http://a/1 " + run + " http://a/2 http://a/" + run + " x",
       Text(),
       {"http://a/1", "http://a/2"},
       2},
      {"html, a run too long",
       "<a href=\"b.zip\">" + run + "<img src=\"c.jpg\">",
       Html(u"http://h/"),
       {"http://h/b.zip", "http://h/c.jpg"},
       1},
      {"parsed, a tag too long",
       "<a href=b.zip><a title='" + run + run + run + "' href=no>" + words + "<img src=c.jpg>",
       parsed,
       {"http://h/b.zip", "http://h/c.jpg"},
       1},
  };
  for (const auto& c : cases) {
    std::FILE* f = std::tmpfile();
    std::fwrite(c.page.data(), 1, c.page.size(), f);
    std::rewind(f);
    FileLineSource source(f);
    Urls found;
    const std::uint64_t leftOut = ExtractUrls(
        source, c.options, [&](std::u16string_view url) { found.push_back(Utf16ToUtf8(url)); });
    std::fclose(f);
    EXPECT_EQ(found, c.urls) << c.name;
    EXPECT_EQ(leftOut, c.leftOut) << c.name;
  }
}

TEST(UrlScanner, ShiftJisTrailBytesAreNotUrlCharacters) {
  // 表 is 95 5C, ソ is 83 5C, ゼ is 83 5B, ゾ is 83 5D, ァ is 83 40 ("@" as trail byte).
  const std::string page = testing::Ansi("http://a.jp/表ソゼゾァ.html");
  EXPECT_EQ(ScanShiftJis(page, Text()), (Urls{"http://a.jp/"}));
  EXPECT_EQ(ScanShiftJis(page, Text(true)), (Urls{"http://a.jp/表ソゼゾァ.html"}));
  EXPECT_EQ(ScanShiftJis(testing::Ansi("<a href=\"ァ.html\">"), Html()), (Urls{"/ァ.html"}));
  EXPECT_EQ(ScanShiftJis(testing::Ansi("ァ.html"), Html()), (Urls{"/.html"}));
  // A lead byte before a byte that is no trail byte stands alone: in a UTF-8 page "語" ends
  // in 9E, which must not take the "1" after it (outside a quoted value, where it ends the
  // reference).
  for (const std::string& page : {std::string("<a href=\xE8\xAA\x9E"
                                              "1.zip>"),
                                  std::string("\x81 http://a/b.zip")}) {
    const Urls found = ScanShiftJis(page, Html(u"http://h/"));
    EXPECT_EQ(found.back(), page[0] == '<' ? "http://h/1.zip" : "http://a/b.zip");
  }
}

TEST(UrlScanner, UrlCharacters) {
  for (char16_t c : std::u16string(u"azAZ09!#$%&*+-./:;=?@^_|~")) {
    EXPECT_TRUE(IsAsciiUrlChar(c)) << char(c);
    EXPECT_TRUE(IsTextUrlChar(c, false)) << char(c);
  }
  for (char16_t c : std::u16string(u" \t\"'(),<>[]\\`{}\x7F")) {
    EXPECT_FALSE(IsAsciiUrlChar(c)) << char(c);
    EXPECT_FALSE(IsTextUrlChar(c, true)) << char(c);
  }
  // Code page 932's sets by the characters they are: half-width katakana (single bytes) never,
  // the listed double-byte ranges with the full-width option, ends of ranges included.
  const struct {
    char32_t c;
    bool plain, fullWidth;
  } cases[] = {
      {U'ｱ', false, false},
      {U'\u3000', false, true},
      {U'、', false, true},
      {U'〓', false, true},
      {U'∈', false, true},
      {U'\u2252', false, true},
      {U'亜', false, true},
      {U'黑', false, true},
      {U'\u2160', false, true},
      {U'纊', false, true},
      {U'\uFFE4', false, true},
      {U'\u2010', false, true},
      {U'\u2534', false, true},
      // Characters the code page lacks go into a URL as their percent-encoded bytes.
      {U'é', true, true},
      {U'\U0001F600', true, true},
      {U'\uFFFD', true, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsTextUrlChar(c.c, false), c.plain) << std::hex << static_cast<unsigned>(c.c);
    EXPECT_EQ(IsTextUrlChar(c.c, true), c.fullWidth) << std::hex << static_cast<unsigned>(c.c);
  }
}

TEST(UrlScanner, AUrlWritesWhatTheCodePageLacksPercentEncoded) {
  const struct {
    std::string utf8;
    std::string written;
  } cases[] = {
      {"http://h/a", "http://h/a"},
      {"画像/写真.jpg", "画像/写真.jpg"},
      {"x한y😀z", "x%ED%95%9Cy%F0%9F%98%80z"},
      {"a画한ア-é/画b", "a画%ED%95%9Cア-%C3%A9/画b"},
      {"画\xFF\xC0\xAE", "画%EF%BF%BD%EF%BF%BD%EF%BF%BD"},  // invalid: U+FFFD, which it lacks
  };
  for (const auto& c : cases) {
    std::u16string fromUtf8;
    AppendUrlText(fromUtf8, c.utf8);
    EXPECT_EQ(Utf16ToUtf8(fromUtf8), c.written) << c.utf8;
    EXPECT_EQ(Utf16ToUtf8(UrlText(Utf8ToUtf16(c.utf8))), c.written) << c.utf8;
  }
  EXPECT_EQ(UrlText(std::u16string(u"a") + char16_t(0xD800) + u"b"), u"a%EF%BF%BDb");
}

TEST(UrlScanner, HrefValues) {
  const struct {
    const char* line;
    const char* value;
  } cases[] = {
      {"<a HREF=\"x.html\">", "x.html"}, {"<a href=x.html>", "x.html"}, {"<a href='x.html'>", ""},
      {"<a href =\"x.html\">", ""},      {"<a href=\"open", "open"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(GetHrefValue(c.line), c.value) << c.line;
  }
}

TEST(UrlScanner, ResolveRelativeUrl) {
  const struct {
    const char16_t* base;
    const char16_t* relative;
    const char16_t* result;
  } cases[] = {
      {u"http://host/dir/page.html", u"img/a.gif", u"http://host/dir/img/a.gif"},
      {u"http://host/dir/page.html", u"/top.html", u"http://host/top.html"},
      {u"http://host/dir/page.html", u"../up.html", u"http://host/up.html"},
      {u"http://host/dir/page.html", u"./../../x.html", u"不正"},
      {u"http://host/dir/sub/", u"./a.html", u"http://host/dir/sub/a.html"},
      {u"http://host/dir", u"a.html", u"http://host/a.html"},
      {u"http://host", u"a.html", u"http://host/a.html"},
      {u"", u"a.html", u"/a.html"},
      {u"", u"../a.html", u"不正"},
      {u"file:///c/d/e.txt", u"f.txt", u"file:///c/d/f.txt"},
      {u"http://host/a/b?x=/y", u"c.html", u"http://host/a/b?x=/c.html"},
      {u"http://host/a/", u"b/../c.html", u"http://host/a/b/../c.html"},
      {u"https://host/a/", u"//cdn.org/x.js", u"https://cdn.org/x.js"},
      {u"", u"//cdn.org/x.js", u"//cdn.org/x.js"},
  };
  for (const auto& c : cases) EXPECT_EQ(ResolveRelativeUrl(c.base, c.relative), c.result);
}

TEST(UrlScanner, ClimbingALongBaseLooksAtEachOfItsUnitsOnce) {
  // Long directories climbed by many references: each level is found once, whatever the
  // references' order, and the results are those of the base taken apart afresh.
  const std::u16string base = u"http://h/" + std::u16string(5000, u'a') + u"/" +
                              std::u16string(5000, u'b') + u"/" + std::u16string(5000, u'c') + u"/";
  BaseParts parts(base);
  const char16_t* references[] = {u"../x.a", u"../../x.a", u"./../x.a", u"../../../x.a",
                                  u"../../../../x.a"};
  for (int round = 0; round < 200; ++round) {
    for (const char16_t* reference : references) {
      ASSERT_EQ(ResolveRelativeUrl(parts, reference), ResolveRelativeUrl(base, reference));
    }
  }
  EXPECT_EQ(ResolveRelativeUrl(parts, u"../../x.a"),
            u"http://h/" + std::u16string(5000, u'a') + u"/x.a");
  EXPECT_LE(parts.UnitsClimbed(), parts.Directory().size());
}

// The absolute pass done the slow, literal way, for comparison: a URL is deleted where it
// stands as a whole run.
void LiteralAbsolutePass(std::string& line, std::vector<std::string>& out) {
  const auto isUrl = [](char c) { return IsHtmlUrlUnit(static_cast<unsigned char>(c)); };
  for (std::size_t pos = line.find("://"); pos != std::string::npos; pos = line.find("://")) {
    const std::size_t sep = line.compare(pos, 4, ":///") == 0 ? 4 : 3;
    std::size_t i = pos + sep;
    if (i >= line.size()) return;
    while (i < line.size() && isUrl(line[i])) ++i;
    if (pos == 0) return;
    std::size_t j = pos;
    while (j > 0 && isUrl(line[j - 1])) --j;
    const std::string url = line.substr(j, i - j);
    for (std::size_t at = line.find(url); at != std::string::npos; at = line.find(url, at)) {
      const std::size_t end = at + url.size();
      if ((at > 0 && isUrl(line[at - 1])) || (end < line.size() && isUrl(line[end]))) {
        ++at;
        continue;
      }
      line.erase(at, url.size());
    }
    out.push_back(url);
  }
}

void ExpectPassesAgree(const std::string& line) {
  std::string literal = line, fast = line;
  std::vector<std::string> expected, got;
  LiteralAbsolutePass(literal, expected);
  AbsolutePass(fast, [&](std::string_view url) { got.emplace_back(url); });
  ASSERT_EQ(got, expected) << line;
  ASSERT_EQ(fast, literal) << line;
}

TEST(UrlScanner, AbsolutePassMatchesTheLiteralOne) {
  std::mt19937 rng(12345);
  const std::string alphabet = "ab:/.\" h";
  for (int round = 0; round < 20000; ++round) {
    std::string line;
    const int length = static_cast<int>(rng() % 40);
    for (int k = 0; k < length; ++k) line.push_back(alphabet[rng() % alphabet.size()]);
    ExpectPassesAgree(line);
  }
  // Lines of whole URLs that repeat and contain one another, some longer than the index keys.
  const std::string longPath(70, 'p');
  const std::vector<std::string> words = {"http://a.com/x",
                                          "http://a.com/x.zip",
                                          "http://a.com/" + longPath,
                                          "http://a.com/" + longPath + "q",
                                          "file:///c",
                                          "ahttp://a.com/x",
                                          "://",
                                          "x:",
                                          "c:/",
                                          "/d",
                                          "a://b"};
  // Occurrences at the edges of and inside longer runs, which stay.
  for (const std::string line :
       {"a://b c://d c:/a://b/d", "a://b c://d x c:a://b//d", "a://b a://b/c ha://b/c"}) {
    ExpectPassesAgree(line);
  }
  const std::string glue = " \">/";
  for (int round = 0; round < 5000; ++round) {
    std::string line;
    const int count = static_cast<int>(rng() % 12);
    for (int k = 0; k < count; ++k) {
      line += words[rng() % words.size()];
      if (rng() % 4) line.push_back(glue[rng() % glue.size()]);
    }
    ExpectPassesAgree(line);
  }
}

TEST(UrlScanner, AbsolutePassTakesACharacterTheCodePageLacksAsItsPercentEncodedBytes) {
  // Both give one URL as written: the second is a repeat and goes, the third is another.
  std::string line = "http://h/\xF0\x9F\x98\x80 http://h/%F0%9F%98%80 http://h/%f0%9F%98%80";
  std::vector<std::string> got;
  AbsolutePass(line, [&](std::string_view url) { got.emplace_back(url); });
  EXPECT_EQ(got, (std::vector<std::string>{"http://h/\xF0\x9F\x98\x80", "http://h/%f0%9F%98%80"}));
  EXPECT_EQ(line, "  ");
}

TEST(UrlScanner, ABaseTagWithoutHrefChangesNothing) {
  // A line with "<base" but no "href=" changes nothing in download mode: it gives what the
  // same line gives with "<xxxx" in its place.
  std::mt19937 rng(2024);
  const std::vector<std::string> pieces = {
      "a",  "b",     ":", "/",    ".", "\"", "'",      "=",   " ",      "画",     "ｱ",
      "　", "&amp;", "@", "h://", "(", ",",  "srcset", "\\/", "\u00a0", "\u2014", "😀"};
  ExtractOptions o;
  o.mode = ExtractMode::Download;
  o.pageUrl = u"http://p/d/";
  for (int round = 0; round < 5000; ++round) {
    std::string line;
    const int length = static_cast<int>(rng() % 30);
    for (int k = 0; k < length; ++k) line += pieces[rng() % pieces.size()];
    ASSERT_EQ(Scan("<base " + line + " ", o), Scan("<xxxx " + line + " ", o)) << line;
  }
}

TEST(ExtractToList, AppendsWhatTheFilterPassesOnceAndSaysOnceWhenTheListIsFull) {
  testing::TempDir dir;
  dir.Write(u"page.html", testing::Ansi("<a href=\"http://a/x.zip\">x</a> <img src=\"b.gif\">"));
  testing::ShellFixture f;
  ExtractOptions options;
  options.mode = ExtractMode::Html;
  EXPECT_EQ(testing::ExtractUrlsToList(dir.File(u"page.html"), options, u"*.zip;*.gif", f.shell),
            ExtractResult::Done);
  EXPECT_EQ(f.Lines(), (std::vector<std::u16string>{u"http://a/x.zip", u"/b.gif"}));
  EXPECT_TRUE(f.document.Modified());
  EXPECT_EQ(f.list.SuspendDepth(), 0);
  EXPECT_EQ(f.extentUpdates, 1);
  EXPECT_EQ(testing::ExtractUrlsToList(dir.File(u"missing.html"), options, u"", f.shell),
            ExtractResult::Unreadable);

  // 20,000 links: the list stops at its limit, the message comes once.
  std::string many;
  for (int i = 0; i < 20000; ++i) many += "http://h/" + std::to_string(i) + ".zip\r\n";
  dir.Write(u"many.txt", many);
  options.mode = ExtractMode::Text;
  EXPECT_EQ(testing::ExtractUrlsToList(dir.File(u"many.txt"), options, u"", f.shell),
            ExtractResult::Done);
  EXPECT_EQ(testing::ExtractUrlsToList(dir.File(u"many.txt"), options, u"", f.shell),
            ExtractResult::Done);
  EXPECT_EQ(f.list.Count(), kMaxListLines);
  EXPECT_EQ(f.list.Line(kMaxListLines - 1), u"http://h/12764.zip");
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].text, msg::kListFull);
}

TEST(ExtractToList, GathersApartFromTheListAndStopsWhenToldOrFull) {
  testing::TempDir dir;
  std::string many;
  for (int i = 0; i < 20000; ++i) many += "http://h/" + std::to_string(i) + ".zip\r\n";
  dir.Write(u"many.txt", many);
  const std::u16string file = dir.File(u"many.txt");
  ExtractOptions options;
  const struct {
    int listed;      // lines in the list when the gathering starts
    int stopAfter;   // lines the caller lets through, -1 for all
    int linesAsked;  // how often the run asked whether to go on
    std::size_t gathered;
  } cases[] = {
      {0, 3, 4, 3},
      {0, -1, 20001, 20000},
      {kMaxListLines - 2, -1, 3, 2},  // full at the third line: the rest is not read
  };
  for (const auto& c : cases) {
    testing::ShellFixture f;
    f.list.AppendLines(std::vector<std::u16string>(static_cast<std::size_t>(c.listed), u"x"),
                       false);
    PendingLines pending(f.list);
    int asked = 0;
    const auto keepGoing = [&](long long) { return ++asked <= c.stopAfter || c.stopAfter < 0; };
    EXPECT_EQ(GatherUrlsFromFile(file, options, u"", pending, {}, keepGoing), ExtractResult::Done);
    EXPECT_EQ(asked, c.linesAsked) << c.listed;
    EXPECT_EQ(pending.Gathered(), c.gathered) << c.listed;
    EXPECT_EQ(f.list.Count(), c.listed);  // the list is left alone until the lines are added
  }

  // The list filled up while the lines were gathered: what no longer fits is refused, once.
  testing::ShellFixture f;
  PendingLines pending(f.list);
  ASSERT_EQ(GatherUrlsFromFile(file, options, u"", pending), ExtractResult::Done);
  f.list.AppendLines(std::vector<std::u16string>(30000, u"x"), false);
  EXPECT_EQ(AddGatheredToList(pending, f.shell), kMaxListLines - 30000);
  EXPECT_EQ(f.list.Line(kMaxListLines - 1), u"http://h/2766.zip");
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].text, msg::kListFull);
}

TEST(LineSources, SplitAtCrLfLfAndCr) {
  const struct {
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"a\r\nb\rc\nd\r\n\r\ne", {"a", "b", "c", "d", "", "e"}},
      {"a\n\rb\n\nc\n", {"a", "", "b", "", "c"}},
      // A CR LF cut by a block boundary is still one line end.
      {std::string(65535, 'x') + "\r\ny", {std::string(65535, 'x'), "y"}},
      {std::string(65536, 'x') + "\ny\r", {std::string(65536, 'x'), "y"}},
  };
  for (const auto& c : cases) {
    TextLineSource memory(c.text);
    std::FILE* f = std::tmpfile();
    std::fwrite(c.text.data(), 1, c.text.size(), f);
    std::rewind(f);
    FileLineSource file(f);
    FileLineSource decoding(f);
    for (LineSource* source :
         {static_cast<LineSource*>(&memory), static_cast<LineSource*>(&file)}) {
      std::vector<std::string> lines;
      std::string line;
      while (source->Next(line)) lines.push_back(line);
      EXPECT_EQ(lines, c.lines) << c.text.size();
    }
    std::rewind(f);
    std::size_t count = 0;
    for (std::u16string text; decoding.NextText(text); ++count) {
      ASSERT_LT(count, c.lines.size());
      EXPECT_EQ(text.size(), c.lines[count].size()) << count;
    }
    EXPECT_EQ(count, c.lines.size());
    // Whole lines at a time, their ends as written; the last line gets a LF.
    std::rewind(f);
    FileLineSource blocks(f);
    std::string all;
    for (std::string text; blocks.NextLines(text);) {
      ASSERT_TRUE(text.ends_with('\n') || text.ends_with('\r'));
      all += text;
    }
    EXPECT_EQ(all, c.text.ends_with('\n') || c.text.ends_with('\r') ? c.text : c.text + "\n");
    std::fclose(f);
  }
}

TEST(LineSources, AFileDecodesAsItReadsExactlyAsTheWholeLineDecodes) {
  // Lines of about 70 KB, so that reads of 64 KB cut characters and CR LF; invalid bytes too.
  std::mt19937 rng(99);
  const std::string pieces[] = {"a", "<base", "<BAS", "e", "画", "\xE7\x94", "\n", "😀"};
  for (int round = 0; round < 6; ++round) {
    std::string text;
    while (text.size() < 400000) {
      text += pieces[rng() % 8];
      if (rng() % 30000 == 0) text += rng() % 2 ? "\r" : "\r\n";
    }
    TextLineSource memory(text);
    std::FILE* f = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), f);
    std::rewind(f);
    FileLineSource file(f);
    std::u16string expected, got;
    for (;;) {
      const bool more = memory.NextText(expected);
      ASSERT_EQ(file.NextText(got), more);
      if (!more) break;
      ASSERT_EQ(got, expected);
    }
    std::fclose(f);
  }
}

}  // namespace
}  // namespace cardo
