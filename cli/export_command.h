#pragma once
// `cardo-cli export --format F [--out FILE|-] [--input-encoding E] LIST|-`: a list file turned
// into a download manager's import file, byte for byte what the program writes; on standard
// output the same text as lines in the output's form. The list is read as the program reads a
// list file, its byte order mark deciding; plain, aria2, curl, crawljob and meta4 are written
// as the lines are decoded, in memory bounded by the list's bytes and the names given out.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_io.h"

namespace cardo::cli {

// The usage line its --help starts with.
std::string ExportUsage();

// `args` are the words after "export". Exit status 0, 1 when a file cannot be read or
// written, 2 for bad usage.
int RunExport(const std::vector<std::string>& args, std::FILE* in, std::FILE* out, std::FILE* err,
              OutputForm form = {});

}  // namespace cardo::cli
