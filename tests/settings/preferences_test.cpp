#include "app/settings/preferences.h"

#include <gtest/gtest.h>

namespace cardo {
namespace {

using Items = std::vector<std::u16string>;

TEST(Preferences, ExtensionListCommands) {
  const struct {
    Items items;
    int selected;
    ExtCommand command;
    std::u16string text;
    Items after;
    int selectedAfter;
    int scrollTo;
    bool accepted;
  } cases[] = {
      {{}, -1, ExtCommand::Register, u"rar", {u"rar"}, 0, -1, true},
      {{u"lzh", u"zip", u"jpg"},
       1,
       ExtCommand::Register,
       u"cab",
       {u"lzh", u"cab", u"zip", u"jpg"},
       1,
       -1,
       true},
      {{u"a"}, -1, ExtCommand::Register, u" .b ", {u"a", u" .b "}, 1, -1, true},
      {{u"a"}, 0, ExtCommand::Register, u"", {u"a"}, 0, -1, false},
      {{u"a", u"b", u"c"}, 2, ExtCommand::Delete, u"", {u"a", u"b"}, 1, -1, true},
      {{u"a", u"b", u"c"}, 0, ExtCommand::Delete, u"", {u"b", u"c"}, 0, -1, true},
      {{u"a"}, 0, ExtCommand::Delete, u"", {}, -1, -1, true},
      {{u"a", u"b"}, -1, ExtCommand::Delete, u"", {u"a", u"b"}, -1, -1, true},
      {{u"a", u"b", u"c"}, 0, ExtCommand::Up, u"", {u"a", u"b", u"c"}, 0, -1, true},
      {{u"a", u"b", u"c"}, 2, ExtCommand::Up, u"", {u"a", u"c", u"b"}, 1, 1, true},
      {{u"a", u"b", u"c"}, 2, ExtCommand::Down, u"", {u"a", u"b", u"c"}, 2, -1, true},
      {{u"a", u"b", u"c"}, 0, ExtCommand::Down, u"", {u"b", u"a", u"c"}, 1, 1, true},
  };
  int row = 0;
  for (const auto& c : cases) {
    ExtListState list{c.items, c.selected};
    EXPECT_EQ(RunExtCommand(list, c.command, c.text), c.accepted) << row;
    EXPECT_EQ(list.items, c.after) << row;
    EXPECT_EQ(list.selected, c.selectedAfter) << row;
    EXPECT_EQ(list.scrollTo, c.scrollTo) << row;
    ++row;
  }
}

TEST(Preferences, OkClampsTheHistorySizeAndKeepsAFormerExtensionListWhenEmptied) {
  const struct {
    std::int32_t typed;
    std::int16_t stored;
  } sizes[] = {{0, 1}, {-5, 1}, {1, 1}, {100, 100}, {150, 100}, {99999, 100}};
  for (const auto& size : sizes) {
    Settings settings;
    settings.ExtList = Items{u"lzh"};
    PreferenceValues values;
    values.listMax = size.typed;
    values.reGetPath = u"C:\\ReGet\\ReGet.exe";
    values.filter = u"*.zip";
    values.twinChar = values.cmbIntl = true;
    StorePreferences(values, settings);
    EXPECT_EQ(settings.ListMax, size.stored) << size.typed;
    EXPECT_EQ(settings.ExtList, Items{u"lzh"});
    EXPECT_EQ(settings.ReGetPath, values.reGetPath);
    EXPECT_EQ(settings.IriaPath, u"");
    EXPECT_EQ(settings.UrlExtFilter, u"*.zip");
    EXPECT_EQ(settings.UrlTwinChar + settings.NotReturnSearch * 2 + settings.CmbIntl * 4, 5);
  }
  Settings settings;
  PreferenceValues values;
  values.extensions = {u"rar"};
  StorePreferences(values, settings);
  EXPECT_EQ(settings.ExtList, Items{u"rar"});
}

TEST(Preferences, TextsTheSettingsFileCannotHoldWholeAreNamed) {
  PreferenceValues values;
  values.reGetPath = std::u16string(255, u'a');
  values.filter = std::u16string(127, u'拡') + u"a";  // 255 bytes in the code page
  values.iriaPath = u"C:\\Program Files\\日本語\\Iria.exe";
  values.extensions = {u"zip", std::u16string(127, u'拡') + u"a"};
  EXPECT_EQ(CheckPreferences(values).text, PreferenceText::None);
  EXPECT_EQ(CheckPreferences(values).message, u"");
  values.extensions.insert(values.extensions.begin() + 1, std::u16string(128, u'拡'));
  const PreferenceProblem extension = CheckPreferences(values);
  EXPECT_EQ(extension.text, PreferenceText::Extension);
  EXPECT_EQ(extension.extension, 1);
  EXPECT_EQ(extension.message,
            u"「拡張子リスト」が長すぎます。設定ファイルに保存できるのは 255 バイトまでです。");
  std::u16string message;
  EXPECT_FALSE(CheckExtension(values.extensions[1], message));
  EXPECT_EQ(message, extension.message);
  EXPECT_TRUE(CheckExtension(values.extensions[2], message));
  values.filter += u"a";
  EXPECT_EQ(CheckPreferences(values).text, PreferenceText::Filter);
  values.reGetPath += u"a";
  EXPECT_EQ(CheckPreferences(values).text, PreferenceText::ReGetPath);
  EXPECT_EQ(CheckPreferences(values).message.substr(0, 10), u"「ReGetのパス」");
  // Named as the export page labels the box.
  values = {};
  values.aria2RpcSecret = std::u16string(256, u'k');
  EXPECT_EQ(CheckPreferences(values).message.substr(0, 6), u"「トークン」");
}

}  // namespace
}  // namespace cardo
