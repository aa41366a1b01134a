#include "app/text/page_encoding.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tests/extract/extract_to_list_steps.h"
#include "app/platform/text.h"
#include "tests/list/shell_fixture.h"
#include "tests/support/fakes.h"

namespace cardo {
namespace {

TEST(PageEncoding, FollowsWhatThePageDeclares) {
  const std::string filler(5000, ' ');
  const std::optional<PageEncoding> none;  // declares nothing: its bytes decide
  const struct {
    const char* contentType;
    std::string head;
    std::optional<PageEncoding> expected;
  } cases[] = {
      {"", "<html><a href=x>", none},
      {"text/html; charset=UTF-8", "<html>", PageEncoding::Utf8},
      {"text/html;charset=\"utf8\"", "<html>", PageEncoding::Utf8},
      {"text/html; charset=Shift_JIS", "<meta charset=\"utf-8\">", PageEncoding::CodePage932},
      {"text/html; charset=Shift_JIS", "\xEF\xBB\xBF<html>", PageEncoding::Utf8},
      {"", "\xEF\xBB\xBFhttp://h/", PageEncoding::Utf8},
      {"text/html", "<head><META CHARSET=utf-8>", PageEncoding::Utf8},
      {"", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">",
       PageEncoding::Utf8},
      {"", "<meta name=\"x\" content=\"y\"><meta charset='EUC-JP'><meta charset=utf-8>",
       PageEncoding::EucJp},
      {"", "<p>charset=utf-8</p>", none},
      {"", filler + "<meta charset=utf-8>", none},
      {"", "<meta charset=\"utf-8\"", PageEncoding::Utf8},
      // A UTF-16 mark beats the server; a <meta> naming UTF-16 is read in ASCII, so UTF-8.
      {"text/html; charset=utf-8", "\xFF\xFE<\0h\0", PageEncoding::Utf16Le},
      {"text/html; charset=euc-jp", "\xFE\xFF\0<", PageEncoding::Utf16Be},
      {"text/html; charset=utf-16", "<html>", PageEncoding::Utf16Le},
      {"", "<meta charset=utf-16>", PageEncoding::Utf8},
      // The labels a browser knows, in any case; an unknown one is passed over.
      {"text/html; charset=Windows-31J", "", PageEncoding::CodePage932},
      {"text/html; charset=x-sjis", "", PageEncoding::CodePage932},
      {"text/plain; charset=ISO-8859-1", "", PageEncoding::Windows1252},
      {"text/html; charset=us-ascii", "", PageEncoding::Windows1252},
      {"text/html; charset=x-euc-jp", "", PageEncoding::EucJp},
      {"text/html; charset=ISO-2022-JP", "", PageEncoding::Iso2022Jp},
      {"text/html; charset=klingon", "<meta charset=euc-jp>", PageEncoding::EucJp},
      {"", "<meta charset=klingon><meta charset=\"iso-2022-jp\">", PageEncoding::Iso2022Jp},
      {"", "<meta charset=unicode-1-1-utf-8>", PageEncoding::Utf8},
      // A commented-out declaration, or a tag that only starts like <meta>, declares nothing.
      {"", "<!-- <meta charset=euc-jp> --><meta charset=utf-8>", PageEncoding::Utf8},
      {"", "<!-- <meta charset=euc-jp>", none},
      {"", "<metadata charset=euc-jp>", none},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DetectPageEncoding(c.contentType, c.head), c.expected)
        << c.contentType << " | " << c.head.substr(0, 80);
  }
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
      expected.push_back(Utf16ToUtf8(Utf8ToUtf16(std::string_view(text).substr(at, cr - at))));
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
    std::u16string wide;
    // UTF-8 and UTF-16, by turns.
    while (lines.size() % 2 ? source->Next(line)
                            : (source->NextText(wide) && (line = Utf16ToUtf8(wide), true))) {
      lines.push_back(line);
    }
    std::fclose(f);
    ASSERT_EQ(lines, expected) << round;
  }
}

