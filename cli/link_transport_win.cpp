#include "app/check/link_transport_win.h"
#include "cli/link_transport.h"

namespace cardo::cli {

// The program's own check; the system's certificate store decides whom to trust.
LinkTransportFactory SystemLinkTransports(const std::string&) {
  return WinHttpLinkTransports();
}

}  // namespace cardo::cli
