#pragma once
// The tables made from the setting rows (setting_rows.h): what loading, saving, a new file, the
// legacy import, the merge at exit, the windows that edit the values and the tests read.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "app/export/export.h"
#include "app/settings/app_settings.h"
#include "app/settings/ini_values.h"

namespace cardo {

inline constexpr char kSectionPref[] = "PREF";
inline constexpr char kSectionWindow[] = "WINDOW";
inline constexpr char kSectionHistory[] = "HISTORY";

// The nine option flags, as the bits of one number.
struct FlagBits {};

// How a window takes a stored number outside the values its control can show (a damaged or
// hand-edited file): the file itself keeps any number its reader takes.
enum class OutOfRange {
  Taken,         // any number: a text, or a value no control bounds
  NearestBound,  // a spin box shows the bound
  FirstChoice,   // an index into a list shows the list's first entry
};
struct ValueRange {
  std::int32_t min = 0;
  std::int32_t max = 0;
  OutOfRange outside = OutOfRange::Taken;
};

// Where a key's default applies; the default itself is written as the file holds it.
enum DefaultUse : unsigned {
  kNoDefault = 0,
  kNewFile = 1,    // written into a new file, and set in memory once that file is written
  kNewMemory = 2,  // set in memory once a new file is written, but not written into it
  kImport = 4,     // also set by the legacy import, whose old layout lacks the key; for the
                   // flags: the flags the default sets are set, the others kept
};

// The row of one key that holds a single value: `properties`, a text or a number.
struct ScalarKey {
  const char* key;
  // A number field of 32 bits still holds what the 16-bit reader gives.
  std::variant<std::u16string Settings::*, std::int16_t Settings::*, std::int32_t Settings::*,
               FlagBits>
      field;
  std::int32_t startUp = 0;  // a number's value before anything is loaded
  const char* section = kSectionPref;
  std::size_t capacity = 0;  // the most bytes read back
  ValueRange range = {};
  const char16_t* defaultValue = nullptr;
  unsigned defaultUse = kNoDefault;
  int control = 0;                  // in the preferences dialog; 0: none
  const char16_t* label = nullptr;  // a text's name in the message that refuses it
};

// The row of one flag: its field and its check box in the preferences dialog (0: none).
struct FlagRow {
  std::int16_t Settings::*field;
  int control = 0;
};

inline constexpr const char16_t* kNewFileExtensions[] = {u"lzh", u"zip", u"jpg"};

// The row of one list.
struct ListKeys {
  SettingsList Settings::*field;
  const char* section;
  const char* upperBoundKey;
  const char* entryStem;
  // The entries of a new file (written, and set in memory once written); none: absent.
  std::span<const char16_t* const> newFileEntries = {};
  int control = 0;                  // in the preferences dialog; 0: none
  const char16_t* label = nullptr;  // the name an entry is called by when it is refused
};

// The extraction dialog's modes (text, HTML, URL, parsed HTML).
inline constexpr std::int32_t kExtractModeCount = 4;
// The regular list's letter table, a to z.
inline constexpr std::int32_t kVolumeLetterCount = 26;

#define CARDO_ROW_NONE(...)
#define CARDO_ROW_PROPERTIES(...) ScalarKey{.key = "properties", .field = FlagBits{}, __VA_ARGS__},
#define CARDO_ROW_TEXT(name, ...) \
  ScalarKey{.key = #name, .field = &Settings::name, .capacity = kSettingsTextCapacity, __VA_ARGS__},
#define CARDO_ROW_NUMBER(type, name, startUpValue, ...) \
  ScalarKey{.key = #name, .field = &Settings::name, .startUp = startUpValue, __VA_ARGS__},
#define CARDO_ROW_FLAG(name, checkBox) FlagRow{&Settings::name, checkBox},
#define CARDO_ROW_FLAG_FIELD(name, checkBox) &Settings::name,
#define CARDO_ROW_LIST(name, ...) ListKeys{.field = &Settings::name, __VA_ARGS__},

// The keys of single values, in the order they are read and written.
inline constexpr auto kScalarKeys = std::to_array<ScalarKey>({CARDO_SETTINGS(
    CARDO_ROW_PROPERTIES, CARDO_ROW_NONE, CARDO_ROW_TEXT, CARDO_ROW_NUMBER, CARDO_ROW_NONE)});
// The flags in bit order: bit i of `properties` is kFlagRows[i], its field kSettingsFlags[i].
inline constexpr auto kFlagRows = std::to_array<FlagRow>({CARDO_SETTINGS(
    CARDO_ROW_NONE, CARDO_ROW_FLAG, CARDO_ROW_NONE, CARDO_ROW_NONE, CARDO_ROW_NONE)});
inline constexpr auto kSettingsFlags = std::to_array<std::int16_t Settings::*>({CARDO_SETTINGS(
    CARDO_ROW_NONE, CARDO_ROW_FLAG_FIELD, CARDO_ROW_NONE, CARDO_ROW_NONE, CARDO_ROW_NONE)});
// The lists, in the order they are written.
inline constexpr auto kListKeys = std::to_array<ListKeys>({CARDO_SETTINGS(
    CARDO_ROW_NONE, CARDO_ROW_NONE, CARDO_ROW_NONE, CARDO_ROW_NONE, CARDO_ROW_LIST)});

#undef CARDO_ROW_NONE
#undef CARDO_ROW_PROPERTIES
#undef CARDO_ROW_TEXT
#undef CARDO_ROW_NUMBER
#undef CARDO_ROW_FLAG
#undef CARDO_ROW_FLAG_FIELD
#undef CARDO_ROW_LIST

// The keys that are no field of the record: the main window's size and the recent files.
inline constexpr char kWindowWidthKey[] = "width";
inline constexpr char kWindowHeightKey[] = "height";
inline constexpr std::size_t kWindowSizeCapacity = 11;
inline constexpr char kFileHistoryStem[] = "FileHistory";
inline constexpr std::size_t kFileHistoryCapacity = 254;
inline constexpr int kFileHistoryPlaces = 5;
inline constexpr std::size_t kListEntryCapacity = 255;
// Highest indexes are read whole (any 16-bit number), so long lists come back complete.
inline constexpr std::size_t kUpperBoundCapacity = 11;

// The key of a number field.
constexpr const ScalarKey& KeyOf(std::int16_t Settings::*field) {
  for (const ScalarKey& key : kScalarKeys) {
    // holds_alternative and get, not get_if: UBSan's null check on get_if's pointer makes the
    // lookup no constant expression.
    if (std::holds_alternative<std::int16_t Settings::*>(key.field) &&
        std::get<std::int16_t Settings::*>(key.field) == field) {
      return key;
    }
  }
  throw "not a settings key";  // a compile-time error where KeyOf is a constant
}
constexpr const ScalarKey& KeyOf(std::int32_t Settings::*field) {
  for (const ScalarKey& key : kScalarKeys) {
    if (std::holds_alternative<std::int32_t Settings::*>(key.field) &&
        std::get<std::int32_t Settings::*>(key.field) == field) {
      return key;
    }
  }
  throw "not a settings key";
}
// The row of a list field.
constexpr const ListKeys& ListOf(SettingsList Settings::*field) {
  for (const ListKeys& keys : kListKeys) {
    if (keys.field == field) return keys;
  }
  throw "not a settings list";
}

// `value` as the control that edits it takes it (see OutOfRange).
constexpr std::int32_t InRange(const ValueRange& range, std::int32_t value) {
  if (range.outside == OutOfRange::Taken || (value >= range.min && value <= range.max)) {
    return value;
  }
  if (range.outside == OutOfRange::FirstChoice) return range.min;
  return value < range.min ? range.min : range.max;
}
// The stored value of the number field `Field` as its control takes it.
template <auto Field>
std::int32_t SettingInRange(const Settings& settings) {
  static constexpr const ScalarKey& key = KeyOf(Field);
  return InRange(key.range, settings.*Field);
}
template <auto Field>
constexpr const ValueRange& RangeOf() {
  return KeyOf(Field).range;
}

// The number a number key's field holds.
std::int32_t NumberOf(const Settings& settings, const ScalarKey& key);
// Sets a number key's field to `value` taken inside the key's range.
void SetNumberInRange(Settings& settings, const ScalarKey& key, std::int32_t value);

// The sum of 2^bit over the flags whose value is 1.
std::int32_t PackProperties(const Settings& settings);
// Each flag becomes 1 when its bit is set, else 0; bits 9 and up are ignored.
void UnpackProperties(Settings& settings, std::int32_t properties);

// The export options the settings hold, each number as its control takes it.
ExportOptions ExportOptionsOf(const Settings& settings);

// The key's value as the file holds it.
std::u16string KeyText(const Settings& settings, const ScalarKey& key);
// Sets the key's field from the text the file holds. A number that does not convert (empty,
// not a number, out of range for the reader) leaves the field as it was; for the flags, all
// nine become 0 then.
void SetKeyFromText(Settings& settings, const ScalarKey& key, std::u16string_view text);
// Sets every default whose use includes one of `uses` (kNewFile, kNewMemory, kImport).
void ApplyDefaults(Settings& settings, unsigned uses);
// The lines after the header of a new file, each ending CR LF: its sections and the keys
// whose defaults it writes.
std::u16string NewFileBody();

}  // namespace cardo
