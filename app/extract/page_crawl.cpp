#include "app/extract/page_crawl.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <exception>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

#include "app/platform/text.h"
#include "app/url/web_address.h"

namespace cardo {
namespace {

// The extensions of files that are no page: a link ending so is never fetched as one.
constexpr std::u16string_view kNotPageExtensions[] = {
    u"jpg",  u"jpeg", u"jpe",  u"png",  u"gif",   u"bmp",  u"webp", u"svg",  u"ico",
    u"tif",  u"tiff", u"avif", u"heic", u"zip",   u"lzh",  u"lha",  u"rar",  u"7z",
    u"gz",   u"tgz",  u"bz2",  u"xz",   u"tar",   u"cab",  u"iso",  u"mp3",  u"wav",
    u"ogg",  u"flac", u"m4a",  u"aac",  u"wma",   u"mid",  u"mp4",  u"m4v",  u"avi",
    u"wmv",  u"mov",  u"flv",  u"mkv",  u"webm",  u"mpg",  u"mpeg", u"3gp",  u"exe",
    u"msi",  u"dll",  u"apk",  u"pdf",  u"doc",   u"docx", u"xls",  u"xlsx", u"ppt",
    u"pptx", u"css",  u"js",   u"woff", u"woff2", u"ttf",  u"otf",  u"eot",  u"swf"};

char16_t AsciiLower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

std::u16string AsciiLowered(std::u16string_view text) {
  std::u16string lowered(text);
  std::transform(lowered.begin(), lowered.end(), lowered.begin(), AsciiLower);
  return lowered;
}

// Two addresses of one page read as one URL but for their fragments.
std::u16string PageKey(std::u16string_view url) {
  const auto parsed = ParseUrl(url);
  return parsed ? parsed->Href(false) : std::u16string(url.substr(0, url.find(u'#')));
}

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\u3000';
}

// What is left of the path's last segment after its last ".", lower-cased.
std::u16string Extension(std::u16string_view path) {
  path.remove_prefix(std::min(path.size(), path.rfind(u'/') + 1));
  const std::size_t dot = path.rfind(u'.');
  return dot == std::u16string_view::npos ? std::u16string() : AsciiLowered(path.substr(dot + 1));
}

bool Ended(PageState state) {
  return state == PageState::Done || state == PageState::Failed || state == PageState::Cancelled;
}

}  // namespace

StartAddresses ReadStartAddresses(std::u16string_view text) {
  StartAddresses starts;
  std::unordered_set<std::u16string> seen;
  int lineNumber = 0;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find(u'\n'), text.find(u'\r'));
    std::u16string_view line = text.substr(0, end);
    text.remove_prefix(std::min(text.size(), end));
    if (text.size() >= 2 && text[0] == u'\r' && text[1] == u'\n') text.remove_prefix(1);
    if (!text.empty()) text.remove_prefix(1);
    ++lineNumber;
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
    if (line.empty()) continue;
    const bool spaced = std::any_of(line.begin(), line.end(), [](char16_t c) { return c <= u' '; });
    std::u16string url = DownloadAddress(line);
    const auto parsed = ParseUrl(url);
    if (spaced || !parsed || !IsHttpUrl(*parsed)) {
      starts.invalidLines.push_back(lineNumber);
    } else if (seen.insert(PageKey(url)).second) {
      starts.urls.push_back(std::move(url));
    }
  }
  return starts;
}

bool IsSameSitePage(std::u16string_view page, std::u16string_view link) {
  const auto from = ParseUrl(page);
  const auto to = ParseUrl(link);
  if (!from || !to || !IsHttpUrl(*to) || from->Scheme() != to->Scheme() ||
      from->Host() != to->Host() || from->EffectivePort() != to->EffectivePort()) {
    return false;
  }
  const std::u16string extension = Extension(to->Path());
  return std::find(std::begin(kNotPageExtensions), std::end(kNotPageExtensions), extension) ==
         std::end(kNotPageExtensions);
}

