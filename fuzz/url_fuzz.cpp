// Any input, alone and against any base, in both forms and as a Location's bytes: the parse
// never crashes, every address it gives reads back as itself, and the list form of an address
// reads back as the address itself.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/platform/text.h"
#include "app/url/url.h"

namespace {

using cardo::ParseUrl;
using cardo::Url;
using cardo::UrlForm;

void CheckStable(const std::optional<Url>& url) {
  if (!url) return;
  const std::u16string href = url->Href();
  const auto again = ParseUrl(href);
  if (!again || again->Href() != href) std::abort();
}

// The list form read again as the wire form is the wire form of the input.
void CheckForms(std::u16string_view input, const Url* base) {
  const auto wire = ParseUrl(input, base);
  const auto written = ParseUrl(input, base, UrlForm::AsWritten);
  if (wire.has_value() != written.has_value()) std::abort();
  CheckStable(wire);
  if (!written) return;
  const auto rewired = ParseUrl(written->Href());
  if (!rewired || rewired->Href() != wire->Href()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::size_t split = bytes.find('\n');
  const std::string_view first = bytes.substr(0, split);
  const std::string_view second = split == std::string_view::npos ? "" : bytes.substr(split + 1);
  const std::u16string input = cardo::Utf8ToUtf16(second);

  const auto base = ParseUrl(cardo::Utf8ToUtf16(first));
  CheckForms(input, nullptr);
  if (base) {
    CheckForms(input, &*base);
    CheckStable(cardo::ParseUrlBytes(second, &*base));
  }
  return 0;
}
