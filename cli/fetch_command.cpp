#include "cli/fetch_command.h"

#include "fnc/http_network.h"
#include "fnc/http_output.h"

namespace cardo::cli {

int RunFetch(const std::string& url, const std::string& file, const fnc::HttpReport& report) {
  auto network = fnc::MakeSystemNetwork();
  fnc::StdioOutput output(file);
  return fnc::FetchHttp(url, *network, output, report);
}

}  // namespace cardo::cli
