#include "app/settings/preferences.h"

#include <gtest/gtest.h>

#include "app/resources/resource.h"

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
    SetNumberInRange(settings, KeyOf(&Settings::ListMax), size.typed);
    SetListEntries(settings, ListOf(&Settings::ExtList), {});
    EXPECT_EQ(settings.ListMax, size.stored) << size.typed;
    EXPECT_EQ(settings.ExtList, Items{u"lzh"});
  }
  Settings settings;
  SetListEntries(settings, ListOf(&Settings::ExtList), {u"rar"});
  EXPECT_EQ(settings.ExtList, Items{u"rar"});
}

TEST(Preferences, TextsTheSettingsFileCannotHoldWholeAreNamed) {
  Settings values;
  values.ReGetPath = std::u16string(255, u'a');
  values.UrlExtFilter = std::u16string(127, u'拡') + u"a";  // 255 bytes in the code page
  values.IriaPath = u"C:\\Program Files\\日本語\\Iria.exe";
  values.ExtList = Items{u"zip", std::u16string(127, u'拡') + u"a"};
  EXPECT_EQ(CheckPreferences(values).control, 0);
  EXPECT_EQ(CheckPreferences(values).message, u"");
  values.ExtList->insert(values.ExtList->begin() + 1, std::u16string(128, u'拡'));
  const PreferenceProblem extension = CheckPreferences(values);
  EXPECT_EQ(extension.control, IDC_LSTEXTLIST);
  EXPECT_EQ(extension.extension, 1);
  EXPECT_EQ(extension.message,
            u"「拡張子リスト」が長すぎます。設定ファイルに保存できるのは 255 バイトまでです。");
  std::u16string message;
  EXPECT_FALSE(CheckExtension((*values.ExtList)[1], message));
  EXPECT_EQ(message, extension.message);
  EXPECT_TRUE(CheckExtension((*values.ExtList)[2], message));
  values.UrlExtFilter += u"a";
  EXPECT_EQ(CheckPreferences(values).control, IDC_PREF_TXTFILTER);
  values.ReGetPath += u"a";
  EXPECT_EQ(CheckPreferences(values).control, IDC_TXTSOFTPATH0);
  EXPECT_EQ(CheckPreferences(values).message.substr(0, 10), u"「ReGetのパス」");
  // Named as the export page labels the box.
  values = {};
  values.Aria2RpcSecret = std::u16string(256, u'k');
  EXPECT_EQ(CheckPreferences(values).message.substr(0, 6), u"「トークン」");
}

}  // namespace
}  // namespace cardo
