#include "cli/extract_command.h"

#include <algorithm>
#include <charconv>
#include <memory>
#include <optional>

#include "app/extract/extract_to_list.h"
#include "app/extract/extraction_run.h"
#include "app/extract/page_crawl.h"
#include "app/url/web_address.h"
#include "app/platform/text.h"
#include "cli/cli_io.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "cli/page_fetch.h"

namespace cardo::cli {
namespace {

constexpr std::size_t kBlock = 1 << 16;

// What the words after "extract" ask for.
struct ExtractRequest {
  ExtractOptions options;
  std::u16string filter;
  std::optional<PageEncoding> encoding;  // --input-encoding; nothing (auto): the file decides
  std::optional<OutputEncoding> output;  // --output-encoding
  std::string caFile;
  std::vector<std::string> urls;  // --url, as often as given
  CrawlRules crawl;               // --depth, --max-pages, --max-page-mib
};

// A whole number from `low` to `high`, or nothing.
std::optional<long long> Number(std::string_view text, long long low, long long high) {
  long long n = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (error != std::errc() || end != text.data() + text.size() || n < low || n > high) {
    return std::nullopt;
  }
  return n;
}

constexpr std::pair<std::string_view, ExtractMode> kModes[] = {
    {"text", ExtractMode::Text},
    {"html", ExtractMode::Html},
    {"url", ExtractMode::Download},
    {"parsed", ExtractMode::Parsed},
};

std::string TakeMode(ExtractRequest& r, std::string_view v) {
  for (const auto& [name, mode] : kModes) {
    if (v != name) continue;
    r.options.mode = mode;
    return {};
  }
  return OneOf("--mode", "text, html, url, parsed");
}

std::string TakeInputEncoding(ExtractRequest& r, std::string_view v) {
  r.encoding = EncodingNamed(v);
  if (r.encoding || v == "auto") return {};
  return OneOf("--input-encoding",
               "auto, cp932, utf-8, euc-jp, iso-2022-jp, utf-16le, utf-16be, windows-1252 or "
               "another charset label");
}

// Each option's text into the request as it is.
template <auto Field>
std::string TakeText(ExtractRequest& r, std::string_view v) {
  r.*Field = std::string(v);
  return {};
}
template <auto Field>
std::string TakeWide(ExtractRequest& r, std::string_view v) {
  r.options.*Field = Utf8ToUtf16(v);
  return {};
}

constexpr Option<ExtractRequest> kOptions[] = {
    {"--mode", Takes::Value, "text|html|url|parsed",
     "text (the protocol text and what follows), html (absolute and relative URLs), url (html, "
     "for a downloaded page) or parsed (the page tokenized: its link attributes, refresh targets "
     "and the URLs of its text, resolved as a browser does); default text",
     TakeMode},
    {"--protocol", Takes::Value, "P", "text mode: the text a URL starts with (default http://)",
     TakeWide<&ExtractOptions::protocol>},
    {"--full-width",
     Takes::Nothing,
     {},
     "text mode: double-byte characters may be part of a URL",
     [](ExtractRequest& r, std::string_view) {
       r.options.fullWidth = true;
       return std::string();
     }},
    {"--no-line-break",
     Takes::Nothing,
     {},
     "text mode: a URL never continues on the next line",
     [](ExtractRequest& r, std::string_view) {
       r.options.notReturnSearch = true;
       return std::string();
     }},
    {"--filter", Takes::Value, "F",
     "wildcard patterns separated by \";\", \"!\" to exclude (default *.*)",
     [](ExtractRequest& r, std::string_view v) {
       r.filter = Utf8ToUtf16(v);
       return std::string();
     }},
    {"--base", Takes::Value, "URL", "html and parsed modes: the base for relative URLs",
     TakeWide<&ExtractOptions::baseUrlBox>},
    {"--page-url", Takes::Value, "URL", "url mode: the address the page came from",
     TakeWide<&ExtractOptions::pageUrl>},
    {"--input-encoding", Takes::Value, "auto|CHARSET",
     "the encoding of FILE: auto (the default) reads it as a browser does: a byte order mark, "
     "the server's charset (--url), a <meta> charset in its first 4 KB, else utf-8 when its "
     "text is valid UTF-8, else cp932. A charset forces one (a byte order mark still decides): "
     "cp932 (shift_jis, windows-31j...), utf-8, euc-jp, iso-2022-jp, utf-16le, utf-16be, "
     "windows-1252 (iso-8859-1, us-ascii...); a character cp932 lacks comes percent-encoded",
     TakeInputEncoding},
    kOutputEncodingOption<ExtractRequest>,
    {"--url", Takes::Value, "URL",
     "downloads the page (http or https, redirections followed with the cookies they set, "
     "user:pass@ sent as Basic to that server only, through the system's proxy) and scans it in "
     "url mode with the address it came from; a page cut short, or a server silent for 30 s, "
     "is a failure. Given more than once, every page is downloaded (four at a time) and their "
     "URLs printed in the order of the pages, each URL once, each page's as it is scanned",
     [](ExtractRequest& r, std::string_view v) {
       r.urls.emplace_back(v);
       return std::string();
     }},
    {"--depth", Takes::Value, "0|1",
     "with --url: 1 also fetches the pages of the same site (scheme, host and port) that the "
     "given pages link to, but no image, archive or other file that is no page; each page "
     "once, the found URLs of all through the filter (default 0: the given pages only)",
     [](ExtractRequest& r, std::string_view v) {
       const auto depth = Number(v, 0, 1);
       if (!depth) return OneOf("--depth", "0, 1");
       r.crawl.depth = static_cast<int>(*depth);
       return std::string();
     }},
    {"--max-pages", Takes::Value, "N",
     "with --depth 1: download at most N pages in all, counting the given ones, which are "
     "always downloaded (default 200)",
     [](ExtractRequest& r, std::string_view v) {
       const auto pages = Number(v, 1, 1000000);
       if (!pages) return WholeNumber("--max-pages", 1, 1000000);
       r.crawl.maxPages = static_cast<int>(*pages);
       return std::string();
     }},
    {"--ca-file", Takes::Value, "FILE",
     "with --url, natively: trust the certificate authorities in FILE (PEM) instead of the "
     "system's, for a server with a private CA",
     TakeText<&ExtractRequest::caFile>},
    {"--max-page-mib", Takes::Value, "N",
     "with --url: stop a page past N MiB, decoded (default 1024)",
     [](ExtractRequest& r, std::string_view v) {
       // Up to 1 TiB: the count of bytes stays far inside its type.
       const auto mib = Number(v, 1, 1LL << 20);
       if (!mib) return WholeNumber("--max-page-mib", 1, 1LL << 20);
       r.crawl.limits.pageBytes = *mib * 1024 * 1024;
       return std::string();
     }},
};

constexpr CommandHelp kHelp{
    "extract", "[FILE|-]",
    "Prints every URL of FILE (\"-\": standard input, scanned as its lines arrive) that the "
    "filter lets through, one per line; with --url, of the pages downloaded.",
    ""};

// Why the words, read, still make no request; empty when they do.
std::string Complaint(const ExtractRequest& request, const ParsedWords& parsed) {
  if (parsed.operands.size() > 1) return Text(phrase::kOneOperand, {"FILE"});
  const bool file = !parsed.operands.empty();
  if (!request.urls.empty() && file) return Text(phrase::kNotTogether, {"--url", "FILE"});
  if (request.urls.empty() && !file) return Text(phrase::kMissing, {"FILE"});
  // A file's links are never fetched: the depth asked for with one would give nothing.
  if (request.crawl.depth > 0 && request.urls.empty()) {
    return Text(phrase::kGoesWith, {"--depth 1", "--url"});
  }
  return {};
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

constexpr Phrase kLeftOut{"{1} linked pages left out (--max-pages {2})",
                          "リンク先の {1} ページは上限 (--max-pages {2}) のため取得していません"};
constexpr Phrase kTooLong{"left out {1} stretch(es) of over {2} KiB, too long for a URL",
                          "URL にしては長すぎる {1} か所 ({2} KiB 超) は抜き出しませんでした"};

// The line for stretches too long for a URL that a run left out, if any.
void SayLeftOut(std::uint64_t leftOut, std::FILE* err) {
  if (leftOut == 0) return;
  Say(err, kTooLong, {std::to_string(leftOut), std::to_string(kLinePieceBytes / 2048)});
}

// Several pages, or one and the pages it links to: the run the dialog makes of several
// addresses, each URL printed as soon as its place in the run's order is known (a page's as it
// is scanned once the pages before it have ended), and a line on `err` for each page that
// failed, for the links the cap left out and for what was too long.
int RunCrawl(const ExtractRequest& request, UrlPrinter& printer, std::FILE* err) {
  std::vector<std::u16string> starts;
  for (const std::string& url : request.urls) starts.push_back(DownloadAddress(Utf8ToUtf16(url)));
  const HttpClient client(CliHttpStack(request.caFile));
  const auto fetch = [&](const std::u16string& url, int, DownloadControl& control,
                         PageLinks& links) {
    std::u16string reason;
    const std::optional<FetchedPage> page = FetchPage(Utf16ToUtf8(url), client, control, reason);
    if (!page) {
      FetchedLinks failed;
      failed.reason = std::move(reason);
      return failed;
    }
    DownloadOutcome outcome;
    outcome.status = DownloadStatus::Done;
    outcome.finalUrl = page->finalUrl;
    outcome.contentType = page->contentType;
    return ScanFetchedPage(std::move(outcome), Utf8ToUtf16(page->path), request.options, control,
                           links, request.encoding);
  };
  PageCrawl crawl(std::move(starts), request.crawl, request.filter, fetch,
                  [&](std::u16string_view url, std::u16string_view) {
                    printer.Print(url, 1);
                    return !printer.writer().failed();
                  });
  crawl.Run();
  bool failed = false;
  for (const PageProgress& page : crawl.Progress()) {
    if (page.state != PageState::Failed) continue;
    Say(err, phrase::kAbout, {Utf16ToUtf8(page.url), Utf16ToUtf8(page.reason)});
    failed = true;
  }
  SayLeftOut(crawl.LeftOut(), err);
  if (crawl.PagesOverCap() > 0) {
    Say(err, kLeftOut,
        {std::to_string(crawl.PagesOverCap()), std::to_string(request.crawl.maxPages)});
  }
  return failed ? 1 : 0;
}

// One file, or one downloaded page, scanned as it is read.
int RunOne(ExtractRequest& request, const std::string& file, std::FILE* in, UrlPrinter& printer,
           std::FILE* err) {
  ExtractOptions& options = request.options;
  // The page downloaded as the dialog's download mode does, then scanned in that mode (or the
  // parsed mode when asked) with the address it finally came from, in the encoding the page
  // says unless one is forced.
  const bool download = !request.urls.empty();
  const std::optional<FetchedPage> page =
      download ? FetchPage(request.urls.front(), request.caFile, request.crawl.limits, err)
               : std::nullopt;
  if (download) {
    if (!page) return 1;
    if (!IsScannedStartType(page->contentType)) {
      Say(err, phrase::kAbout,
          {request.urls.front(), Utf16ToUtf8(NotAPageReason(page->contentType))});
      return 1;
    }
    if (options.mode != ExtractMode::Parsed) options.mode = ExtractMode::Download;
    options.pageUrl = page->finalUrl;
  }
  const Input input(download ? page->path : file, in, err);
  if (!input) return 1;
  std::uint64_t leftOut = 0;
  const ExtractResult result = ExtractFromFile(
      input.file(), {request.encoding, page ? std::string_view(page->contentType) : ""}, options,
      CompiledFilter(request.filter),
      [&](std::u16string_view url, int appends) { printer.Print(url, appends); }, {}, &leftOut);
  if (!printer.writer().Finish(err)) return 1;
  SayLeftOut(leftOut, err);
  if (result == ExtractResult::OutOfMemory) {
    ReportOutOfMemory(err);
    return 1;
  }
  if (result == ExtractResult::Unreadable) {
    ReportReadError(input.name(), err);
    return 1;
  }
  return 0;
}

}  // namespace

std::string ExtractUsage() {
  return UsageText(kHelp, Shapes(kOptions));
}

int RunExtract(const std::vector<std::string>& args, std::FILE* in, std::FILE* out, std::FILE* err,
               OutputForm form) {
  ExtractRequest request;
  ParsedWords parsed = ParseOptions(kOptions, args, request);
  if (parsed.complaint.empty() && parsed.asked == Asked::Run) {
    parsed.complaint = Complaint(request, parsed);
  }
  if (const auto done = Answered(parsed, kHelp, Shapes(kOptions), out, err, form)) return *done;
  UrlPrinter printer(out, WithEncoding(form, request.output));
  if (request.urls.size() > 1 || request.crawl.depth > 0) {
    const int status = RunCrawl(request, printer, err);
    return printer.writer().Finish(err) ? status : 1;
  }
  return RunOne(request, parsed.operands.empty() ? "" : parsed.operands.front(), in, printer, err);
}

}  // namespace cardo::cli
