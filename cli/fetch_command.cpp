#include "cli/fetch_command.h"

#include "cli/cli_io.h"
#include "fnc/http_network.h"
#include "fnc/http_output.h"

namespace cardo::cli {

int RunFetch(const std::string& url, const std::string& file, const fnc::HttpReport& report) {
  auto network = fnc::MakeSystemNetwork();
  fnc::StdioOutput output(file, OpenFile);
  return fnc::FetchHttp(url, *network, output, report);
}

}  // namespace cardo::cli
