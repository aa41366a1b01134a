#pragma once
// The HTTP stack `cardo-cli check` asks with: libcurl natively, WinHTTP in cardo-cli.exe.
#include <string>

#include "app/check/link_check.h"

namespace cardo::cli {

// Transports for the workers of one check. Natively they share one pool of kept-alive
// connections (and of resolved names); `caFile`, when not empty, holds the certificate
// authorities (PEM) to trust instead of the system's.
LinkTransportFactory SystemLinkTransports(const std::string& caFile);

}  // namespace cardo::cli
