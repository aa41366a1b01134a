#include "app/settings/preferences.h"

#include <algorithm>
#include <utility>

#include "app/platform/codec.h"

namespace cardo {

bool RunExtCommand(ExtListState& list, ExtCommand command, const std::u16string& text) {
  list.scrollTo = -1;
  const int count = static_cast<int>(list.items.size());
  const int at = list.selected;
  const bool any = at >= 0 && at < count;
  switch (command) {
    case ExtCommand::Register: {
      if (text.empty()) return false;
      const int place = any ? at : count;
      list.items.insert(list.items.begin() + place, text);
      list.selected = place;
      return true;
    }
    case ExtCommand::Delete:
      if (!any) return true;
      list.items.erase(list.items.begin() + at);
      list.selected = list.items.empty() ? -1 : std::min(at, count - 2);
      return true;
    case ExtCommand::Up:
    case ExtCommand::Down: {
      const int other = command == ExtCommand::Up ? at - 1 : at + 1;
      if (!any || other < 0 || other >= count) return true;
      std::swap(list.items[at], list.items[other]);
      list.selected = other;
      list.scrollTo = other;
      return true;
    }
  }
  return true;
}

std::u16string CheckPreferences(const PreferenceValues& values) {
  auto fits = [](const std::u16string& text) {
    return WideToAnsi(text).size() <= kMaxSettingsTextBytes;
  };
  const std::pair<const char16_t*, const std::u16string*> texts[] = {
      {u"ReGetのパス", &values.reGetPath},
      {u"Iriaのパス", &values.iriaPath},
      {u"その他のダウンロードマネージャのパス", &values.otherPath},
      {u"引数", &values.otherArgs},
      {u"フィルタ", &values.filter}};
  const char16_t* name = nullptr;
  for (const auto& [label, text] : texts) {
    if (!name && !fits(*text)) name = label;
  }
  for (const auto& extension : values.extensions) {
    if (!name && !fits(extension)) name = u"拡張子リスト";
  }
  if (!name) return {};
  return u"「" + std::u16string(name) +
         u"」が長すぎます。設定ファイルに保存できるのは 254 バイトまでです。";
}

void StorePreferences(const PreferenceValues& values, Settings& settings) {
  settings.UrlExtFilter = values.filter;
  settings.UrlTwinChar = values.twinChar ? 1 : 0;
  settings.NotReturnSearch = values.notReturnSearch ? 1 : 0;
  settings.CmbIntl = values.cmbIntl ? 1 : 0;
  settings.ListMax = static_cast<std::int16_t>(std::clamp<std::int32_t>(values.listMax, 1, 100));
  if (!values.extensions.empty()) settings.ExtList = values.extensions;
  settings.ReGetPath = values.reGetPath;
  settings.IriaPath = values.iriaPath;
  settings.OtherPath = values.otherPath;
  settings.OtherArgs = values.otherArgs;
  settings.OtherFormat = values.otherFormat;
}

}  // namespace cardo
