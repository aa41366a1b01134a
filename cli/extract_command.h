#pragma once
// `cardo-cli extract [options] FILE`: the URL scanner and filter over a file; every line the
// filter appends is printed, in order, in `form` (or the encoding --output-encoding asks for).
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_io.h"

namespace cardo::cli {

// `args` are the words after "extract". Returns the exit status (2 for bad usage, 1 when the
// file cannot be read).
int RunExtract(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
               OutputForm form = {});

}  // namespace cardo::cli
