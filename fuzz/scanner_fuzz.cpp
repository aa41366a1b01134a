// Any bytes as a file for the URL scanner, in every mode: no crash, no hang.
#include <cstdint>
#include <string_view>

#include "app/scan/url_scanner.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (int mode = 0; mode <= static_cast<int>(cardo::ExtractMode::Parsed); ++mode) {
    cardo::ExtractOptions options;
    options.mode = static_cast<cardo::ExtractMode>(mode);
    options.fullWidth = size % 2;
    options.notReturnSearch = size % 3 == 0;
    options.pageUrl = u"http://p/d/";
    cardo::TextLineSource source(bytes);
    cardo::ExtractUrls(source, options, [](std::u16string_view) {});
  }
  return 0;
}
