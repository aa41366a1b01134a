#include "app/settings/ini_values.h"

#include <cmath>
#include <limits>

#include "app/platform/codec.h"
#include "app/platform/text.h"

namespace cardo {
namespace {

std::u16string_view TrimBlanks(std::u16string_view s) {
  while (!s.empty() && (s.front() == u' ' || s.front() == u'\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == u' ' || s.back() == u'\t')) s.remove_suffix(1);
  return s;
}

std::optional<std::int64_t> ParseWhole(std::u16string_view text) {
  text = TrimBlanks(text);
  bool negative = false;
  if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) {
    negative = text.front() == u'-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 18) return std::nullopt;
  std::int64_t value = 0;
  for (const char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
  }
  return negative ? -value : value;
}

template <typename T>
std::optional<T> ParseRanged(std::u16string_view text) {
  const auto value = ParseWhole(text);
  if (!value || *value < std::numeric_limits<T>::min() || *value > std::numeric_limits<T>::max())
    return std::nullopt;
  return static_cast<T>(*value);
}

}  // namespace

std::u16string ReadIniValue(ProfileStore& profile, std::string_view section, std::string_view key,
                            std::size_t bufferSize, const std::u16string& file) {
  std::string bytes = profile.Read(section, key, bufferSize, file);
  bytes.resize(std::char_traits<char>::length(bytes.c_str()));
  return AnsiToWide(bytes);
}

std::string IniValueBytes(std::u16string_view value) {
  const std::size_t lineBreak = value.find_first_of(u"\r\n");
  if (lineBreak != std::u16string_view::npos) value = value.substr(0, lineBreak);
  return WideToAnsi(value);
}

bool WriteIniValue(ProfileStore& profile, std::string_view section, std::string_view key,
                   std::u16string_view value, const std::u16string& file) {
  return profile.Write(section, key, IniValueBytes(value), file);
}

bool FitsSettingsText(std::u16string_view value) {
  return IniValueBytes(value).size() <= kSettingsTextCapacity;
}

std::u16string SettingsTextTooLong(std::u16string_view name) {
  return u"「" + std::u16string(name) + u"」が長すぎます。設定ファイルに保存できるのは " +
         DecimalText(static_cast<long long>(kSettingsTextCapacity)) + u" バイトまでです。";
}

std::optional<std::int16_t> ParseInt16(std::u16string_view text) {
  return ParseRanged<std::int16_t>(text);
}

std::optional<std::int32_t> ParseInt32(std::u16string_view text) {
  return ParseRanged<std::int32_t>(text);
}

std::optional<std::int16_t> ParseAbsoluteInt16(std::u16string_view text) {
  text = TrimBlanks(text);
  std::string ascii;
  for (const char16_t c : text) {
    const bool allowed = (c >= u'0' && c <= u'9') || c == u'.' || c == u'-' || c == u'+';
    if (!allowed) return std::nullopt;
    ascii.push_back(static_cast<char>(c));
  }
  if (ascii.empty()) return std::nullopt;
  std::size_t used = 0;
  double value = 0;
  try {
    value = std::stod(ascii, &used);
  } catch (...) {
    return std::nullopt;
  }
  if (used != ascii.size() || !std::isfinite(value)) return std::nullopt;
  const double rounded = std::nearbyint(std::fabs(value));  // the default mode rounds half to even
  if (rounded > std::numeric_limits<std::int16_t>::max()) return std::nullopt;
  return static_cast<std::int16_t>(rounded);
}

}  // namespace cardo
