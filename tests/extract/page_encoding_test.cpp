#include "app/extract/page_encoding.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
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
  // Overlong forms and surrogates are invalid, never the characters they would spell.
  const std::string bad = "%EF%BF%BD";
  for (const auto& [utf8, expected] : std::vector<std::pair<std::string, std::string>>{
           {"a\xC0\xAE\xC0\xAE/b", "a" + bad + bad + bad + bad + "/b"},
           {"\xC1\xBF", bad + bad},
           {"\xE0\x80\xAF", bad + bad + bad},
           {"\xF0\x80\x80\xAF", bad + bad + bad + bad},
           {"\xED\xA0\x80", bad + bad + bad},
           {"\xC2\xA0\xE0\xA0\x80", "%C2%A0%E0%A0%80"},
       }) {
    EXPECT_EQ(Utf8ToCodePage(utf8), expected) << utf8;
  }
  // Runs of both kinds in one line, a run the code page lacks a character of among them.
  EXPECT_EQ(Utf8ToCodePage("a画한ア-é/画b"), "a" + testing::Ansi("画") + "%ED%95%9C" +
                                                 testing::Ansi("ア") + "-%C3%A9/" +
                                                 testing::Ansi("画") + "b");
}

TEST(PageEncoding, AUtf8FileReadInBlocksGivesTheLinesReadWhole) {
  // Lines of about 70 KB, so that reads of 64 KB cut characters, CR LF and, with a short
  // head, the byte order mark; characters the code page lacks and invalid bytes among them.
  std::mt19937 rng(5);
  const std::string pieces[] = {"ab", "cd", "ef",       "gh",   "ij", "kl", "画",
                                "é",  "😀",  "\xE3\x81", "\xFF", "\n", "\r", "\r\n"};
  for (int round = 0; round < 3; ++round) {
    std::string text = "\xEF\xBB\xBF";
    while (text.size() < 100000) {
      const std::size_t k = rng() % std::size(pieces);
      if (k < 12 || rng() % 5000 == 0) text += pieces[k];
    }
    std::vector<std::string> expected;
    for (std::size_t at = 3;;) {
      const std::size_t cr = text.find_first_of("\r\n", at);
      expected.push_back(Utf8ToCodePage(std::string_view(text).substr(at, cr - at)));
      if (cr == std::string::npos) break;
      at = cr + (text.compare(cr, 2, "\r\n") == 0 ? 2 : 1);
      if (at == text.size()) break;
    }
    const std::size_t headSize = round == 2 ? 4096 : round;  // none, part of the mark, a run's
    std::FILE* f = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), f);
    std::fseek(f, static_cast<long>(headSize), SEEK_SET);
    const auto source = OpenLineSource(f, text.substr(0, headSize), PageEncoding::Utf8);
    std::vector<std::string> lines;
    std::string line;
    CodeText codes;
    // Bytes and codes, by turns.
    while (lines.size() % 2 ? source->Next(line)
                            : (source->NextCodes(codes) && (line = EncodeCodePage(codes), true))) {
      lines.push_back(line);
    }
    std::fclose(f);
    ASSERT_EQ(lines, expected) << round;
  }
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
