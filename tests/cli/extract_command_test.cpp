// cardo-cli extract reads a file as the extraction dialog does: the same encoding rule (byte
// order mark, <meta> charset, else code page 932, unless --input-encoding forces one) and the
// same reading of its characters, where a character the code page lacks is percent-encoded.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/platform/text.h"
#include "cli/extract_command.h"
#include "tests/support/fakes.h"

namespace cardo {
namespace {

// The exit status and what was printed.
std::pair<int, std::string> Extract(std::vector<std::string> args) {
  std::FILE* out = std::tmpfile();
  const int status = cli::RunExtract(args, stdin, out, stderr);
  std::rewind(out);
  std::string printed(4096, '\0');
  printed.resize(std::fread(printed.data(), 1, printed.size(), out));
  std::fclose(out);
  return {status, printed};
}

TEST(ExtractCommand, ReadsAFileInTheEncodingTheDialogReadsItIn) {
  testing::TempDir dir;
  const std::string meta = "<meta charset=\"utf-8\">\r\n<a href=\"画像/写真.jpg\">写真</a>\r\n";
  dir.Write(u"cafe.html", "<a href=\"http://h/café.zip\"> <a href=\"http://h/😀.zip\">\r\n");
  dir.Write(u"meta.html", meta);
  dir.Write(u"bom.txt", "\xEF\xBB\xBFhttp://h/ダウンロード/a.zip\r\n");
  dir.Write(u"sjis.html", testing::Ansi("<a href=\"画像/写真.jpg\">写真</a>\r\n"));
  const std::string photo = "http://b/d/画像/写真.jpg\n";
  const struct {
    std::vector<std::string> options;
    const char16_t* file;
    std::string printed;
  } cases[] = {
      {{"--mode", "html", "--input-encoding", "utf-8"},
       u"cafe.html",
       "http://h/caf%C3%A9.zip\nhttp://h/%F0%9F%98%80.zip\n"},
      {{"--mode", "html", "--base", "http://b/d/"}, u"meta.html", photo},
      {{"--mode", "html", "--base", "http://b/d/"}, u"sjis.html", photo},
      {{"--mode", "parsed", "--base", "http://b/d/"}, u"meta.html", photo},
      {{"--mode", "parsed", "--base", "http://b/d/"}, u"sjis.html", photo},
      {{"--full-width"}, u"bom.txt", "http://h/ダウンロード/a.zip\n"},
      // A forced encoding wins over what the file says: these are UTF-8 bytes read as code page
      // 932, a lead byte before a byte that is no trail byte shown as "・", the "/" after it kept.
      {{"--mode", "html", "--base", "http://b/d/", "--input-encoding", "cp932"},
       u"meta.html",
       "http://b/d/逕ｻ蜒・/蜀咏悄.jpg\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.options;
    args.push_back(Utf16ToUtf8(dir.File(c.file)));
    const auto [status, printed] = Extract(args);
    EXPECT_EQ(status, 0) << Utf16ToUtf8(c.file);
    EXPECT_EQ(printed, c.printed) << Utf16ToUtf8(c.file) << " " << c.options[0];
  }
}

// A file's links are never fetched, so a depth with a file is refused rather than giving
// nothing.
TEST(ExtractCommand, RefusesADepthWithoutAnAddress) {
  testing::TempDir dir;
  dir.Write(u"a.txt", "http://h/a.zip\r\n");
  const std::string file = Utf16ToUtf8(dir.File(u"a.txt"));
  EXPECT_EQ(Extract({"--depth", "1", file}), std::make_pair(2, std::string()));
  EXPECT_EQ(Extract({"--depth", "0", file}), std::make_pair(0, std::string("http://h/a.zip\n")));
}

}  // namespace
}  // namespace cardo