// The lines of a file whose encoding is decided as it is read (a pipe's lines come before its
// first 4 KB) are those of the file decided from its first 4 KB.
TEST(PageEncoding, DecidingAsTheBytesComeDecidesAsTheFirstFourKilobytesDo) {
  const std::string filler(5000, 'x');
  const std::string sjis = testing::Ansi("画像");
  const struct {
    std::string bytes;
    std::optional<PageEncoding> forced;
    std::string contentType;
  } cases[] = {
      {"<p>caf\xE9</p>\n<meta charset=windows-1252>\nhttp://h/\xE9\n", {}, ""},
      {"<p>" + sjis + "</p>\n<meta charset=\"shift_jis\">\n", {}, ""},
      {"<p>\xE7\x94\xBB</p>\n" + filler + "<meta charset=euc-jp>\n", {}, ""},
      {"http://h/a\n\x1B$B$\"\x1B(B\n<meta charset=iso-2022-jp>\n", {}, ""},
      {"\xEF\xBB\xBFhttp://h/\xE7\x94\xBB\n", PageEncoding::CodePage932, ""},
      {std::string("\xFF\xFEh\0t\0\n\0", 8), {}, ""},
      {std::string("h\0t\0\n\0", 6), PageEncoding::Utf16Le, ""},
      {"http://h/" + sjis + "\n", {}, "text/html; charset=utf-8"},
      {"\xEF\xBB", {}, ""},
      {"", {}, "text/html; charset=euc-jp"},
  };
  for (const auto& c : cases) {
    std::FILE* f = std::tmpfile();
    std::fwrite(c.bytes.data(), 1, c.bytes.size(), f);
    const auto read = [](LineSource& source) {
      std::vector<std::string> lines;
      for (std::string line; source.Next(line);) lines.push_back(line);
      return lines;
    };
    const EncodingRule rule{c.forced, c.contentType};
    std::rewind(f);
    const auto deciding = OpenLineSource(f, rule);
    const std::vector<std::string> asTheyCome = read(*deciding);
    std::rewind(f);
    const std::string head = c.bytes.substr(0, kEncodingHeadBytes);
    std::fseek(f, static_cast<long>(head.size()), SEEK_SET);
    const auto decided = OpenLineSource(f, head, DecideEncoding(rule, head));
    EXPECT_EQ(asTheyCome, read(*decided)) << c.bytes.substr(0, 40);
    std::fclose(f);
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
  EXPECT_EQ(testing::ExtractUrlsToList(dir.File(u"meta.html"), html, link, f.shell),
            ExtractResult::Done);
  for (const char16_t* file : {u"meta.html", u"bom.txt", u"plain.txt"}) {
    EXPECT_EQ(testing::ExtractUrlsToList(dir.File(file), text, u"", f.shell), ExtractResult::Done);
  }
  html.mode = ExtractMode::Download;
  html.pageUrl = u"https://h/p/index.html";
  EXPECT_EQ(testing::ExtractUrlsToList(dir.File(u"served.html"), html, link, f.shell,
                                       "text/html; charset=utf-8"),
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
    EXPECT_EQ(testing::ExtractUrlsToList(dir.File(file), html, u"*.jpg", f.shell),
              ExtractResult::Done);
  }
  const std::u16string photo = Utf8ToUtf16("http://h/d/画像/写真.jpg");
  EXPECT_EQ(f.Lines(), (std::vector<std::u16string>{photo, photo}));
}

// `utf8` in UTF-16 bytes, with its byte order mark.
std::string Utf16Bytes(std::string_view utf8, bool bigEndian) {
  std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : Utf8ToUtf16(utf8)) {
    const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
    bytes += bigEndian ? std::string{high, low} : std::string{low, high};
  }
  return bytes;
}

