#pragma once
// The link check over the system's HTTP stack (WinHTTP): the system's certificate validation
// and proxy, one session per check whose connections its workers share and keep alive.
#include "app/check/link_check.h"

namespace cardo {

LinkTransportFactory WinHttpLinkTransports();

}  // namespace cardo
