#include "app/scan/parsed_scan.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/text/page_encoding.h"
#include "app/platform/codec.h"
#include "app/platform/text.h"

namespace cardo {
namespace {

using Urls = std::vector<std::string>;

ExtractOptions Parsed(std::u16string page = u"http://h/d/p.html") {
  ExtractOptions o;
  o.mode = ExtractMode::Parsed;
  o.pageUrl = std::move(page);
  return o;
}

Urls Collect(LineSource& source, const ExtractOptions& options) {
  Urls found;
  ExtractUrls(source, options, [&](std::u16string_view url) { found.push_back(Utf16ToUtf8(url)); });
  return found;
}

// A page written in UTF-8 here, scanned as lines of text.
Urls Scan(const std::string& utf8, const ExtractOptions& options = Parsed()) {
  TextLineSource source(utf8);
  return Collect(source, options);
}

// A page's bytes read as a file is: its encoding found, its lines converted.
Urls ScanFile(const std::string& bytes) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::tmpfile(), std::fclose);
  std::fwrite(bytes.data(), 1, bytes.size(), file.get());
  std::rewind(file.get());
  std::string head(kEncodingHeadBytes, '\0');
  head.resize(std::fread(head.data(), 1, head.size(), file.get()));
  const auto lines = OpenLineSource(file.get(), head, DecideEncoding({}, head));
  return Collect(*lines, Parsed());
}

