#pragma once
// `cardo-cli receive [--port N] [--token T|--token-file F] [--with-page]`: the receiver of the
// browser extension on the command line, each URL printed as a line the moment it arrives.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_io.h"

namespace cardo::cli {

// Its usage line.
std::string ReceiveUsage();
// Runs until SIGINT or SIGTERM. The exit status: 0 then, 1 when the port cannot be had or the
// output failed, 2 for a wrong command line.
int RunReceive(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
               OutputForm form = {});

}  // namespace cardo::cli