TEST(PageEncoding, AJapaneseLinkComesWholeInEveryCharsetAPageMayUse) {
  const std::string link = "<a href=\"画像/写真.jpg\">写真</a>\r\n";
  const std::string euc = "<a href=\"\xB2\xE8\xC1\xFC/\xBC\xCC\xBF\xBF.jpg\">\r\n";
  const std::string jis = "<a href=\"\x1B$B2hA|\x1B(B/\x1B$B<L??\x1B(B.jpg\">\r\n";
  const std::string ascii(70000, ' ');  // past the head and the first read
  const std::string photo = "http://h/画像/写真.jpg";
  const struct {
    const char* name;
    const char* contentType;
    std::string bytes;
    std::string url;
  } cases[] = {
      {"sjis meta", "", testing::Ansi("<meta charset=\"Shift_JIS\">" + link), photo},
      {"sjis, nothing declared", "", testing::Ansi(ascii + link), photo},
      {"utf-8, nothing declared", "", ascii + link, photo},
      {"utf-8 meta", "", "<meta charset=utf-8>" + link, photo},
      {"utf-8, a comment declaring another", "", "<!--<meta charset=euc-jp>-->" + link, photo},
      {"euc-jp header over meta", "text/html; charset=EUC-JP", "<meta charset=utf-8>" + euc, photo},
      {"euc-jp meta", "", "<meta http-equiv=content-type content='text/html;charset=euc-jp'>" + euc,
       photo},
      {"iso-2022-jp meta", "", "<meta charset=iso-2022-jp>" + jis, photo},
      // Declared nowhere: the bytes show the encoding, as a browser detects it.
      {"euc-jp, nothing declared", "", ascii + euc, photo},
      {"euc-jp kana (half-width katakana pairs to code page 932), nothing declared", "",
       ascii + "<p>\"\xA4\xB3\xA4\xEC\xA4\xCF\xBC\xCC\xBF\xBF\xA4\xC7\xA4\xB9\"</p>" + euc, photo},
      {"iso-2022-jp, nothing declared", "", ascii + jis, photo},
      {"iso-2022-jp's escape beyond the first read", "", ascii + ascii + jis, photo},
      {"sjis half-width katakana, nothing declared", "", testing::Ansi(ascii + "ｶﾀｶﾅの" + link),
       photo},
      {"xhtml's xml declaration", "application/xhtml+xml",
       "<?xml version=\"1.0\" encoding=\"EUC-JP\"?>\n<html>" + euc, photo},
      {"a file's xml declaration is passed over: its bytes decide", "",
       testing::Ansi("<?xml version='1.0' encoding='utf-8' ?>" + ascii + link), photo},
      {"text/xml's declaration", "text/xml; x=y", "<?xml version='1.0' encoding='euc-jp' ?>" + euc,
       photo},
      {"an html page's xml declaration is passed over", "text/html",
       "<?xml version='1.0' encoding='euc-jp'?><meta charset=utf-8>" + link, photo},
      {"utf-16le mark over header", "text/html; charset=Shift_JIS", Utf16Bytes(link, false), photo},
      {"utf-16be mark", "", Utf16Bytes("<meta charset=utf-16>" + link, true), photo},
      {"latin-1 header", "text/html; charset=iso-8859-1", "<a href=\"caf\xE9.jpg\">\r\n",
       "http://h/caf%C3%A9.jpg"},
  };
  testing::TempDir dir;
  ExtractOptions html;
  html.mode = ExtractMode::Html;
  html.baseUrlBox = u"http://h/";
  for (const auto& c : cases) {
    dir.Write(u"page.html", c.bytes);
    testing::ShellFixture f;
    EXPECT_EQ(
        testing::ExtractUrlsToList(dir.File(u"page.html"), html, u"*.jpg", f.shell, c.contentType),
        ExtractResult::Done);
    EXPECT_EQ(f.Lines(), std::vector<std::u16string>{Utf8ToUtf16(c.url)}) << c.name;
  }
}

}  // namespace
}  // namespace cardo
