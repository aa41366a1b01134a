#include "app/scan/url_scanner.h"

#include "app/scan/html_scan.h"
#include "app/scan/parsed_scan.h"
#include "app/scan/text_scan.h"

namespace cardo {

void ExtractUrls(LineSource& source, const ExtractOptions& options, const CandidateSink& sink) {
  if (options.mode == ExtractMode::Text) {
    ScanText(source, options, sink);
  } else if (options.mode == ExtractMode::Parsed) {
    ScanParsed(source, options, sink);
  } else {
    ScanHtml(source, options, sink);
  }
}

}  // namespace cardo
