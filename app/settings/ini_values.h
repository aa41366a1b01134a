#pragma once
// Reading and writing one settings value as text, through the profile seam, with the
// conversions the settings file needs.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "app/platform/profile.h"

namespace cardo {

// The value of `key` in `section`, at most bufferSize - 1 bytes, converted from ANSI and cut
// at the first NUL; empty when the file, section or key is missing.
std::u16string ReadIniValue(ProfileStore& profile, std::string_view section, std::string_view key,
                            std::size_t bufferSize, const std::u16string& file);

// Writes `value` up to its first line break: a CR or LF would start new lines in the file and
// so inject sections and keys. False when the file cannot be written.
bool WriteIniValue(ProfileStore& profile, std::string_view section, std::string_view key,
                   std::u16string_view value, const std::u16string& file);

// The bytes WriteIniValue writes for `value`.
std::string IniValueBytes(std::u16string_view value);

// The most bytes of a text value the settings file gives back (a read buffer of 256); the
// system's profile functions cut a longer value there, in the middle of a character too.
inline constexpr std::size_t kSettingsTextCapacity = 255;
// True when the settings file gives `value` back as long as it was written.
bool FitsSettingsText(std::u16string_view value);
// "「name」が長すぎます。設定ファイルに保存できるのは 255 バイトまでです。"
std::u16string SettingsTextTooLong(std::u16string_view name);

// Whole decimal numbers with an optional sign and surrounding blanks; nothing when the text is
// empty, not a number or out of range for the type.
std::optional<std::int16_t> ParseInt16(std::u16string_view text);
std::optional<std::int32_t> ParseInt32(std::u16string_view text);

// A decimal number (sign and fraction allowed) by its absolute value, rounded half to even to
// a whole 16-bit number; nothing when it is not a number or does not fit.
std::optional<std::int16_t> ParseAbsoluteInt16(std::u16string_view text);

}  // namespace cardo
