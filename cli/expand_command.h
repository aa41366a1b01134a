#pragma once
// `cardo-cli expand [--extended] [--input-encoding E] [--output-encoding E] [LINE|-]...`: every
// LINE (standard input's lines for "-", or when there is none) expanded by the bracket engine
// (the extended syntax with --extended), each line's URLs written as soon as it arrives; a line
// that cannot be expanded is reported on standard error with the program's message for its
// code. Standard input is UTF-8 when its first bytes beyond ASCII are valid UTF-8, else code
// page 932, unless --input-encoding says which.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_io.h"
#include "fnc/bracket_engine.h"
#include "fnc/extended_pattern.h"

namespace cardo::cli {

// The message the program shows for a pattern code ("" for 0), in the messages' language.
const char* PatternMessage(fnc::PatternCode code);

// "column 12: reason" ("12 文字目: reason") for a fault of the extended syntax in `line`.
std::string ExtendedFailureText(std::string_view line, const fnc::PatternError& error,
                                fnc::LeadByteTest isLead);

// The usage line its --help starts with.
std::string ExpandUsage();

// `args` are the words after "expand" (UTF-8). Returns the exit status: 0 when every line
// expanded, 1 otherwise, 2 for bad usage.
int RunExpand(const std::vector<std::string>& args, std::FILE* in, std::FILE* out, std::FILE* err,
              OutputForm form = {});

}  // namespace cardo::cli