bool IsHtmlContentType(std::string_view contentType) {
  std::string type(contentType.substr(0, contentType.find(';')));
  type.erase(std::remove_if(type.begin(), type.end(), [](char c) { return c == ' ' || c == '\t'; }),
             type.end());
  std::transform(type.begin(), type.end(), type.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  return type.empty() || type == "text/html" || type == "application/xhtml+xml";
}

bool IsScannedStartType(std::string_view contentType) {
  std::string type(contentType.substr(0, contentType.find(';')));
  std::transform(type.begin(), type.end(), type.begin(),
                 [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; });
  const std::size_t first = type.find_first_not_of(" \t");
  return IsHtmlContentType(contentType) ||
         (first != std::string::npos && type.compare(first, 5, "text/") == 0);
}

std::u16string NotAPageReason(std::string_view contentType) {
  std::u16string type;
  for (const char c : contentType.substr(0, contentType.find(';'))) {
    if (c != ' ' && c != '\t') type.push_back(static_cast<unsigned char>(c));
  }
  return u"HTML でもテキストでもない (" + type + u") ため、抜き出しませんでした。";
}

namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// A 64-bit FNV-1a hash of the text's code units.
std::uint64_t HashOf(std::u16string_view text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char16_t unit : text) {
    hash = (hash ^ (unit & 0xFF)) * 1099511628211ull;
    hash = (hash ^ (unit >> 8)) * 1099511628211ull;
  }
  return hash;
}

// URLs kept for later in one string, each in UTF-8 after its length.
void Keep(std::string& kept, std::u16string_view url) {
  const std::string text = Utf16ToUtf8(url);
  const auto length = static_cast<std::uint32_t>(text.size());
  kept.append(reinterpret_cast<const char*>(&length), sizeof length);
  kept += text;
}

template <typename Take>
void ForEachKept(std::string_view kept, Take&& take) {
  while (kept.size() >= sizeof(std::uint32_t)) {
    std::uint32_t length = 0;
    std::memcpy(&length, kept.data(), sizeof length);
    kept.remove_prefix(sizeof length);
    if (!take(Utf8ToUtf16(kept.substr(0, length)))) return;
    kept.remove_prefix(length);
  }
}

}  // namespace

struct PageCrawl::Page {
  PageProgress progress;
  std::size_t parent = 0;           // a linked page: the index of its start page
  std::size_t firstLinked = kNone;  // a start page: its first linked page
  std::shared_ptr<DownloadControl> control;
  std::u16string finalUrl;  // once it came
  std::string held;         // what the filter passed, kept until the page's turn (Keep)
  std::string links;        // a start page: the pages to follow, kept until its expansion
};

// One page's scan: what the filter passes goes to the run, and a start page's links of the
// same site are planned, each as it is found.
class PageCrawl::Scan final : public PageLinks {
 public:
  Scan(PageCrawl& crawl, std::size_t index, bool start)
      : crawl_(crawl), index_(index), start_(start), linking_(start && crawl.rules_.depth > 0) {}

  bool Begin(std::u16string_view finalUrl, std::string_view contentType) override {
    if (start_ && !IsScannedStartType(contentType)) {
      notAPage_ = NotAPageReason(contentType);
      return false;
    }
    finalUrl_ = finalUrl;
    {
      std::lock_guard<std::mutex> hold(crawl_.lock_);
      crawl_.pages_[index_].finalUrl = finalUrl_;
      if (start_) crawl_.planned_.insert(PageKey(finalUrl_));
    }
    return start_ || IsHtmlContentType(contentType);
  }
  bool Found(std::u16string_view url) override {
    if (crawl_.filter_.AppendCount(url) > 0) {
      passed_.push_back(HashOf(url));
      std::lock_guard<std::mutex> hold(crawl_.lock_);
      if (!crawl_.Pass(index_, url)) return false;
    }
    if (linking_ && IsSameSitePage(finalUrl_, url)) {
      std::lock_guard<std::mutex> hold(crawl_.lock_);
      if (!crawl_.Link(index_, url)) return false;
    }
    return true;
  }
  // The URLs the filter passed, each once (an image and its link are one URL).
  int Passed() {
    std::sort(passed_.begin(), passed_.end());
    return static_cast<int>(std::unique(passed_.begin(), passed_.end()) - passed_.begin());
  }
  // A start page refused for its type: why, for the user; else empty.
  const std::u16string& NotAPage() const { return notAPage_; }

 private:
  PageCrawl& crawl_;
  const std::size_t index_;
  const bool start_, linking_;
  std::u16string finalUrl_;
  std::vector<std::uint64_t> passed_;
  std::u16string notAPage_;
};

