#include <gtest/gtest.h>

#include "app/export/export.h"
#include "app/list/list_file.h"
#include "app/shell/messages.h"
#include "app/shell/startup.h"
#include "tests/list/shell_fixture.h"
#include "tests/settings/settings_fixture.h"

namespace cardo {
namespace {

struct StartupFixture : testing::ShellFixture {
  testing::SettingsFixture s;
  int applied = 0;
  StartupContext Context(std::u16string tail) {
    return StartupContext{shell,   s.settings,           s.store, s.window, std::move(tail),
                          nullptr, [this] { ++applied; }};
  }
  StartupFixture() { ConfigureRecentFiles(recent.history); }
};

TEST(Startup, VersionAndDirectory) {
  EXPECT_EQ(FormatAppVersion(3, 0), u"3.00");
  EXPECT_EQ(FormatAppVersion(3, 5), u"3.05");
  EXPECT_EQ(FormatAppVersion(3, 123), u"3.123");
  const std::u16string sep(1, PathSeparator());
  EXPECT_EQ(MakeAppDirectory(u"dir"), u"dir" + sep);
  EXPECT_EQ(MakeAppDirectory(u"dir" + sep), u"dir" + sep);
}

TEST(Startup, FirstStartCreatesTheSettingsFile) {
  StartupFixture f;
  auto context = f.Context(u"");
  RunStartup(context);
  EXPECT_EQ(f.s.settings.ListMax, 10);
  EXPECT_NE(f.s.IniBytes().find("properties=194"), std::string::npos);
  EXPECT_TRUE(f.ui.messages.empty());
  EXPECT_EQ(f.applied, 1);
  EXPECT_EQ(f.recent.places[0].caption, u"履歴はありません");
}

TEST(Startup, UnwritableSettingsFileIsReportedAndStartGoesOn) {
  StartupFixture f;
  f.s.fs.failWrites = true;
  auto context = f.Context(u"");
  RunStartup(context);
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].text, msg::kSettingsCreateFailed +
                                       (u"\r\n" + f.s.store.settingsFilePath) +
                                       u"\r\ninjected failure");
  EXPECT_EQ(f.applied, 1);
}

// A folder that takes no writes is said once, naming the file and the reason, at start-up when
// it is already so, else at the exit that fails; the file is never left half written.
TEST(Startup, SettingsThatCannotBeSavedAreSaidOnceWithTheFileAndTheReason) {
  const struct {
    const char* name;
    bool fileThere, failAtStart, failAtExit;
    const char16_t* said;  // nullptr: nothing
  } cases[] = {
      {"no file, folder refuses", false, true, true, msg::kSettingsCreateFailed},
      {"file, folder refuses", true, true, true, msg::kSettingsNotSavable},
      {"file, refused at exit", true, false, true, msg::kSettingsSaveFailed},
      {"file, all writable", true, false, false, nullptr},
  };
  for (const auto& c : cases) {
    StartupFixture f;
    const std::string stored = std::string(testing::kCurrentHeader) + "[PREF]\r\nListMax=33\r\n";
    if (c.fileThere) f.s.WriteIni(stored);
    f.s.fs.failWrites = c.failAtStart;
    auto context = f.Context(u"");
    RunStartup(context);
    f.s.settings.ListMax = 44;
    f.s.fs.failWrites = c.failAtExit;
    EXPECT_TRUE(RunShutdown(f.shell, f.s.settings, f.s.store, f.s.window)) << c.name;
    if (!c.said) {
      EXPECT_TRUE(f.ui.messages.empty()) << c.name;
      EXPECT_NE(f.s.IniBytes().find("ListMax=44\r\n"), std::string::npos) << c.name;
      continue;
    }
    ASSERT_EQ(f.ui.messages.size(), 1u) << c.name;
    EXPECT_EQ(f.ui.messages[0].text,
              c.said + (u"\r\n" + f.s.store.settingsFilePath) + u"\r\ninjected failure")
        << c.name;
    EXPECT_EQ(f.s.IniBytes(), c.fileThere ? testing::Ansi(stored) : "<missing>") << c.name;
  }
}

TEST(Startup, UnreadableSettingsStartWithDefaultsAndAreNeverWritten) {
  StartupFixture f;
  const std::string stored = std::string(testing::kCurrentHeader) + "[PREF]\r\nListMax=33\r\n";
  f.s.WriteIni(stored);
  f.s.fs.failReads = true;  // held open by another program for a moment
  auto context = f.Context(u"");
  RunStartup(context);
  EXPECT_EQ(f.s.settings.ListMax, 10);  // a new file's values
  ASSERT_EQ(f.ui.messages.size(), 1u);
  EXPECT_EQ(f.ui.messages[0].text,
            msg::kSettingsUnreadable + (u"\r\n" + f.s.store.settingsFilePath));
  f.s.fs.failReads = false;
  EXPECT_TRUE(RunShutdown(f.shell, f.s.settings, f.s.store, f.s.window));
  EXPECT_EQ(f.s.IniBytes(), testing::Ansi(stored));
}

TEST(Startup, CommandLineFileOpensOnTopOfTheHistory) {
  StartupFixture f;
  f.s.WriteIni(std::string(testing::kCurrentHeader) + "[HISTORY]\r\nFileHistory1=old.lst\r\n");
  f.s.dir.Write(u"a b.lst", "x\r\ny\r\n");
  const std::u16string path = f.s.dir.File(u"a b.lst");
  auto context = f.Context(u"\"" + path + u"\" second");
  RunStartup(context);
  EXPECT_EQ(f.Lines(), (std::vector<std::u16string>{u"x", u"y"}));
  EXPECT_EQ(f.title, u"Cardo - [a b.lst]");
  EXPECT_EQ(f.recent.history.MenuItem(1), path);
  EXPECT_EQ(f.recent.history.MenuItem(2), u"old.lst");
}

TEST(Startup, ArgumentsThatNameNoFileAreIgnored) {
  for (const char16_t* tail : {u"missing.lst", u" ", u"\"", u"\"unbalanced quote"}) {
    StartupFixture f;
    auto context = f.Context(tail);
    RunStartup(context);
    EXPECT_TRUE(f.Lines().empty());
    EXPECT_EQ(f.document.Path(), u"");
    EXPECT_TRUE(f.ui.messages.empty());
  }
  StartupFixture folder;
  auto context = folder.Context(folder.s.dir.path());
  RunStartup(context);
  EXPECT_EQ(folder.document.Path(), u"");
}

TEST(Shutdown, CancelKeepsTheProgramRunning) {
  StartupFixture f;
  auto context = f.Context(u"");
  RunStartup(context);
  f.list.AppendLine(u"x");
  f.document.MarkModified();
  const std::string before = f.s.IniBytes();
  f.ui.answers = {MessageAnswer::Cancel};
  EXPECT_FALSE(RunShutdown(f.shell, f.s.settings, f.s.store, f.s.window));
  EXPECT_EQ(f.s.IniBytes(), before);
  EXPECT_EQ(f.Lines(), (std::vector<std::u16string>{u"x"}));

  f.ui.answers = {MessageAnswer::No};
  EXPECT_TRUE(RunShutdown(f.shell, f.s.settings, f.s.store, f.s.window));
  EXPECT_NE(f.s.IniBytes().find("[WINDOW]"), std::string::npos);
}

}  // namespace
}  // namespace cardo
