#include "app/platform/code_page_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/platform/percent_encoding.h"

namespace cardo {
namespace {

TEST(CodePageTable, SaysWhatTheCodecSaysForEveryCharacter) {
  // Each character of the plane (surrogates aside, and one beyond it) through the table and
  // through the codec, each on its own between ASCII letters.
  const CodePageTable& table = CodePageTable::Get();
  std::u16string text;
  std::string fromTable;
  for (char32_t c = 0x20; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    text += static_cast<char16_t>(c);
    text += u'a';
    table.Append(fromTable, c);
    fromTable += 'a';
  }
  text += u"\U0001F600";
  table.Append(fromTable, U'\U0001F600');
  std::string fromCodec;
  AppendInCodePage(fromCodec, text);
  if (fromTable == fromCodec) return;
  const auto [t, c] = std::mismatch(fromTable.begin(), fromTable.end(), fromCodec.begin());
  const std::size_t at = static_cast<std::size_t>(t - fromTable.begin());
  FAIL() << "they part at byte " << at << ": table \"" << fromTable.substr(at, 12) << "\", codec \""
         << fromCodec.substr(at, 12) << "\"";
}

}  // namespace
}  // namespace cardo
