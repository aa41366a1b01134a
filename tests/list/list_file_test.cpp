#include <gtest/gtest.h>

#include "app/list/list_file.h"
#include "app/list/messages.h"
#include "app/platform/codec.h"
#include "tests/list/shell_fixture.h"

namespace cardo {
namespace {

using testing::ShellFixture;
using testing::TempDir;
using Lines = std::vector<std::u16string>;

TEST(ListFile, SplitsLines) {
  const struct {
    const char16_t* text;
    Lines lines;
  } cases[] = {
      {u"", {}},
      {u"a", {u"a"}},
      {u"a\r\n", {u"a"}},
      {u"a\r\nb", {u"a", u"b"}},
      {u"a\r\n\r\nb\r\n", {u"a", u"", u"b"}},
      {u"\r\n", {u""}},
      {u" a \r\n\tb\t\r\n", {u" a ", u"\tb\t"}},
      {u"a\nb\rc\r\n", {u"a", u"b", u"c"}},  // files from other systems
      {u"a\r\r\nb", {u"a", u"", u"b"}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitListText(c.text), c.lines);
  EXPECT_EQ(BuildListText({u"a", u"", u"b"}), u"a\r\n\r\nb\r\n");
  EXPECT_EQ(BuildListText({}), u"");
}

TEST(ListFile, SurvivesSaveAndOpenCycles) {
  ShellFixture f;
  TempDir dir;
  const Lines lines = {testing::U("http://例.jp/ソ.jpg"), u"", u" spaced ", u"last"};
  f.list.ReplaceAll(lines);
  const auto path = dir.File(u"a.lst");
  for (int cycle = 0; cycle < 3; ++cycle) {
    ASSERT_TRUE(SaveListFile(f.shell, path));
    ASSERT_TRUE(OpenListFile(f.shell, path, false));
    EXPECT_EQ(f.Lines(), lines);
  }
  EXPECT_EQ(dir.Read(u"a.lst"), testing::Ansi("http://例.jp/ソ.jpg\r\n\r\n spaced \r\nlast\r\n"));
}

TEST(ListFile, OpenAppendsOrReplaces) {
  ShellFixture f;
  TempDir dir;
  dir.Write(u"a.lst", "x\r\ny");  // no line end after the last line
  f.list.ReplaceAll({u"old"});
  ASSERT_TRUE(OpenListFile(f.shell, dir.File(u"a.lst"), true));
  EXPECT_EQ(f.Lines(), (Lines{u"old", u"x", u"y"}));
  ASSERT_TRUE(OpenListFile(f.shell, dir.File(u"a.lst"), false));
  EXPECT_EQ(f.Lines(), (Lines{u"x", u"y"}));
  EXPECT_FALSE(f.document.Modified());
  EXPECT_GE(f.extentUpdates, 2);
}

TEST(ListFile, OpenRefusesWhatIsNotAFile) {
  ShellFixture f;
  TempDir dir;
  f.list.ReplaceAll({u"keep"});
  EXPECT_FALSE(OpenListFile(f.shell, dir.File(u"missing.lst"), false));
  EXPECT_FALSE(OpenListFile(f.shell, dir.path(), false));  // a folder
  EXPECT_EQ(f.Lines(), (Lines{u"keep"}));
  EXPECT_TRUE(f.ui.messages.empty());
}

TEST(ListFile, ReadErrorIsReported) {
  ShellFixture f;
  TempDir dir;
  dir.Write(u"a.lst", "x\r\n");
  f.fs.failReads = true;
  EXPECT_FALSE(OpenListFile(f.shell, dir.File(u"a.lst"), false));
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].text, msg::kOpenFailed);
  EXPECT_EQ(f.ui.messages[0].title, u"エラー");
}

TEST(ListFile, FailedSaveLeavesTheOldFile) {
  ShellFixture f;
  TempDir dir;
  dir.Write(u"a.lst", "precious\r\n");
  f.list.ReplaceAll({u"new"});
  f.fs.failWrites = true;
  EXPECT_FALSE(SaveListFile(f.shell, dir.File(u"a.lst")));
  EXPECT_EQ(dir.Read(u"a.lst"), "precious\r\n");
  // A folder that does not exist fails the same way; each failure says so with the path.
  f.fs.failWrites = false;
  const std::u16string nowhere = dir.File(u"no-such-folder") + PathSeparator() + u"a.lst";
  EXPECT_FALSE(SaveListFile(f.shell, nowhere));
  ASSERT_EQ(f.ui.messages.size(), 2u);
  EXPECT_EQ(
      f.ui.messages[0].text.find(std::u16string(msg::kSaveFailed) + u"\r\n" + dir.File(u"a.lst")),
      0u);
  EXPECT_EQ(f.ui.messages[1].text.find(std::u16string(msg::kSaveFailed) + u"\r\n" + nowhere), 0u);
}

TEST(ListFile, LongFilesStopAtTheLimitWithOneMessage) {
  ShellFixture f;
  TempDir dir;
  std::string text;
  for (int i = 0; i < kMaxListLines + 10; ++i) text += "u" + std::to_string(i) + "\r\n";
  dir.Write(u"big.lst", text);
  ASSERT_TRUE(OpenListFile(f.shell, dir.File(u"big.lst"), false));
  EXPECT_EQ(f.list.Count(), kMaxListLines);
  EXPECT_EQ(f.ui.messages.size(), 1u);
}

// A file served in pieces without existing on disk: `size` bytes of `pattern` repeated.
class GeneratedFileSystem final : public FileSystem {
 public:
  GeneratedFileSystem(std::string pattern, std::size_t size, std::size_t piece = 4096)
      : pattern_(std::move(pattern)), size_(size), piece_(piece) {}
  std::size_t served = 0;

