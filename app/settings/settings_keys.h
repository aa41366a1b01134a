#pragma once
// The scalar keys of the settings file, declared once for loading, saving and tests.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

#include "app/settings/app_settings.h"

namespace cardo {

inline constexpr char kSectionPref[] = "PREF";
inline constexpr char kSectionWindow[] = "WINDOW";
inline constexpr char kSectionHistory[] = "HISTORY";

// A 16-bit number kept in a 32-bit field.
struct Int16In32 {
  std::int32_t Settings::*field;
};

struct ScalarKey {
  const char* section;
  const char* key;
  std::size_t capacity;  // the most bytes read back
  std::variant<std::u16string Settings::*, std::int16_t Settings::*, Int16In32> field;
};

// In the order they are read and written, after `properties`.
inline const std::array<ScalarKey, 15> kScalarKeys = {{
    {kSectionPref, "ReGetPath", 255, &Settings::ReGetPath},
    {kSectionPref, "IriaPath", 255, &Settings::IriaPath},
    {kSectionPref, "UrlExtFilter", 255, &Settings::UrlExtFilter},
    {kSectionPref, "UrlExtProtocol", 255, &Settings::UrlExtProtocol},
    {kSectionPref, "UrlExtSelMode", 2, &Settings::UrlExtSelMode},
    {kSectionPref, "CharStart", 3, &Settings::CharStart},
    {kSectionPref, "CharEnd", 3, &Settings::CharEnd},
    {kSectionPref, "NumStart", 5, Int16In32{&Settings::NumStart}},
    {kSectionPref, "NumEnd", 5, Int16In32{&Settings::NumEnd}},
    {kSectionPref, "ListMax", 5, &Settings::ListMax},
    {kSectionPref, "FigLength", 10, &Settings::FigLength},
    // Keys an older version does not know and leaves alone.
    {kSectionPref, "OtherPath", 255, &Settings::OtherPath},
    {kSectionPref, "OtherArgs", 255, &Settings::OtherArgs},
    {kSectionPref, "OtherFormat", 2, &Settings::OtherFormat},
    {kSectionPref, "WatchClipboard", 2, &Settings::WatchClipboard},
}};

inline constexpr std::size_t kPropertiesCapacity = 10;
inline constexpr std::size_t kWindowSizeCapacity = 11;
inline constexpr std::size_t kListEntryCapacity = 255;
inline constexpr std::size_t kFileHistoryCapacity = 254;
// Highest indexes are read whole (any 16-bit number), so long lists come back complete.
inline constexpr std::size_t kUpperBoundCapacity = 11;
inline constexpr int kFileHistoryPlaces = 5;

struct ListKeys {
  const char* section;
  const char* upperBoundKey;
  const char* entryStem;
  SettingsList Settings::*field;
};

// In the order they are written.
inline const std::array<ListKeys, 3> kListKeys = {{
    {kSectionHistory, "LsHstryUBound", "ListHistory", &Settings::ListHistory},
    {kSectionPref, "ExtListUBound", "Extension", &Settings::ExtList},
    {kSectionHistory, "SrchHstryUBound", "SearchHistory", &Settings::SearchHistory},
}};

}  // namespace cardo
