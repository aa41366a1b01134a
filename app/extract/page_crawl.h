#pragma once
// A run over several pages: the addresses typed one per line, each page downloaded and scanned
// by a fetcher the caller supplies, a few at a time; with depth 1 also the pages of the same
// site that the start pages link to (an index of a gallery, its pages, their images), each
// once, up to a cap on the pages fetched. What the filter passes comes back in one order
// whatever order the downloads end in: a start page's URLs, then those of the pages it links
// to in the order it links to them, then the next start page; each URL once a run. A page is
// fetched once a run, by its final address: a redirect to a page of the run is not followed.
#include <condition_variable>
#include <cstdint>
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
  std::u16string reason;              // Failed: for the user
  std::u16string finalUrl;            // Done: the address after redirections
  std::string contentType;            // Done: as the server sent it
  std::vector<std::u16string> found;  // Done: every URL the scan found, in page order
  std::uint64_t leftOut = 0;          // Done: stretches too long for a URL, left out
};
// Downloads and scans `url`; called on several threads at once, `worker` (0 up to the number
// of downloads at a time) telling them apart. It returns soon after `control` is cancelled.
using PageFetcher =
    std::function<FetchedLinks(const std::u16string& url, int worker, DownloadControl& control)>;

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

// A URL for the list and the page it was found on.
struct CrawlLink {
  std::u16string url;
  std::u16string page;
};

// The run. Every member may be called from any thread while Run runs on another.
class PageCrawl {
 public:
  PageCrawl(std::vector<std::u16string> starts, CrawlRules rules, std::u16string_view filterText,
            PageFetcher fetch);
  PageCrawl(const PageCrawl&) = delete;
  PageCrawl& operator=(const PageCrawl&) = delete;

  // Fetches every page of the plan, at most rules.inFlight at once; returns when all have
  // ended, or after Cancel once the fetches under way have returned.
  void Run();
  // The fetches under way are cancelled and no more start; what was found stays, and what a
  // page under way gives after this is left out.
  void Cancel();
  // The pages planned so far, in plan order (a start page's links after the start pages).
  std::vector<PageProgress> Progress() const;
  // What the pages that ended so far passed, in the run's order, each URL once.
  std::vector<CrawlLink> Links() const;
  // The links that were not fetched because the cap was reached.
  int PagesOverCap() const;
  // The stretches too long for a URL that the pages' scans left out, in all.
  std::uint64_t LeftOut() const;

 private:
  struct Page {
    PageProgress progress;
    std::size_t parent = 0;  // a linked page: the index of its start page
    std::shared_ptr<DownloadControl> control;
    std::u16string finalUrl;
    std::vector<std::u16string> passed;  // what the filter passed, in page order
    std::vector<std::u16string> links;   // a start page: the pages to follow
  };
  // What a page gave, judged off the lock.
  struct Judged {
    std::vector<std::u16string> passed;
    std::vector<std::u16string> links;
  };
  void Work(int worker);
  void Record(std::size_t index, FetchedLinks fetched, Judged judged);
  void PlanLinksOfEndedStarts();
  bool Plan(const std::u16string& url, std::size_t parent, bool start);
  // Whether a download may follow a redirect to `target` (lock_ held): not to a page of the
  // run; a page the cap held back is fetched through it, since its redirect is already counted.
  bool MayRedirectTo(const std::u16string& target);

  const CrawlRules rules_;
  const CompiledFilter filter_;
  const PageFetcher fetch_;
  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::vector<Page> pages_;
  std::unordered_set<std::u16string> planned_;   // the pages' addresses without a fragment
  std::unordered_set<std::u16string> heldBack_;  // the links the cap left out, likewise
  std::size_t starts_ = 0;
  std::size_t next_ = 0;      // the first page not started
  std::size_t expanded_ = 0;  // the start pages whose links are planned
  int running_ = 0;
  int overCap_ = 0;
  std::uint64_t leftOut_ = 0;
  bool cancelled_ = false;
};

}  // namespace cardo
