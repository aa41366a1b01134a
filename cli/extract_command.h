#pragma once
// `cardo-cli extract [options] FILE|-`: the URL scanner and filter over a file or standard
// input, its lines scanned as they arrive; every line the filter appends is printed, in order,
// in `form` (or the encoding --output-encoding asks for). With --url, the pages downloaded
// and scanned instead, each page's URLs printed as it is scanned.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_io.h"

namespace cardo::cli {

// The usage line its --help starts with.
std::string ExtractUsage();

// `args` are the words after "extract". Returns the exit status (2 for bad usage, 1 when the
// file cannot be read or a page failed).
int RunExtract(const std::vector<std::string>& args, std::FILE* in, std::FILE* out, std::FILE* err,
               OutputForm form = {});

}  // namespace cardo::cli
