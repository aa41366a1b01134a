#pragma once
// The keys of the settings file, declared once: what loading, saving, a new file, the legacy
// import, the windows that edit the values and the tests read.
#include <array>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <span>
#include <string>
#include <string_view>
#include <variant>

#include "app/export/export.h"
#include "app/settings/app_settings.h"

namespace cardo {

inline constexpr char kSectionPref[] = "PREF";
inline constexpr char kSectionWindow[] = "WINDOW";
inline constexpr char kSectionHistory[] = "HISTORY";

// A 16-bit number kept in a 32-bit field.
struct Int16In32 {
  std::int32_t Settings::*field;
};
// The nine option flags, as the bits of one number (kSettingsFlags).
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

struct ScalarKey {
  const char* section;
  const char* key;
  std::size_t capacity;  // the most bytes read back
  std::variant<std::u16string Settings::*, std::int16_t Settings::*, Int16In32, FlagBits> field;
  ValueRange range = {};
  const char16_t* defaultValue = nullptr;
  unsigned defaultUse = kNoDefault;
};

// The extraction dialog's modes (text, HTML, URL, parsed HTML).
inline constexpr std::int32_t kExtractModeCount = 4;
// The regular list's letter table, a to z.
inline constexpr std::int32_t kVolumeLetterCount = 26;

// In the order they are read and written.
inline constexpr std::array<ScalarKey, 31> kScalarKeys = {{
    // properties=194: NotReturnSearch, CmbIntl and TextClear.
    {kSectionPref, "properties", 10, FlagBits{}, {}, u"194", kNewFile | kImport},
    {kSectionPref, "ReGetPath", 255, &Settings::ReGetPath},
    {kSectionPref, "IriaPath", 255, &Settings::IriaPath},
    {kSectionPref, "UrlExtFilter", 255, &Settings::UrlExtFilter},
    {kSectionPref,
     "UrlExtProtocol",
     255,
     &Settings::UrlExtProtocol,
     {},
     u"http://",
     kNewFile | kImport},
    {kSectionPref,
     "UrlExtSelMode",
     2,
     &Settings::UrlExtSelMode,
     {0, kExtractModeCount - 1, OutOfRange::FirstChoice}},
    {kSectionPref,
     "CharStart",
     3,
     &Settings::CharStart,
     {0, kVolumeLetterCount - 1, OutOfRange::FirstChoice}},
    {kSectionPref,
     "CharEnd",
     3,
     &Settings::CharEnd,
     {0, kVolumeLetterCount - 1, OutOfRange::FirstChoice}},
    {kSectionPref,
     "NumStart",
     5,
     Int16In32{&Settings::NumStart},
     {0, 32767, OutOfRange::NearestBound}},
    {kSectionPref, "NumEnd", 5, Int16In32{&Settings::NumEnd}, {0, 32767, OutOfRange::NearestBound}},
    {kSectionPref,
     "ListMax",
     5,
     &Settings::ListMax,
     {1, 100, OutOfRange::NearestBound},
     u"10",
     kNewFile},
    {kSectionPref, "FigLength", 10, &Settings::FigLength, {1, 32767, OutOfRange::NearestBound}},
    // Keys an older version does not know and leaves alone.
    {kSectionPref, "OtherPath", 255, &Settings::OtherPath},
    // Empty stands for the format's default too; a new file shows it in the preferences.
    {kSectionPref,
     "OtherArgs",
     255,
     &Settings::OtherArgs,
     {},
     FormatRow(ExportFormat::Plain).defaultArguments,
     kNewMemory},
    {kSectionPref,
     "OtherFormat",
     2,
     &Settings::OtherFormat,
     {0, kOtherFormatCount - 1, OutOfRange::FirstChoice}},
    {kSectionPref, "WatchClipboard", 2, &Settings::WatchClipboard, {0, 1, OutOfRange::FirstChoice}},
    // Up to 4095: a page file stays below 4 GiB, which FAT32 holds and a 32-bit count reaches.
    {kSectionPref, "MaxPageMiB", 5, &Settings::MaxPageMiB, {1, 4095, OutOfRange::NearestBound}},
    {kSectionPref, "SpreadExtended", 2, &Settings::SpreadExtended, {0, 1, OutOfRange::FirstChoice}},
    {kSectionPref, "NumStep", 5, &Settings::NumStep, {1, 32767, OutOfRange::NearestBound}},
    {kSectionPref, "StatusBar", 2, &Settings::StatusBar, {0, 1, OutOfRange::NearestBound}},
    {kSectionPref, "UrlExtParsed", 2, &Settings::UrlExtParsed, {0, 1, OutOfRange::FirstChoice}},
    {kSectionPref, "UrlExtLinked", 2, &Settings::UrlExtLinked, {0, 1, OutOfRange::FirstChoice}},
    {kSectionPref,
     "MaxCrawlPages",
     5,
     &Settings::MaxCrawlPages,
     {1, 32767, OutOfRange::NearestBound}},
    {kSectionPref,
     "ExportReferer",
     2,
     &Settings::ExportReferer,
     {0, kRefererRuleCount - 1, OutOfRange::FirstChoice}},
    {kSectionPref, "ExportRefererUrl", 255, &Settings::ExportRefererUrl},
    {kSectionPref,
     "ExportNames",
     2,
     &Settings::ExportNames,
     {0, kNameRuleCount - 1, OutOfRange::FirstChoice}},
    {kSectionPref,
     "ExportDigits",
     2,
     &Settings::ExportDigits,
     {1, kMaxNumberWidth, OutOfRange::NearestBound}},
    {kSectionPref, "ExportFolder", 255, &Settings::ExportFolder},
    {kSectionPref, "ExportWatchFolder", 255, &Settings::ExportWatchFolder},
    // Empty stands for the default address (kDefaultRpcAddress), which the preferences show.
    {kSectionPref, "Aria2RpcAddress", 255, &Settings::Aria2RpcAddress},
    {kSectionPref, "Aria2RpcSecret", 255, &Settings::Aria2RpcSecret},
}};

inline constexpr std::size_t kWindowSizeCapacity = 11;
inline constexpr std::size_t kListEntryCapacity = 255;
inline constexpr std::size_t kFileHistoryCapacity = 254;
// Highest indexes are read whole (any 16-bit number), so long lists come back complete.
inline constexpr std::size_t kUpperBoundCapacity = 11;
inline constexpr int kFileHistoryPlaces = 5;

inline constexpr const char16_t* kNewFileExtensions[] = {u"lzh", u"zip", u"jpg"};

struct ListKeys {
  const char* section;
  const char* upperBoundKey;
  const char* entryStem;
  SettingsList Settings::*field;
  // The entries of a new file (written, and set in memory once written); none: absent.
  std::span<const char16_t* const> newFileEntries = {};
};

// In the order they are written.
inline constexpr std::array<ListKeys, 3> kListKeys = {{
    {kSectionHistory, "LsHstryUBound", "ListHistory", &Settings::ListHistory},
    {kSectionPref, "ExtListUBound", "Extension", &Settings::ExtList, kNewFileExtensions},
    {kSectionHistory, "SrchHstryUBound", "SearchHistory", &Settings::SearchHistory},
}};

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
    if (std::holds_alternative<Int16In32>(key.field) &&
        std::get<Int16In32>(key.field).field == field) {
      return key;
    }
  }
  throw "not a settings key";
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
