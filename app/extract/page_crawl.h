#pragma once
// A run over several pages: the addresses typed one per line, each page downloaded and scanned
// by a fetcher the caller supplies, a few at a time; with depth 1 also the pages of the same
// site that the start pages link to (an index of a gallery, its pages, their images), each
// once, up to a cap on the pages fetched. What the filter passes comes back in one order
// whatever order the downloads end in: a start page's URLs, then those of the pages it links
// to in the order it links to them, then the next start page; each URL once a run. Each URL
// is handed on as soon as its place in that order is known: a page's as it is scanned when
// every page before it has ended. A page is fetched once a run, by its final address: a
// redirect to a page of the run is not followed.
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "app/net/page_download.h"
#include "app/scan/url_scanner.h"
#include "app/extract/wildcard_filter.h"
#include "app/platform/string_table.h"
#include "app/settings/settings_keys.h"

namespace cardo {

inline constexpr int kMaxPagesInFlight = 4;
inline constexpr int kDefaultMaxPages = KeyOf(&Settings::MaxCrawlPages).startUp;

struct StartAddresses {
  // The pages in the order typed, "http://" put in front as a single download does, each once.
  std::vector<std::u16string> urls;
  // The lines (from 1) that hold no http or https address; blank lines are skipped silently.
  std::vector<int> invalidLines;
};
// The addresses of `text`, one a line (CR LF, LF or CR), spaces and TABs around them ignored.
StartAddresses ReadStartAddresses(std::u16string_view text);

// Whether `link` is a page worth following from `page`: the same scheme, host and port, and
// no extension of a file that is no page (an image, an archive, a sound or film, a program, a
// document). Decided before any download, so no image is fetched to learn that it is one.
bool IsSameSitePage(std::u16string_view page, std::u16string_view link);
// Whether a Content-Type names an HTML page (or names nothing, as old servers send).
bool IsHtmlContentType(std::string_view contentType);
// Whether a start page's Content-Type names something to scan: an HTML page, any text, or
// nothing. An archive or an image typed as a page gives no link, only junk.
bool IsScannedStartType(std::string_view contentType);
// What the user is told of a start page that is not scanned for its type.
std::u16string NotAPageReason(std::string_view contentType);

// One page as the fetcher got it.
struct FetchedLinks {
  DownloadStatus status = DownloadStatus::Failed;
  std::u16string reason;      // Failed: for the user
  std::uint64_t leftOut = 0;  // Done: stretches too long for a URL, left out
};

// What the scan of one page hands the run, on the thread that fetched it.
class PageLinks {
 public:
  virtual ~PageLinks() = default;
  // Once the page has come, before its scan: whether it is scanned at all (a linked page that
  // turns out to be no page, an image behind a script's address, is no text to scan; a start
  // page that is no HTML or text is refused).
  virtual bool Begin(std::u16string_view finalUrl, std::string_view contentType) = 0;
  // Each URL the scan finds, in page order; false once the run wants no more of this page.
  virtual bool Found(std::u16string_view url) = 0;
};

// Downloads `url` and scans it into `links`; called on several threads at once, `worker` (0 up
// to the number of downloads at a time) telling them apart. It returns soon after `control` is
// cancelled.
using PageFetcher = std::function<FetchedLinks(const std::u16string& url, int worker,
                                               DownloadControl& control, PageLinks& links)>;

// Takes each URL the run passes, with the page it was found on, in the run's order as soon as
// its place in it is known; false when it can take no more (a full list): the run then stops
// fetching and scanning. Called from the run's threads, never two at a time.
using CrawlSink = std::function<bool(std::u16string_view url, std::u16string_view page)>;

struct CrawlRules {
  int depth = 0;  // 0: the start pages; 1: and the pages they link to
  // The pages fetched in all, start pages included; linked pages past it are not fetched
  // (start pages always are).
  int maxPages = kDefaultMaxPages;
  int inFlight = kMaxPagesInFlight;
  DownloadLimits limits;  // of each download
};

enum class PageState { Waiting, Fetching, Done, Failed, Cancelled };

struct PageProgress {
  std::u16string url;
  PageState state = PageState::Waiting;
  int found = 0;          // Done: the URLs of the page the filter passed, each once
  std::u16string reason;  // Failed
  bool start = true;      // a start page, not one linked to
};

// The run. Every member may be called from any thread while Run runs on another. Memory: the
// URLs passed on, each once in a compact table (string_table.h), the URLs of pages that ended
// before their turn, and a hash of each linked page the cap left out; never a page's whole
// list of URLs.
class PageCrawl {
 public:
  PageCrawl(std::vector<std::u16string> starts, CrawlRules rules, std::u16string_view filterText,
            PageFetcher fetch, CrawlSink sink);
  ~PageCrawl();
  PageCrawl(const PageCrawl&) = delete;
  PageCrawl& operator=(const PageCrawl&) = delete;

  // Fetches every page of the plan, at most rules.inFlight at once; returns when all have
  // ended, or after Cancel (or a sink that took no more) once the fetches under way returned.
  // Throws what failed on any of its threads (the run then stopped as by Cancel).
  void Run();
  // The fetches under way are cancelled and no more start; what the pages that ended found is
  // passed on before this returns, and what a page under way gives after it is left out.
  void Cancel();
  // The pages planned so far, in plan order (a start page's links after the start pages).
  std::vector<PageProgress> Progress() const;
  // The links that were not fetched because the cap was reached.
  int PagesOverCap() const;
  // Whether the sink took no more, which stopped the run.
  bool Full() const;
  // The stretches too long for a URL that the pages' scans left out, in all.
  std::uint64_t LeftOut() const;

 private:
  struct Page;
  class Scan;
  void Work(int worker);
  void Record(std::size_t index, const FetchedLinks& fetched, int found);
  void PlanLinksOfEndedStarts();
  void Plan(const std::u16string& url, std::size_t parent, bool start);
  // Whether a download may follow a redirect to `target`: not to a page of the run; a page
  // the cap held back is fetched through it, since its redirect is already counted.
  bool MayRedirectTo(const std::u16string& target);
  // What a page's scan found, each under the lock: passed on when the page's turn has come,
  // else kept for it; false once the run wants no more of the page.
  bool Pass(std::size_t index, std::u16string_view url);
  bool Link(std::size_t index, std::u16string_view url);
  // Passes on what the pages whose turn has come found, up to the first page still running.
  void Advance();
  bool Emit(std::u16string_view url, std::size_t index);
  void Stop();

  const CrawlRules rules_;
  const CompiledFilter filter_;
  const PageFetcher fetch_;
  const CrawlSink sink_;
  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::vector<Page> pages_;
  std::unordered_set<std::u16string> planned_;  // the planned pages without a fragment
  StringTable overCapSeen_;                     // hashes of the links the cap left out
  StringTable passed_;                          // the URLs passed on, in UTF-8
  std::size_t starts_ = 0;
  std::size_t next_ = 0;      // the first page not started
  std::size_t expanded_ = 0;  // the start pages whose links are planned
  std::size_t turn_ = 0;      // the page whose URLs are passed on as they come
  int running_ = 0;
  int overCap_ = 0;
  std::uint64_t leftOut_ = 0;
  bool cancelled_ = false;
  bool full_ = false;
};

}  // namespace cardo
