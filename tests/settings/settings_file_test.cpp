#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include "app/platform/text.h"
#include "app/settings/legacy_import.h"
#include "app/settings/settings_file.h"
#include "app/settings/settings_keys.h"
#include "tests/settings/settings_fixture.h"

namespace cardo {
namespace {

using testing::Ansi;
using testing::kCurrentHeader;
using testing::SettingsFixture;
using testing::U;

using Entries = std::vector<std::u16string>;

TEST(SettingsFile, NewFileIsExactlyTheDefaultText) {
  SettingsFixture f;
  ASSERT_FALSE(f.Load());
  ASSERT_TRUE(CreateDefaultSettings(f.settings, f.store));
  EXPECT_EQ(f.IniBytes(), testing::Ansi(std::string(kCurrentHeader) +
                                        "[PREF]\r\nproperties=194\r\nUrlExtProtocol=http://\r\n"
                                        "ListMax=10\r\nExtListUBound=2\r\nExtension0=lzh\r\n"
                                        "Extension1=zip\r\nExtension2=jpg\r\n"));
  EXPECT_EQ(f.settings.NotReturnSearch, 1);
  EXPECT_EQ(f.settings.CmbIntl, 1);
  EXPECT_EQ(f.settings.TextClear, 1);
  EXPECT_EQ(f.settings.UrlTwinChar, 0);
  EXPECT_EQ(f.settings.ListMax, 10);
  EXPECT_EQ(f.settings.UrlExtProtocol, u"http://");
  EXPECT_EQ(f.settings.ExtList, (Entries{u"lzh", u"zip", u"jpg"}));
  EXPECT_FALSE(f.settings.ListHistory.has_value());
}

// The key table's defaults agree with themselves: what a new file writes reads back as what
// memory holds after creating it, every default lies inside its key's range, and a number key
// keeps what a hand-edited file holds while its window shows it in range.
TEST(SettingsFile, TheKeyTablesDefaultsReadBackAndFitTheirRanges) {
  SettingsFixture f;
  ASSERT_TRUE(CreateDefaultSettings(f.settings, f.store));
  Settings read;
  ASSERT_EQ(LoadSettings(read, f.store, f.window, f.recent.history), SettingsLoad::Loaded);
  read.OtherArgs = f.settings.OtherArgs;  // set in memory only
  EXPECT_EQ(read, f.settings);
  for (const ScalarKey& key : kScalarKeys) {
    if (!key.defaultValue) continue;
    Settings one;
    SetKeyFromText(one, key, key.defaultValue);
    EXPECT_EQ(KeyText(one, key), key.defaultValue) << key.key;
    if (key.range.outside == OutOfRange::Taken) continue;
    const auto value = std::stoi(Utf16ToUtf8(KeyText(one, key)));
    EXPECT_EQ(InRange(key.range, value), value) << key.key;
  }

  const struct {
    ValueRange range;
    std::int32_t stored, shown;
  } cases[] = {
      {{1, 100, OutOfRange::NearestBound}, 0, 1},
      {{1, 100, OutOfRange::NearestBound}, 500, 100},
      {{1, 100, OutOfRange::NearestBound}, 42, 42},
      {{0, 2, OutOfRange::FirstChoice}, 12, 0},
      {{0, 25, OutOfRange::FirstChoice}, -1, 0},
      {{0, 25, OutOfRange::FirstChoice}, 25, 25},
      {{}, -7, -7},
  };
  for (const auto& c : cases) EXPECT_EQ(InRange(c.range, c.stored), c.shown) << c.stored;
}

TEST(SettingsFile, FailedCreationLeavesTheRecordAlone) {
  SettingsFixture f;
  f.fs.failWrites = true;
  f.settings.ListMax = 77;
  EXPECT_FALSE(CreateDefaultSettings(f.settings, f.store));
  EXPECT_EQ(f.settings.ListMax, 77);
  EXPECT_EQ(f.settings.CmbIntl, 0);
}

TEST(SettingsFile, HeaderTimeFormat) {
  EXPECT_EQ(FormatHeaderTime({2026, 12, 7, 9, 5}), u"12/7/26 9:05");
  EXPECT_EQ(FormatHeaderTime({2003, 1, 31, 23, 59}), u"1/31/03 23:59");
  EXPECT_EQ(FormatHeaderTime({2000, 10, 1, 0, 0}), u"10/1/00 0:00");
}

TEST(SettingsFile, ThirdLineDecidesWhetherTheFileIsCurrent) {
  const struct {
    const char* third;
    bool current;
  } cases[] = {
      {"'    作成時のバージョン:3.14", true}, {"'    作成時のバージョン:13.0", true},
      {"x 3. y 作成時のバージョン: z", true}, {"'    作成時のバージョン:2.01", false},
      {"'    version:3.00", false},
  };
  for (const auto& c : cases) {
    SettingsFixture f;
    f.WriteIni(std::string("'a\r\n'b\r\n") + c.third + "\r\n[PREF]\r\nListMax=42\r\n");
    EXPECT_TRUE(f.Load()) << c.third;
    // A current file is read as it is; an older one is imported and backed up.
    EXPECT_EQ(f.settings.ListMax, c.current ? 42 : 0) << c.third;
    EXPECT_EQ(f.fs.Probe(f.dir.File(kLegacyBackupName)) == PathKind::File, !c.current) << c.third;
  }
}

TEST(SettingsFile, PropertiesSetTheNineFlags) {
  const struct {
    const char* line;  // nullptr: key missing
    std::array<int, 9> flags;
  } cases[] = {
      {"properties=194", {0, 1, 0, 0, 0, 0, 1, 1, 0}},
      {"properties=511", {1, 1, 1, 1, 1, 1, 1, 1, 1}},
      {"properties=1024", {0, 0, 0, 0, 0, 0, 0, 0, 0}},  // bits 9 and up are ignored
      {"properties=abc", {0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {nullptr, {0, 0, 0, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SettingsFixture f;
    f.settings.CmbIntl = 1;
    f.WriteIni(std::string(kCurrentHeader) + "[PREF]\r\n" + (c.line ? c.line : "") + "\r\n");
    ASSERT_TRUE(f.Load());
    for (std::size_t bit = 0; bit < 9; ++bit) {
      EXPECT_EQ(f.settings.*kSettingsFlags[bit], c.flags[bit])
          << (c.line ? c.line : "missing") << " bit " << bit;
    }
  }
}

TEST(SettingsFile, ValuesThatDoNotConvertKeepTheField) {
  SettingsFixture f;
  f.settings.NumStart = 5;
  f.settings.ListMax = 10;
  f.settings.CharStart = 3;
  f.settings.FigLength = 2;
  f.WriteIni(std::string(kCurrentHeader) +
             "[PREF]\r\nNumStart=40000\r\nListMax=ten\r\nCharStart=\r\nFigLength=-7\r\n"
             "NumEnd=-32768\r\nUrlExtSelMode=123\r\n");
  ASSERT_TRUE(f.Load());
  EXPECT_EQ(f.settings.NumStart, 5);   // does not fit 16 bits
  EXPECT_EQ(f.settings.ListMax, 10);   // not a number
  EXPECT_EQ(f.settings.CharStart, 3);  // empty
  EXPECT_EQ(f.settings.FigLength, -7);
  EXPECT_EQ(f.settings.NumEnd, -3276);  // five bytes are read back
  EXPECT_EQ(f.settings.UrlExtSelMode, 12);
}

// The page limit: a file from before the key, or one whose value does not convert, keeps the
// 1024 MiB the record starts with; a number is kept as the file holds it and taken inside
// 1..4095 where it is used.
TEST(SettingsFile, PageLimitIsKeptAsStoredAndUsedInItsRange) {
  const struct {
    const char* line;
    std::int16_t stored, used;
  } cases[] = {
      {"", 1024, 1024},
      {"MaxPageMiB=64", 64, 64},
      {"MaxPageMiB=4095", 4095, 4095},
      {"MaxPageMiB=0", 0, 1},
      {"MaxPageMiB=-3", -3, 1},
      {"MaxPageMiB=9999", 9999, 4095},
      {"MaxPageMiB=ten", 1024, 1024},
      {"MaxPageMiB=40000", 1024, 1024},
  };
  for (const auto& c : cases) {
    SettingsFixture f;
    f.WriteIni(std::string(kCurrentHeader) + "[PREF]\r\n" + c.line + "\r\n");
    ASSERT_TRUE(f.Load()) << c.line;
    EXPECT_EQ(f.settings.MaxPageMiB, c.stored) << c.line;
    EXPECT_EQ(InRange(KeyOf(&Settings::MaxPageMiB).range, f.settings.MaxPageMiB), c.used) << c.line;
  }
}

// The generator's step and the expansion window's syntax: a file from before the keys gives
// step 1 and the specified syntax; a value outside the control's choices is taken as the
// nearest step or as the specified syntax.
TEST(SettingsFile, StepAndSyntaxKeys) {
  const struct {
    const char* lines;
    std::int32_t step, extended;
  } cases[] = {
      {"", 1, 0},
      {"NumStep=10\r\nSpreadExtended=1", 10, 1},
      {"NumStep=0\r\nSpreadExtended=7", 1, 0},
      {"NumStep=32767", 32767, 0},
  };
  // The extraction modes: the fourth is the last one.
  EXPECT_EQ(InRange(RangeOf<&Settings::UrlExtSelMode>(), 3), 3);
  EXPECT_EQ(InRange(RangeOf<&Settings::UrlExtSelMode>(), 4), 0);
  // The URL page's parsing: off unless 1.
  EXPECT_EQ(InRange(RangeOf<&Settings::UrlExtParsed>(), 1), 1);
  EXPECT_EQ(InRange(RangeOf<&Settings::UrlExtParsed>(), 2), 0);
  for (const auto& c : cases) {
    SettingsFixture f;
    f.WriteIni(std::string(kCurrentHeader) + "[PREF]\r\n" + c.lines + "\r\n");
    ASSERT_TRUE(f.Load()) << c.lines;
    EXPECT_EQ(SettingInRange<&Settings::NumStep>(f.settings), c.step) << c.lines;
    EXPECT_EQ(SettingInRange<&Settings::SpreadExtended>(f.settings), c.extended) << c.lines;
  }
}

// The status bar is shown unless the file says 0, also by a file from before the key.
TEST(SettingsFile, StatusBarKey) {
  const struct {
    const char* lines;
    std::int32_t shown;
  } cases[] = {{"", 1}, {"StatusBar=0", 0}, {"StatusBar=1", 1}, {"StatusBar=9", 1}};
  for (const auto& c : cases) {
    SettingsFixture f;
    f.WriteIni(std::string(kCurrentHeader) + "[PREF]\r\n" + c.lines + "\r\n");
    ASSERT_TRUE(f.Load()) << c.lines;
    EXPECT_EQ(SettingInRange<&Settings::StatusBar>(f.settings), c.shown) << c.lines;
  }
}

TEST(SettingsFile, ListsAreReadToTheirHighestIndex) {
  const struct {
    const char* keys;
    SettingsList expected;
  } cases[] = {
      {"ExtListUBound=-1\r\nExtension0=lzh\r\n", std::nullopt},
      {"ExtListUBound=x\r\n", std::nullopt},
      {"ExtListUBound=-5\r\n", std::nullopt},
      // A highest index past the stored entries is damaged: the list ends at the last one.
      {"ExtListUBound=1\r\nExtension0=lzh\r\n", Entries{u"lzh"}},
      {"ExtListUBound=0\r\n", Entries{u""}},
      {"ExtListUBound=0\r\nExtension0=lzh\r\nExtension1=zip\r\n", Entries{u"lzh"}},
  };
  for (const auto& c : cases) {
    SettingsFixture f;
    f.WriteIni(std::string(kCurrentHeader) + "[PREF]\r\n" + c.keys);
    ASSERT_TRUE(f.Load());
    EXPECT_EQ(f.settings.ExtList, c.expected) << c.keys;
  }
}

TEST(SettingsFile, LongListsComeBackWhole) {
  SettingsFixture f;
  std::string keys = "[HISTORY]\r\nLsHstryUBound=120\r\n";
  for (int n = 0; n <= 120; ++n)
    keys += "ListHistory" + std::to_string(n) + "=u" + std::to_string(n) + "\r\n";
  f.WriteIni(std::string(kCurrentHeader) + keys +
             "[PREF]\r\nExtListUBound=5000\r\n"
             "Extension0=a\r\nExtension1=b\r\nExtension4999=z\r\n");
  ASSERT_TRUE(f.Load());
  ASSERT_EQ(f.settings.ListHistory->size(), 121u);
  EXPECT_EQ(f.settings.ListHistory->back(), u"u120");
  ASSERT_EQ(f.settings.ExtList->size(), 5000u);  // ends at the last stored entry
  EXPECT_EQ((*f.settings.ExtList)[1], u"b");
  EXPECT_EQ((*f.settings.ExtList)[2], u"");
  EXPECT_EQ((*f.settings.ExtList)[4999], u"z");
}

// The system's profile, counting the calls that rewrite the file.
class CountingProfile final : public ProfileStore {
 public:
  int writes = 0;
  std::string Read(std::string_view s, std::string_view k, std::size_t n,
                   const std::u16string& f) override {
    return SystemProfile().Read(s, k, n, f);
  }
  std::vector<std::string> ReadKeyNames(std::string_view s, const std::u16string& f) override {
    return SystemProfile().ReadKeyNames(s, f);
  }
  bool Write(std::string_view s, std::string_view k, std::string_view v,
             const std::u16string& f) override {
    ++writes;
    return SystemProfile().Write(s, k, v, f);
  }
  Entries ReadSection(std::string_view s, const std::u16string& f) override {
    return SystemProfile().ReadSection(s, f);
  }
  bool WriteSection(std::string_view s, const Entries& e, const std::u16string& f) override {
    ++writes;
    return SystemProfile().WriteSection(s, e, f);
  }
  bool CanReach(const std::u16string& f) override { return SystemProfile().CanReach(f); }
};

TEST(SettingsFile, SavingWritesTheFileOnceWhateverTheListsHold) {
  SettingsFixture f;
  CountingProfile counting;
  SettingsStore store{counting, f.fs,       f.store.settingsFilePath, f.store.appDirectory, u"3.00",
                      3,        f.store.now};
  f.WriteIni(std::string(kCurrentHeader) +
             "[PREF]\r\nExtListUBound=5000\r\nExtension0=a\r\nExtension1=b\r\nExtension2=c\r\n"
             "Future=\"kept\"\r\n");
  ASSERT_EQ(LoadSettings(f.settings, store, f.window, f.recent.history), SettingsLoad::Loaded);
  EXPECT_EQ(f.settings.ExtList, (Entries{u"a", u"b", u"c"}));  // the damaged index costs nothing
  f.settings.SearchHistory = Entries(5000, u"w");
  ASSERT_TRUE(SaveSettings(f.settings, store, f.window, f.recent.history));
  // The whole text in one write, never through the profile functions, which write in place.
  EXPECT_EQ(counting.writes, 0);
  EXPECT_EQ(f.fs.writes, 1);
  EXPECT_NE(f.IniBytes().find("Future=\"kept\"\r\n"), std::string::npos);  // another version's

  SettingsFixture g;
  g.dir.Write(u"CARDO.INI", f.IniBytes());
  ASSERT_TRUE(g.Load());
  EXPECT_EQ(g.settings, f.settings);
}

TEST(SettingsFile, WindowSizeAndRecentFiles) {
  SettingsFixture f;
  f.WriteIni(std::string(kCurrentHeader) +
             "[WINDOW]\r\nwidth=12000\r\n[HISTORY]\r\nFileHistory1=C:\\a.lst\r\n"
             "FileHistory3=C:\\c.lst\r\n");
  ASSERT_TRUE(f.Load());
  EXPECT_EQ(f.window.width, 12000);
  EXPECT_EQ(f.window.height, 6000);  // missing: the window keeps its size
  EXPECT_EQ(f.recent.history.MenuItem(1), u"C:\\a.lst");
  EXPECT_EQ(f.recent.history.MenuItem(2), u"C:\\c.lst");
  EXPECT_EQ(f.recent.history.MenuCount(), 2);
}

TEST(SettingsFile, SaveWritesEveryKeyInOrder) {
  SettingsFixture f;
  f.WriteIni(std::string(kCurrentHeader));
  f.settings.CmbIntl = 1;
  f.settings.NotReturnSearch = 1;
  f.settings.TextClear = 1;
  f.settings.ReGetPath = U("C:\\ReGet\\ReGet.exe");
  f.settings.UrlExtProtocol = u"http://";
  f.settings.CharStart = -1;
  f.settings.NumEnd = 100;
  f.settings.ListMax = 10;
  f.settings.ExtList = Entries{u"lzh"};
  f.settings.SearchHistory = Entries{U("検索"), u""};
  f.window.width = 9600;
  f.window.height = 7200;
  f.recent.history.AddItem(u"C:\\b.lst");
  f.recent.history.AddItem(u"C:\\a.lst");
  ASSERT_TRUE(f.Save());
  // The profile functions keep the header's comment lines and drop its blank line.
  std::string header = kCurrentHeader;
  header.resize(header.size() - 2);
  EXPECT_EQ(f.IniBytes(),
            testing::Ansi(header +
                          "[PREF]\r\nproperties=194\r\nReGetPath=C:\\ReGet\\ReGet.exe\r\n"
                          "IriaPath=\r\nUrlExtFilter=\r\nUrlExtProtocol=http://\r\n"
                          "UrlExtSelMode=0\r\nCharStart=-1\r\nCharEnd=0\r\nNumStart=0\r\n"
                          "NumEnd=100\r\nListMax=10\r\nFigLength=0\r\nOtherPath=\r\nOtherArgs=\r\n"
                          "OtherFormat=0\r\nWatchClipboard=0\r\nMaxPageMiB=1024\r\n"
                          "SpreadExtended=0\r\nNumStep=1\r\nStatusBar=1\r\nUrlExtParsed=0\r\n"
                          "UrlExtLinked=0\r\nMaxCrawlPages=200\r\nExportReferer=0\r\n"
                          "ExportRefererUrl=\r\nExportNames=0\r\nExportDigits=3\r\n"
                          "ExportFolder=\r\nExportWatchFolder=\r\nAria2RpcAddress=\r\n"
                          "Aria2RpcSecret=\r\nCheckWidth=0\r\nCheckHeight=0\r\nCheckColumns=\r\n"
                          "CheckTimeout=30\r\nCheckPerHost=4\r\nReceiveLinks=0\r\n"
                          "ReceivePort=8765\r\nReceiveToken=\r\nExtListUBound=0\r\n"
                          "Extension0=lzh\r\n[WINDOW]\r\nwidth=9600\r\nheight=7200\r\n"
                          "[HISTORY]\r\nLsHstryUBound=-1\r\nSrchHstryUBound=1\r\n"
                          "SearchHistory0=検索\r\nSearchHistory1=\r\n"
                          "FileHistory1=C:\\a.lst\r\nFileHistory2=C:\\b.lst\r\nFileHistory3=\r\n"
                          "FileHistory4=\r\nFileHistory5=\r\n"));
}

TEST(SettingsFile, SaveThenLoadGivesTheSameRecord) {
  SettingsFixture f;
  ASSERT_TRUE(CreateDefaultSettings(f.settings, f.store));
  f.settings.UrlExtFilter = U("*.jpg;!*thumb*");
  f.settings.IriaPath = U("C:\\Program Files\\Iria\\Iria.exe");
  f.settings.BigSmall = 1;
  f.settings.NumStart = -20;
  f.settings.MaxPageMiB = 300;
  f.settings.SpreadExtended = 1;
  f.settings.NumStep = 25;
  f.settings.UrlExtSelMode = 3;  // the parsed-HTML mode
  f.settings.UrlExtParsed = 1;
  f.settings.ExportReferer = 4;
  f.settings.ExportRefererUrl = U("http://例え.jp/");
  f.settings.ExportNames = 1;
  f.settings.ExportDigits = 5;
  f.settings.ExportFolder = U("D:\\ダウンロード");
  f.settings.ExportWatchFolder = U("D:\\監視");
  f.settings.ListHistory = Entries{U("http://例え.jp/[001-100].jpg"), u"", u"x"};
  f.settings.SearchHistory = Entries{u"a"};
  f.recent.history.AddItem(u"C:\\x.lst");
  f.window.width = 8000;
  ASSERT_TRUE(f.Save());

  SettingsFixture g;
  g.dir.Write(u"CARDO.INI", f.IniBytes());
  ASSERT_TRUE(g.Load());
  EXPECT_EQ(g.settings, f.settings);
  EXPECT_EQ(g.window.width, 8000);
  EXPECT_EQ(g.recent.history.MenuItem(1), u"C:\\x.lst");
}

TEST(SettingsFile, ShrunkListsLeaveTheirOldKeysBehind) {
  SettingsFixture f;
  f.WriteIni(std::string(kCurrentHeader) + "[HISTORY]\r\nLsHstryUBound=7\r\n");
  ASSERT_TRUE(f.Load());
  f.settings.ListHistory = Entries{u"a", u"b", u"c", u"d", u"e", u"f", u"g", u"h"};
  ASSERT_TRUE(f.Save());
  f.settings.ListHistory = Entries{u"x", u"y", u"z"};
  ASSERT_TRUE(f.Save());
  EXPECT_NE(f.IniBytes().find("LsHstryUBound=2\r\n"), std::string::npos);
  EXPECT_NE(f.IniBytes().find("ListHistory7=h\r\n"), std::string::npos);
  SettingsFixture g;
  g.dir.Write(u"CARDO.INI", f.IniBytes());
  ASSERT_TRUE(g.Load());
  EXPECT_EQ(g.settings.ListHistory, (Entries{u"x", u"y", u"z"}));
}

TEST(SettingsFile, LineBreaksNeverReachTheFile) {
  SettingsFixture f;
  f.WriteIni(std::string(kCurrentHeader));
  f.settings.ReGetPath = u"C:\\a.exe\r\n[PREF]\r\nproperties=511";
  f.settings.ExtList = Entries{u"zip\nExtListUBound=99"};
  ASSERT_TRUE(f.Save());
  EXPECT_EQ(f.IniBytes().find("511"), std::string::npos);
  EXPECT_EQ(f.IniBytes().find("99"), std::string::npos);
  SettingsFixture g;
  g.dir.Write(u"CARDO.INI", f.IniBytes());
  ASSERT_TRUE(g.Load());
  EXPECT_EQ(g.settings.ReGetPath, u"C:\\a.exe");
  EXPECT_EQ(g.settings.ExtList, (Entries{u"zip"}));
  EXPECT_EQ(g.settings.BigSmall, 0);
}

TEST(SettingsFile, DamagedFilesAreBackedUpNotLost) {
  // Too short for a header: kept aside, then handled as no file (a new file with defaults).
  for (const char* content : {"", "one line only", "\x01\x02\xFF\xFE\x00garbage\x81"}) {
    SettingsFixture f;
    f.dir.Write(u"CARDO.INI", content);
    EXPECT_EQ(LoadSettings(f.settings, f.store, f.window, f.recent.history), SettingsLoad::Missing);
    EXPECT_EQ(f.dir.Read(kLegacyBackupName), content);
    EXPECT_EQ(f.settings, Settings{});
  }
  // A longer file without the version marker is imported; the new file holds the header.
  SettingsFixture f;
  const char* unmarked = "'a\r\n'b\r\n'no marker here\r\n[PREF]\r\nListMax=3\r\n";
  f.dir.Write(u"CARDO.INI", unmarked);
  EXPECT_TRUE(f.Load());
  EXPECT_EQ(f.dir.Read(kLegacyBackupName), unmarked);
  EXPECT_EQ(f.IniBytes(), testing::Ansi(kCurrentHeader));

  // A short file that cannot be backed up is left alone, and so is one that cannot be read.
  for (const bool failRead : {false, true}) {
    SettingsFixture g;
    g.dir.Write(u"CARDO.INI", "x");
    g.fs.failCopies = !failRead;
    g.fs.failReads = failRead;
    EXPECT_EQ(LoadSettings(g.settings, g.store, g.window, g.recent.history),
              SettingsLoad::Unreadable);
    g.settings.ReGetPath = u"changed";
    ASSERT_TRUE(g.Save());
    EXPECT_EQ(g.IniBytes(), "x");
  }
}

// Two instances started on one file: each writes at exit only what it changed, so neither
// erases the other's changes, a flag of `properties` included; what both changed ends as the
// last one to exit has it.
TEST(SettingsFile, TwoInstancesKeepEachOthersChanges) {
  SettingsFixture first;
  first.WriteIni(std::string(kCurrentHeader) +
                 "[PREF]\r\nproperties=194\r\nReGetPath=old\r\nListMax=10\r\n"
                 "[HISTORY]\r\nFileHistory1=C:\\a.lst\r\n");
  SettingsFixture second;
  second.store.settingsFilePath = first.store.settingsFilePath;
  second.store.appDirectory = first.store.appDirectory;
  ASSERT_TRUE(first.Load());
  ASSERT_TRUE(second.Load());

  first.settings.ReGetPath = u"C:\\first.exe";
  first.settings.CmbIntl = 0;  // 194 - 64
  first.settings.ListMax = 20;
  first.settings.ListHistory = Entries{u"http://first/"};
  second.settings.IriaPath = u"C:\\second.exe";
  second.settings.BigSmall = 1;  // + 256
  second.settings.ListMax = 30;
  second.recent.history.AddItem(u"C:\\b.lst");
  second.window.width = 7777;
  ASSERT_TRUE(first.Save());
  ASSERT_TRUE(second.Save());

  SettingsFixture next;
  next.store.settingsFilePath = first.store.settingsFilePath;
  ASSERT_TRUE(next.Load());
  EXPECT_EQ(next.settings.ReGetPath, u"C:\\first.exe");
  EXPECT_EQ(next.settings.IriaPath, u"C:\\second.exe");
  EXPECT_EQ(PackProperties(next.settings), 194 - 64 + 256);
  EXPECT_EQ(next.settings.ListMax, 30);
  EXPECT_EQ(next.settings.ListHistory, (Entries{u"http://first/"}));
  EXPECT_EQ(next.recent.history.MenuItem(1), u"C:\\b.lst");
  EXPECT_EQ(next.recent.history.MenuItem(2), u"C:\\a.lst");
  EXPECT_EQ(next.window.width, 7777);
  EXPECT_NE(first.IniBytes().find(Ansi("'  Cardo用設定保持 INIファイル\r\n")), std::string::npos);
}

#ifdef _WIN32
TEST(SettingsFile, UnwritableFileAtExitIsLeftAsItWas) {
  SettingsFixture f;
  ASSERT_TRUE(CreateDefaultSettings(f.settings, f.store));
  const std::string before = f.IniBytes();
  const std::wstring path(f.store.settingsFilePath.begin(), f.store.settingsFilePath.end());
  // Another program holds the file open without sharing it: every write fails.
  HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  f.settings.ReGetPath = u"C:\\changed.exe";
  EXPECT_FALSE(f.Save());  // a save that did not happen says so
  EXPECT_FALSE(f.fs.LastErrorText().empty());
  CloseHandle(held);
  EXPECT_EQ(f.IniBytes(), before);

  // A read-only file is not written behind the user's back, and the save says so.
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(f.Save());
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(f.IniBytes(), before);
}
#endif

}  // namespace
}  // namespace cardo
