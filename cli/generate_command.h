#pragma once
// cardo-cli generate: the regular list generator's names, one per line (UTF-8).
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_io.h"

namespace cardo::cli {

// The usage line its --help starts with.
std::string GenerateUsage();

// Exit status 0, 1 for the generator's own refusal (its message on `err`) or a failed write,
// 2 for bad options. Arguments are UTF-8; the names go out in `form` (or the encoding
// --output-encoding asks for).
int RunGenerate(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
                OutputForm form = {});

}  // namespace cardo::cli
