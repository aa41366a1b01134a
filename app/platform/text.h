#pragma once
// UTF-8 <-> UTF-16 conversion for the places where the program meets UTF-8: tests,
// diagnostics and the command-line tool. Invalid input becomes U+FFFD, never an exception.
#include <string>
#include <string_view>
#include <vector>

namespace cardo {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// The code point of the UTF-8 sequence at `text[i]` and its length, or length 0 when the bytes
// there are no valid sequence (a stray byte, a cut-off sequence, an overlong form, a surrogate).
struct Utf8Step {
  char32_t cp;
  std::size_t len;
};
Utf8Step DecodeUtf8At(std::string_view text, std::size_t i);

// `cp` (at most U+10FFFF, no surrogate) as UTF-8.
void AppendUtf8(std::string& out, char32_t cp);
// The same as UTF-16: one unit, or a surrogate pair beyond U+FFFF.
void AppendUtf16(std::u16string& out, char32_t cp);

// What `bytes` are as UTF-8: `valid` when every sequence is a valid, shortest form, and
// `multibyte` when one at least is longer than a byte (text that is plainly UTF-8, since no
// code page 932 text of any length is plausibly valid UTF-8 beyond ASCII). With `mayContinue`,
// a sequence cut off at the end counts as valid: the bytes are the start of a longer text.
struct Utf8Shape {
  bool valid;
  bool multibyte;
};
Utf8Shape ScanUtf8(std::string_view bytes, bool mayContinue);

// The pieces between every occurrence of `separator`, empty ones included: "a,,b" gives a, "",
// b, and a separator at the end gives an empty last piece. Views into `text`.
std::vector<std::u16string_view> SplitAt(std::u16string_view text, std::u16string_view separator);

// Plain decimal text: a minus sign for negatives, no leading zeros.
std::u16string DecimalText(long long value);
// The same with a comma between every three digits: "12,345".
std::u16string GroupedDecimalText(long long value);

}  // namespace cardo
