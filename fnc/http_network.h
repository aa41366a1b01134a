#pragma once
// The system's network for the HTTP client: Winsock 1.1 on Windows, BSD sockets natively.
#include <memory>

#include "fnc/http_client.h"

namespace cardo::fnc {

std::unique_ptr<HttpNetwork> MakeSystemNetwork();

}  // namespace cardo::fnc
