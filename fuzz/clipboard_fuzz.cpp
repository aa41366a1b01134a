// Any clipboard HTML Format: the parts the parser hands back lie inside the data, and the scan
// of a paste ends.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/extract/clipboard_links.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const cardo::HtmlFormat format = cardo::ParseHtmlFormat(bytes);
  const auto inside = [&bytes](std::string_view part) {
    return part.empty() || (part.data() >= bytes.data() &&
                            part.data() + part.size() <= bytes.data() + bytes.size());
  };
  if (!inside(format.markup) || !inside(format.sourceUrl)) std::abort();
  cardo::Settings settings;
  settings.UrlExtProtocol = u"http://";
  const cardo::LinkScan scan = cardo::PrepareLinkScan({bytes, u"", false}, settings);
  cardo::TextLineSource source(scan.text);
  std::size_t found = 0;
  cardo::ExtractUrls(source, scan.options, [&found](std::u16string_view) { ++found; });
  return 0;
}
