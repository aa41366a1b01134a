// The built cardo-cli driven as a user runs it: a byte order mark is no text, an input it
// cannot read and an output it cannot write end it with one line and status 1, never 0.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/platform/text.h"
#include "tests/support/fakes.h"

namespace cardo {
namespace {

using testing::TempDir;

struct CliRun {
  int status;
  std::string out, err;
};

CliRun Cli(const TempDir& dir, const std::string& arguments, const std::string& redirect = "") {
  const std::string out = Utf16ToUtf8(dir.File(u"stdout")), err = Utf16ToUtf8(dir.File(u"stderr"));
  const std::string command = std::string(CARDO_CLI) + " " + arguments + " 2>'" + err + "'" +
                              (redirect.empty() ? " >'" + out + "'" : " " + redirect);
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, dir.Read(u"stdout"), dir.Read(u"stderr")};
}

TEST(CardoCli, AByteOrderMarkIsNoPartOfTheFirstLine) {
  TempDir dir;
  dir.Write(u"u8.txt", "\xEF\xBB\xBFhttp://x/a.zip\r\n");
  const std::string file = "'" + Utf16ToUtf8(dir.File(u"u8.txt")) + "'";
  const struct {
    std::string arguments, out;
  } cases[] = {
      // Standard output carries lines ending with LF, the last one too.
      {"export --format plain --input-encoding utf-8 " + file, "http://x/a.zip\n"},
      {"export --format reget --input-encoding utf-8 " + file, "http://x/a.zip\n"},
      {"extract --input-encoding utf-8 " + file, "http://x/a.zip\n"},
      {"extract " + file, "http://x/a.zip\n"},
  };
  for (const auto& c : cases) {
    const CliRun run = Cli(dir, c.arguments);
    EXPECT_EQ(run.status, 0) << c.arguments;
    EXPECT_EQ(run.out, c.out) << c.arguments;
  }
  for (const std::string input : {"\xEF\xBB\xBF"
                                  "a[1-2]\n",
                                  "\xEF\xBB\xBF"}) {
    dir.Write(u"lines.txt", input);
    const CliRun run = Cli(dir, "expand < '" + Utf16ToUtf8(dir.File(u"lines.txt")) + "'");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, input.size() > 3 ? "a1\na2\n" : "");
  }
}

// Lists are read as the program reads them: each of these exports the same URL.
TEST(CardoCli, ExportReadsAListInTheEncodingItShows) {
  TempDir dir;
  const struct {
    std::string bytes, options;
  } cases[] = {
      {"http://x/\xE6\x97\xA5.zip\n", ""},
      {"\xEF\xBB\xBFhttp://x/\xE6\x97\xA5.zip\n", "--input-encoding auto"},
      {std::string("\xFF\xFEh\0t\0t\0p\0:\0/\0/\0x\0/\0\xE5\x65.\0z\0i\0p\0", 30), ""},
      {"http://x/\x93\xFA.zip\r\n", ""},
      {"http://x/\xE6\x97\xA5.zip\n", "--input-encoding utf-8"},
      {"http://x/\x93\xFA.zip\r\n", "--input-encoding cp932"},
  };
  for (const auto& c : cases) {
    dir.Write(u"list.txt", c.bytes);
    const CliRun run = Cli(dir, "export --format plain " + c.options + " '" +
                                    Utf16ToUtf8(dir.File(u"list.txt")) + "'");
    EXPECT_EQ(run.status, 0) << c.bytes;
    EXPECT_EQ(run.out.substr(0, run.out.find_first_of("\r\n")), "http://x/%E6%97%A5.zip")
        << c.bytes;
  }
}

TEST(CardoCli, AFolderAsInputIsNamedWithTheReason) {
  TempDir dir;
  const std::string folder = Utf16ToUtf8(dir.path());
  for (const std::string command : {"export --format reget", "extract"}) {
    const CliRun run = Cli(dir, command + " '" + folder + "'");
    EXPECT_EQ(run.status, 1) << command;
    EXPECT_EQ(run.err, "cardo-cli: cannot read " + folder + ": Is a directory\n");
  }
}

TEST(CardoCli, AFullDeviceIsNeverASuccess) {
  TempDir dir;
  dir.Write(u"list.txt", "http://x/a.zip\r\n");
  const std::string list = "'" + Utf16ToUtf8(dir.File(u"list.txt")) + "'";
  const struct {
    std::string arguments, redirect, err;
  } cases[] = {
      {"expand 'a[1-3]'", ">/dev/full", "cardo-cli: cannot write standard output"},
      {"extract " + list, ">/dev/full", "cardo-cli: cannot write standard output"},
      {"export --format curl " + list, ">/dev/full", "cardo-cli: cannot write standard output"},
      {"export --format iria --out /dev/full " + list, "", "cardo-cli: cannot write /dev/full"},
      {"generate --end 3 x", ">/dev/full", "cardo-cli: cannot write standard output"},
  };
  for (const auto& c : cases) {
    const CliRun run = Cli(dir, c.arguments, c.redirect);
    EXPECT_EQ(run.status, 1) << c.arguments;
    EXPECT_EQ(run.err, c.err + ": No space left on device\n") << c.arguments;
  }
}

// The helps are read in a terminal and made into the manual page, which sets them 7 columns
// in: no line runs past 72 columns.
TEST(CardoCli, EveryHelpLineFitsItsWidth) {
  TempDir dir;
  for (const std::string command :
       {"", "expand ", "extract ", "fetch ", "generate ", "check ", "export "}) {
    const CliRun run = Cli(dir, command + "--help");
    EXPECT_EQ(run.status, 0) << command;
    std::size_t start = 0;
    for (std::size_t end; (end = run.out.find('\n', start)) != std::string::npos; start = end + 1) {
      const std::u16string line = Utf8ToUtf16(run.out.substr(start, end - start));
      EXPECT_LE(line.size(), 72u) << command << Utf16ToUtf8(line);
    }
  }
}

}  // namespace
}  // namespace cardo
