#include "app/extract/page_crawl.h"

#include <algorithm>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

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

PageCrawl::PageCrawl(std::vector<std::u16string> starts, CrawlRules rules,
                     std::u16string_view filterText, PageFetcher fetch)
    : rules_(rules), filter_(filterText), fetch_(std::move(fetch)) {
  for (std::u16string& url : starts) Plan(url, pages_.size(), true);
  starts_ = pages_.size();
}

bool PageCrawl::Plan(const std::u16string& url, std::size_t parent, bool start) {
  std::u16string key = PageKey(url);
  if (planned_.contains(key)) return false;
  // The pages typed are all fetched; the cap holds back the pages they link to.
  if (!start && static_cast<int>(pages_.size()) >= rules_.maxPages) {
    if (heldBack_.insert(std::move(key)).second) ++overCap_;
    return false;
  }
  planned_.insert(std::move(key));
  Page page;
  page.progress.url = url;
  page.progress.start = start;
  page.parent = parent;
  pages_.push_back(std::move(page));
  return true;
}

void PageCrawl::Run() {
  std::vector<std::thread> helpers;
  for (int worker = 1; worker < rules_.inFlight; ++worker) {
    try {
      helpers.emplace_back(&PageCrawl::Work, this, worker);
    } catch (const std::system_error&) {
      break;  // fewer downloads at a time, as many as the system gave threads for
    }
  }
  Work(0);
  for (std::thread& helper : helpers) helper.join();
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
    const bool start = page.progress.start;
    ++running_;
    hold.unlock();
    FetchedLinks fetched;
    try {
      fetched = fetch_(url, worker, *control);
    } catch (const std::bad_alloc&) {
      fetched = {};
      fetched.reason = u"メモリが足りません。";
    }
    if (!control->RefusedRedirect().empty() && !control->Cancelled()) {
      // Its page is another's of the run: this one has ended, giving nothing of its own.
      fetched = {};
      fetched.status = DownloadStatus::Done;
      fetched.finalUrl = control->RefusedRedirect();
    }
    if (start && fetched.status == DownloadStatus::Done &&
        !IsScannedStartType(fetched.contentType)) {
      fetched.status = DownloadStatus::Failed;
      fetched.reason = NotAPageReason(fetched.contentType);
    }
    Judged judged;
    // A linked page that turns out to be no page (an image behind a script's address) is no
    // text to scan.
    if (fetched.status == DownloadStatus::Done &&
        (start || IsHtmlContentType(fetched.contentType))) {
      std::unordered_set<std::u16string_view> passed;  // an image and its link are one URL
      for (const std::u16string& found : fetched.found) {
        if (filter_.AppendCount(found) > 0 && passed.insert(found).second) {
          judged.passed.push_back(found);
        }
        if (start && rules_.depth > 0 && IsSameSitePage(fetched.finalUrl, found)) {
          judged.links.push_back(found);
        }
      }
    }
    hold.lock();
    --running_;
    Record(index, std::move(fetched), std::move(judged));
    changed_.notify_all();
  }
}

bool PageCrawl::MayRedirectTo(const std::u16string& target) {
  std::u16string key = PageKey(target);
  if (heldBack_.erase(key) > 0) --overCap_;
  return planned_.insert(std::move(key)).second;
}

void PageCrawl::Record(std::size_t index, FetchedLinks fetched, Judged judged) {
  Page& page = pages_[index];
  page.control.reset();
  // What a page gives after the cancel is not what was found when it came.
  if (page.progress.state == PageState::Cancelled) return;
  if (fetched.status == DownloadStatus::Done) {
    page.progress.state = PageState::Done;
    page.finalUrl = std::move(fetched.finalUrl);
    page.passed = std::move(judged.passed);
    page.links = std::move(judged.links);
    page.progress.found = static_cast<int>(page.passed.size());
    leftOut_ += fetched.leftOut;
    if (page.progress.start) planned_.insert(PageKey(page.finalUrl));
  } else if (fetched.status == DownloadStatus::Cancelled) {
    page.progress.state = PageState::Cancelled;
  } else {
    page.progress.state = PageState::Failed;
    page.progress.reason = std::move(fetched.reason);
  }
  PlanLinksOfEndedStarts();
}

// The links of a start page are planned once it and every start page before it ended, so the
// pages the cap leaves out are the same however fast each server answers.
void PageCrawl::PlanLinksOfEndedStarts() {
  while (!cancelled_ && expanded_ < starts_ && Ended(pages_[expanded_].progress.state)) {
    const std::vector<std::u16string> links = std::move(pages_[expanded_].links);
    for (const std::u16string& link : links) Plan(link, expanded_, false);
    ++expanded_;
  }
}

void PageCrawl::Cancel() {
  std::lock_guard<std::mutex> hold(lock_);
  cancelled_ = true;
  for (Page& page : pages_) {
    if (page.progress.state == PageState::Fetching) page.control->Cancel();
    if (!Ended(page.progress.state)) page.progress.state = PageState::Cancelled;
  }
  changed_.notify_all();
}

std::vector<PageProgress> PageCrawl::Progress() const {
  std::lock_guard<std::mutex> hold(lock_);
  std::vector<PageProgress> progress;
  progress.reserve(pages_.size());
  for (const Page& page : pages_) progress.push_back(page.progress);
  return progress;
}

std::vector<CrawlLink> PageCrawl::Links() const {
  std::lock_guard<std::mutex> hold(lock_);
  std::vector<std::vector<std::size_t>> linked(starts_);
  for (std::size_t i = starts_; i < pages_.size(); ++i) linked[pages_[i].parent].push_back(i);
  std::vector<CrawlLink> links;
  std::unordered_set<std::u16string> seen;
  const auto take = [&](const Page& page) {
    for (const std::u16string& url : page.passed) {
      if (seen.insert(url).second) links.push_back({url, page.finalUrl});
    }
  };
  for (std::size_t s = 0; s < starts_; ++s) {
    take(pages_[s]);
    for (const std::size_t i : linked[s]) take(pages_[i]);
  }
  return links;
}

int PageCrawl::PagesOverCap() const {
  std::lock_guard<std::mutex> hold(lock_);
  return overCap_;
}

std::uint64_t PageCrawl::LeftOut() const {
  std::lock_guard<std::mutex> hold(lock_);
  return leftOut_;
}

}  // namespace cardo