  PathKind Probe(const std::u16string&) override { return PathKind::File; }
  bool ReadChunks(const std::u16string&, const ChunkSink& sink) override {
    std::string buffer;
    while (served < size_) {
      buffer.resize(std::min(piece_, size_ - served));
      for (std::size_t i = 0; i < buffer.size(); ++i) {
        buffer[i] = pattern_[(served + i) % pattern_.size()];
      }
      served += buffer.size();
      if (!sink(buffer)) break;
    }
    return true;
  }
  bool WriteAll(const std::u16string&, std::string_view) override { return false; }
  bool ReplaceAll(const std::u16string&, std::string_view) override { return false; }
  bool CanReplace(const std::u16string&) override { return false; }
  bool Copy(const std::u16string&, const std::u16string&) override { return false; }
  bool Remove(const std::u16string&) override { return false; }
  std::optional<std::u16string> FullPath(const std::u16string& p) override { return p; }
  std::u16string LastErrorText() override { return u""; }

 private:
  std::string pattern_;
  std::size_t size_, piece_;
};

TEST(ListFile, HugeFilesAreReadAsAStreamUpToTheLimit) {
  // 300 MB of short lines: reading stops at the limit, long before the end of the file.
  GeneratedFileSystem shortLines("http://h/a\r\n", std::size_t{300} << 20);
  auto read = ReadListFile(shortLines, u"big.lst", kMaxListLines);
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->lines.size(), static_cast<std::size_t>(kMaxListLines));
  EXPECT_TRUE(read->more);
  EXPECT_LT(shortLines.served, std::size_t{1} << 20);

  // 1 GB without a line break (a sparse file): refused once the cap is passed.
  GeneratedFileSystem zeros(std::string(1, '\0'), std::size_t{1} << 30, 1 << 20);
  EXPECT_FALSE(ReadListFile(zeros, u"sparse.lst", kMaxListLines).has_value());
  EXPECT_LE(zeros.served, kMaxListFileBytes + (1 << 20));

