#include "cli/extract_command.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>

#include "app/extract/extract_to_list.h"
#include "app/extract/extraction_run.h"
#include "app/extract/page_crawl.h"
#include "app/url/web_address.h"
#include "app/platform/text.h"
#include "cli/cli_io.h"
#include "cli/page_fetch.h"

namespace cardo::cli {
namespace {

constexpr std::size_t kBlock = 1 << 16;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// What the words after "extract" ask for.
struct ExtractRequest {
  ExtractOptions options;
  std::u16string filter;
  std::optional<PageEncoding> encoding;  // --input-encoding; nothing (auto): the file decides
  std::optional<OutputEncoding> output;  // --output-encoding
  std::string file, caFile;
  std::vector<std::string> urls;  // --url, as often as given
  CrawlRules crawl;               // --depth, --max-pages, --max-page-mib
};

// A whole number from `low` to `high`, or nothing.
std::optional<int> WholeNumber(const std::string& text, int low, int high) {
  char* end = nullptr;
  const long long n = std::strtoll(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || n < low || n > high) return std::nullopt;
  return static_cast<int>(n);
}

// The request, or nothing after one line on `err`.
std::optional<ExtractRequest> ParseRequest(const std::vector<std::string>& args, std::FILE* err) {
  ExtractRequest r;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&]() -> const std::string* { return i + 1 < args.size() ? &args[++i] : nullptr; };
    const std::string* v = nullptr;
    if (a == "--full-width") {
      r.options.fullWidth = true;
    } else if (a == "--no-line-break") {
      r.options.notReturnSearch = true;
    } else if (a == "--mode" && (v = value())) {
      if (*v == "text")
        r.options.mode = ExtractMode::Text;
      else if (*v == "html")
        r.options.mode = ExtractMode::Html;
      else if (*v == "url")
        r.options.mode = ExtractMode::Download;
      else if (*v == "parsed")
        r.options.mode = ExtractMode::Parsed;
      else {
        Say(err, "cardo-cli extract: unknown mode \"%s\" (text, html, url or parsed)\n",
            v->c_str());
        return std::nullopt;
      }
    } else if (a == "--protocol" && (v = value())) {
      r.options.protocol = Utf8ToUtf16(*v);
    } else if (a == "--filter" && (v = value())) {
      r.filter = Utf8ToUtf16(*v);
    } else if (a == "--base" && (v = value())) {
      r.options.baseUrlBox = Utf8ToUtf16(*v);
    } else if (a == "--page-url" && (v = value())) {
      r.options.pageUrl = Utf8ToUtf16(*v);
    } else if (a == "--input-encoding" && (v = value())) {
      r.encoding = EncodingNamed(*v);
      if (!r.encoding && *v != "auto") {
        Say(err,
            "cardo-cli extract: unknown encoding \"%s\" (auto, cp932, utf-8, euc-jp,\n"
            "  iso-2022-jp, utf-16le, utf-16be, windows-1252 or another charset label)\n",
            v->c_str());
        return std::nullopt;
      }
    } else if (a == "--output-encoding" && (v = value())) {
      r.output = OutputEncodingNamed(*v);
      if (!r.output) {
        Say(err, "cardo-cli extract: unknown encoding \"%s\" (utf-8 or cp932)\n", v->c_str());
        return std::nullopt;
      }
    } else if (a == "--url" && (v = value())) {
      r.urls.push_back(*v);
    } else if (a == "--depth" && (v = value())) {
      const std::optional<int> depth = WholeNumber(*v, 0, 1);
      if (!depth) {
        Say(err, "cardo-cli extract: --depth wants 0 or 1\n");
        return std::nullopt;
      }
      r.crawl.depth = *depth;
    } else if (a == "--max-pages" && (v = value())) {
      const std::optional<int> pages = WholeNumber(*v, 1, 1000000);
      if (!pages) {
        Say(err, "cardo-cli extract: --max-pages wants a whole number from 1 to 1000000\n");
        return std::nullopt;
      }
      r.crawl.maxPages = *pages;
    } else if (a == "--ca-file" && (v = value())) {
      r.caFile = *v;
    } else if (a == "--max-page-mib" && (v = value())) {
      char* end = nullptr;
      const long long mib = std::strtoll(v->c_str(), &end, 10);
      // Up to 1 TiB: the count of bytes stays far inside its type.
      if (v->empty() || *end != '\0' || mib < 1 || mib > (1LL << 20)) {
        std::fprintf(err,
                     "cardo-cli extract: --max-page-mib wants a whole number of MiB, 1 or more\n");
        return std::nullopt;
      }
      r.crawl.limits.pageBytes = mib * 1024 * 1024;
    } else if (!a.empty() && a[0] != '-' && r.file.empty()) {
      r.file = a;
    } else {
      Say(err, "cardo-cli extract: unexpected \"%s\"\n", a.c_str());
      return std::nullopt;
    }
  }
  if (!r.urls.empty() && !r.file.empty()) {
    Say(err, "cardo-cli extract: --url and FILE together\n");
    return std::nullopt;
  }
  if (r.urls.empty() && r.file.empty()) {
    Say(err, "cardo-cli extract: no FILE given\n");
    return std::nullopt;
  }
  // A file's links are never fetched: the depth asked for with one would give nothing.
  if (r.crawl.depth > 0 && r.urls.empty()) {
    Say(err, "cardo-cli extract: --depth 1 wants --url\n");
    return std::nullopt;
  }
  return r;
}

