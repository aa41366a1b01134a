#pragma once
// UTF-8 <-> UTF-16 conversion for the places where the program meets UTF-8: tests,
// diagnostics and the command-line tool. Invalid input becomes U+FFFD, never an exception.
#include <string>
#include <string_view>
#include <vector>

namespace cardo {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// The pieces between every occurrence of `separator`, empty ones included: "a,,b" gives a, "",
// b, and a separator at the end gives an empty last piece. Views into `text`.
std::vector<std::u16string_view> SplitAt(std::u16string_view text, std::u16string_view separator);

// Plain decimal text: a minus sign for negatives, no leading zeros.
std::u16string DecimalText(long long value);
// The same with a comma between every three digits: "12,345".
std::u16string GroupedDecimalText(long long value);

}  // namespace cardo