  // Line ends and double-byte characters cut between pieces.
  const std::string sjis = testing::Ansi("日本\r\n語");
  for (std::size_t piece = 1; piece <= 4; ++piece) {
    GeneratedFileSystem split(sjis + "\r\n", sjis.size() + 2, piece);
    const auto lines = ReadListFile(split, u"x.lst", 10);
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(lines->lines, (Lines{testing::U("日本"), testing::U("語")})) << piece;
    EXPECT_FALSE(lines->more);
  }
}

TEST(ListFile, UnreadableFilesChangeNothing) {
  TempDir dir;
  dir.Write(u"a.lst", "new\r\n");
  ShellFixture f;
  f.list.ReplaceAll({u"old"});
  f.document.SetPath(dir.File(u"old.lst"));
  f.recent.history.AddItem(dir.File(u"a.lst"));
  f.fs.failReads = true;
  f.ui.openResults = {FileDialogResult{dir.File(u"a.lst"), 1}};
  FileOpen(f.shell);
  OpenRecentFile(f.shell, 1);  // an existing file that cannot be read is no new file
  EXPECT_EQ(f.Lines(), (Lines{u"old"}));
  EXPECT_EQ(f.document.Path(), dir.File(u"old.lst"));
  ASSERT_EQ(f.ui.messages.size(), 2u);
  for (const auto& m : f.ui.messages) EXPECT_EQ(m.text, msg::kOpenFailed);
}

TEST(ListFile, ShiftDropOntoAFullListSaysSoOnce) {
  TempDir dir;
  dir.Write(u"a.lst", "a\r\n");
  dir.Write(u"b.lst", "b\r\n");
  ShellFixture f;
  f.list.ReplaceAll(Lines(kMaxListLines, u"x"));
  DropFilesOnList(f.shell, {dir.File(u"a.lst"), dir.File(u"b.lst")}, true, false);
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].text, msg::kListFull);
}

TEST(ListFile, LinesTheCodePageCannotHoldAreSavedOnlyWhenTheUserAgrees) {
  TempDir dir;
  const auto path = dir.File(u"a.lst");
  for (const auto answer : {MessageAnswer::Cancel, MessageAnswer::Ok}) {
    dir.Write(u"a.lst", "old\r\n");
    ShellFixture f;
    f.list.ReplaceAll({u"ok", u"caf\u00E9", u"\U0001F600"});
    f.document.SetPath(path);
    f.document.MarkModified();
    f.ui.answers = {answer};
    FileSave(f.shell);
    ASSERT_EQ(f.ui.messages.size(), 1u);
    EXPECT_EQ(f.ui.messages[0].text, std::u16string(msg::kNotInCodePage) + u"\r\ncaf\u00E9\r\n" +
                                         msg::kNotInCodePageQuestion);
    EXPECT_EQ(f.ui.messages[0].buttons, MessageButtons::OkCancel);
    EXPECT_EQ(dir.Read(u"a.lst") == "old\r\n", answer == MessageAnswer::Cancel);
    EXPECT_EQ(f.document.Modified(), answer == MessageAnswer::Cancel);
  }
}

TEST(ConfirmSaveChanges, AsksOnlyWhenModified) {
  ShellFixture f;
  EXPECT_TRUE(ConfirmSaveChanges(f.shell));
  EXPECT_TRUE(f.ui.messages.empty());
}