TEST(ParsedScan, LinkAttributes) {
  const struct {
    const char* html;
    Urls expected;
  } cases[] = {
      {R"(<a href="a.html">x</a><area href=b><link rel=x href='c.css'>)",
       {"http://h/d/a.html", "http://h/d/b", "http://h/d/c.css"}},
      {R"(<img src=1.png><script src="s.js"></script><iframe src=f></iframe><embed src=e>)",
       {"http://h/d/1.png", "http://h/d/s.js", "http://h/d/f", "http://h/d/e"}},
      {R"(<video src=v poster=p.jpg><source src=s1></video><audio src=au><input src=i>)",
       {"http://h/d/v", "http://h/d/p.jpg", "http://h/d/s1", "http://h/d/au", "http://h/d/i"}},
      {R"(<img srcset="a.jpg 1x, b.jpg 2x,c.jpg"><source srcset="d,e.jpg 100w, f(1).jpg">)",
       {"http://h/d/a.jpg", "http://h/d/b.jpg", "http://h/d/c.jpg", "http://h/d/d,e.jpg",
        "http://h/d/f(1).jpg"}},
      {R"(<object data=o.swf></object><form action="/post">)",
       {"http://h/d/o.swf", "http://h/post"}},
      {R"(<div data-src=l1 data-original=l2 data-lazy-src=l3 data-full=l4 data-url=l5>)",
       {"http://h/d/l1", "http://h/d/l2", "http://h/d/l3", "http://h/d/l4", "http://h/d/l5"}},
      {R"(<img data-srcset="x.jpg 2x, y.jpg" data-lazy-srcset="z.jpg 3x">)",
       {"http://h/d/x.jpg", "http://h/d/y.jpg", "http://h/d/z.jpg"}},
      // Attributes on elements that give them no link, and names that only look alike.
      {R"(<div href=no src=no><span srcset=no><a xhref=no hreff=no id=a.b name=c.d>)", {}},
      {R"(<A HREF="UP.html" Src=x>)", {"http://h/d/UP.html"}},
      // The first of two attributes of one name counts.
      {R"(<a href=one href=two>)", {"http://h/d/one"}},
      {R"(<a href=javascript:go()><img src="data:image/png;base64,AAAA">)", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Scan(c.html), c.expected) << c.html;
}

TEST(ParsedScan, WhatABrowserLoads) {
  const struct {
    const char* html;
    Urls expected;
  } cases[] = {
      {"<body background=b.jpg><table background=t.jpg><tr><td background=c.jpg>"
       "<th background=h.jpg>",
       {"http://h/d/b.jpg", "http://h/d/t.jpg", "http://h/d/c.jpg", "http://h/d/h.jpg"}},
      {"<frameset><frame src=f.html></frameset><video><track src=sub.vtt></video>",
       {"http://h/d/f.html", "http://h/d/sub.vtt"}},
      {R"-(<svg><a xlink:href="s.html"><image href="i.png"/><image xlink:href="j.png"/></a></svg>)-",
       {"http://h/d/s.html", "http://h/d/i.png", "http://h/d/j.png"}},
      {R"-(<link rel=preload as=image imagesrcset="p1.jpg 1x, p2.jpg 2x">)-",
       {"http://h/d/p1.jpg", "http://h/d/p2.jpg"}},
      {"<object data=o.swf></object><embed src=e.swf>", {"http://h/d/o.swf", "http://h/d/e.swf"}},
      // Inline styles and style sheets: the properties that draw an image.
      {R"-(<div style="background-image:url('s1.jpg'); color:red">)-", {"http://h/d/s1.jpg"}},
      {R"-(<p style="BACKGROUND: #fff URL( s2.png ) no-repeat">)-", {"http://h/d/s2.png"}},
      {R"-(<p style="background:url(&quot;s3.png&quot;)">)-", {"http://h/d/s3.png"}},
      {"<style>/* url(no.png) */ a:hover{list-style-image:url(\"l.png\")} "
       "@import url(no.css); @font-face{src:url(no.woff)} .x{cursor:url(c.cur),auto}</style>",
       {"http://h/d/l.png", "http://h/d/c.cur"}},
      {R"-(<p style="content:'url(no.png)'; font:url(no)">)-", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Scan(c.html), c.expected) << c.html;
}

TEST(ParsedScan, OnlyWhatADownloadManagerFetches) {
  const struct {
    const char* html;
    Urls expected;
  } cases[] = {
      {"<a href=#x><a href=\"\"><a href=' #y'><a href=p.html#z>", {"http://h/d/p.html"}},
      {"<a href=mailto:a@b.org><a href=news:c.d><a href=file:///etc/x><a href=tel:1>", {}},
      {"<a href=javascript:go()><img src=\"data:image/png;base64,AAAA\">", {}},
      {"<a href=ftp://f/a.zip><a href=https://s/b.zip>", {"ftp://f/a.zip", "https://s/b.zip"}},
      {"see irc://chat/x and file://h/y and ftp://f/z", {"ftp://f/z"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Scan(c.html), c.expected) << c.html;
}

TEST(ParsedScan, Tokenizing) {
  const struct {
    const char* html;
    Urls expected;
  } cases[] = {
      {"<a href=\"x y.html\" title='it''s'>", {"http://h/d/x%20y.html"}},
      {"<a\nhref\n=\n'multi\nline.html'\n>", {"http://h/d/multiline.html"}},
      {"<a href=u.html>q</a><a href=u.html#top>", {"http://h/d/u.html"}},
      {"<a title=\"<a href=no>\" href=yes>", {"http://h/d/yes"}},
      {"<a href=a/>", {"http://h/d/a/"}},
      {"<a/href=slash>", {"http://h/d/slash"}},
      {"<script>var s = '<a href=no.html>'; if (a<b) {}</script><a href=after>",
       {"http://h/d/after"}},
      {"<style>a.b { background: url(bg.png) }</STYLE ><img src=after>",
       {"http://h/d/bg.png", "http://h/d/after"}},
      {"<script>x = '</scriptx>'; '<a href=no>'</script><a href=end>", {"http://h/d/end"}},
      {"<!-- <a href=no> --><!--> <a href=one><!---> <a href=two>",
       {"http://h/d/one", "http://h/d/two"}},
      {"<!-- a -- b --!><a href=bang><!DOCTYPE html><? pi <a href=no ?><a href=pi>",
       {"http://h/d/bang", "http://h/d/pi"}},
      {"<title>see <a href=no></title><textarea><a href=no></textarea><a href=out>",
       {"http://h/d/out"}},
      {"a < b and c<3 <a href=lt>", {"http://h/d/lt"}},
      {"</a title=\"><a href=no>\"></ <a href=no><a href=yes>", {"http://h/d/yes"}},
      {"<a href=\"open.html", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(Scan(c.html), c.expected) << c.html;
}

TEST(ParsedScan, References) {
  const struct {
    const char* html;
    Urls expected;
  } cases[] = {
      {"<a href=\"q?a=1&amp;b=2\">", {"http://h/d/q?a=1&b=2"}},
      {"<a href='&#x2F;root&#47;x'>", {"http://h/root/x"}},
      {"<a href=\"&eacute;t&eacute;\">", {"http://h/d/été"}},
      {"<a href=\"a&b=c&copy\">", {"http://h/d/a&b=c&copy"}},
      {"<a href=\"a&nbsp;b\">",
       {"http://h/d/a\xC2\xA0"
        "b"}},
      {"<a href=\"&#32;&#9;trim.html&#10;\">", {"http://h/d/trim.html"}},
      {"see http://t.example/a?x=1&amp;y=2 there", {"http://t.example/a?x=1&y=2"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Scan(c.html), c.expected) << c.html;
}

TEST(ParsedScan, Resolving) {
  const struct {
    const char* page;
    const char* reference;
    const char* expected;
  } cases[] = {
      {"http://h/d/e/p.html?q=1#f", "x", "http://h/d/e/x"},
      {"http://h/d/e/p.html", "../x", "http://h/d/x"},
      {"http://h/d/e/p.html", "../../../../x", "http://h/x"},
      {"http://h/d/e/p.html", "a/./b/../c", "http://h/d/e/a/c"},
      {"http://h/d/e/p.html", "a/..", "http://h/d/e/"},
      {"http://h/d/e/p.html", "/r/../s", "http://h/s"},
      {"http://h/d/p.html?q=1", "?z=2", "http://h/d/p.html?z=2"},
      {"http://h/d/p.html?u=/a/b", "x", "http://h/d/x"},
      {"https://h/d/p.html", "//cdn/x.js", "https://cdn/x.js"},
      {"http://h/d/p.html", "a\\b.html", "http://h/d/a/b.html"},
      {"http://h/d/p.html", "HTTPS://Other/x#y", "https://other/x"},
      {"http://h/d/p.html", "FTP://f/x", "ftp://f/x"},
      {"http://h", "x", "http://h/x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Scan("<a href=\"" + std::string(c.reference) + "\">", Parsed(Utf8ToUtf16(c.page))),
              Urls{c.expected})
        << c.page << " + " << c.reference;
  }
}

TEST(ParsedScan, BaseRefreshAndText) {
  const struct {
    const char* html;
    Urls expected;
  } cases[] = {
      {"<a href=a><base href=\"/b/\"><base href=/no/><a href=c>", {"http://h/d/a", "http://h/b/c"}},
      {"<base target=_top><base href=http://o/x/><img src=i>", {"http://o/x/i"}},
      {R"(<meta http-equiv="Refresh" content="5; URL='next.html'">)", {"http://h/d/next.html"}},
      {R"(<meta http-equiv=refresh content="0;url=/n"><meta http-equiv=refresh content=3>)",
       {"http://h/n"}},
      {R"(<meta http-equiv=refresh content="1, other.html">)", {"http://h/d/other.html"}},
      {R"(<meta name=x content="0;url=no">)", {}},
      // Text URLs: outside tags, scripts, styles and comments, the text mode's characters.
      {"Go to https://x.example/p.zip, or ftp://f.example/a. <a href=https://x.example/p.zip>",
       {"https://x.example/p.zip", "ftp://f.example/a."}},
      {"<p title=\"http://no.example/\">x</p><script>u='http://no.example/'</script>"
       "<!-- http://no.example/ --><style>/* http://no.example/ */</style>",
       {}},
      {"://alone and x:// and 1http://y.example/", {"http://y.example/"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Scan(c.html), c.expected) << c.html;
}

TEST(ParsedScan, NoAddressGivesReferencesAsWritten) {
  EXPECT_EQ(Scan("<a href=x.html#a><a href=/y>", Parsed(u"")), (Urls{"x.html", "/y"}));
  EXPECT_EQ(Scan("<base href=http://b/><a href=x>", Parsed(u"")), (Urls{"http://b/x"}));
}

TEST(ParsedScan, JapanesePages) {
  const std::string links =
      "<a href=\"資料/一覧.html\">一覧</a> 次は http://rei.example/ページ です "
      "<img src=\"画像.jpg\">";
  const Urls expected = {"http://h/d/資料/一覧.html", "http://rei.example/", "http://h/d/画像.jpg"};
  const std::string utf8Page = "<meta charset=\"utf-8\">" + links;
  const std::string sjisPage = "<meta charset=\"Shift_JIS\">" + WideToAnsi(Utf8ToUtf16(links));
  EXPECT_EQ(ScanFile(utf8Page), expected);
  EXPECT_EQ(ScanFile(sjisPage), expected);
  // A character the code page lacks comes percent-encoded inside a value, and ends a text URL.
  EXPECT_EQ(ScanFile("<meta charset=utf-8><a href=\"\xF0\x9F\x98\x80.html\"> "
                     "http://n.example/\xC2\xA0next"),
            (Urls{"http://h/d/%F0%9F%98%80.html", "http://n.example/"}));
}

}  // namespace
}  // namespace cardo
