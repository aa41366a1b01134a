#pragma once
// A console shown text as characters: cardo-cli.exe writes to a console window in UTF-16, so
// Japanese shows whatever the console's code page; pipes and files get bytes.
#include <cstdio>
#include <string_view>

namespace cardo::cli {

// True when `stream` is a console window (never natively: a terminal takes the UTF-8 bytes).
bool IsConsole(std::FILE* stream);
// Writes the UTF-8 `text` (whole characters, CR LF line ends) to the console `stream`; false
// when the console refused it.
bool WriteToConsole(std::FILE* stream, std::string_view text);

}  // namespace cardo::cli
