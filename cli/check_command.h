#pragma once
// `cardo-cli check [--jobs N] [--per-host N] [--timeout S] [--ca-file FILE] FILE|-`: the link
// check of each URL of a list, one TAB-separated line per URL in list order, each written as
// soon as it and the lines before it are known; standard input's lines are checked as they
// arrive.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_io.h"

namespace cardo::cli {

// The usage line its --help starts with.
std::string CheckUsage();

// The exit status: 0 when every URL answered 2xx (lines that are no http or https URL aside),
// 1 when one did not or output failed, 2 for a wrong command line.
int RunCheck(const std::vector<std::string>& args, std::FILE* in, std::FILE* out, std::FILE* err,
             OutputForm form = {});

}  // namespace cardo::cli
