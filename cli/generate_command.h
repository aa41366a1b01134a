#pragma once
// cardo-cli generate: the regular list generator's names, one per line (UTF-8).
#include <cstdio>
#include <string>
#include <vector>

namespace cardo::cli {

// Exit status 0, 1 for the generator's own refusal (its message on `err`), 2 for bad options.
// Arguments and output are UTF-8, or the ANSI code page when `ansi` is set (Windows).
int RunGenerate(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
                bool ansi = false);

}  // namespace cardo::cli
