// Any bytes as a Location header after any address: the browser form is stable (encoding it
// again changes nothing), and the address requested never carries a fragment.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/url/web_address.h"
#include "app/platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t split = bytes.find('\n');
  const std::string_view start = bytes.substr(0, split);
  const std::string_view location = split == std::string_view::npos ? "" : bytes.substr(split + 1);

  const std::u16string browser = cardo::BrowserAddress(location);
  if (cardo::BrowserAddress(std::u16string_view(browser)) != browser) std::abort();
  cardo::RedirectChain chain(cardo::Utf8ToUtf16(start));
  if (chain.Redirect(location) == cardo::RedirectChain::Step::Follow) {
    const std::u16string& current = chain.Current();
    const auto wire = cardo::WireAddress(current);
    if (wire && wire->find(u'#') != std::u16string::npos) std::abort();
  }
  return 0;
}
