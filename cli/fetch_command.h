#pragma once
// `cardo-cli fetch URL FILE`: the library's HTTP client; the exit status is its result code.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_io.h"

namespace cardo::cli {

// The usage line its --help starts with.
std::string FetchUsage();

// `args` are the words after "fetch"; its progress goes to `err`, its help and version to
// `out`. The exit status is the library's result code (0: done), 2 for bad usage.
int RunFetch(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
             OutputForm form = {});

}  // namespace cardo::cli
