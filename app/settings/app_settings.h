#pragma once
// The settings record: every user setting the program keeps between runs, one field per row of
// setting_rows.h, each at its start-up value. The program has one instance, AppSettings; the
// settings file operations take it by reference.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/settings/setting_rows.h"

namespace cardo {

// A list of text that is either absent or holds at least one entry.
using SettingsList = std::optional<std::vector<std::u16string>>;

struct Settings {
#define CARDO_FIELD_NONE(...)
#define CARDO_FIELD_FLAG(name, control) std::int16_t name = 0;
#define CARDO_FIELD_TEXT(name, ...) std::u16string name;
#define CARDO_FIELD_NUMBER(type, name, startUp, ...) type name = startUp;
#define CARDO_FIELD_LIST(name, ...) SettingsList name;
  CARDO_SETTINGS(CARDO_FIELD_NONE, CARDO_FIELD_FLAG, CARDO_FIELD_TEXT, CARDO_FIELD_NUMBER,
                 CARDO_FIELD_LIST)
#undef CARDO_FIELD_NONE
#undef CARDO_FIELD_FLAG
#undef CARDO_FIELD_TEXT
#undef CARDO_FIELD_NUMBER
#undef CARDO_FIELD_LIST

  bool operator==(const Settings&) const = default;
};

}  // namespace cardo
