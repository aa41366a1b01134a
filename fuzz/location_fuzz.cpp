// Any bytes as a Location header after any address: a redirect followed lands on an address
// that reads back as itself, whose request names no fragment, and one refused says why.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/platform/text.h"
#include "app/url/web_address.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t split = bytes.find('\n');
  const std::string_view start = bytes.substr(0, split);
  const std::string_view location = split == std::string_view::npos ? "" : bytes.substr(split + 1);

  auto url = cardo::ParseUrl(cardo::Utf8ToUtf16(start));
  if (!url) return 0;
  cardo::RedirectChain chain(std::move(*url));
  switch (chain.Redirect(location)) {
    case cardo::RedirectChain::Step::Follow: {
      const std::u16string href = chain.Current().Href();
      const auto again = cardo::ParseUrl(href);
      if (!again || again->Href() != href) std::abort();
      if (chain.Current().Target().find(u'#') != std::u16string::npos) std::abort();
      break;
    }
    case cardo::RedirectChain::Step::Invalid:
      if (chain.Refusal(location).empty()) std::abort();
      break;
    case cardo::RedirectChain::Step::Loop:
    case cardo::RedirectChain::Step::TooMany:
      break;
  }
  return 0;
}
