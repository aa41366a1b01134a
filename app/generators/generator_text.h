#pragma once
// What the generator windows decide without a window: the URL history of the regular list
// generator, the keys that stop its completion, the expansion window's source lines, result
// pieces and messages, the free input's text of a dropped file, and the drop dialog's rule
// for URL text.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/list/pending_lines.h"
#include "app/platform/file_system.h"
#include "fnc/extended_pattern.h"

namespace cardo {

// Puts `text` at the top of the history: an equal entry (exact comparison) moves up instead
// of being added twice; otherwise the others move down, and a full history (listMax + 1
// entries) loses its entry at index listMax. Entries past index listMax (a bound lowered
// since) stay as they are. A text the settings file could not give back whole is left out:
// the history would bring back another URL.
void UpdateUrlHistory(std::vector<std::u16string>& history, const std::u16string& text,
                      int listMax);

// Backspace, End, Home, the arrows, Insert and Delete: keys after which the URL box does not
// complete what was typed, so a completed tail can be deleted.
bool KeyStopsCompletion(unsigned key);

// The lines of the expansion window's source text, one pattern each: cut at CR LF, exactly
// empty lines left out.
std::vector<std::u16string_view> SpreadSourceLines(std::u16string_view text);
// What the expansion of a source text will make, from the engine's parse of each line (in the
// system code page) without making the lines: lines the engine refuses make none.
struct SpreadCount {
  std::uint64_t lines = 0;  // saturates
  int refused = 0;          // source lines the engine refuses
};
SpreadCount CountSpreadLines(std::u16string_view text);
// "12,000 行 (リストに入るのは 32,767 行まで)", then "、エラーの行が 2 行" when lines are refused
// (a count, not a line's number); a count too large to show exactly reads
// "入りきらないほど多くの行" instead of its number.
std::u16string SpreadCountText(const SpreadCount& count, int room);

// A fault of the extended syntax in the source text: its line (1-based, empty lines counted),
// its column and reason, and where its character stands in the whole text.
struct SpreadFault {
  int line = 0;
  std::size_t column = 0;
  std::u16string reason;
  std::size_t position = 0;
};
// The source text read in the extended syntax, each line parsed once (in UTF-8, so
// every character is kept), before anything is produced: what the lines that parse make, in order,
// and the faults of those that do not. Cost linear in the text.
struct ExtendedSpread {
  std::vector<fnc::ExtendedExpansion> expansions;
  std::vector<SpreadFault> faults;
  std::uint64_t lines = 0;  // saturates
};
ExtendedSpread PlanExtendedSpread(std::u16string_view text);
// "2 行目 5 文字目: 範囲の終わりがありません。"
std::u16string SpreadFaultText(const SpreadFault& fault);
// The refusal of an extended expansion that would not fit in the list's `room`.
std::u16string SpreadTooLargeText(std::uint64_t lines, int room);
// Offers the lines of the plan that are not blank, untrimmed, until `pending` is full.
void AddExtendedSpread(PendingLines& pending, const ExtendedSpread& plan);

// "line - message" for the library's result codes 1-4 and 9.
std::u16string SpreadFailureText(std::u16string_view line, long code);
// Offers the pieces of an expansion result (system code page, cut at CR LF) that are not
// blank, untrimmed, until `pending` is full; only the pieces offered are converted, so a huge
// result costs no more than what fits in the list.
void AddSpreadResult(PendingLines& pending, std::string_view result);

// A dropped file is read into the free input only when it has at most this many bytes.
inline constexpr std::size_t kMaxFreeInputFileBytes = 59999;
// The text a dropped file gives the free input: each line (ended by CR LF, CR or LF) followed
// by CR LF; for a file over the size limit the one line "[ERR-MSG] ファイルサイズが大きすぎます : "
// + path + CR LF. When the file cannot be read (or holds a NUL byte, which would end the box's
// text there), `text` is untouched and the reason returned; empty on success.
std::u16string FreeInputFileText(FileSystem& fs, const std::u16string& path, std::u16string& text);

// The drop dialog's URL panel takes text that starts with "http://", "https://" or "ftp://",
// exactly (most links dragged from a browser today are https).
bool AcceptsUrlDrop(std::u16string_view text);

}  // namespace cardo
