#include "app/platform/percent_encoding.h"

#include <optional>
#include <vector>

#include "app/platform/codec.h"
#include "app/platform/text.h"

namespace cardo {
namespace {

bool IsHighSurrogate(char16_t c) {
  return c >= 0xD800 && c <= 0xDBFF;
}
bool IsLowSurrogate(char16_t c) {
  return c >= 0xDC00 && c <= 0xDFFF;
}

// Each piece in the code page when the code page gives it back as itself, else nothing. All
// pieces go through the codec in one call each way, joined by LF (no double-byte character
// holds that byte): a call costs far more than a character, and a page has a run beyond ASCII
// every few hundred bytes.
std::vector<std::optional<std::string>> ConvertEach(
    const std::vector<std::u16string_view>& pieces) {
  std::u16string joined;
  for (const auto piece : pieces) {
    joined += piece;
    joined += u'\n';
  }
  const std::string bytes = WideToAnsi(joined);
  const std::u16string back = AnsiToWide(bytes);
  std::vector<std::optional<std::string>> converted(pieces.size());
  std::size_t at = 0, backAt = 0;
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    const std::size_t end = bytes.find('\n', at);
    const std::size_t backEnd = back.find(u'\n', backAt);
    if (end == std::string::npos || backEnd == std::u16string::npos) break;
    if (std::u16string_view(back).substr(backAt, backEnd - backAt) == pieces[k]) {
      converted[k] = bytes.substr(at, end - at);
    }
    at = end + 1;
    backAt = backEnd + 1;
  }
  return converted;
}

// The characters (a surrogate pair as one) of `run`.
void AppendCharacters(std::u16string_view run, std::vector<std::u16string_view>& out) {
  for (std::size_t i = 0; i < run.size();) {
    const std::size_t n =
        IsHighSurrogate(run[i]) && i + 1 < run.size() && IsLowSurrogate(run[i + 1]) ? 2 : 1;
    out.push_back(run.substr(i, n));
    i += n;
  }
}

}  // namespace

void AppendPercentEncoded(std::string& out, std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char b : bytes) {
    const auto u = static_cast<unsigned char>(b);
    out.push_back('%');
    out.push_back(kHex[u >> 4]);
    out.push_back(kHex[u & 0xF]);
  }
}

std::vector<std::string> RunsInCodePage(const std::vector<std::u16string_view>& runs) {
  const auto wholeRuns = ConvertEach(runs);
  std::vector<std::u16string_view> characters;
  for (std::size_t k = 0; k < runs.size(); ++k) {
    if (!wholeRuns[k]) AppendCharacters(runs[k], characters);
  }
  const auto oneByOne = ConvertEach(characters);
  std::vector<std::string> converted(runs.size());
  std::size_t character = 0;
  for (std::size_t k = 0; k < runs.size(); ++k) {
    if (wholeRuns[k]) {
      converted[k] = *wholeRuns[k];
      continue;
    }
    for (std::size_t at = 0; at < runs[k].size(); at += characters[character++].size()) {
      if (oneByOne[character]) {
        converted[k] += *oneByOne[character];
      } else {
        AppendPercentEncoded(converted[k], Utf16ToUtf8(characters[character]));
      }
    }
  }
  return converted;
}

}  // namespace cardo
