#include "app/scan/url_scanner.h"

#include "app/scan/html_scan.h"
#include "app/scan/parsed_scan.h"
#include "app/scan/seen_urls.h"
#include "app/scan/text_scan.h"

namespace cardo {

void ExtractUrls(LineSource& source, const ExtractOptions& options, const CandidateSink& sink) {
  SeenUrls seen;
  const CandidateSink once = [&](std::u16string_view url) {
    if (seen.Insert(url)) sink(url);
  };
  if (options.mode == ExtractMode::Text) {
    ScanText(source, options, once);
  } else if (options.mode == ExtractMode::Parsed) {
    ScanParsed(source, options, once);
  } else {
    ScanHtml(source, options, once);
  }
}

}  // namespace cardo
