#pragma once
// The HTTP stack `cardo-cli export --rpc` posts with: libcurl natively, WinHTTP in
// cardo-cli.exe (as the program posts).
#include <string>

#include "app/net/http_post.h"

namespace cardo::cli {

// POSTs the JSON `body` to the http or https `address` (UTF-8) and reads the whole answer;
// no proxy, 10 s to connect, 60 s for the answer.
PostResponse PostJson(const std::string& address, const std::string& body);

}  // namespace cardo::cli
