#include <gtest/gtest.h>

#include "app/settings/legacy_import.h"
#include "tests/settings/settings_fixture.h"

namespace cardo {
namespace {

using testing::SettingsFixture;
using Entries = std::vector<std::u16string>;

TEST(LegacyImport, TakesWhatTheOldLayoutHolds) {
  SettingsFixture f;
  const std::string old =
      "[Option]\r\nOldUrlCount=3\r\nReGet_Path=C:\\Program Files\\ReGet Deluxe\\ReGet.exe and "
      "more bytes than fit\r\nIria_Path=C:\\Iria\\Iria.exe\r\n"
      "[ExtList]\r\nExtCount=2\r\nExt0=lzh\r\nExt1=verylongextension\r\n"
      "[UrlList]\r\nUrl0=a\r\nUrl1=\r\nUrl2=c\r\n"
      "[OptionButton]\r\noptFileRen=-1\r\noptAddZero=0\r\n"
      "[CheckBox]\r\nchkOutputRarMode=1\r\nchkValueRar=abc\r\n"
      "[Text]\r\nketa=-3\r\n";
  f.WriteIni(old);
  f.settings.ValueRar = 0;
  ASSERT_TRUE(f.Load());
  EXPECT_EQ(f.settings.ListMax, 3);
  EXPECT_EQ(f.settings.ReGetPath, u"C:\\Program Files\\ReGet Deluxe\\ReGet.exe and more ");
  EXPECT_EQ(f.settings.ReGetPath.size(), 49u);
  EXPECT_EQ(f.settings.IriaPath, u"C:\\Iria\\Iria.exe");
  EXPECT_EQ(f.settings.ExtList, (Entries{u"lzh", u"verylonge"}));
  EXPECT_EQ(f.settings.ListHistory, (Entries{u"a", u"", u"c"}));
  EXPECT_EQ(f.settings.ContinueFileName, 1);
  EXPECT_EQ(f.settings.SetFigure, 0);
  EXPECT_EQ(f.settings.WinRarMode, 1);
  EXPECT_EQ(f.settings.ValueRar, 0);
  EXPECT_EQ(f.settings.FigLength, 3);
  EXPECT_EQ(f.settings.NotReturnSearch, 1);
  EXPECT_EQ(f.settings.TextClear, 1);
  EXPECT_EQ(f.settings.CmbIntl, 1);
  EXPECT_EQ(f.settings.UrlExtProtocol, u"http://");
  EXPECT_FALSE(f.settings.SearchHistory.has_value());
  EXPECT_EQ(f.recent.history.MenuCount(), 0);

  // The old file is kept as the backup; the new one holds the header alone.
  EXPECT_EQ(f.dir.Read(kLegacyBackupName), old);
  EXPECT_EQ(f.IniBytes(), testing::Ansi(testing::kCurrentHeader));
}

TEST(LegacyImport, HistoryEndsAtTheLastNonEmptyUrl) {
  const struct {
    const char* keys;
    SettingsList history;
    SettingsList exts;
  } cases[] = {
      {"[Option]\r\nOldUrlCount=3\r\n[UrlList]\r\nUrl0=a\r\n", Entries{u"a"}, std::nullopt},
      {"[Option]\r\nOldUrlCount=3\r\n[UrlList]\r\nUrl0=\r\nUrl1=\r\n", std::nullopt, std::nullopt},
      {"[Option]\r\nOldUrlCount=2\r\n[UrlList]\r\nUrl1=b\r\nUrl2=c\r\n", Entries{u"", u"b"},
       std::nullopt},
      {"[ExtList]\r\nExtCount=0\r\nExt0=zip\r\n", std::nullopt, std::nullopt},
      {"[ExtList]\r\nExtCount=-2\r\n", std::nullopt, std::nullopt},
      {"[ExtList]\r\nExtCount=3\r\nExt2=rar\r\n", std::nullopt, Entries{u"", u"", u"rar"}},
  };
  for (const auto& c : cases) {
    SettingsFixture f;
    f.WriteIni(std::string("; Cardo 2\r\n") + c.keys);  // at least three lines, as old files have
    ASSERT_TRUE(f.Load());
    EXPECT_EQ(f.settings.ListHistory, c.history) << c.keys;
    EXPECT_EQ(f.settings.ExtList, c.exts) << c.keys;
  }
}

TEST(LegacyImport, NoBackupMeansNoImportAndNoWrite) {
  SettingsFixture f;
  const std::string old = "[Option]\r\nOldUrlCount=4\r\nReGet_Path=C:\\r.exe\r\n";
  f.WriteIni(old);
  f.fs.failCopies = true;
  EXPECT_EQ(LoadSettings(f.settings, f.store, f.window, f.recent.history),
            SettingsLoad::Unreadable);
  EXPECT_EQ(f.settings, Settings{});
  ASSERT_TRUE(f.Save());
  EXPECT_EQ(f.IniBytes(), old);
  EXPECT_EQ(f.fs.Probe(f.dir.File(kLegacyBackupName)), PathKind::Missing);
}

TEST(LegacyImport, ReplacesAnEarlierBackup) {
  SettingsFixture f;
  f.dir.Write(kLegacyBackupName, "older backup");
  f.WriteIni("[Option]\r\nOldUrlCount=1\r\nIria_Path=\r\n");
  ASSERT_TRUE(f.Load());
  EXPECT_EQ(f.dir.Read(kLegacyBackupName), "[Option]\r\nOldUrlCount=1\r\nIria_Path=\r\n");
}

TEST(LegacyImport, ImportedFileLoadsAsCurrentNextTime) {
  SettingsFixture f;
  f.WriteIni("[Option]\r\nOldUrlCount=5\r\nIria_Path=\r\n");
  ASSERT_TRUE(f.Load());
  f.dir.Write(kLegacyBackupName, "");  // a second import would overwrite this
  Settings fresh;
  ASSERT_EQ(LoadSettings(fresh, f.store, f.window, f.recent.history), SettingsLoad::Loaded);
  EXPECT_EQ(fresh.ListMax, 0);  // a current file without keys: start-up values
  EXPECT_EQ(f.dir.Read(kLegacyBackupName), "");
}

}  // namespace
}  // namespace cardo