TEST(ConfirmSaveChanges, AnswersDecide) {
  TempDir dir;
  const auto path = dir.File(u"a.lst");
  const struct {
    MessageAnswer answer;
    bool failWrite;
    bool result;
    bool stillModified;
  } cases[] = {
      {MessageAnswer::Cancel, false, false, true},
      {MessageAnswer::No, false, true, true},
      {MessageAnswer::Yes, false, true, false},
      {MessageAnswer::Yes, true, false, true},
  };
  for (const auto& c : cases) {
    ShellFixture f;
    f.document.SetPath(path);
    f.list.ReplaceAll({u"x"});
    f.document.MarkModified();
    f.ui.answers = {c.answer};
    f.fs.failWrites = c.failWrite;
    EXPECT_EQ(ConfirmSaveChanges(f.shell), c.result);
    EXPECT_EQ(f.document.Modified(), c.stillModified);
    // A failed save says so, with the path and the system's reason, and the window stays.
    ASSERT_EQ(f.ui.messages.size(), c.failWrite ? 2u : 1u);
    EXPECT_EQ(f.ui.messages[0].text, u"a.lst" + std::u16string(msg::kSaveQuestion));
    EXPECT_EQ(f.ui.messages[0].title, u"質問");
    EXPECT_EQ(f.ui.messages[0].buttons, MessageButtons::YesNoCancel);
    if (c.failWrite) {
      EXPECT_EQ(f.ui.messages[1].text,
                msg::kSaveFailed + (u"\r\n" + path) + u"\r\ninjected failure");
      EXPECT_EQ(f.ui.messages[1].title, u"エラー");
    }
  }
}

TEST(ConfirmSaveChanges, UntitledListIsSavedThroughTheDialog) {
  ShellFixture f;
  TempDir dir;
  f.list.ReplaceAll({u"x"});
  f.document.MarkModified();
  f.shell.lastFilterIndex = 2;
  f.ui.saveResults = {FileDialogResult{dir.File(u"new.lst"), 3}};
  EXPECT_TRUE(ConfirmSaveChanges(f.shell));
  EXPECT_EQ(f.ui.messages[0].text, u"無題" + std::u16string(msg::kSaveQuestion));
  ASSERT_EQ(f.ui.saveRequests.size(), 1u);
  EXPECT_EQ(f.ui.saveRequests[0].title, u"名前を付けて保存");
  EXPECT_EQ(f.ui.saveRequests[0].filterIndex, 0);  // the dialog's default filter
  EXPECT_TRUE(f.ui.saveRequests[0].overwritePrompt);
  EXPECT_EQ(f.shell.lastFilterIndex, 2);
  EXPECT_EQ(f.document.Path(), dir.File(u"new.lst"));
  EXPECT_EQ(f.recent.history.MenuItem(1), dir.File(u"new.lst"));
  EXPECT_EQ(f.title, u"Cardo - [new.lst]");
  EXPECT_EQ(dir.Read(u"new.lst"), "x\r\n");

  ShellFixture g;
  g.document.MarkModified();
  EXPECT_FALSE(ConfirmSaveChanges(g.shell));  // dialog cancelled
  EXPECT_TRUE(g.document.Modified());
}

TEST(FileCommands, NewOpenAddSave) {
  ShellFixture f;
  TempDir dir;
  dir.Write(u"a.lst", "1\r\n2\r\n");
  f.ui.openResults = {FileDialogResult{dir.File(u"a.lst"), 2}};
  FileOpen(f.shell);
  EXPECT_EQ(f.Lines(), (Lines{u"1", u"2"}));
  EXPECT_EQ(f.title, u"Cardo - [a.lst]");
  EXPECT_EQ(f.shell.lastFilterIndex, 2);
  EXPECT_EQ(f.ui.openRequests[0].title, u"開く");
  EXPECT_EQ(f.ui.openRequests[0].filter, msg::kListFilter);

  f.ui.openResults = {FileDialogResult{dir.File(u"a.lst"), 1}};
  FileAdd(f.shell);
  EXPECT_EQ(f.Lines(), (Lines{u"1", u"2", u"1", u"2"}));
  EXPECT_EQ(f.title, u"Cardo - [a.lst*]");
  EXPECT_EQ(f.ui.openRequests[1].title, u"追加");
  EXPECT_EQ(f.ui.openRequests[1].filterIndex, 2);

  FileSave(f.shell);
  EXPECT_EQ(dir.Read(u"a.lst"), "1\r\n2\r\n1\r\n2\r\n");
  EXPECT_FALSE(f.document.Modified());

  FileNew(f.shell);
  EXPECT_TRUE(f.Lines().empty());
  EXPECT_EQ(f.title, u"Cardo - [無題]");

  // Open with a new name: an empty list under that name.
  f.ui.openResults = {FileDialogResult{dir.File(u"fresh.lst"), 1}};
  FileOpen(f.shell);
  EXPECT_EQ(f.title, u"Cardo - [fresh.lst]");
  EXPECT_EQ(f.recent.history.MenuItem(1), dir.File(u"fresh.lst"));
}

