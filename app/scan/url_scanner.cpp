#include "app/scan/url_scanner.h"

#include "app/scan/html_scan.h"
#include "app/scan/parsed_scan.h"
#include "app/scan/seen_urls.h"
#include "app/scan/text_scan.h"

namespace cardo {

std::uint64_t ExtractUrls(LineSource& source, const ExtractOptions& options,
                          const CandidateSink& sink) {
  SeenUrls seen;
  const CandidateSink once = [&](std::u16string_view url) {
    if (seen.Insert(url)) sink(url);
  };
  std::uint64_t overlongTags = 0;
  if (options.mode == ExtractMode::Text) {
    ScanText(source, options, once);
  } else if (options.mode == ExtractMode::Parsed) {
    overlongTags = ScanParsed(source, options, once);
  } else {
    ScanHtml(source, options, once);
  }
  return source.LeftOut() + overlongTags;
}

}  // namespace cardo
