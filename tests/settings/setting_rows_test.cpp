// Every setting row, read as the rows say: what the file gives back, what a new file and the
// legacy import set, and what the preferences show and take agree with each row.
#include <gtest/gtest.h>

#include "app/platform/text.h"
#include "app/settings/legacy_import.h"
#include "app/settings/preferences.h"
#include "app/settings/settings_file.h"
#include "tests/settings/setting_values.h"
#include "tests/settings/settings_fixture.h"

namespace cardo {
namespace {

using testing::kCurrentHeader;
using testing::SettingsFixture;
using testing::WithDistinctValues;

bool IsText(const ScalarKey& key) {
  return std::holds_alternative<std::u16string Settings::*>(key.field);
}
bool IsNumber(const ScalarKey& key) {
  return !IsText(key) && !std::holds_alternative<FlagBits>(key.field);
}

// Every value a number's control can give is read back whole, and every row has what its
// kind needs: a text its 255 bytes and a label when the preferences edit it.
TEST(SettingRows, EachRowCanHoldWhatItsControlGives) {
  for (const ScalarKey& key : kScalarKeys) {
    if (IsText(key)) {
      EXPECT_EQ(key.capacity, kSettingsTextCapacity) << key.key;
      EXPECT_TRUE(!key.control || key.label) << key.key;
    } else if (IsNumber(key)) {
      EXPECT_NE(key.range.outside, OutOfRange::Taken) << key.key;
      EXPECT_LE(DecimalText(key.range.min).size(), key.capacity) << key.key;
      EXPECT_LE(DecimalText(key.range.max).size(), key.capacity) << key.key;
    }
  }
  for (const ListKeys& keys : kListKeys) EXPECT_TRUE(!keys.control || keys.label) << keys.entryStem;
}

// A value unlike its start-up value in every field, saved and loaded again, comes back in its
// own field: no two rows share a key or a field. A file without the keys leaves the start-up
// values.
TEST(SettingRows, EveryRowComesBackFromTheFile) {
  SettingsFixture f;
  f.WriteIni(kCurrentHeader);
  f.settings = WithDistinctValues({}, false);
  ASSERT_TRUE(f.Save());

  SettingsFixture g;
  g.dir.Write(u"CARDO.INI", f.IniBytes());
  ASSERT_TRUE(g.Load());
  EXPECT_EQ(g.settings, f.settings);
  for (const ScalarKey& key : kScalarKeys) {
    if (IsNumber(key)) {
      EXPECT_NE(NumberOf(g.settings, key), key.startUp) << key.key;
    }
  }

  SettingsFixture empty;
  empty.WriteIni(kCurrentHeader);
  ASSERT_TRUE(empty.Load());
  EXPECT_EQ(empty.settings, Settings{});
}

// A new file, once loaded, holds each row's new-file value; the import sets the rows it
// takes; every other field keeps its start-up value.
TEST(SettingRows, NewFileAndImportSetTheRowsDefaults) {
  SettingsFixture created;
  ASSERT_TRUE(CreateDefaultSettings(created.settings, created.store));
  SettingsFixture loaded;
  loaded.dir.Write(u"CARDO.INI", created.IniBytes());
  ASSERT_TRUE(loaded.Load());
  SettingsFixture imported;
  imported.WriteIni("[Option]\r\nReGet_Path=C:\\r.exe\r\nIria_Path=\r\n");
  ASSERT_TRUE(imported.Load());
  for (const ScalarKey& key : kScalarKeys) {
    const Settings startUp;
    const std::u16string fresh = key.defaultValue ? key.defaultValue : KeyText(startUp, key);
    EXPECT_EQ(KeyText(created.settings, key),
              key.defaultUse & (kNewFile | kNewMemory) ? fresh : KeyText(startUp, key))
        << key.key;
    EXPECT_EQ(KeyText(loaded.settings, key),
              key.defaultUse & kNewFile ? fresh : KeyText(startUp, key))
        << key.key;
    if (key.key != std::string_view("ReGetPath")) {
      EXPECT_EQ(KeyText(imported.settings, key),
                key.defaultUse & kImport ? fresh : KeyText(startUp, key))
          << key.key;
    }
  }
}

// The preferences show each value they edit as it is stored when it lies in its row's range,
// and as the row says when it does not; a number typed is taken the same way. Rows without a
// control are left as stored.
TEST(SettingRows, PreferencesShowAndTakeNumbersAsTheRowsSay) {
  const Settings distinct = WithDistinctValues({}, false);
  EXPECT_EQ(ShownInPreferences(distinct), distinct);

  for (const ScalarKey& key : kScalarKeys) {
    if (!IsNumber(key)) continue;
    const ValueRange& range = key.range;
    const struct {
      std::int32_t value, taken;
    } cases[] = {
        {range.min - 1, range.min},
        {range.max + 1, range.outside == OutOfRange::NearestBound ? range.max : range.min},
        {range.min, range.min},
        {range.max, range.max},
    };
    for (const auto& c : cases) {
      Settings typed;
      SetNumberInRange(typed, key, c.value);
      EXPECT_EQ(NumberOf(typed, key), c.taken) << key.key << " " << c.value;
      // Any number the 16-bit reader takes may be stored.
      if (c.value > 32767) continue;
      Settings stored;
      SetKeyFromText(stored, key, DecimalText(c.value));
      EXPECT_EQ(NumberOf(ShownInPreferences(stored), key), key.control ? c.taken : c.value)
          << key.key << " " << c.value;
    }
  }

  // An empty template or address stands for its default, which the dialog shows.
  Settings empty;
  empty.OtherFormat = 2;
  const Settings shown = ShownInPreferences(empty);
  EXPECT_EQ(shown.OtherArgs, u"-K %1");
  EXPECT_EQ(shown.Aria2RpcAddress, u"http://localhost:6800/jsonrpc");
}

// Each text the preferences edit is refused past 255 bytes, named as its row says.
TEST(SettingRows, PreferencesRefuseEachTextTooLongByItsName) {
  for (const ScalarKey& key : kScalarKeys) {
    const auto* text = std::get_if<std::u16string Settings::*>(&key.field);
    if (!text || !key.control) continue;
    Settings edited;
    edited.*(*text) = std::u16string(255, u'a');
    EXPECT_EQ(CheckPreferences(edited).control, 0) << key.key;
    edited.*(*text) += u"a";
    const PreferenceProblem problem = CheckPreferences(edited);
    EXPECT_EQ(problem.control, key.control) << key.key;
    EXPECT_EQ(problem.message, SettingsTextTooLong(key.label)) << key.key;
  }
}

}  // namespace
}  // namespace cardo