TEST(FileCommands, DroppedFiles) {
  TempDir dir;
  dir.Write(u"a.lst", "a\r\n");
  dir.Write(u"b.lst", "b\r\n");
  const std::vector<std::u16string> files = {dir.File(u"a.lst"), dir.File(u"b.lst")};

  ShellFixture plain;
  DropFilesOnList(plain.shell, files, false, false);
  EXPECT_EQ(plain.Lines(), (Lines{u"a"}));
  EXPECT_EQ(plain.title, u"Cardo - [a.lst]");

  ShellFixture shift;
  shift.list.ReplaceAll({u"x"});
  DropFilesOnList(shift.shell, files, true, false);
  EXPECT_EQ(shift.Lines(), (Lines{u"x", u"a", u"b"}));
  EXPECT_EQ(shift.title, u"Cardo - [無題*]");

  ShellFixture folder;
  folder.list.ReplaceAll({u"keep"});
  DropFilesOnList(folder.shell, {dir.path()}, false, false);
  EXPECT_EQ(folder.Lines(), (Lines{u"keep"}));
  EXPECT_EQ(folder.title, u"Cardo - [無題]");
  EXPECT_EQ(folder.recent.history.MenuCount(), 0);

  ShellFixture ctrl;
  DropFilesOnList(ctrl.shell, files, false, true);
  EXPECT_TRUE(ctrl.Lines().empty());
  EXPECT_EQ(ctrl.extentUpdates, 1);
}

TEST(FileCommands, RecentEntryWhoseFileIsGone) {
  ShellFixture f;
  TempDir dir;
  f.recent.history.AddItem(dir.File(u"gone.lst"));
  f.recent.history.AddItem(dir.File(u"other.lst"));
  f.list.ReplaceAll({u"x"});
  f.ui.answers = {MessageAnswer::Cancel};
  OpenRecentFile(f.shell, 2);
  EXPECT_EQ(f.Lines(), (Lines{u"x"}));
  EXPECT_EQ(f.ui.messages.back().title, u"情報");

  f.ui.answers = {MessageAnswer::Ok};
  OpenRecentFile(f.shell, 2);
  EXPECT_TRUE(f.Lines().empty());
  EXPECT_EQ(f.title, u"Cardo - [gone.lst]");
  EXPECT_EQ(f.recent.history.MenuItem(1), dir.File(u"gone.lst"));
}

// Each way a file becomes the list's file: the File menu, a drop, the recent files and the
// command line.
const struct {
  const char* name;
  void (*open)(testing::ShellFixture& f, const std::u16string& path);
} kOpenings[] = {
    {"open",
     [](testing::ShellFixture& f, const std::u16string& path) {
       f.ui.openResults = {FileDialogResult{path, 1}};
       FileOpen(f.shell);
     }},
    {"drop", [](testing::ShellFixture& f,
                const std::u16string& path) { DropFilesOnList(f.shell, {path}, false, false); }},
    {"recent",
     [](testing::ShellFixture& f, const std::u16string& path) {
       f.recent.history.AddItem(path);
       OpenRecentFile(f.shell, 1);
     }},
    {"command line",
     [](testing::ShellFixture& f, const std::u16string& path) {
       EXPECT_TRUE(OpenListDocument(f.shell, path));
     }},
};

// `bytes` as the file a.lst, opened by `open`.
void WriteAndOpen(testing::ShellFixture& f, const TempDir& dir, const std::string& bytes,
                  void (*open)(testing::ShellFixture&, const std::u16string&)) {
  dir.Write(u"a.lst", bytes);
  open(f, dir.File(u"a.lst"));
}

