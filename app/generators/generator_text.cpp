#include "app/generators/generator_text.h"

#include <algorithm>
#include <climits>

#include "fnc/bracket_engine.h"

#include "app/list/list_file.h"
#include "app/platform/codec.h"
#include "app/platform/text.h"
#include "app/settings/ini_values.h"

namespace cardo {

void UpdateUrlHistory(std::vector<std::u16string>& history, const std::u16string& text,
                      int listMax) {
  if (!FitsSettingsText(text)) return;
  bool found = false;
  for (std::size_t i = 0; i < history.size(); ++i) {
    if (history[i] != text) continue;
    found = true;
    for (std::size_t k = i; k >= 1; --k) history[k] = history[k - 1];
  }
  if (!found && !history.empty()) {
    const int count = static_cast<int>(history.size());
    const int last = count < listMax ? count : listMax;  // the entry that is written over
    if (last >= 1) {
      if (last >= count) history.emplace_back();
      for (int k = last; k >= 1; --k) history[k] = history[k - 1];
    }
  }
  if (history.empty()) {
    history.push_back(text);
  } else {
    history[0] = text;
  }
}

bool KeyStopsCompletion(unsigned key) {
  return key == 8 || key == 35 || key == 36 || (key >= 37 && key <= 40) || key == 45 || key == 46;
}

std::vector<std::u16string_view> SpreadSourceLines(std::u16string_view text) {
  std::vector<std::u16string_view> lines;
  if (text.empty()) return lines;
  for (const auto line : SplitAt(text, u"\r\n")) {
    if (!line.empty()) lines.push_back(line);
  }
  return lines;
}

namespace {

// Nothing but spaces: the expansion window leaves such pieces out.
bool IsBlank(std::string_view piece) {
  return piece.find_first_not_of(' ') == std::string_view::npos;
}

// Past the largest number shown in digits a count is no longer exact (it saturates): it is
// said in words, which is all that matters against a list of 32,767 lines.
std::u16string LinesText(std::uint64_t n) {
  return n > static_cast<std::uint64_t>(LLONG_MAX)
             ? u"入りきらないほど多くの行"
             : GroupedDecimalText(static_cast<long long>(n)) + u" 行";
}

}  // namespace

ExtendedSpread PlanExtendedSpread(std::u16string_view text) {
  ExtendedSpread plan;
  if (text.empty()) return plan;
  int number = 0;
  for (const auto line : SplitAt(text, u"\r\n")) {
    ++number;
    if (line.empty()) continue;
    // In UTF-8 every character of the line survives, those the system code page lacks too.
    const std::string bytes = Utf16ToUtf8(line);
    auto parsed = fnc::ExtendedExpansion::Parse(bytes, fnc::NoLeadBytes);
    if (auto* error = std::get_if<fnc::PatternError>(&parsed)) {
      const std::string_view before = std::string_view(bytes).substr(0, error->offset);
      const auto lineStart = static_cast<std::size_t>(line.data() - text.data());
      plan.faults.push_back({number, fnc::CharacterColumn(bytes, error->offset, fnc::NoLeadBytes),
                             Utf8ToUtf16(fnc::PatternErrorText(*error)),
                             lineStart + Utf8ToUtf16(before).size()});
      continue;
    }
    auto& expansion = std::get<fnc::ExtendedExpansion>(parsed);
    const std::uint64_t made = expansion.LineCount();
    plan.lines = made > UINT64_MAX - plan.lines ? UINT64_MAX : plan.lines + made;
    plan.expansions.push_back(std::move(expansion));
  }
  return plan;
}

std::u16string SpreadFaultText(const SpreadFault& fault) {
  return DecimalText(fault.line) + u" 行目 " + DecimalText(static_cast<long long>(fault.column)) +
         u" 文字目: " + fault.reason;
}

std::u16string SpreadTooLargeText(std::uint64_t lines, int room) {
  // A number stands apart from the words around it; the words for a saturated count do not.
  const std::u16string count = LinesText(lines);
  const char16_t* gap = count.front() >= u'0' && count.front() <= u'9' ? u" " : u"";
  return u"伸長すると" + (gap + count) + u"になり、リストに入る " + GroupedDecimalText(room) +
         u" 行を超えるため、伸長しませんでした。";
}

void AddExtendedSpread(PendingLines& pending, const ExtendedSpread& plan) {
  for (const auto& expansion : plan.expansions) {
    expansion.ForEachLine([&](std::string_view line) {
      if (!IsBlank(line)) pending.Add(Utf8ToUtf16(line));
      return !pending.Full();
    });
    if (pending.Full()) return;
  }
}

SpreadCount CountSpreadLines(std::u16string_view text) {
  SpreadCount count;
  for (const auto line : SpreadSourceLines(text)) {
    const auto expansion = fnc::Expansion::Parse(WideToAnsi(line), fnc::Cp932LeadByte);
    if (!expansion) {
      ++count.refused;
      continue;
    }
    const std::uint64_t made = expansion->LineCount();
    count.lines = made > UINT64_MAX - count.lines ? UINT64_MAX : count.lines + made;
  }
  return count;
}

std::u16string SpreadCountText(const SpreadCount& count, int room) {
  std::u16string text =
      LinesText(count.lines) + u" (リストに入るのは " + GroupedDecimalText(room) + u" 行まで)";
  if (count.refused > 0) text += u"、エラーの行が " + GroupedDecimalText(count.refused) + u" 行";
  return text;
}

std::u16string SpreadFailureText(std::u16string_view line, long code) {
  const char16_t* message = u"[]内の構文が不正です。";
  if (code == 1) message = u"文字列内に[が見つかりません。";
  if (code == 2) message = u"文字列内の[以降に]が見つかりません。";
  if (code == 3) message = u"文字列の[]内に「-」が見つかりません。";
  return std::u16string(line) + u" - " + message;
}

void AddSpreadResult(PendingLines& pending, std::string_view result) {
  std::size_t start = 0;
  while (start <= result.size() && !pending.Full()) {
    // Shift-JIS trail bytes are never CR or LF, so the text can be cut on bytes.
    std::size_t end = result.find("\r\n", start);
    if (end == std::string_view::npos) end = result.size();
    const std::string_view piece = result.substr(start, end - start);
    if (!IsBlank(piece)) pending.Add(AnsiToWide(piece));
    start = end + 2;
  }
}

std::u16string FreeInputFileText(FileSystem& fs, const std::u16string& path, std::u16string& text) {
  switch (fs.Probe(path)) {
    case PathKind::Folder:
      return u"フォルダーはテキストとして読み込めません。";
    case PathKind::Missing:
      return u"ファイルが見つかりません。";
    case PathKind::File:
      break;
  }
  std::string bytes;
  bool tooLarge = false;
  const bool read = fs.ReadChunks(path, [&](std::string_view chunk) {
    tooLarge = bytes.size() + chunk.size() > kMaxFreeInputFileBytes;
    if (!tooLarge) bytes.append(chunk);
    return !tooLarge;
  });
  if (tooLarge) {
    text = u"[ERR-MSG] ファイルサイズが大きすぎます : " + path + u"\r\n";
    return {};
  }
  if (!read) {
    const std::u16string reason = fs.LastErrorText();
    return reason.empty() ? u"ファイルを読み込めませんでした。" : reason;
  }
  // A text box ends its text at a NUL: binary data would be cut off where the user cannot see.
  if (bytes.find('\0') != std::string::npos)
    return u"テキストではないデータ(NUL文字)を含んでいます。";
  text = BuildListText(SplitListText(AnsiToWide(bytes)));
  return {};
}

bool AcceptsUrlDrop(std::u16string_view text) {
  return text.starts_with(u"http://") || text.starts_with(u"https://") ||
         text.starts_with(u"ftp://");
}

}  // namespace cardo
