#include "app/export/export.h"

#include <gtest/gtest.h>

#include "app/export/messages.h"
#include "app/list/messages.h"
#include "app/platform/codec.h"
#include "app/platform/text.h"
#include "cli/export_command.h"
#include "cli/messages.h"
#include "tests/list/shell_fixture.h"

namespace cardo {
namespace {

using testing::ShellFixture;
using testing::TempDir;
using Lines = std::vector<std::u16string>;

const std::string kCurlHeader =
    "globoff\r\nproto = \"=http,https,ftp,ftps\"\r\nproto-redir = \"=http,https,ftp,ftps\"\r\n"
    "location\r\nfail\r\nremove-on-error\r\n";

TEST(Export, FileTextsAndCommandLine) {
  const std::u16string note = std::u16string(msg::kIriaNote) + u"https://cardo.example/";
  const struct {
    ExportFormat manager;
    Lines lines;
    std::u16string text;
  } cases[] = {
      {ExportFormat::ReGet, {u"a", u"", u"b"}, u"a\r\n\r\nb"},
      {ExportFormat::ReGet, {u"a"}, u"a"},
      {ExportFormat::Iria,
       {u"a"},
       u"#Exported By Cardo Ver 3.00\r\n" + note + u"\r\n\r\nurl=a\r\n"},
      {ExportFormat::Iria,
       {u"a", u""},
       u"#Exported By Cardo Ver 3.00\r\n" + note + u"\r\n\r\nurl=a\r\n\r\nurl=\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(ExportText(c.manager, c.lines, u"3.00"), c.text);
  EXPECT_EQ(ExportCommandLine(ExportFormat::Iria, u"C:\\Program Files\\Iria\\Iria.exe", u"",
                              u"C:\\c\\TEMP.IRI"),
            u"\"C:\\Program Files\\Iria\\Iria.exe\" \"C:\\c\\TEMP.IRI\"");
}

TEST(Export, TheThirdManagersFilesArePureAsciiAndNothingInThemReadsAsAnOption) {
  const struct {
    std::u16string line;
    std::string url;
  } urls[] = {
      {u"http://h/a b.zip", "http://h/a%20b.zip"},
      {u" \t\u3000http://h/x \t", "http://h/x"},
      {u"  out=renamed.bin", "out=renamed.bin"},
      {u"http://h/\tt", "http://h/t"},
      {u"http://h/\u4E88\u5B9A\u8868", "http://h/%E4%BA%88%E5%AE%9A%E8%A1%A8"},
      {u"http://h/\u00A5\u00E9%41", "http://h/%C2%A5%C3%A9%41"},
      {u"http://h/\U0001F600\x7F", "http://h/%F0%9F%98%80%7F"},
      {u"http://h/b{x,y}[1].zip", "http://h/b%7Bx,y%7D[1].zip"},
      {u" \t ", ""},
  };
  for (const auto& c : urls) EXPECT_EQ(OtherExportUrl(c.line), c.url);

  const Lines lines = {u"http://h/\"q\"\\", u"", u"  ", u"#x", u"http://h/\u30BD", u" out=a"};
  EXPECT_EQ(OtherExportText(ExportFormat::Plain, lines),
            "http://h/%22q%22/\r\n#x\r\nhttp://h/%E3%82%BD\r\nout=a\r\n");
  EXPECT_EQ(OtherExportText(ExportFormat::Aria2, lines),
            "http://h/%22q%22/\r\n out=index.html\r\n# #x\r\nhttp://h/%E3%82%BD\r\n"
            " out=%E3%82%BD\r\n# out=a\r\n");
  EXPECT_EQ(OtherExportText(ExportFormat::Curl, lines),
            kCurlHeader +
                "url = \"http://h/%22q%22/\"\r\noutput = \"index.html\"\r\n# #x\r\n"
                "url = \"http://h/%E3%82%BD\"\r\noutput = \"%E3%82%BD\"\r\n# out=a\r\n");
  EXPECT_EQ(OtherExportText(ExportFormat::Aria2, {u"", u" "}), "");

  const struct {
    ExportFormat format;
    std::u16string arguments, line;
  } cases[] = {
      {ExportFormat::Aria2, u"", u"\"C:\\a b\\aria2c.exe\" -i \"C:\\d\\TEMP.ARIA2\""},
      {ExportFormat::Curl, u"", u"\"C:\\a b\\aria2c.exe\" -K \"C:\\d\\TEMP.ARIA2\""},
      {ExportFormat::Plain, u"-K %1 -Z", u"\"C:\\a b\\aria2c.exe\" -K \"C:\\d\\TEMP.ARIA2\" -Z"},
      {ExportFormat::Plain, u"--dir=x", u"\"C:\\a b\\aria2c.exe\" --dir=x"},
      {ExportFormat::Aria2, u"%1 %1 %2",
       u"\"C:\\a b\\aria2c.exe\" \"C:\\d\\TEMP.ARIA2\" \"C:\\d\\TEMP.ARIA2\" %2"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(
        ExportCommandLine(c.format, u"C:\\a b\\aria2c.exe", c.arguments, u"C:\\d\\TEMP.ARIA2"),
        c.line);
  }
  EXPECT_EQ(ToOtherFormat(2), ExportFormat::Curl);
  EXPECT_EQ(ToOtherFormat(7), ExportFormat::Plain);
}

// aria2 resolves a host as it is written: a name beyond ASCII goes into the file as its A-label.
// ReGet and Iria read code page 932 text, where a Japanese host reads as the user wrote it.
TEST(Export, TheThirdManagersFilesNameAnInternationalHostByItsALabel) {
  const struct {
    std::u16string line;
    std::string url;
  } urls[] = {
      {u"http://b\u00FCcher.example/", "http://xn--bcher-kva.example/"},
      {u"\u3000https://\u65E5\u672C\u8A9E.jp:8080/\u65E5\u672C\u8A9E.zip ",
       "https://xn--wgv71a119e.jp:8080/%E6%97%A5%E6%9C%AC%E8%AA%9E.zip"},
      {u"http://user@B\u00DCCHER.example/a b", "http://user@xn--bcher-kva.example/a%20b"},
      // No valid name: the line stays as it was, and the manager says it cannot fetch it.
      {u"http://b\uFFFDcher.example/", "http://b%EF%BF%BDcher.example/"},
  };
  for (const auto& c : urls) EXPECT_EQ(OtherExportUrl(c.line), c.url) << c.url;
  EXPECT_EQ(
      OtherExportText(ExportFormat::Curl, {u"http://b\u00FCcher.example/a.zip"}),
      "globoff\r\nproto = \"=http,https,ftp,ftps\"\r\nproto-redir = \"=http,https,ftp,ftps\"\r\n"
      "location\r\nfail\r\nremove-on-error\r\n"
      "url = \"http://xn--bcher-kva.example/a.zip\"\r\noutput = \"a.zip\"\r\n");
  EXPECT_EQ(ExportText(ExportFormat::ReGet, {u"http://\u65E5\u672C.jp/"}, u""),
            u"http://\u65E5\u672C.jp/");
}

// The curl template's options around "-K %1" go into the parts of the file the command line
// does not reach: those before it after each "next", those after it before each.
TEST(Export, TheCurlTemplatesOptionsGoIntoEveryPartItsCommandLineMisses) {
  const Lines lines = {u"http://h/a/1.zip", u"http://h/b/2.zip"};
  const std::string first = kCurlHeader +
                            "referer = \"http://h/a/\"\r\nurl = \"http://h/a/1.zip\"\r\n"
                            "output = \"1.zip\"\r\n";
  const std::string second = kCurlHeader +
                             "referer = \"http://h/b/\"\r\nurl = \"http://h/b/2.zip\"\r\n"
                             "output = \"2.zip\"\r\n";
  const struct {
    std::u16string arguments;
    std::string before, after;
  } cases[] = {
      {u"-K %1", "", ""},
      {u"%1", "", ""},
      {u"-s -x \"http://p:8080\" -K %1 -H \"X: a \\\"b\\\"\" -C - --retry 3",
       "-s\r\n-x \"http://p:8080\"\r\n", "-H \"X: a \\\"b\\\"\"\r\n-C \"-\"\r\n--retry \"3\"\r\n"},
      {u"--config %1 -o \"C:\\a b\\\\\" http://stray", "", "-o \"C:\\\\a b\\\\\"\r\n"},
      {u"-K%1 \"-x y\" -e \u65E5", "", "-e \"\xE6\x97\xA5\"\r\n"},
  };
  for (const auto& c : cases) {
    ExportOptions options;
    options.referer = RefererRule::Folder;
    options.arguments = c.arguments;
    EXPECT_EQ(OtherExportText(ExportFormat::Curl, lines, options),
              first + c.after + "next\r\n" + c.before + second)
        << Utf16ToUtf8(c.arguments);
  }
}

// A template still at the old format's default follows the format; one the user typed stays.
TEST(Export, TheArgumentTemplateFollowsTheFormatUntilTheUserTypesOne) {
  const struct {
    std::u16string arguments;
    ExportFormat from, to;
    std::u16string result;
  } cases[] = {
      {u"-i %1", ExportFormat::Aria2, ExportFormat::Curl, u"-K %1"},
      {u"-K %1", ExportFormat::Curl, ExportFormat::Plain, u"-i %1"},
      {u"-i %1", ExportFormat::Plain, ExportFormat::Aria2, u"-i %1"},
      {u"", ExportFormat::Plain, ExportFormat::Curl, u"-K %1"},
      {u"-i %1 -x 4", ExportFormat::Aria2, ExportFormat::Curl, u"-i %1 -x 4"},
      {u"-K %1", ExportFormat::Aria2, ExportFormat::Plain, u"-K %1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SwitchOtherArguments(c.arguments, c.from, c.to), c.result)
        << Utf16ToUtf8(c.arguments);
  }
}

// cardo-cli export writes the bytes the program writes (the same bytes the end-to-end test
// reads from the program's files).
TEST(Export, TheCommandLineToolWritesWhatTheProgramWrites) {
  TempDir dir;
  dir.Write(u"u.lst", testing::Ansi("http://x/日本.zip\r\n\r\nhttp://x/b.zip\r\n"));
  // A byte order mark is no part of the first line.
  dir.Write(u"u8.lst", "\xEF\xBB\xBFhttp://x/\xE6\x97\xA5\xE6\x9C\xAC.zip\n\nhttp://x/b.zip");
  const std::string list = Utf16ToUtf8(dir.File(u"u.lst"));
  const std::string lines = testing::Ansi("http://x/日本.zip\r\n\r\nhttp://x/b.zip");
  const struct {
    const char* format;
    std::string bytes;
  } cases[] = {
      {"reget", lines},
      {"iria",
       "#Exported By Cardo Ver 3.00\r\n" + WideToAnsi(msg::kIriaNote) +
           "https://cardo.example/\r\n\r\n" +
           testing::Ansi("url=http://x/日本.zip\r\n\r\nurl=\r\n\r\nurl=http://x/b.zip\r\n")},
      {"plain", "http://x/%E6%97%A5%E6%9C%AC.zip\r\nhttp://x/b.zip\r\n"},
      {"aria2",
       "http://x/%E6%97%A5%E6%9C%AC.zip\r\n out=%E6%97%A5%E6%9C%AC.zip\r\nhttp://x/b.zip\r\n"
       " out=b.zip\r\n"},
      {"curl",
       kCurlHeader +
           "url = \"http://x/%E6%97%A5%E6%9C%AC.zip\"\r\noutput = "
           "\"%E6%97%A5%E6%9C%AC.zip\"\r\nurl = \"http://x/b.zip\"\r\noutput = \"b.zip\"\r\n"},
  };
  for (const auto& c : cases) {
    const std::string out = Utf16ToUtf8(dir.File(u"out.bin"));
    EXPECT_EQ(cli::RunExport({"--format", c.format, "--out", out, list}, stdin, stdout, stderr), 0);
    EXPECT_EQ(dir.Read(u"out.bin"), c.bytes) << c.format;
  }
  const std::string out = Utf16ToUtf8(dir.File(u"out.bin"));
  EXPECT_EQ(cli::RunExport({"--format", "reget", "--input-encoding", "utf-8", "--out", out,
                            Utf16ToUtf8(dir.File(u"u8.lst"))},
                           stdin, stdout, stderr),
            0);
  EXPECT_EQ(dir.Read(u"out.bin"), lines);
  for (const std::vector<std::string>& bad : {std::vector<std::string>{list},
                                              {"--format", "wget", list},
                                              {"--format", "curl"},
                                              {"--format", "curl", "--bogus", list},
                                              {"--format", "curl", list, list}}) {
    EXPECT_EQ(cli::RunExport(bad, stdin, stdout, stderr), 2);
  }
  EXPECT_EQ(cli::RunExport({"--format", "curl", Utf16ToUtf8(dir.File(u"missing.lst"))}, stdin,
                           stdout, stderr),
            1);
}

// Each running instance writes files of its own; the first keeps the names managers know.
TEST(Export, EachInstanceHasFilesOfItsOwn) {
  const struct {
    ExportFormat format;
    int slot;
    const char16_t* name;
  } cases[] = {
      {ExportFormat::ReGet, 1, u"TEMP.LST"},    {ExportFormat::Iria, 0, u"TEMP.IRI"},
      {ExportFormat::ReGet, 2, u"TEMP2.LST"},   {ExportFormat::Iria, 12, u"TEMP12.IRI"},
      {ExportFormat::Aria2, 3, u"TEMP3.ARIA2"}, {ExportFormat::Curl, 2, u"TEMP2.CURL"},
  };
  for (const auto& c : cases) EXPECT_EQ(ExportFileName(c.format, c.slot), c.name) << c.slot;

  TempDir dir;
  dir.Write(u"manager.exe", "");
  ShellFixture f;
  f.list.ReplaceAll({u"http://h/a"});
  EXPECT_EQ(
      ExportList(f.shell, ExportFormat::ReGet, dir.File(u"manager.exe"), dir.path(), u"3.00", 2)
          .processId,
      f.ui.startResult.processId);
  EXPECT_EQ(dir.Read(u"TEMP2.LST"), "http://h/a");
  EXPECT_EQ(dir.Read(u"TEMP.LST"), "<missing>");
}

TEST(Export, WritesTheFileAndStartsTheManagerOrSaysWhy) {
  TempDir dir;
  dir.Write(u"manager.exe", "");
  const auto manager = dir.File(u"manager.exe");
  const struct {
    Lines lines;
    std::u16string managerPath;
    bool failWrite;
    StartResult start;
    std::u16string message;  // empty: none
    bool written;
  } cases[] = {
      {{testing::U("http://例.jp/a")}, manager, false, {77, u""}, u"", true},
      {{}, manager, false, {77, u""}, msg::kNoList, false},
      {{u"a"},
       dir.File(u"missing.exe"),
       false,
       {77, u""},
       msg::kReGetNotFound + (u"\r\n" + dir.File(u"missing.exe")),
       false},
      {{u"a"}, dir.path(), false, {77, u""}, msg::kReGetNotFound + (u"\r\n" + dir.path()), false},
      // A failed write names the file (filled in below) and the reason.
      {{u"a"}, manager, true, {77, u""}, msg::kExportWriteFailed, false},
      {{u"a"}, manager, false, {0, u"not a program"}, u"not a program", true},
  };
  const auto said = [](const std::u16string& message, const std::u16string& file) {
    if (message != msg::kExportWriteFailed) return message;
    return message + u"\r\n" + file + u"\r\ninjected failure";
  };
  for (const auto& c : cases) {
    ShellFixture f;
    f.list.ReplaceAll(c.lines);
    f.fs.failWrites = c.failWrite;
    f.ui.startResult = c.start;
    SystemFileSystem().Remove(dir.File(u"TEMP.LST"));
    SystemFileSystem().Remove(dir.File(u"TEMP.CURL"));
    // The third manager follows the same rules, with its own message.
    ExportListToOther(f.shell, c.managerPath, u"-K %1", ExportFormat::Curl, dir.path());
    EXPECT_EQ(dir.Read(u"TEMP.CURL") != "<missing>", c.written);
    if (c.message.size() > 0) {
      std::u16string other = c.message;
      if (other.rfind(msg::kReGetNotFound, 0) == 0) {
        other.replace(0, std::u16string(msg::kReGetNotFound).size(), msg::kOtherNotFound);
      }
      EXPECT_EQ(f.ui.messages.back().text, said(other, dir.File(u"TEMP.CURL")));
    }
    if (c.written) {
      EXPECT_EQ(f.ui.started.back(),
                u"\"" + manager + u"\" -K \"" + dir.File(u"TEMP.CURL") + u"\"");
    }
    f.ui.messages.clear();
    f.ui.started.clear();
    const ExportDone done =
        ExportList(f.shell, ExportFormat::ReGet, c.managerPath, dir.path(), u"3.00");
    // What went where, and whether the manager started.
    EXPECT_EQ(Utf16ToUtf8(done.note),
              !c.written ? ""
              : c.start.processId
                  ? Utf16ToUtf8(dir.File(u"TEMP.LST")) +
                        " に 1 行を書き出し、manager.exe を起動しました。"
                  : Utf16ToUtf8(dir.File(u"TEMP.LST")) + " に 1 行を書き出しました。");
    ASSERT_EQ(f.ui.messages.size(), c.message.empty() ? 0u : 1u) << c.message.size();
    if (!c.message.empty())
      EXPECT_EQ(f.ui.messages[0].text, said(c.message, dir.File(u"TEMP.LST")));
    EXPECT_EQ(dir.Read(u"TEMP.LST") != "<missing>", c.written);
    EXPECT_EQ(f.ui.started.empty(), !c.written);  // nothing starts without its file
    if (c.written) {
      EXPECT_EQ(dir.Read(u"TEMP.LST"), WideToAnsi(ExportText(ExportFormat::ReGet, c.lines, u"")));
      EXPECT_EQ(f.ui.started,
                Lines{ExportCommandLine(ExportFormat::ReGet, manager, u"", dir.File(u"TEMP.LST"))});
    }
    EXPECT_EQ(f.title, u"Cardo - [無題]");
  }
}

// JDownloader's watcher takes each job that appears in its folder: a new job never replaces
// one it has not taken yet, needs no program, and a folder it cannot go into gets nothing.
TEST(Export, TheCrawljobGoesIntoTheWatchFolderBesideTheJobsNotTakenYet) {
  TempDir watch;
  const std::u16string bare = watch.path().substr(0, watch.path().size() - 1);
  const std::string job = OtherExportText(ExportFormat::Crawljob, {u"http://h/a.zip"});
  const struct {
    std::u16string folder;
    int slot;
    bool failWrite;
    std::u16string file;     // the job written, or the one left unwritten
    std::u16string message;  // empty: none
    MessageAnswer answer = MessageAnswer::Ok;
  } cases[] = {
      {watch.path(), 1, false, u"cardo.crawljob", u""},
      {bare, 1, false, u"cardo-2.crawljob", u"", MessageAnswer::OpenFolder},
      {bare, 3, false, u"cardo3.crawljob", u""},
      {watch.path(), 1, true, u"cardo-3.crawljob",
       msg::kWatchJobWriteFailed + (u"\r\n" + watch.File(u"cardo-3.crawljob")) +
           u"\r\ninjected failure"},
      {watch.File(u"none"), 1, false, u"none",
       msg::kWatchFolderMissing + (u"\r\n" + watch.File(u"none"))},
      {watch.File(u"cardo.crawljob"), 1, false, u"cardo.crawljob/cardo.crawljob",
       msg::kWatchFolderMissing + (u"\r\n" + watch.File(u"cardo.crawljob"))},
  };
  for (const auto& c : cases) {
    ShellFixture f;
    f.list.ReplaceAll({u"http://h/a.zip"});
    f.fs.failWrites = c.failWrite;
    f.ui.answers = {c.answer};
    ExportOptions options;
    options.watchFolder = c.folder;
    const ExportDone done =
        ExportListToOther(f.shell, u"", u"", ExportFormat::Crawljob, watch.path(), c.slot, options);
    EXPECT_EQ(done.processId, 0u);
    EXPECT_TRUE(f.ui.started.empty());
    if (c.message.empty()) {
      // No program shows that anything happened: the message says where the job went.
      const std::u16string note = watch.File(c.file) + u" に 1 行を書き出しました。";
      EXPECT_EQ(done.note, note);
      ASSERT_EQ(f.ui.messages.size(), 1u) << Utf16ToUtf8(c.file);
      EXPECT_EQ(f.ui.messages[0].text, msg::kWatchJobWritten + (u"\r\n" + note));
      EXPECT_EQ(f.ui.messages[0].title, u"情報");
      EXPECT_EQ(f.ui.messages[0].buttons, MessageButtons::OkOpenFolder);
      EXPECT_EQ(f.ui.opened, c.answer == MessageAnswer::OpenFolder ? Lines{c.folder} : Lines{});
      EXPECT_EQ(watch.Read(c.file), job);
    } else {
      ASSERT_EQ(f.ui.messages.size(), 1u) << Utf16ToUtf8(c.file);
      EXPECT_EQ(f.ui.messages[0].text, c.message);
      EXPECT_EQ(watch.Read(c.file), "<missing>");
    }
  }
  EXPECT_EQ(watch.Read(u"cardo.crawljob"), job);  // the first job is still there
  EXPECT_EQ(watch.Read(u"TEMP.CRAWLJOB"), "<missing>");

  // The command-line tool writes the job the same way and says where.
  TempDir dir;
  dir.Write(u"u.lst", "http://h/a.zip\r\n");
  const std::string list = Utf16ToUtf8(dir.File(u"u.lst"));
  const std::string folder = Utf16ToUtf8(watch.path());
  EXPECT_EQ(cli::RunExport({"--format", "crawljob", "--watch-folder", folder, list}, stdin, stdout,
                           stderr),
            0);
  EXPECT_EQ(watch.Read(u"cardo-3.crawljob"), job);
  EXPECT_EQ(cli::RunExport({"--format", "crawljob", "--watch-folder", folder + "none", list}, stdin,
                           stdout, stderr),
            1);
  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"--format", "curl", "--watch-folder", folder, list},
        {"--format", "crawljob", "--watch-folder", folder, "--out", folder + "x", list},
        {"--format", "crawljob", "--watch-folder", "", list}}) {
    EXPECT_EQ(cli::RunExport(bad, stdin, stdout, stderr), 2);
  }
}

// A Referer rule the format cannot hold is said, not dropped without a word.
TEST(Export, TheCliSaysAFormatWithoutRefererWritesNone) {
  TempDir dir;
  dir.Write(u"u.lst", "http://h/a.zip\r\n");
  const std::string list = Utf16ToUtf8(dir.File(u"u.lst"));
  const struct {
    const char* format;
    const char* referer;
    std::string said;
  } cases[] = {
      {"crawljob", "url", "cardo-cli: the crawljob format holds no Referer: none is written\n"},
      {"meta4", "folder", "cardo-cli: the meta4 format holds no Referer: none is written\n"},
      {"crawljob", "none", ""},
      {"aria2", "url", ""},
  };
  cli::SetLanguage(cli::Language::English);  // as a C locale gives them
  for (const auto& c : cases) {
    std::FILE* err = std::tmpfile();
    EXPECT_EQ(cli::RunExport({"--format", c.format, "--referer", c.referer, "--out",
                              Utf16ToUtf8(dir.File(u"out")), list},
                             stdin, stdout, err),
              0);
    std::rewind(err);
    std::string said(4096, '\0');
    said.resize(std::fread(said.data(), 1, said.size(), err));
    std::fclose(err);
    EXPECT_EQ(said, c.said) << c.format;
  }
  cli::SetLanguage(cli::Language::Japanese);  // as every other test expects
}

// ReGet and Iria read code page 932: characters it cannot hold get the warning a save shows,
// and Cancel exports nothing. The third manager's ASCII files lose nothing and never ask.
TEST(Export, CharactersTheCodePageCannotHoldAreExportedOnlyWhenTheUserAgrees) {
  TempDir dir;
  dir.Write(u"manager.exe", "");
  const auto manager = dir.File(u"manager.exe");
  for (const ExportFormat target : {ExportFormat::ReGet, ExportFormat::Iria}) {
    const std::u16string file = target == ExportFormat::ReGet ? u"TEMP.LST" : u"TEMP.IRI";
    for (const auto answer : {MessageAnswer::Cancel, MessageAnswer::Ok}) {
      SystemFileSystem().Remove(dir.File(file));
      ShellFixture f;
      f.list.ReplaceAll({u"http://h/ok", u"http://h/caf\u00E9", u"http://h/\U0001F600"});
      f.ui.answers = {answer};
      ExportList(f.shell, target, manager, dir.path(), u"3.00");
      ASSERT_EQ(f.ui.messages.size(), 1u);
      EXPECT_EQ(f.ui.messages[0].text, std::u16string(msg::kNotInCodePage) +
                                           u"\r\nhttp://h/caf\u00E9\r\n" +
                                           msg::kNotInCodePageQuestion);
      EXPECT_EQ(f.ui.messages[0].title, msg::kWarningTitle);
      EXPECT_EQ(f.ui.messages[0].buttons, MessageButtons::OkCancel);
      const bool exported = answer == MessageAnswer::Ok;
      EXPECT_EQ(dir.Read(file) != "<missing>", exported);
      EXPECT_EQ(f.ui.started.size(), exported ? 1u : 0u);
      if (exported) {
        EXPECT_NE(dir.Read(file).find(WideToAnsi(u"http://h/caf\u00E9\r\n")), std::string::npos);
      }
    }
  }
  ShellFixture f;
  f.list.ReplaceAll({u"http://h/caf\u00E9"});
  ExportListToOther(f.shell, manager, u"", ExportFormat::Plain, dir.path());
  EXPECT_TRUE(f.ui.messages.empty());
  EXPECT_EQ(dir.Read(u"TEMP.TXT"), "http://h/caf%C3%A9\r\n");
  EXPECT_EQ(f.ui.started.back(), u"\"" + manager + u"\" -i \"" + dir.File(u"TEMP.TXT") + u"\"");
}

}  // namespace
}  // namespace cardo
