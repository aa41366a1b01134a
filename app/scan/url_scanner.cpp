#include "app/scan/url_scanner.h"

#include "app/scan/html_scan.h"
#include "app/scan/parsed_scan.h"
#include "app/scan/seen_urls.h"
#include "app/scan/text_scan.h"

namespace cardo {

std::uint64_t ExtractUrls(LineSource& source, const ExtractOptions& options,
                          const CandidateSink& sink, Repeats repeats) {
  SeenUrls seen;
  const CandidateSink onceIfAsked = [&](std::u16string_view url) {
    if (repeats == Repeats::Kept || seen.Insert(url)) sink(url);
  };
  std::uint64_t overlongTags = 0;
  if (options.mode == ExtractMode::Text) {
    ScanText(source, options, onceIfAsked);
  } else if (options.mode == ExtractMode::Parsed) {
    overlongTags = ScanParsed(source, options, onceIfAsked);
  } else {
    ScanHtml(source, options, onceIfAsked);
  }
  return source.LeftOut() + overlongTags;
}

}  // namespace cardo
