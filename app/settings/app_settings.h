#pragma once
// The settings record: every user setting the program keeps between runs. The program has one
// instance, AppSettings; the settings file operations take it by reference.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace cardo {

// A list of text that is either absent or holds at least one entry.
using SettingsList = std::optional<std::vector<std::u16string>>;

struct Settings {
  std::u16string ReGetPath;
  std::u16string IriaPath;
  // The third download manager: its program, its argument template and its file format.
  std::u16string OtherPath;
  std::u16string OtherArgs;
  std::int16_t OtherFormat = 0;
  // What the third manager's files say of each URL besides its address (ExportOptions): the
  // Referer rule and its fixed address, the name rule and its digits, the download folder,
  // JDownloader's watch folder (empty: the job goes into the program folder as the others).
  std::int16_t ExportReferer = 0;
  std::u16string ExportRefererUrl;
  std::int16_t ExportNames = 0;
  std::int16_t ExportDigits = 3;
  std::u16string ExportFolder;
  std::u16string ExportWatchFolder;
  // The running aria2 the list is handed to: its JSON-RPC address (empty: the default,
  // kDefaultRpcAddress) and its --rpc-secret.
  std::u16string Aria2RpcAddress;
  std::u16string Aria2RpcSecret;
  // 1 while the main window adds the links of every new clipboard content.
  std::int16_t WatchClipboard = 0;
  // 1 while the main window shows its status bar; a file from before the key keeps it shown.
  std::int16_t StatusBar = 1;
  // The extraction dialog stops a downloaded page past this many MiB, decoded. A file from
  // before the key keeps this value.
  std::int16_t MaxPageMiB = 1024;
  // 1 while the expansion window reads the extended syntax; off in a new file.
  std::int16_t SpreadExtended = 0;
  // The regular list generator's step (増分); a file from before the key keeps this value.
  std::int16_t NumStep = 1;
  std::u16string UrlExtFilter;
  std::u16string UrlExtProtocol;
  std::int16_t UrlExtSelMode = 0;
  // 1 while the extraction dialog's URL page scans a downloaded page in the parsed-HTML mode
  // (and a paste of a browser's HTML Format does too); off in a new file.
  std::int16_t UrlExtParsed = 0;
  // 1 while the URL page also follows the start pages' links to pages of the same site.
  std::int16_t UrlExtLinked = 0;
  // The pages one run over several pages fetches at most, its start pages included; a file
  // from before the key keeps this value.
  std::int16_t MaxCrawlPages = 200;
  std::int16_t CharStart = 0;
  std::int16_t CharEnd = 0;
  std::int32_t NumStart = 0;
  std::int32_t NumEnd = 0;
  std::int16_t ListMax = 0;
  std::int16_t FigLength = 0;

  // The nine option flags, each 0 or 1; stored together as the bits of `properties`.
  std::int16_t UrlTwinChar = 0;
  std::int16_t NotReturnSearch = 0;
  std::int16_t ContinueFileName = 0;
  std::int16_t WinRarMode = 0;
  std::int16_t ValueRar = 0;
  std::int16_t SetFigure = 0;
  std::int16_t CmbIntl = 0;
  std::int16_t TextClear = 0;
  std::int16_t BigSmall = 0;

  SettingsList ListHistory;
  SettingsList ExtList;
  SettingsList SearchHistory;

  bool operator==(const Settings&) const = default;
};

// The flags in bit order: bit i of `properties` is kSettingsFlags[i].
inline constexpr std::array<std::int16_t Settings::*, 9> kSettingsFlags = {
    &Settings::UrlTwinChar, &Settings::NotReturnSearch, &Settings::ContinueFileName,
    &Settings::WinRarMode,  &Settings::ValueRar,        &Settings::SetFigure,
    &Settings::CmbIntl,     &Settings::TextClear,       &Settings::BigSmall};

// The sum of 2^bit over the flags whose value is 1.
std::int32_t PackProperties(const Settings& settings);
// Each flag becomes 1 when its bit is set, else 0; bits 9 and up are ignored.
void UnpackProperties(Settings& settings, std::int32_t properties);

}  // namespace cardo