PageCrawl::PageCrawl(std::vector<std::u16string> starts, CrawlRules rules,
                     std::u16string_view filterText, PageFetcher fetch, CrawlSink sink)
    : rules_(rules), filter_(filterText), fetch_(std::move(fetch)), sink_(std::move(sink)) {
  for (std::u16string& url : starts) Plan(url, pages_.size(), true);
  starts_ = pages_.size();
}

PageCrawl::~PageCrawl() = default;

void PageCrawl::Plan(const std::u16string& url, std::size_t parent, bool start) {
  std::u16string key = PageKey(url);
  if (planned_.count(key) != 0) return;
  // The pages typed are all fetched; the cap holds back the pages they link to, which are only
  // counted, each once (by a hash: a count is all that is said of them).
  if (!start && static_cast<int>(pages_.size()) >= rules_.maxPages) {
    const std::uint64_t hash = HashOf(key);
    if (overCapSeen_.Insert({reinterpret_cast<const char*>(&hash), sizeof hash}).added) ++overCap_;
    return;
  }
  planned_.insert(std::move(key));
  if (!start && pages_[parent].firstLinked == kNone) pages_[parent].firstLinked = pages_.size();
  Page page;
  page.progress.url = url;
  page.progress.start = start;
  page.parent = parent;
  pages_.push_back(std::move(page));
}

bool PageCrawl::MayRedirectTo(const std::u16string& target) {
  std::u16string key = PageKey(target);
  if (planned_.count(key) != 0) return false;
  const std::uint64_t hash = HashOf(key);
  if (overCapSeen_.Contains({reinterpret_cast<const char*>(&hash), sizeof hash})) --overCap_;
  planned_.insert(std::move(key));
  return true;
}

void PageCrawl::Run() {
  // A failure on any thread (memory above all) stops the run; Run gives it to its caller once
  // every thread has ended, instead of ending the program from a helper.
  std::exception_ptr failure;
  const auto work = [&](int worker) noexcept {
    try {
      Work(worker);
    } catch (...) {
      {
        std::lock_guard<std::mutex> hold(lock_);
        if (!failure) failure = std::current_exception();
      }
      Cancel();
    }
  };
  std::vector<std::thread> helpers;
  for (int worker = 1; worker < rules_.inFlight; ++worker) {
    try {
      helpers.emplace_back(work, worker);
    } catch (const std::system_error&) {
      break;  // fewer downloads at a time, as many as the system gave threads for
    }
  }
  work(0);
  for (std::thread& helper : helpers) helper.join();
  if (failure) std::rethrow_exception(failure);
}

void PageCrawl::Work(int worker) {
  std::unique_lock<std::mutex> hold(lock_);
  for (;;) {
    changed_.wait(hold, [&] { return cancelled_ || next_ < pages_.size() || running_ == 0; });
    if (cancelled_ || next_ >= pages_.size()) return;
    const std::size_t index = next_++;
    Page& page = pages_[index];
    page.progress.state = PageState::Fetching;
    auto control = std::make_shared<DownloadControl>(rules_.limits);
    // A redirect to a page of the run (planned, or another redirect's) is not fetched again:
    // a page is fetched once a run, by its final address.
    control->GateRedirects([this](const std::u16string& target) {
      std::lock_guard<std::mutex> hold(lock_);
      return MayRedirectTo(target);
    });
    page.control = control;
    const std::u16string url = page.progress.url;
    Scan scan(*this, index, page.progress.start);
    ++running_;
    hold.unlock();
    FetchedLinks fetched;
    try {
      fetched = fetch_(url, worker, *control, scan);
    } catch (const std::bad_alloc&) {
      fetched = {};
      fetched.reason = u"メモリが足りません。";
    }
    if (!control->RefusedRedirect().empty() && !control->Cancelled()) {
      // Its page is another's of the run: this one has ended, giving nothing of its own.
      fetched = {};
      fetched.status = DownloadStatus::Done;
    } else if (!scan.NotAPage().empty() && fetched.status == DownloadStatus::Done) {
      fetched.status = DownloadStatus::Failed;
      fetched.reason = scan.NotAPage();
    }
    const int passed = scan.Passed();
    hold.lock();
    --running_;
    Record(index, fetched, passed);
    changed_.notify_all();
  }
}

