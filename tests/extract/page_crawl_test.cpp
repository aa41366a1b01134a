#include "app/extract/page_crawl.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <new>
#include <stdexcept>
#include <thread>

#include "app/platform/text.h"

namespace cardo {
namespace {

using namespace std::chrono_literals;

TEST(PageCrawl, ReadsOneAddressALine) {
  const StartAddresses starts = ReadStartAddresses(
      u"a.example/x\r\n\r\n  http://b/ \t\nhttp://a.example/x#top\nnot an address\r"
      u"https://c:99999/\n\u3000https://d/y");
  EXPECT_EQ(starts.urls,
            (std::vector<std::u16string>{u"http://a.example/x", u"http://b/", u"https://d/y"}));
  EXPECT_EQ(starts.invalidLines, (std::vector<int>{5, 6}));
}

TEST(PageCrawl, FollowsOnlyPagesOfTheSameSite) {
  const struct {
    const char16_t* link;
    bool follow;
  } cases[] = {
      {u"http://h/p/2.html", true},    {u"http://H:80/list?page=2", true},
      {u"http://h/dir/", true},        {u"http://h/view.php?img=a.jpg", true},
      {u"http://h/a.JPG", false},      {u"http://h/a.zip#x", false},
      {u"https://h/p.html", false},    {u"http://h:8080/p.html", false},
      {u"http://other/p.html", false}, {u"mailto:a@h", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsSameSitePage(u"http://h/index.html", c.link), c.follow) << Utf16ToUtf8(c.link);
  }
  EXPECT_TRUE(IsHtmlContentType("Text/HTML; charset=utf-8"));
  EXPECT_TRUE(IsHtmlContentType(""));
  EXPECT_FALSE(IsHtmlContentType("image/jpeg"));
}

TEST(PageCrawl, ScansAStartPageOnlyWhenItIsHtmlOrText) {
  const struct {
    const char* type;
    bool scanned;
  } cases[] = {
      {"text/html; charset=utf-8", true},
      {"", true},
      {"application/xhtml+xml", true},
      {" Text/Plain", true},
      {"text/css", true},
      {"application/zip", false},
      {"image/jpeg", false},
      {"application/octet-stream", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsScannedStartType(c.type), c.scanned) << c.type;
  EXPECT_EQ(NotAPageReason("application/zip; x=1"),
            u"HTML でもテキストでもない (application/zip) ため、抜き出しませんでした。");
}

// A site the tests make up: each page's found URLs, answered after a delay of its own.
struct FakeSite {
  struct Page {
    std::vector<std::u16string> found;
    std::chrono::milliseconds delay{1};
    bool fails = false;
    std::string contentType = "text/html";
    std::u16string redirect;  // answered by a redirect there, as the download follows it
  };
  std::map<std::u16string, Page> pages;
  std::map<std::u16string, int> fetches;
  std::mutex lock;
  std::atomic<int> now{0}, most{0};

  PageFetcher Fetcher() {
    return [this](const std::u16string& url, int, DownloadControl& control, PageLinks& links) {
      most = std::max(most.load(), ++now);
      FetchedLinks fetched;
      Page page;
      std::u16string final = url;
      {
        std::lock_guard<std::mutex> hold(lock);
        ++fetches[url];
        page = pages[url];
      }
      if (!page.redirect.empty()) {
        if (!control.MayFollow(page.redirect)) return fetched;
        final = page.redirect;
        std::lock_guard<std::mutex> hold(lock);
        ++fetches[final];
        page = pages[final];
      }
      const auto until = std::chrono::steady_clock::now() + page.delay;
      while (std::chrono::steady_clock::now() < until && !control.Cancelled()) {
        std::this_thread::sleep_for(1ms);
      }
      --now;
      if (control.Cancelled()) {
        fetched.status = DownloadStatus::Cancelled;
      } else if (page.fails) {
        fetched.reason = u"HTTP/1.1 404 Not Found";
      } else {
        fetched.status = DownloadStatus::Done;
        if (links.Begin(final, page.contentType)) {
          for (const std::u16string& found : page.found) {
            if (!links.Found(found)) break;
          }
        }
      }
      return fetched;
    };
  }
};

// What a run passed on, in the order it came, with the page of each.
struct Passed {
  std::mutex lock;
  std::vector<std::u16string> urls, pages;
  std::size_t room = static_cast<std::size_t>(-1);  // what the sink takes, as a list's room

  CrawlSink Sink() {
    return [this](std::u16string_view url, std::u16string_view page) {
      std::lock_guard<std::mutex> hold(lock);
      if (urls.size() >= room) return false;
      urls.emplace_back(url);
      pages.emplace_back(page);
      return true;
    };
  }
  std::size_t size() {
    std::lock_guard<std::mutex> hold(lock);
    return urls.size();
  }
};

std::u16string Number(int n) {
  std::u16string text;
  for (char c : std::to_string(n)) text += static_cast<char16_t>(c);
  return text;
}

// An index linking to `pages` pages of ten images each, the early pages the slowest, so that
// they end in the opposite order; and links that must not be followed.
void MakeGallery(FakeSite& site, int pages) {
  FakeSite::Page& index = site.pages[u"http://g/"];
  index.found = {u"http://g/logo.jpg", u"http://other/p.html", u"http://g/#top",
                 u"http://g/big.zip"};
  for (int p = 1; p <= pages; ++p) {
    const std::u16string page = u"http://g/p" + Number(p) + u".html";
    index.found.push_back(page);
    index.found.push_back(page + u"#again");
    FakeSite::Page& linked = site.pages[page];
    linked.delay = std::chrono::milliseconds(2 * (pages - p) + 1);
    linked.found.push_back(u"http://g/");  // back to the index: never a second fetch
    for (int i = 1; i <= 10; ++i) {
      linked.found.push_back(u"http://g/img/" + Number(p) + u"-" + Number(i) + u".jpg");
    }
    linked.found.push_back(u"http://g/logo.jpg");
  }
}

TEST(PageCrawl, GalleryGivesEachImageOnceInPageOrder) {
  FakeSite site;
  MakeGallery(site, 20);
  site.pages[u"http://g/p7.html"].fails = true;
  site.pages[u"http://g/p9.html"].contentType = "image/jpeg";
  CrawlRules rules;
  rules.depth = 1;
  Passed passed;
  PageCrawl crawl({u"http://g/"}, rules, u"*.jpg", site.Fetcher(), passed.Sink());
  crawl.Run();

  std::vector<std::u16string> expected{u"http://g/logo.jpg"};
  for (int p = 1; p <= 20; ++p) {
    if (p == 7 || p == 9) continue;
    for (int i = 1; i <= 10; ++i) {
      expected.push_back(u"http://g/img/" + Number(p) + u"-" + Number(i) + u".jpg");
    }
  }
  EXPECT_EQ(passed.urls, expected);
  EXPECT_EQ(passed.pages[0], u"http://g/");
  EXPECT_EQ(passed.pages[1], u"http://g/p1.html");
  EXPECT_EQ(site.fetches.size(), 21u);
  for (const auto& [url, times] : site.fetches) EXPECT_EQ(times, 1) << Utf16ToUtf8(url);
  EXPECT_LE(site.most.load(), kMaxPagesInFlight);
  EXPECT_GT(site.most.load(), 1);

  const std::vector<PageProgress> progress = crawl.Progress();
  ASSERT_EQ(progress.size(), 21u);
  EXPECT_TRUE(progress[0].start);
  EXPECT_EQ(progress[0].found, 1);
  EXPECT_EQ(progress[7].state, PageState::Failed);
  EXPECT_EQ(progress[7].reason, u"HTTP/1.1 404 Not Found");
  EXPECT_EQ(progress[9].state, PageState::Done);
  EXPECT_EQ(progress[9].found, 0);
  EXPECT_EQ(progress[20].found, 11);
}

TEST(PageCrawl, CapAndDepthLimitThePagesFetched) {
  const struct {
    int depth, maxPages;
    std::size_t fetched, links;
    int overCap;
  } cases[] = {
      {0, 200, 1, 1, 0},
      {1, 5, 5, 41, 16},
      {1, 1, 1, 1, 20},
  };
  for (const auto& c : cases) {
    FakeSite site;
    MakeGallery(site, 20);
    CrawlRules rules;
    rules.depth = c.depth;
    rules.maxPages = c.maxPages;
    Passed passed;
    PageCrawl crawl({u"http://g/"}, rules, u"*.jpg", site.Fetcher(), passed.Sink());
    crawl.Run();
    EXPECT_EQ(site.fetches.size(), c.fetched) << c.maxPages;
    EXPECT_EQ(passed.size(), c.links) << c.maxPages;
    EXPECT_EQ(crawl.PagesOverCap(), c.overCap) << c.maxPages;
  }
}

TEST(PageCrawl, SeveralStartPagesKeepTheirOrder) {
  FakeSite site;
  site.pages[u"http://a/"] = {{u"http://a/1.jpg", u"http://x/same.jpg"}, 30ms};
  site.pages[u"http://b/"] = {{u"http://x/same.jpg", u"http://b/2.jpg"}, 1ms};
  CrawlRules rules;
  rules.maxPages = 1;  // holds back linked pages only: every page typed is fetched
  Passed passed;
  PageCrawl crawl({u"http://a/", u"http://b/"}, rules, u"*.jpg", site.Fetcher(), passed.Sink());
  crawl.Run();
  EXPECT_EQ(passed.urls, (std::vector<std::u16string>{u"http://a/1.jpg", u"http://x/same.jpg",
                                                      u"http://b/2.jpg"}));
}

TEST(PageCrawl, APageIsFetchedOnceARunWhateverRedirectLeadsToIt) {
  for (const bool redirectFirst : {false, true}) {
    FakeSite site;
    FakeSite::Page& index = site.pages[u"http://g/"];
    index.found = {u"http://g/p5.html", u"http://g/redir.html", u"http://g/moved.html"};
    if (redirectFirst) std::swap(index.found[0], index.found[1]);
    site.pages[u"http://g/p5.html"].found = {u"http://g/5.jpg"};
    site.pages[u"http://g/redir.html"].redirect = u"http://g/p5.html";
    site.pages[u"http://g/moved.html"].redirect = u"http://g/p6.html";
    site.pages[u"http://g/p6.html"].found = {u"http://g/6.jpg"};
    site.pages[u"http://g/zip"].contentType = "application/zip";
    site.pages[u"http://g/zip"].found = {u"http://g/junk.jpg"};
    CrawlRules rules;
    rules.depth = 1;
    // One at a time, so the index's links are all planned before a redirect is asked about
    // (with several, a redirect that comes first claims its page, which is then not planned).
    rules.inFlight = 1;
    Passed passed;
    PageCrawl crawl({u"http://g/", u"http://g/zip"}, rules, u"*.jpg", site.Fetcher(),
                    passed.Sink());
    crawl.Run();
    EXPECT_EQ(passed.urls, (std::vector<std::u16string>{u"http://g/5.jpg", u"http://g/6.jpg"}));
    EXPECT_EQ(site.fetches[u"http://g/p5.html"], 1);
    EXPECT_EQ(site.fetches[u"http://g/p6.html"], 1);
    const std::vector<PageProgress> progress = crawl.Progress();
    ASSERT_EQ(progress.size(), 5u);
    for (const PageProgress& page : progress) {
      if (page.url == u"http://g/zip") {
        EXPECT_EQ(page.state, PageState::Failed);
        EXPECT_EQ(page.reason, NotAPageReason("application/zip"));
      } else {
        EXPECT_EQ(page.state, PageState::Done) << Utf16ToUtf8(page.url);
      }
    }
    // A page the cap held back is fetched through a redirect that the cap let through: that
    // fetch is already counted.
    if (!redirectFirst) continue;
    rules.maxPages = 3;
    site.fetches.clear();
    Passed cappedPassed;
    PageCrawl capped({u"http://g/", u"http://g/zip"}, rules, u"*.jpg", site.Fetcher(),
                     cappedPassed.Sink());
    capped.Run();
    EXPECT_EQ(cappedPassed.urls, (std::vector<std::u16string>{u"http://g/5.jpg"}));
    EXPECT_EQ(site.fetches[u"http://g/p5.html"], 1);
    EXPECT_EQ(capped.PagesOverCap(), 1);  // moved.html
  }
}

TEST(PageCrawl, CancelKeepsWhatWasFound) {
  FakeSite site;
  MakeGallery(site, 20);
  for (int p = 6; p <= 20; ++p) site.pages[u"http://g/p" + Number(p) + u".html"].delay = 1h;
  CrawlRules rules;
  rules.depth = 1;
  rules.inFlight = 1;  // one at a time: the first five pages end before the sixth hangs
  Passed passed;
  PageCrawl crawl({u"http://g/"}, rules, u"*.jpg", site.Fetcher(), passed.Sink());
  std::thread run([&] { crawl.Run(); });
  // Once the sixth is asked for, the fifth has ended (its last URL goes out before it ends).
  const auto sixthAsked = [&] {
    std::lock_guard<std::mutex> hold(site.lock);
    return site.fetches.count(u"http://g/p6.html") != 0;
  };
  for (int i = 0; i < 5000 && !sixthAsked(); ++i) std::this_thread::sleep_for(1ms);
  crawl.Cancel();
  run.join();
  EXPECT_EQ(passed.size(), 51u);
  const std::vector<PageProgress> progress = crawl.Progress();
  ASSERT_EQ(progress.size(), 21u);
  EXPECT_EQ(progress[5].state, PageState::Done);
  for (std::size_t i = 6; i < progress.size(); ++i) {
    EXPECT_EQ(progress[i].state, PageState::Cancelled) << i;
  }
  EXPECT_EQ(site.fetches.size(), 7u);
}

// A list that can take no more stops the run: no page is fetched or scanned after it, and
// what fit stays.
TEST(PageCrawl, AFullListStopsTheRun) {
  FakeSite site;
  MakeGallery(site, 20);
  CrawlRules rules;
  rules.depth = 1;
  rules.inFlight = 1;
  Passed passed;
  passed.room = 25;  // the logo and the first two pages' images, then half the third's
  PageCrawl crawl({u"http://g/"}, rules, u"*.jpg", site.Fetcher(), passed.Sink());
  crawl.Run();
  EXPECT_TRUE(crawl.Full());
  EXPECT_EQ(passed.size(), 25u);
  EXPECT_EQ(passed.urls.back(), u"http://g/img/3-4.jpg");
  EXPECT_EQ(site.fetches.size(), 4u);
  const std::vector<PageProgress> progress = crawl.Progress();
  EXPECT_EQ(progress[3].state, PageState::Cancelled);
  EXPECT_EQ(progress[4].state, PageState::Cancelled);
}

// A failure on one of the run's threads stops the run and reaches its caller once every
// thread has ended, wherever it happens: a fetch, or the sink the found URLs go to.
TEST(PageCrawl, AFailureOnAnyThreadStopsTheRunAndReachesItsCaller) {
  for (const bool inSink : {false, true}) {
    FakeSite site;
    MakeGallery(site, 8);
    CrawlRules rules;
    rules.depth = 1;
    rules.inFlight = 4;
    PageFetcher fetch = site.Fetcher();
    PageFetcher failing = [&](const std::u16string& url, int worker, DownloadControl& control,
                              PageLinks& links) {
      if (!inSink && url == u"http://g/p5.html") throw std::runtime_error("fetch");
      return fetch(url, worker, control, links);
    };
    std::atomic<int> taken{0};
    CrawlSink sink = [&](std::u16string_view, std::u16string_view) {
      if (inSink && ++taken == 12) throw std::bad_alloc();
      return true;
    };
    PageCrawl crawl({u"http://g/"}, rules, u"*.jpg", failing, sink);
    if (inSink) {
      EXPECT_THROW(crawl.Run(), std::bad_alloc);
    } else {
      EXPECT_THROW(crawl.Run(), std::runtime_error);
    }
  }
}

// A page's URLs go on while it is scanned when every page before it has ended, however long
// the rest of it takes.
TEST(PageCrawl, AStartPagesUrlsGoOnAsItIsScanned) {
  std::atomic<bool> release{false};
  Passed passed;
  PageFetcher fetch = [&](const std::u16string&, int, DownloadControl&, PageLinks& links) {
    FetchedLinks fetched;
    fetched.status = DownloadStatus::Done;
    links.Begin(u"http://g/", "text/html");
    links.Found(u"http://g/first.jpg");
    for (int i = 0; i < 5000 && !release; ++i) std::this_thread::sleep_for(1ms);
    links.Found(u"http://g/second.jpg");
    return fetched;
  };
  PageCrawl crawl({u"http://g/"}, {}, u"*.jpg", fetch, passed.Sink());
  std::thread run([&] { crawl.Run(); });
  for (int i = 0; i < 5000 && passed.size() < 1; ++i) std::this_thread::sleep_for(1ms);
  EXPECT_EQ(passed.size(), 1u);  // while the page is still being scanned
  release = true;
  run.join();
  EXPECT_EQ(passed.urls,
            (std::vector<std::u16string>{u"http://g/first.jpg", u"http://g/second.jpg"}));
}

}  // namespace
}  // namespace cardo
