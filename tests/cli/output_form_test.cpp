// The built cardo-cli (natively) and cardo-cli.exe (under Wine) run as a user runs them: every
// command's standard output in one form (UTF-8, or code page 932 when asked; LF natively, CR LF
// from the .exe), export files byte-exact, and Japanese in the arguments, as cmd.exe and
// PowerShell pass them (a UTF-16 command line, here given to CreateProcessW as they do).
#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/platform/text.h"
#include "tests/cli/cli_runner.h"
#include "tests/support/fakes.h"
#include "tests/support/loopback_server.h"

namespace cardo {
namespace {

using testing::Ansi;
using testing::AsPrinted;
using testing::Cli;
using testing::CliRun;
using testing::kExe;
using testing::TempDir;

TEST(CliOutput, EveryCommandPrintsInOneFormAndReadsJapaneseArguments) {
  TempDir dir;
  // Japanese file names: the .exe opens them by their UTF-16 names.
  dir.Write(u"日本語.txt", "\xEF\xBB\xBFhttp://h/日本/a.zip\r\n");
  dir.Write(u"一覧.lst", "http://h/日本.zip\r\nhttp://h/b.zip\r\n");
  const std::string page = Utf16ToUtf8(dir.File(u"日本語.txt"));
  const std::string list = Utf16ToUtf8(dir.File(u"一覧.lst"));
  const std::string cp932Input = Ansi("http://h/日本[1-2].jpg\r\n");
  const std::string expanded = "http://h/日本1.jpg\nhttp://h/日本2.jpg\n";
  const struct {
    std::vector<std::string> args;
    std::string input, printed;  // printed: UTF-8 lines ending with LF
  } cases[] = {
      {{"expand", "http://h/日本[1-2].jpg"}, "", expanded},
      // Standard input in either encoding, told apart by its bytes.
      {{"expand"}, cp932Input, expanded},
      {{"expand"}, "http://h/日本[1-2].jpg\n", expanded},
      {{"expand", "--input-encoding", "cp932"}, cp932Input, expanded},
      {{"generate", "--mode", "filename", "--end", "1", "http://h/写真"},
       "",
       "http://h/写真0\nhttp://h/写真1\n"},
      {{"extract", "--full-width", page}, "", "http://h/日本/a.zip\n"},
      {{"export", "--format", "reget", "--input-encoding", "utf-8", list},
       "",
       "http://h/日本.zip\nhttp://h/b.zip\n"},
      {{"export", "--format", "aria2", "--input-encoding", "utf-8", list},
       "",
       "http://h/%E6%97%A5%E6%9C%AC.zip\n out=%E6%97%A5%E6%9C%AC.zip\nhttp://h/b.zip\n "
       "out=b.zip\n"},
      {{"export", "--format", "curl", "--input-encoding", "utf-8", list},
       "",
       "globoff\nproto = \"=http,https,ftp,ftps\"\nproto-redir = \"=http,https,ftp,ftps\"\n"
       "location\nfail\nremove-on-error\n"
       "url = \"http://h/%E6%97%A5%E6%9C%AC.zip\"\noutput = \"%E6%97%A5%E6%9C%AC.zip\"\n"
       "url = \"http://h/b.zip\"\noutput = \"b.zip\"\n"},
  };
  for (const auto& c : cases) {
    for (const char* encoding : {"", "utf-8", "cp932"}) {
      std::vector<std::string> args = c.args;
      if (*encoding) args.insert(args.begin() + 1, {"--output-encoding", encoding});
      const CliRun run = Cli(dir, args, c.input);
      const std::string what = args[0] + " " + args.back() + " " + encoding;
      EXPECT_EQ(run.status, 0) << what << ": " << run.err;
      EXPECT_EQ(run.out, AsPrinted(c.printed, std::string(encoding) == "cp932")) << what;
      EXPECT_EQ(run.err, "") << what;
    }
  }
  // The code page's own bytes, not a second conversion's.
  EXPECT_EQ(Cli(dir, {"expand", "--output-encoding", "cp932", "日本[1-1]"}, "").out,
            AsPrinted("\x93\xFA\x96\x7B"
                      "1\n",
                      false));
  // A character code page 932 lacks is "?", and the user is told.
  const CliRun lost = Cli(dir, {"expand", "--output-encoding", "cp932", "h/é[1-1]"}, "");
  EXPECT_EQ(lost.out, AsPrinted("h/?1\n", false));
  // In the language of the locale: English natively (the tests' C locale), Japanese under Wine.
  EXPECT_EQ(
      lost.err,
      AsPrinted(kExe ? "cardo-cli: コードページ 932 で表せない文字を「?」として書き出しました\n"
                     : "cardo-cli: characters code page 932 cannot hold were written as "
                       "\"?\"\n",
                false));
  EXPECT_EQ(Cli(dir, {"generate", "--output-encoding", "sjis", "x"}, "").status, 2);
}

TEST(CliOutput, AnExportFileKeepsItsFormatsBytes) {
  TempDir dir;
  dir.Write(u"一覧.lst", "http://h/日本.zip\nhttp://h/b.zip\n");
  const std::string list = Utf16ToUtf8(dir.File(u"一覧.lst"));
  const struct {
    const char* format;
    std::string bytes;
  } cases[] = {
      {"reget", Ansi("http://h/日本.zip\r\nhttp://h/b.zip")},
      {"aria2",
       "http://h/%E6%97%A5%E6%9C%AC.zip\r\n out=%E6%97%A5%E6%9C%AC.zip\r\nhttp://h/b.zip\r\n "
       "out=b.zip\r\n"},
  };
  for (const auto& c : cases) {
    for (const char* encoding : {"utf-8", "cp932"}) {
      const CliRun run =
          Cli(dir,
              {"export", "--format", c.format, "--input-encoding", "utf-8", "--output-encoding",
               encoding, "--out", Utf16ToUtf8(dir.File(u"出力.txt")), list},
              "");
      EXPECT_EQ(run.status, 0) << run.err;
      EXPECT_EQ(run.out, "");
      EXPECT_EQ(dir.Read(u"出力.txt"), c.bytes) << c.format << " " << encoding;
    }
  }
}

// A stretch too long for any URL is left out, and said, in the .exe's printf too; the URLs
// around it come whole.
TEST(CliOutput, ExtractSaysWhatWasTooLongForAUrl) {
  TempDir dir;
  dir.Write(u"long.txt", "http://a/1 " + std::string(3 << 20, 'p') + " http://a/2\n");
  const CliRun run = Cli(dir, {"extract", "--filter", "*", Utf16ToUtf8(dir.File(u"long.txt"))}, "");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, AsPrinted("http://a/1\nhttp://a/2\n", false));
  // In the language of the locale, as every message of the cli's own.
  EXPECT_EQ(
      run.err,
      AsPrinted(kExe
                    ? "cardo-cli: URL にしては長すぎる 1 か所 (512 KiB 超) は抜き出しませんでした\n"
                    : "cardo-cli: left out 1 stretch(es) of over 512 KiB, too long for a URL\n",
                false));
}

TEST(CliOutput, ExtractsOutputIsWhatExportReads) {
  TempDir dir;
  dir.Write(u"page.html", "<meta charset=\"utf-8\"><a href=\"写真/日本.zip\">x</a>\n");
  const CliRun extracted =
      Cli(dir,
          {"extract", "--mode", "html", "--base", "http://h/", Utf16ToUtf8(dir.File(u"page.html"))},
          "");
  ASSERT_EQ(extracted.status, 0) << extracted.err;
  // A pipe natively; the .exe reads the same bytes from a file.
  dir.Write(u"urls.txt", extracted.out);
  const CliRun exported =
      Cli(dir, {"export", "--format", "aria2", kExe ? Utf16ToUtf8(dir.File(u"urls.txt")) : "-"},
          extracted.out);
  EXPECT_EQ(exported.status, 0) << exported.err;
  EXPECT_EQ(
      exported.out,
      AsPrinted("http://h/%E5%86%99%E7%9C%9F/%E6%97%A5%E6%9C%AC.zip\n out=%E6%97%A5%E6%9C%AC.zip\n",
                false));

  // A list with a byte that is no character of its encoding is exported as read, and said so.
  dir.Write(u"bad.lst", "http://x/\xE8\xAA\x9E/a\nhttp://x/caf\xE9\n");
  const CliRun bad =
      Cli(dir, {"export", "--format", "plain", Utf16ToUtf8(dir.File(u"bad.lst"))}, "");
  EXPECT_EQ(bad.status, 0) << bad.err;
  EXPECT_NE(bad.err.find(kExe ? "その符号化の文字でないバイトがあります"
                              : "hold bytes that are no characters of its encoding"),
            std::string::npos)
      << bad.err;
}

// A UTF-8 byte order mark decides, as when the program opens the list, whatever the lines
// hold: the line whose byte is no UTF-8 is said, the others read as UTF-8.
TEST(CliOutput, ExportReadsAListWithAByteOrderMarkAsUtf8) {
  TempDir dir;
  dir.Write(u"bom.lst", "\xEF\xBB\xBFhttp://h/\xE6\x97\xA5.zip\nhttp://h/\xFF.zip\n");
  const CliRun run =
      Cli(dir, {"export", "--format", "plain", Utf16ToUtf8(dir.File(u"bom.lst"))}, "");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, AsPrinted("http://h/%E6%97%A5.zip\nhttp://h/%EF%BF%BD.zip\n", false));
  EXPECT_NE(run.err.find(kExe ? "(最初は 2 行目)" : "(the first: line 2)"), std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find(kExe ? "の 1 行に" : "1 line(s) of"), std::string::npos) << run.err;
}

