#pragma once
// `cardo-cli export --format F [--out FILE] [--input-encoding cp932|utf-8] LIST`: a list file
// turned into a download manager's import file, byte for byte what the program writes; on
// standard output the same text as lines in the output's form.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_io.h"

namespace cardo::cli {

// `args` are the words after "export". Exit status 0, 1 when a file cannot be read or
// written, 2 for bad usage.
int RunExport(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
              OutputForm form = {});

}  // namespace cardo::cli
