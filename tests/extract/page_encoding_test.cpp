#include "app/extract/page_encoding.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/extract/extract_to_list.h"
#include "app/platform/text.h"
#include "tests/list/shell_fixture.h"
#include "tests/support/fakes.h"

namespace cardo {
namespace {

TEST(PageEncoding, UsesUtf8OnlyWhereThePageSaysSo) {
  const std::string filler(5000, ' ');
  const struct {
    const char* contentType;
    std::string head;
    PageEncoding expected;
  } cases[] = {
      {"", "<html><a href=x>", PageEncoding::CodePage932},
      {"text/html; charset=UTF-8", "<html>", PageEncoding::Utf8},
      {"text/html;charset=\"utf8\"", "<html>", PageEncoding::Utf8},
      {"text/html; charset=Shift_JIS", "<meta charset=\"utf-8\">", PageEncoding::CodePage932},
      {"text/html; charset=Shift_JIS", "\xEF\xBB\xBF<html>", PageEncoding::Utf8},
      {"", "\xEF\xBB\xBFhttp://h/", PageEncoding::Utf8},
      {"text/html", "<head><META CHARSET=utf-8>", PageEncoding::Utf8},
      {"", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">",
       PageEncoding::Utf8},
      {"", "<meta name=\"x\" content=\"y\"><meta charset='EUC-JP'><meta charset=utf-8>",
       PageEncoding::CodePage932},
      {"", "<p>charset=utf-8</p>", PageEncoding::CodePage932},
      {"", filler + "<meta charset=utf-8>", PageEncoding::CodePage932},
      {"", "<meta charset=\"utf-8\"", PageEncoding::Utf8},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DetectPageEncoding(c.contentType, c.head), c.expected)
        << c.contentType << " | " << c.head.substr(0, 80);
  }
}

TEST(PageEncoding, Utf8LinesReachTheScannerInTheCodePage) {
  EXPECT_EQ(Utf8ToCodePage("http://h/a"), "http://h/a");
  EXPECT_EQ(Utf8ToCodePage("画像/写真.jpg"), testing::Ansi("画像/写真.jpg"));
  // Characters code page 932 lacks, as a browser writes them into a URL.
  EXPECT_EQ(Utf8ToCodePage("x한y😀z"), "x%ED%95%9Cy%F0%9F%98%80z");
  EXPECT_EQ(Utf8ToCodePage("画\xFF"), testing::Ansi("画") + "%EF%BF%BD");
}

TEST(PageEncoding, AUtf8PageGivesItsCharactersNotItsBytes) {
  testing::TempDir dir;
  const std::string page = "<a href=\"한.jpg\">k</a> http://h/画像/写真.jpg\r\n";
  dir.Write(u"meta.html", "<meta charset=\"utf-8\">\r\n" + page);
  dir.Write(u"bom.txt", "\xEF\xBB\xBFhttp://h/ダウンロード/a.zip\r\n");
  dir.Write(u"plain.txt", testing::Ansi("http://h/画像/写真.jpg\r\n"));
  dir.Write(u"served.html", page);
  testing::ShellFixture f;
  ExtractOptions html;
  html.mode = ExtractMode::Html;
  html.baseUrlBox = u"http://h/d/";
  ExtractOptions text;
  text.fullWidth = true;
  // HTML mode reads the Japanese of the text's URL by its own rules; the link is what counts.
  const std::u16string link = u"*%ED%95%9C.jpg";
  EXPECT_EQ(ExtractUrlsToList(dir.File(u"meta.html"), html, link, f.shell), ExtractResult::Done);
  for (const char16_t* file : {u"meta.html", u"bom.txt", u"plain.txt"}) {
    EXPECT_EQ(ExtractUrlsToList(dir.File(file), text, u"", f.shell), ExtractResult::Done);
  }
  html.mode = ExtractMode::Download;
  html.pageUrl = u"https://h/p/index.html";
  EXPECT_EQ(
      ExtractUrlsToList(dir.File(u"served.html"), html, link, f.shell, "text/html; charset=utf-8"),
      ExtractResult::Done);
  const std::u16string photo = Utf8ToUtf16("http://h/画像/写真.jpg");
  EXPECT_EQ(f.Lines(), (std::vector<std::u16string>{
                           u"http://h/d/%ED%95%9C.jpg",
                           photo,
                           Utf8ToUtf16("http://h/ダウンロード/a.zip"),
                           photo,
                           u"https://h/p/%ED%95%9C.jpg",
                       }));
}

TEST(PageEncoding, JapaneseLinksComeWholeFromAUtf8AndAShiftJisPage) {
  testing::TempDir dir;
  const std::string link = "<a href=\"画像/写真.jpg\">写真</a>\r\n";
  dir.Write(u"utf8.html", "<meta charset=\"utf-8\">\r\n" + link);
  dir.Write(u"sjis.html", testing::Ansi("<meta charset=\"Shift_JIS\">\r\n" + link));
  testing::ShellFixture f;
  ExtractOptions html;
  html.mode = ExtractMode::Html;
  html.baseUrlBox = u"http://h/d/";
  for (const char16_t* file : {u"utf8.html", u"sjis.html"}) {
    EXPECT_EQ(ExtractUrlsToList(dir.File(file), html, u"*.jpg", f.shell), ExtractResult::Done);
  }
  const std::u16string photo = Utf8ToUtf16("http://h/d/画像/写真.jpg");
  EXPECT_EQ(f.Lines(), (std::vector<std::u16string>{photo, photo}));
}

}  // namespace
}  // namespace cardo
