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
// True when `stream` is a pipe or a terminal (a console window among them): someone reads its
// lines as they come.
bool IsPipeOrTerminal(std::FILE* stream);
// After a write that failed: whether it failed because the reader of the pipe has gone.
bool WriteFoundPipeClosed();
// Ends the process as a closed pipe ends a Unix tool: killed by SIGPIPE natively (the shell
// shows status 141), exit status 141 in cardo-cli.exe.
[[noreturn]] void EndAsClosedPipeEnds();

}  // namespace cardo::cli
