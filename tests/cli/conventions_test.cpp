// The conventions a Unix user tries first, kept by every command of the built cardo-cli
// (natively) and cardo-cli.exe (under Wine): --version, "--" ending the options,
// --name=value, "-" as standard input and as --out's standard output, and every message on
// standard error starting with "cardo-cli: ", in the locale's language.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/platform/text.h"
#include "app/resources/version.h"
#include "tests/cli/cli_runner.h"
#include "tests/support/fakes.h"

namespace cardo {
namespace {

using testing::AsPrinted;
using testing::Cli;
using testing::CliRun;
using testing::kExe;
using testing::TempDir;

TEST(CliConventions, EveryCommandTakesThem) {
  TempDir dir;
  dir.Write(u"list.txt", "http://h/a.zip\n");
  dir.Write(u"page.html", "<a href=\"b.zip\">b</a>\n");
  const std::string list = Utf16ToUtf8(dir.File(u"list.txt"));
  const std::string page = Utf16ToUtf8(dir.File(u"page.html"));
  const std::string version = std::string("cardo-cli ") + CARDO_VERSION_TEXT + "\n";
  const struct {
    std::vector<std::string> args;
    std::string input;
    std::string printed;  // UTF-8 lines ending with LF, as AsPrinted takes them
    bool raw = false;     // the bytes as they are: a file's, on standard output
  } cases[] = {
      {{"--version"}, "", version},
      {{"expand", "--version"}, "", version},
      {{"extract", "--version"}, "", version},
      {{"fetch", "--version"}, "", version},
      {{"generate", "--version"}, "", version},
      {{"export", "--version"}, "", version},
      {{"check", "--version"}, "", version},
      {{"receive", "--version"}, "", version},
      // "--" ends the options: what follows is an operand however it starts.
      {{"expand", "--", "-a[1-2]", "--x[1-1]"}, "", "-a1\n-a2\n--x1\n"},
      {{"generate", "--end", "1", "--", "-x"}, "", "-x.0\n-x.1\n"},
      {{"extract", "--mode", "html", "--base", "http://h/", "--", page}, "", "http://h/b.zip\n"},
      {{"export", "--format", "plain", "--", list}, "", "http://h/a.zip\n"},
      // --name=value is --name value.
      {{"expand", "--extended", "--output-encoding=utf-8", "a[1-2:1]"}, "", "a1\na2\n"},
      {{"generate", "--end=1", "--mode=filename", "x"}, "", "x0\nx1\n"},
      {{"extract", "--mode=html", "--base=http://h/", page}, "", "http://h/b.zip\n"},
      {{"export", "--format=aria2", list}, "", "http://h/a.zip\n out=a.zip\n"},
      {{"check", "--jobs=2", "-"}, "ftp://h/x\n", "NOT-CHECKED\t-\t-\tftp://h/x\tftp://h/x\n"},
      // "-" is standard input for every command that reads a file.
      {{"expand", "-"}, "a[1-2]\n", "a1\na2\n"},
      {{"expand", "b[1-1]", "-", "c[1-1]"}, "a[1-1]\n", "b1\na1\nc1\n"},
      {{"extract", "-"}, "see http://h/a.zip\n", "http://h/a.zip\n"},
      {{"export", "--format", "plain", "-"}, "http://h/a.zip\n", "http://h/a.zip\n"},
      // and standard output for --out: the file's own bytes.
      {{"export", "--format", "aria2", "--out", "-", list},
       "",
       "http://h/a.zip\r\n out=a.zip\r\n",
       true},
      {{"export", "--format=reget", "--out=-", "-"}, "http://h/a.zip\n", "http://h/a.zip", true},
  };
  for (const auto& c : cases) {
    const CliRun run = Cli(dir, c.args, c.input);
    const std::string what = c.args[0] + " " + c.args.back();
    EXPECT_EQ(run.status, 0) << what << ": " << run.err;
    EXPECT_EQ(run.out, c.raw ? c.printed : AsPrinted(c.printed, false)) << what;
    EXPECT_EQ(run.err, "") << what;
  }
}

// The manual page sets each help 7 columns in: every line fits 80 columns there.
TEST(CliConventions, EveryHelpFitsTheManualPage) {
  TempDir dir;
  for (const std::string command :
       {"", "expand", "extract", "fetch", "generate", "export", "check", "receive"}) {
    std::vector<std::string> args{"--help"};
    if (!command.empty()) args.insert(args.begin(), command);
    const CliRun run = Cli(dir, args, "");
    EXPECT_EQ(run.status, 0) << command;
    std::size_t start = 0;
    for (std::size_t end; (end = run.out.find('\n', start)) != std::string::npos; start = end + 1) {
      const std::size_t columns = end - start - (kExe ? 1 : 0);  // CR LF in cardo-cli.exe
      EXPECT_LE(columns, 72u) << command << ": " << run.out.substr(start, end - start);
    }
    EXPECT_GT(start, 0u) << command;
  }
}

// Every line on standard error, whatever said it, names the program first.
TEST(CliConventions, EveryMessageStartsWithTheProgramsName) {
  TempDir dir;
  const std::string missing = Utf16ToUtf8(dir.File(u"missing.txt"));
  const struct {
    std::vector<std::string> args;
    std::string input;
    int status;
  } cases[] = {
      {{}, "", 2},
      {{"bogus"}, "", 2},
      {{"--bogus"}, "", 2},
      {{"expand", "--bogus"}, "", 2},
      {{"expand", "--extended=yes", "a"}, "", 2},
      {{"expand", "no range", "-"}, "a[1-\nb[x]\n", 1},
      {{"expand", "--extended", "a[1-"}, "", 1},
      {{"extract", missing}, "", 1},
      {{"extract", "--depth", "1", "-"}, "", 2},
      {{"fetch", "http://h/"}, "", 2},
      {{"generate", "--start=9", "--end=1", "--step=0", "x"}, "", 1},
      {{"generate", "--pad"}, "", 2},
      {{"export", "--format", "plain", missing}, "", 1},
      {{"export", "--format", "plain", "-"}, "http://h/\x81\n", 0},  // a lead byte alone
      {{"export", "--format", "wget", "-"}, "", 2},
      {{"check", missing}, "", 1},
      {{"check", "--timeout=0", "-"}, "", 2},
      {{"receive", "--port=0"}, "", 2},
      {{"receive", "--token=t", "--token-file", missing}, "", 2},
      {{"receive", "--token-file", missing}, "", 1},
  };
  for (const auto& c : cases) {
    const CliRun run = Cli(dir, c.args, c.input);
    const std::string what = c.args.empty() ? "" : c.args[0] + " " + c.args.back();
    EXPECT_EQ(run.status, c.status) << what << ": " << run.err;
    ASSERT_FALSE(run.err.empty()) << what;
    std::size_t start = 0;
    for (std::size_t end; (end = run.err.find('\n', start)) != std::string::npos; start = end + 1) {
      EXPECT_EQ(run.err.compare(start, 11, "cardo-cli: "), 0) << what << ": " << run.err;
    }
    EXPECT_EQ(start, run.err.size()) << what << ": the last line is ended";
  }
}

#ifndef _WIN32
// The cli's own messages follow the locale's language where they exist in English (LANG=C
// among them), Japanese otherwise; the program's own stay Japanese.
TEST(CliConventions, MessagesFollowTheLocalesLanguage) {
  TempDir dir;
  const std::string missing = Utf16ToUtf8(dir.File(u"missing.txt"));
  const struct {
    std::string locale;  // LC_ALL, LC_MESSAGES, LANG in this order, "-" for unset
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {"- - C", {"extract", missing}, "cardo-cli: cannot read " + missing + ": "},
      {"- - ja_JP.UTF-8", {"extract", missing}, "cardo-cli: " + missing + " を読み取れません: "},
      {"C ja_JP.UTF-8 ja_JP.UTF-8", {"expand", "x"}, "cardo-cli: x - no [ in the line (1)\n"},
      {"- en_US.UTF-8 ja_JP.UTF-8",
       {"generate", "--pad=0", "x"},
       "cardo-cli: --pad is a whole number from 1 to 32767 (see cardo-cli generate --help)\n"},
      {"- - de_DE.UTF-8", {"expand", "x"}, "cardo-cli: x - 文字列内に[が見つかりません。 (1)\n"},
      {"- - -", {"bogus"}, "cardo-cli: unknown command \"bogus\" (see cardo-cli --help)\n"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> words;
    for (std::size_t at = 0, end; at <= c.locale.size(); at = end + 1) {
      end = std::min(c.locale.find(' ', at), c.locale.size());
      words.push_back(c.locale.substr(at, end - at));
    }
    std::string environment = "env";
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    for (std::size_t i = 0; i < 3; ++i) {
      environment += words[i] == "-" ? std::string(" -u ") + names[i]
                                     : std::string(" ") + names[i] + "=" + words[i];
    }
    const CliRun run = Cli(dir, c.args, "", environment);
    EXPECT_EQ(run.err.substr(0, c.err.size()), c.err) << c.locale;
  }
}
#else
// A Japanese user interface: the messages are Japanese.
TEST(CliConventions, MessagesFollowTheUserInterfacesLanguage) {
  TempDir dir;
  const std::string missing = Utf16ToUtf8(dir.File(u"missing.txt"));
  EXPECT_EQ(Cli(dir, {"extract", missing}, "")
                .err.rfind("cardo-cli: " + missing + " を読み取れません: ", 0),
            0u);
}
#endif

}  // namespace
}  // namespace cardo
