#pragma once
// Values for the setting rows unlike their start-up values, for tests that follow each row's
// value through the file or a window and back.
#include <string>
#include <variant>
#include <vector>

#include "app/platform/text.h"
#include "app/settings/settings_keys.h"

namespace cardo::testing {

// A number its row's control can show: the range's top, or its bottom where the top is the
// start-up value.
inline std::int32_t DistinctNumber(const ScalarKey& key) {
  return key.range.max != key.startUp ? key.range.max : key.range.min;
}

// `settings` with a distinct value in the field of every row, or of every row with a
// preferences control.
inline Settings WithDistinctValues(Settings settings, bool withControlOnly) {
  for (const ScalarKey& key : kScalarKeys) {
    if (std::holds_alternative<FlagBits>(key.field) || (withControlOnly && !key.control)) continue;
    if (const auto* text = std::get_if<std::u16string Settings::*>(&key.field)) {
      settings.** text = u"値" + Utf8ToUtf16(key.key);
    } else {
      SetNumberInRange(settings, key, DistinctNumber(key));
    }
  }
  for (const FlagRow& flag : kFlagRows) {
    if (!withControlOnly || flag.control) settings.*flag.field = 1;
  }
  for (const ListKeys& keys : kListKeys) {
    if (withControlOnly && !keys.control) continue;
    settings.*keys.field = std::vector<std::u16string>{u"値" + Utf8ToUtf16(keys.entryStem), u"b"};
  }
  return settings;
}

}  // namespace cardo::testing