TEST(CliOutput, AJapaneseUrlIsRequestedPercentEncodedAndAJapaneseFileWritten) {
  testing::LoopbackServer server(
      {"HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n<a href=\"a.zip\">a</a>\r\n"});
  TempDir dir;
  const std::string url = "http://localhost:" + std::to_string(server.port()) + "/日本/page.html";
  const CliRun run = Cli(dir, {"extract", "--url", url}, "");
  std::string request = server.request();
  request = request.substr(0, request.find(' ', 4));
  // libcurl writes the escapes' hex digits in lower case, which means the same.
  if (!kExe) {
    for (char& c : request) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  }
  EXPECT_EQ(request,
            kExe ? "GET /%E6%97%A5%E6%9C%AC/page.html" : "GET /%E6%97%A5%E6%9C%AC/PAGE.HTML");
  EXPECT_EQ(run.status, 0) << run.err;
  // The page's address as the user gave it, as the dialog shows it.
  EXPECT_EQ(
      run.out,
      AsPrinted("http://localhost:" + std::to_string(server.port()) + "/日本/a.zip\n", false));

  testing::LoopbackServer saved({"HTTP/1.0 200 OK\r\n\r\nbody"});
  const CliRun fetched = Cli(dir,
                             {"fetch", "http://127.0.0.1:" + std::to_string(saved.port()) + "/",
                              Utf16ToUtf8(dir.File(u"応答.txt"))},
                             "");
  EXPECT_EQ(fetched.status, 0) << fetched.err;
  const std::string response = dir.Read(u"応答.txt");
  EXPECT_EQ(response.substr(response.size() < 4 ? 0 : response.size() - 4), "body") << response;
  // "-" is standard output: the same bytes.
  testing::LoopbackServer shown({"HTTP/1.0 200 OK\r\n\r\nbody"});
  const CliRun printed =
      Cli(dir, {"fetch", "http://127.0.0.1:" + std::to_string(shown.port()) + "/", "-"}, "");
  EXPECT_EQ(printed.status, 0) << printed.err;
  EXPECT_EQ(printed.out, response);
}

}  // namespace
}  // namespace cardo
