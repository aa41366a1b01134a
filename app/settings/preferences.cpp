#include "app/settings/preferences.h"

#include <algorithm>
#include <utility>

#include "app/settings/ini_values.h"
#include "app/settings/settings_keys.h"

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

PreferenceProblem CheckPreferences(const PreferenceValues& values) {
  const struct {
    PreferenceText text;
    const char16_t* name;
    const std::u16string* value;
  } texts[] = {
      {PreferenceText::ReGetPath, u"ReGetのパス", &values.reGetPath},
      {PreferenceText::IriaPath, u"Iriaのパス", &values.iriaPath},
      {PreferenceText::OtherPath, u"その他のダウンロードマネージャのパス", &values.otherPath},
      {PreferenceText::OtherArgs, u"引数", &values.otherArgs},
      {PreferenceText::Filter, u"フィルタ", &values.filter},
      {PreferenceText::ExportRefererUrl, u"指定アドレス", &values.exportRefererUrl},
      {PreferenceText::ExportFolder, u"ダウンロード先フォルダ", &values.exportFolder},
      {PreferenceText::ExportWatchFolder, u"JDownloader の監視フォルダ", &values.exportWatchFolder},
      {PreferenceText::Aria2RpcAddress, u"aria2 RPC", &values.aria2RpcAddress},
      {PreferenceText::Aria2RpcSecret, u"トークン", &values.aria2RpcSecret}};
  for (const auto& t : texts) {
    if (!FitsSettingsText(*t.value)) return {t.text, -1, SettingsTextTooLong(t.name)};
  }
  for (std::size_t i = 0; i < values.extensions.size(); ++i) {
    std::u16string message;
    if (!CheckExtension(values.extensions[i], message)) {
      return {PreferenceText::Extension, static_cast<int>(i), message};
    }
  }
  return {};
}

bool CheckExtension(const std::u16string& extension, std::u16string& message) {
  if (FitsSettingsText(extension)) return true;
  message = SettingsTextTooLong(u"拡張子リスト");
  return false;
}

void StorePreferences(const PreferenceValues& values, Settings& settings) {
  settings.UrlExtFilter = values.filter;
  settings.UrlTwinChar = values.twinChar ? 1 : 0;
  settings.NotReturnSearch = values.notReturnSearch ? 1 : 0;
  settings.CmbIntl = values.cmbIntl ? 1 : 0;
  settings.ListMax =
      static_cast<std::int16_t>(InRange(RangeOf<&Settings::ListMax>(), values.listMax));
  if (!values.extensions.empty()) settings.ExtList = values.extensions;
  settings.ReGetPath = values.reGetPath;
  settings.IriaPath = values.iriaPath;
  settings.OtherPath = values.otherPath;
  settings.OtherArgs = values.otherArgs;
  settings.OtherFormat = values.otherFormat;
  settings.ExportReferer = values.exportReferer;
  settings.ExportRefererUrl = values.exportRefererUrl;
  settings.ExportNames = values.exportNames;
  settings.ExportDigits =
      static_cast<std::int16_t>(InRange(RangeOf<&Settings::ExportDigits>(), values.exportDigits));
  settings.ExportFolder = values.exportFolder;
  settings.ExportWatchFolder = values.exportWatchFolder;
  settings.Aria2RpcAddress = values.aria2RpcAddress;
  settings.Aria2RpcSecret = values.aria2RpcSecret;
}

}  // namespace cardo