TEST(FileCommands, AFileIsSavedBackInTheFormItCameIn) {
  const std::string word = "\xE8\xAA\x9E/";    // 語 and "/": code page 932 would change them
  const std::string edited = "http://x/日本";  // UTF-8, as this file is
  const struct {
    std::string file, afterEdit;
  } cases[] = {
      {"http://x/" + word + "a\nhttp://x/b\n", edited + "\nhttp://x/b\n"},
      {"\xEF\xBB\xBFhttp://x/" + word + "a\n", "\xEF\xBB\xBF" + edited + "\n"},
      {"http://x/a\r\nhttp://x/" + word, edited + "\r\nhttp://x/" + word},
      {testing::Ansi("http://x/語/a\r\n"), testing::Ansi("http://x/日本\r\n")},
      {"http://x/a\nb\n", testing::Ansi("http://x/日本\nb\n")},
      {std::string("\xFF\xFE"
                   "a\0\r\0\n\0",
                   8),
       std::string("\xFF\xFE"
                   "h\0t\0t\0p\0:\0/\0/\0x\0/\0"
                   "\xE5\x65\x2C\x67\r\0\n\0",
                   28)},
  };
  for (const auto& c : cases) {
    for (const auto& opening : kOpenings) {
      testing::ShellFixture f;
      TempDir dir;
      WriteAndOpen(f, dir, c.file, opening.open);
      EXPECT_EQ(f.title, u"Cardo - [a.lst]") << opening.name;
      FileSave(f.shell);
      EXPECT_EQ(dir.Read(u"a.lst"), c.file) << opening.name;

      Lines lines = f.Lines();
      lines.front() = u"http://x/日本";
      f.list.ReplaceAll(lines);
      f.document.MarkModified();
      FileSave(f.shell);
      EXPECT_EQ(dir.Read(u"a.lst"), c.afterEdit) << opening.name;
      EXPECT_TRUE(f.ui.messages.empty()) << opening.name;
    }
  }
}

TEST(FileCommands, AFileReadPartlyIsNeverSavedOverUnasked) {
  std::string longFile;
  for (int i = 0; i < 40000; ++i) longFile += "u" + std::to_string(i) + "\r\n";
  const std::u16string question = u"a.lst" + std::u16string(msg::kPartialReadSuffix) + u"\r\n";
  const struct {
    std::string file;
    std::u16string opened, lost;
  } cases[] = {
      {longFile, msg::kListFull, u"32768" + std::u16string(msg::kPartialLinesNotRead)},
      {"ok\r\n\x81\r\n", msg::kUndecodableRead,
       msg::kUndecodableLinesPrefix + std::u16string(u"1") + msg::kUndecodableLinesMiddle + u"2" +
           msg::kUndecodableLinesEnd},
  };
  for (const auto& c : cases) {
    for (const auto& opening : kOpenings) {
      testing::ShellFixture f;
      TempDir dir;
      WriteAndOpen(f, dir, c.file, opening.open);
      ASSERT_EQ(f.ui.messages.size(), 1u) << opening.name;
      EXPECT_EQ(f.ui.messages[0].text, c.opened);
      EXPECT_EQ(f.title, u"Cardo - [a.lst*]") << opening.name;

      // Declined, from Save and from the question before a new list: the file stays whole.
      f.ui.answers = {MessageAnswer::Cancel, MessageAnswer::Yes, MessageAnswer::Cancel};
      FileSave(f.shell);
      FileNew(f.shell);
      ASSERT_EQ(f.ui.messages.size(), 4u);
      EXPECT_EQ(f.ui.messages[1].text, question + c.lost + u"\r\n" + msg::kPartialReadQuestion);
      EXPECT_EQ(f.ui.messages[1].buttons, MessageButtons::OkCancelSafe);
      EXPECT_EQ(f.ui.messages[3].text, f.ui.messages[1].text);
      EXPECT_EQ(dir.Read(u"a.lst"), c.file);
      EXPECT_EQ(f.title, u"Cardo - [a.lst*]");
      EXPECT_FALSE(f.Lines().empty());

      // Agreed once: the file holds the list, and the next save asks nothing.
      f.ui.answers = {MessageAnswer::Ok};
      FileSave(f.shell);
      EXPECT_EQ(f.title, u"Cardo - [a.lst]");
      EXPECT_NE(dir.Read(u"a.lst"), c.file);
      FileSave(f.shell);
      EXPECT_EQ(f.ui.messages.size(), 5u);
    }
  }

  // Saved under another name, the list belongs to that file; adding leaves the list's file
  // (and whether it was read whole) as it was.
  testing::ShellFixture f;
  TempDir dir;
  dir.Write(u"a.lst", longFile);
  dir.Write(u"b.lst", "b\n");
  ASSERT_TRUE(OpenListDocument(f.shell, dir.File(u"a.lst")));
  f.ui.saveResults = {FileDialogResult{dir.File(u"c.lst"), 1}};
  FileSaveAs(f.shell);
  EXPECT_EQ(f.title, u"Cardo - [c.lst]");
  ASSERT_TRUE(OpenListDocument(f.shell, dir.File(u"b.lst")));
  f.ui.openResults = {FileDialogResult{dir.File(u"a.lst"), 1}};
  FileAdd(f.shell);
  FileSave(f.shell);
  EXPECT_EQ(f.ui.messages.size(), 2u);  // the two warnings of the reads, no question
  EXPECT_EQ(dir.Read(u"b.lst").substr(0, 8), "b\nu0\nu1\n");
  EXPECT_EQ(dir.Read(u"a.lst"), longFile);
}

