#include "app/settings/preferences.h"

#include <algorithm>
#include <utility>

#include "app/export/aria2_rpc.h"
#include "app/settings/ini_values.h"

namespace cardo {
namespace {

// Whether the settings file gives `value` back whole from a key of `capacity` bytes.
bool Fits(std::u16string_view value, std::size_t capacity) {
  return IniValueBytes(value).size() <= capacity;
}

}  // namespace

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

Settings ShownInPreferences(const Settings& settings) {
  Settings shown = settings;
  for (const ScalarKey& key : kScalarKeys) {
    if (key.control && key.range.outside != OutOfRange::Taken) {
      SetNumberInRange(shown, key, NumberOf(shown, key));
    }
  }
  if (shown.OtherArgs.empty()) {
    shown.OtherArgs = FormatRow(ToOtherFormat(shown.OtherFormat)).defaultArguments;
  }
  if (shown.Aria2RpcAddress.empty()) shown.Aria2RpcAddress = kDefaultRpcAddress;
  return shown;
}

void SetListEntries(Settings& edited, const ListKeys& keys, std::vector<std::u16string> entries) {
  if (!entries.empty()) edited.*keys.field = std::move(entries);
}

PreferenceProblem CheckPreferences(const Settings& edited) {
  for (const ScalarKey& key : kScalarKeys) {
    const auto* text = std::get_if<std::u16string Settings::*>(&key.field);
    if (key.control && text && !Fits(edited.**text, key.capacity)) {
      return {key.control, -1, SettingsTextTooLong(key.label)};
    }
  }
  for (const ListKeys& keys : kListKeys) {
    if (!keys.control || !(edited.*keys.field)) continue;
    const std::vector<std::u16string>& entries = *(edited.*keys.field);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (!Fits(entries[i], kListEntryCapacity)) {
        return {keys.control, static_cast<int>(i), SettingsTextTooLong(keys.label)};
      }
    }
  }
  return {};
}

bool CheckExtension(const std::u16string& extension, std::u16string& message) {
  if (Fits(extension, kListEntryCapacity)) return true;
  message = SettingsTextTooLong(ListOf(&Settings::ExtList).label);
  return false;
}

}  // namespace cardo
