#pragma once
// `cardo-cli expand`: every line of the arguments (or of standard input when there are none)
// expanded by the bracket engine, streamed to standard output; a line that cannot be
// expanded is reported on standard error with the program's message for its code.
#include <cstdio>
#include <string>
#include <vector>

#include "fnc/bracket_engine.h"

namespace cardo::cli {

// The message the program shows for a pattern code ("" for 0).
const char* PatternMessage(fnc::PatternCode code);

// Returns the exit status: 0 when every line expanded, 1 otherwise.
int RunExpand(const std::vector<std::string>& lines, bool fromStdin, std::FILE* in, std::FILE* out,
              std::FILE* err, fnc::LeadByteTest isLead);

}  // namespace cardo::cli