TEST(FileCommands, TheSaveDialogOffersUtf8AndShiftJis) {
  TempDir dir;
  testing::ShellFixture f;
  dir.Write(u"a.lst",
            "\xEF\xBB\xBF"
            "a\n");
  ASSERT_TRUE(OpenListDocument(f.shell, dir.File(u"a.lst")));
  f.list.ReplaceAll({u"\u65E5"});
  f.shell.lastFilterIndex = 2;
  const struct {
    int filter;
    std::string bytes;
  } steps[] = {
      {1, "\xEF\xBB\xBF\xE6\x97\xA5\n"},  // the list's own encoding, mark and line ends
      {4, "\xEF\xBB\xBF\xE6\x97\xA5\n"},
      {5, "\x93\xFA\n"},
      {4, "\xE6\x97\xA5\n"},
  };
  for (const auto& step : steps) {
    f.ui.saveResults = {FileDialogResult{dir.File(u"b.lst"), step.filter}};
    FileSaveAs(f.shell);
    EXPECT_EQ(dir.Read(u"b.lst"), step.bytes) << step.filter;
    FileSave(f.shell);  // the chosen form stays the list's
    EXPECT_EQ(dir.Read(u"b.lst"), step.bytes) << step.filter;
  }
  EXPECT_EQ(f.ui.saveRequests.back().filter,
            std::u16string(msg::kListFilter) + msg::kListEncodingFilters);
  EXPECT_EQ(f.ui.saveRequests.back().filterIndex, 1);  // an encoding is chosen for one save
  FileNew(f.shell);
  f.list.ReplaceAll({u"\u65E5"});
  f.ui.saveResults = {FileDialogResult{dir.File(u"c.lst"), 1}};
  FileSaveAs(f.shell);
  EXPECT_EQ(dir.Read(u"c.lst"), "\x93\xFA\r\n");  // a new list is code page 932
}

TEST(ListFile, ContainingFolder) {
  TempDir dir;
  dir.Write(u"a.lst", "x");
  FileSystem& fs = SystemFileSystem();
  EXPECT_EQ(ContainingFolder(fs, dir.File(u"a.lst")), dir.path());
  EXPECT_EQ(ContainingFolder(fs, dir.File(u"b.lst")), std::u16string(1, PathSeparator()));
}

}  // namespace
}  // namespace cardo