// The URLs as lines; a long URL goes out a block at a time, never as a whole second copy.
class UrlPrinter {
 public:
  UrlPrinter(std::FILE* out, OutputForm form) : writer_(out, form) {}
  void Print(std::u16string_view url, int times) {
    for (int n = 0; n < times && !writer_.failed(); ++n) {
      for (std::u16string_view rest = url; !rest.empty();) {
        std::size_t take = std::min<std::size_t>(rest.size(), kBlock);
        if (take < rest.size() && rest[take - 1] >= 0xD800 && rest[take - 1] <= 0xDBFF) --take;
        writer_.Write(Utf16ToUtf8(rest.substr(0, take)));
        rest.remove_prefix(take);
      }
      writer_.Write("\n");
    }
  }
  TextWriter& writer() { return writer_; }

 private:
  TextWriter writer_;
};

// The line for stretches too long for a URL that a run left out, if any.
void SayLeftOut(std::uint64_t leftOut, std::FILE* err) {
  if (leftOut == 0) return;
  Say(err, "cardo-cli extract: left out %llu stretch(es) of over %d KiB, too long for a URL\n",
      static_cast<unsigned long long>(leftOut), static_cast<int>(kLinePieceBytes / 2048));
}

// Several pages, or one and the pages it links to: the run the dialog makes of several
// addresses, its URLs printed in the run's order once the last page has ended, and a line on
// `err` for each page that failed, for the links the cap left out and for what was too long.
int RunCrawl(const ExtractRequest& request, UrlPrinter& printer, std::FILE* err) {
  std::vector<std::u16string> starts;
  for (const std::string& url : request.urls) starts.push_back(DownloadAddress(Utf8ToUtf16(url)));
  const HttpClient client(CliHttpStack(request.caFile));
  PageCrawl crawl(std::move(starts), request.crawl, request.filter,
                  [&](const std::u16string& url, int, DownloadControl& control) {
                    std::u16string reason;
                    const std::optional<FetchedPage> page =
                        FetchPage(Utf16ToUtf8(url), client, control, reason);
                    if (!page) {
                      FetchedLinks failed;
                      failed.reason = std::move(reason);
                      return failed;
                    }
                    DownloadOutcome outcome;
                    outcome.status = DownloadStatus::Done;
                    outcome.finalUrl = page->finalUrl;
                    outcome.contentType = page->contentType;
                    return ScanFetchedPage(std::move(outcome), Utf8ToUtf16(page->path),
                                           request.options, control, request.encoding);
                  });
  crawl.Run();
  for (const CrawlLink& link : crawl.Links()) printer.Print(link.url, 1);
  bool failed = false;
  for (const PageProgress& page : crawl.Progress()) {
    if (page.state != PageState::Failed) continue;
    Say(err, "cardo-cli extract: %s: %s\n", Utf16ToUtf8(page.url).c_str(),
        Utf16ToUtf8(page.reason).c_str());
    failed = true;
  }
  SayLeftOut(crawl.LeftOut(), err);
  if (crawl.PagesOverCap() > 0) {
    Say(err, "cardo-cli extract: %d linked pages left out (--max-pages %d)\n", crawl.PagesOverCap(),
        request.crawl.maxPages);
  }
  return failed ? 1 : 0;
}

}  // namespace

int RunExtract(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
               OutputForm form) {
  std::optional<ExtractRequest> request = ParseRequest(args, err);
  if (!request) return 2;
  ExtractOptions& options = request->options;
  // The page downloaded as the dialog's download mode does, then scanned in that mode (or the
  // parsed mode when asked) with
  // the address it finally came from, in the encoding the page says unless one is forced.
  if (request->urls.size() > 1 || request->crawl.depth > 0) {
    UrlPrinter printer(out, WithEncoding(form, request->output));
    const int status = RunCrawl(*request, printer, err);
    return printer.writer().Finish("extract", err) ? status : 1;
  }
  const bool download = !request->urls.empty();
  const std::optional<FetchedPage> page =
      download ? FetchPage(request->urls.front(), request->caFile, request->crawl.limits, err)
               : std::nullopt;
  if (download) {
    if (!page) return 1;
    if (!IsScannedStartType(page->contentType)) {
      Say(err, "cardo-cli extract: %s: %s\n", request->urls.front().c_str(),
          Utf16ToUtf8(NotAPageReason(page->contentType)).c_str());
      return 1;
    }
    request->file = page->path;
    if (options.mode != ExtractMode::Parsed) options.mode = ExtractMode::Download;
    options.pageUrl = page->finalUrl;
  }
  std::unique_ptr<std::FILE, FileCloser> in(OpenInput(request->file, "extract", err));
  if (!in) return 1;
  UrlPrinter printer(out, WithEncoding(form, request->output));
  std::uint64_t leftOut = 0;
  const ExtractResult result = ExtractFromFile(
      in.get(), {request->encoding, page ? std::string_view(page->contentType) : ""}, options,
      CompiledFilter(request->filter),
      [&](std::u16string_view url, int appends) { printer.Print(url, appends); }, {}, &leftOut);
  if (!printer.writer().Finish("extract", err)) return 1;
  SayLeftOut(leftOut, err);
  if (result == ExtractResult::OutOfMemory) {
    ReportOutOfMemory("extract", err);
    return 1;
  }
  if (result == ExtractResult::Unreadable) {
    ReportReadError(request->file, "extract", err);
    return 1;
  }
  return 0;
}

}  // namespace cardo::cli
