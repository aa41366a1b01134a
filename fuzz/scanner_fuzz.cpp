// Any bytes as a file for the URL scanner, in every mode: read as a page in UTF-8 or code page
// 932 is, and as they are (the scanners take a byte that is no UTF-8 for a character that ends
// a URL): no crash, no hang.
#include <cstdint>
#include <string>
#include <string_view>

#include "app/scan/url_scanner.h"
#include "app/text/page_decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::string text;
  cardo::MakePageDecoder(size % 5 ? cardo::PageEncoding::Utf8 : cardo::PageEncoding::CodePage932,
                         true)
      ->Convert(bytes, true, text);
  for (const std::string_view lines : {std::string_view(text), bytes}) {
    for (int mode = 0; mode <= static_cast<int>(cardo::ExtractMode::Parsed); ++mode) {
      cardo::ExtractOptions options;
      options.mode = static_cast<cardo::ExtractMode>(mode);
      options.fullWidth = size % 2;
      options.notReturnSearch = size % 3 == 0;
      options.pageUrl = u"http://p/d/";
      cardo::TextLineSource source(lines);
      cardo::ExtractUrls(source, options, [](std::u16string_view) {});
    }
  }
  return 0;
}