void PageCrawl::Record(std::size_t index, const FetchedLinks& fetched, int found) {
  Page& page = pages_[index];
  page.control.reset();
  // What a page gives after the cancel is not what was found when it came.
  if (page.progress.state == PageState::Cancelled) return;
  if (fetched.status == DownloadStatus::Done) {
    page.progress.state = PageState::Done;
    page.progress.found = found;
    leftOut_ += fetched.leftOut;
  } else if (fetched.status == DownloadStatus::Cancelled) {
    page.progress.state = PageState::Cancelled;
  } else {
    page.progress.state = PageState::Failed;
    page.progress.reason = fetched.reason;
  }
  PlanLinksOfEndedStarts();
  Advance();
}

// The links of a start page are planned once it and every start page before it ended (or as
// it is scanned, once every start page before it ended), so the pages the cap leaves out are
// the same however fast each server answers.
void PageCrawl::PlanLinksOfEndedStarts() {
  while (!cancelled_ && expanded_ < starts_ && Ended(pages_[expanded_].progress.state)) {
    const std::string links = std::move(pages_[expanded_].links);
    ForEachKept(links, [&](const std::u16string& link) {
      Plan(link, expanded_, false);
      return true;
    });
    ++expanded_;
  }
}

bool PageCrawl::Pass(std::size_t index, std::u16string_view url) {
  Page& page = pages_[index];
  if (page.progress.state == PageState::Cancelled || full_) return false;
  if (turn_ == index) return Emit(url, index);
  Keep(page.held, url);
  return true;
}

bool PageCrawl::Link(std::size_t index, std::u16string_view url) {
  if (pages_[index].progress.state == PageState::Cancelled || full_) return false;
  if (expanded_ != index) {
    Keep(pages_[index].links, url);
    return true;
  }
  Plan(std::u16string(url), index, false);
  changed_.notify_all();
  return true;
}

void PageCrawl::Advance() {
  while (turn_ < pages_.size() && !full_) {
    Page& page = pages_[turn_];
    if (page.progress.state != PageState::Cancelled) {
      const std::string held = std::move(page.held);
      bool room = true;
      ForEachKept(held, [&](const std::u16string& url) { return room = Emit(url, turn_); });
      if (!room) return;
    }
    page.held.clear();
    if (!Ended(page.progress.state)) return;  // its later URLs go on as they are found
    // Next: the start page's linked pages, planned by now, then the next start page.
    const std::size_t start = page.progress.start ? turn_ : page.parent;
    if (page.progress.start && page.firstLinked != kNone) {
      turn_ = page.firstLinked;
    } else if (!page.progress.start && turn_ + 1 < pages_.size() &&
               !pages_[turn_ + 1].progress.start && pages_[turn_ + 1].parent == start) {
      ++turn_;
    } else {
      turn_ = start + 1 < starts_ ? start + 1 : kNone;
    }
  }
}

bool PageCrawl::Emit(std::u16string_view url, std::size_t index) {
  if (full_) return false;
  if (!passed_.Insert(Utf16ToUtf8(url)).added) return true;
  if (sink_(url, pages_[index].finalUrl)) return true;
  Stop();
  full_ = true;
  return false;
}

void PageCrawl::Stop() {
  cancelled_ = true;
  for (Page& page : pages_) {
    if (page.progress.state == PageState::Fetching) page.control->Cancel();
    if (!Ended(page.progress.state)) page.progress.state = PageState::Cancelled;
  }
  changed_.notify_all();
}

void PageCrawl::Cancel() {
  std::lock_guard<std::mutex> hold(lock_);
  if (cancelled_) return;
  Stop();
  Advance();
}

std::vector<PageProgress> PageCrawl::Progress() const {
  std::lock_guard<std::mutex> hold(lock_);
  std::vector<PageProgress> progress;
  progress.reserve(pages_.size());
  for (const Page& page : pages_) progress.push_back(page.progress);
  return progress;
}

int PageCrawl::PagesOverCap() const {
  std::lock_guard<std::mutex> hold(lock_);
  return overCap_;
}

bool PageCrawl::Full() const {
  std::lock_guard<std::mutex> hold(lock_);
  return full_;
}

std::uint64_t PageCrawl::LeftOut() const {
  std::lock_guard<std::mutex> hold(lock_);
  return leftOut_;
}

}  // namespace cardo
