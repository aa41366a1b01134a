#pragma once
// `cardo-cli fetch URL FILE`: the library's HTTP client; the exit status is its result code.
#include <string>

#include "fnc/http_client.h"

namespace cardo::cli {

int RunFetch(const std::string& url, const std::string& file, const fnc::HttpReport& report);

}  // namespace cardo::cli
