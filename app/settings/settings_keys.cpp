#include "app/settings/settings_keys.h"

#include "app/platform/text.h"
#include "app/settings/numbered_keys.h"

namespace cardo {

ExportOptions ExportOptionsOf(const Settings& settings) {
  ExportOptions options;
  options.referer = ToRefererRule(settings.ExportReferer);
  options.fixedReferer = settings.ExportRefererUrl;
  options.names = ToNameRule(settings.ExportNames);
  options.numberWidth = SettingInRange<&Settings::ExportDigits>(settings);
  options.folder = settings.ExportFolder;
  options.watchFolder = settings.ExportWatchFolder;
  return options;
}

std::int32_t NumberOf(const Settings& settings, const ScalarKey& key) {
  if (const auto* number = std::get_if<std::int16_t Settings::*>(&key.field)) {
    return settings.**number;
  }
  return settings.*std::get<std::int32_t Settings::*>(key.field);
}

void SetNumberInRange(Settings& settings, const ScalarKey& key, std::int32_t value) {
  value = InRange(key.range, value);
  if (const auto* number = std::get_if<std::int16_t Settings::*>(&key.field)) {
    settings.** number = static_cast<std::int16_t>(value);
  } else {
    settings.*std::get<std::int32_t Settings::*>(key.field) = value;
  }
}

std::int32_t PackProperties(const Settings& settings) {
  std::int32_t value = 0;
  for (std::size_t bit = 0; bit < kSettingsFlags.size(); ++bit) {
    if (settings.*kSettingsFlags[bit] == 1) value |= 1 << bit;
  }
  return value;
}

void UnpackProperties(Settings& settings, std::int32_t properties) {
  for (std::size_t bit = 0; bit < kSettingsFlags.size(); ++bit) {
    settings.*kSettingsFlags[bit] = ((properties >> bit) & 1) ? 1 : 0;
  }
}

std::u16string KeyText(const Settings& settings, const ScalarKey& key) {
  if (const auto* text = std::get_if<std::u16string Settings::*>(&key.field)) {
    return settings.**text;
  }
  if (const auto* number = std::get_if<std::int16_t Settings::*>(&key.field)) {
    return DecimalText(settings.**number);
  }
  if (const auto* wide = std::get_if<std::int32_t Settings::*>(&key.field)) {
    return DecimalText(settings.**wide);
  }
  return DecimalText(PackProperties(settings));
}

void SetKeyFromText(Settings& settings, const ScalarKey& key, std::u16string_view text) {
  if (const auto* field = std::get_if<std::u16string Settings::*>(&key.field)) {
    settings.** field = std::u16string(text);
  } else if (const auto* number = std::get_if<std::int16_t Settings::*>(&key.field)) {
    if (const auto value = ParseInt16(text)) settings.** number = *value;
  } else if (const auto* wide = std::get_if<std::int32_t Settings::*>(&key.field)) {
    const std::optional<std::int32_t> value = key.range.max > INT16_MAX
                                                  ? ParseInt32(text)
                                                  : std::optional<std::int32_t>(ParseInt16(text));
    if (value) settings.** wide = *value;
  } else {
    UnpackProperties(settings, ParseInt32(text).value_or(0));
  }
}

void ApplyDefaults(Settings& settings, unsigned uses) {
  for (const ScalarKey& key : kScalarKeys) {
    if (!(key.defaultUse & uses)) continue;
    if (std::holds_alternative<FlagBits>(key.field) && !(uses & (kNewFile | kNewMemory))) {
      // The import adds the flags a new file sets and keeps what the old file gave the others.
      Settings flags;
      SetKeyFromText(flags, key, key.defaultValue);
      UnpackProperties(settings, PackProperties(settings) | PackProperties(flags));
      continue;
    }
    SetKeyFromText(settings, key, key.defaultValue);
  }
  if (!(uses & kNewFile)) return;
  for (const ListKeys& keys : kListKeys) {
    if (keys.newFileEntries.empty()) continue;
    settings.*keys.field =
        std::vector<std::u16string>(keys.newFileEntries.begin(), keys.newFileEntries.end());
  }
}

std::u16string NewFileBody() {
  std::u16string text;
  const char* section = nullptr;
  auto line = [&](const char* in, const std::string& key, std::u16string_view value) {
    if (!section || std::string_view(section) != in) {
      section = in;
      text += u"[" + Utf8ToUtf16(in) + u"]\r\n";
    }
    text += Utf8ToUtf16(key) + u"=" + std::u16string(value) + u"\r\n";
  };
  for (const ScalarKey& key : kScalarKeys) {
    if (key.defaultUse & kNewFile) line(key.section, key.key, key.defaultValue);
  }
  for (const ListKeys& keys : kListKeys) {
    const auto& entries = keys.newFileEntries;
    if (entries.empty()) continue;
    line(keys.section, keys.upperBoundKey, DecimalText(static_cast<long long>(entries.size()) - 1));
    for (std::size_t n = 0; n < entries.size(); ++n) {
      line(keys.section, NumberedKey(keys.entryStem, static_cast<long long>(n)), entries[n]);
    }
  }
  return text;
}

}  // namespace cardo
