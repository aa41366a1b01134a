// The link check's rules and its scheduling, against a scripted transport (the HTTP stacks
// themselves meet real servers in check_command_test).
#include "app/check/link_check.h"
#include "app/check/link_check_list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <mutex>
#include <new>
#include <thread>

#include "app/list/memory_url_list.h"
#include "app/platform/text.h"

namespace cardo {
namespace {

using namespace std::chrono_literals;

// Answers by URL, HEAD and GET alike unless a "GET " entry says otherwise; counts the
// requests under way per host as the scheduler must bound them.
struct Script {
  std::map<std::u16string, LinkAnswer> answers;
  std::chrono::milliseconds latency{0};
  std::mutex lock;
  std::map<std::u16string, int> now, most;
  int nowAll = 0, mostAll = 0, transports = 0, requests = 0;
};

LinkAnswer Failed(LinkFailure failure) {
  LinkAnswer answer;
  answer.failure = failure;
  answer.reason = u"the stack's reason";
  return answer;
}

class ScriptedTransport final : public LinkTransport {
 public:
  explicit ScriptedTransport(Script& script) : script_(script) {}
  LinkAnswer Ask(const LinkRequest& request, const std::atomic<bool>& cancelled) override {
    const std::u16string host = LinkHostKey(*ParseUrl(request.url));
    {
      std::lock_guard<std::mutex> hold(script_.lock);
      script_.most[host] = std::max(script_.most[host], ++script_.now[host]);
      script_.mostAll = std::max(script_.mostAll, ++script_.nowAll);
      ++script_.requests;
    }
    std::this_thread::sleep_for(script_.latency);
    LinkAnswer answer;
    answer.status = 200;
    if (!request.head && script_.answers.count(u"GET " + request.url)) {
      answer = script_.answers.at(u"GET " + request.url);
    } else if (script_.answers.count(request.url)) {
      answer = script_.answers.at(request.url);
    }
    if (cancelled) answer = Failed(LinkFailure::Cancelled);
    std::lock_guard<std::mutex> hold(script_.lock);
    --script_.now[host];
    --script_.nowAll;
    return answer;
  }

 private:
  Script& script_;
};

LinkAnswer Status(int status, std::string location = {}) {
  LinkAnswer answer;
  answer.status = status;
  answer.location = std::move(location);
  return answer;
}

LinkTransportFactory Factory(Script& script) {
  return [&script]() -> std::unique_ptr<LinkTransport> {
    std::lock_guard<std::mutex> hold(script.lock);
    ++script.transports;
    return std::make_unique<ScriptedTransport>(script);
  };
}

TEST(LinkCheck, AnswersTheServerGivesAndTheirVerdicts) {
  Script script;
  const LinkAnswer closed = Failed(LinkFailure::Closed);
  script.answers = {
      {u"http://h/304", Status(304)},
      {u"http://h/no-location", Status(302)},
      {u"http://h/to-ftp", Status(301, "ftp://h/file")},
      {u"http://h/closed", closed},
      {u"GET http://h/closed", closed},
      // The fallback's own redirect is followed with HEAD again.
      {u"http://h/405", Status(405)},
      {u"GET http://h/405", Status(302, "/gone")},
      {u"http://h/gone", Status(404)},
      {u"http://h/refused", Failed(LinkFailure::Refused)},
      {u"http://h/tls", Failed(LinkFailure::Tls)},
  };
  const struct {
    const char16_t* url;
    LinkVerdict verdict;
    const char16_t* status;
    const char16_t* finalUrl;
  } cases[] = {
      {u"http://h/304", LinkVerdict::Error, u"304", u"http://h/304"},
      {u"http://h/no-location", LinkVerdict::Error, u"302", u"http://h/no-location"},
      {u"http://h/to-ftp", LinkVerdict::NotChecked, u"NOT-CHECKED", u"ftp://h/file"},
      {u"http://h/closed", LinkVerdict::Error, u"CLOSED", u"http://h/closed"},
      {u"http://h/405", LinkVerdict::Dead, u"404", u"http://h/gone"},
      {u"http://h/refused", LinkVerdict::Dead, u"REFUSED", u"http://h/refused"},
      {u"http://h/tls", LinkVerdict::Error, u"TLS", u"http://h/tls"},
      {u"\thttp://h/fine ", LinkVerdict::Alive, u"200", u"http://h/fine"},
      {u"http://[::1/", LinkVerdict::NotChecked, u"NOT-CHECKED", u"http://[::1/"},
      {u"file:///etc/passwd", LinkVerdict::NotChecked, u"NOT-CHECKED", u"file:///etc/passwd"},
  };
  ScriptedTransport transport(script);
  const std::atomic<bool> never{false};
  for (const auto& c : cases) {
    const LinkResult result = CheckOneLink(c.url, transport, 1s, never);
    EXPECT_EQ(result.verdict, c.verdict) << Utf16ToUtf8(c.url);
    EXPECT_EQ(Utf16ToUtf8(StatusText(result)), Utf16ToUtf8(c.status)) << Utf16ToUtf8(c.url);
    EXPECT_EQ(Utf16ToUtf8(result.finalUrl), Utf16ToUtf8(c.finalUrl)) << Utf16ToUtf8(c.url);
  }
}

TEST(LinkCheck, RequestsAtOnceStayWithinTheLimitsAcrossRedirects) {
  Script script;
  script.latency = 5ms;
  std::vector<std::u16string> urls;
  for (int i = 0; i < 60; ++i) {
    const std::u16string n = Utf8ToUtf16(std::to_string(i));
    // Every third line of host a is sent on to host c, which no line names.
    urls.push_back(u"http://" + std::u16string(i % 2 ? u"A" : u"b") + u"/" + n);
    // The request names the host in lower case, as a browser sends it.
    const std::u16string sent = u"http://" + std::u16string(i % 2 ? u"a" : u"b") + u"/" + n;
    if (i % 3 == 0) script.answers[sent] = Status(302, "http://c/" + std::to_string(i));
  }
  urls.insert(urls.begin() + 7, u"not a url");
  std::vector<std::size_t> order;
  const std::atomic<bool> never{false};
  const auto results =
      CheckLinks(urls, {5, 2, 1s}, Factory(script), never,
                 [&](std::size_t index, const LinkResult&) { order.push_back(index); });
  ASSERT_EQ(results.size(), urls.size());
  for (std::size_t i = 0; i < urls.size(); ++i) {
    EXPECT_EQ(results[i].verdict, i == 7 ? LinkVerdict::NotChecked : LinkVerdict::Alive) << i;
  }
  EXPECT_EQ(order.size(), urls.size());
  for (const char16_t* host : {u"http://a:80", u"http://b:80", u"http://c:80"}) {
    EXPECT_EQ(script.most[host], 2) << Utf16ToUtf8(host);
  }
  EXPECT_GT(script.mostAll, 2);
  EXPECT_LE(script.mostAll, 5);
  EXPECT_LE(script.transports, 5);
}

// A sink that fails loses that line's result, not the run: the rest are checked and the
// failure reaches the caller at the end, with no worker left waiting.
TEST(LinkCheck, ASinkThatFailsReachesTheCallerOnceEveryLineIsDone) {
  Script script;
  std::vector<std::u16string> urls(40, u"http://h/x");
  urls[3] = u"not a url";  // reported from the adding thread
  for (const std::size_t failing : {std::size_t{3}, std::size_t{20}}) {
    std::atomic<int> reported{0};
    const std::atomic<bool> never{false};
    EXPECT_THROW(CheckLinks(urls, {4, 2, 1s}, Factory(script), never,
                            [&](std::size_t index, const LinkResult&) {
                              if (index == failing) throw std::bad_alloc();
                              ++reported;
                            }),
                 std::bad_alloc);
    EXPECT_EQ(reported, 39) << failing;
  }
}

TEST(LinkCheck, ACancelStartsNoFurtherRequest) {
  Script script;
  script.latency = 20ms;
  std::vector<std::u16string> urls(200, u"http://h/x");
  std::atomic<bool> cancelled{false};
  int reported = 0;
  const auto results =
      CheckLinks(urls, {}, Factory(script), cancelled, [&](std::size_t, const LinkResult&) {
        if (++reported == 8) cancelled = true;
      });
  EXPECT_LT(script.requests, 16);
  std::size_t notChecked = 0;
  for (const LinkResult& result : results) notChecked += result.verdict == LinkVerdict::NotChecked;
  EXPECT_GT(notChecked, 180u);
}

// Lines as they come: each is checked once, and no more are taken past the lookahead while
// the first line not reported waits, so a list of any length is held a window at a time.
TEST(LinkCheck, LinesAsTheyComeAreReadAheadNoFurtherThanTheWindow) {
  Script script;
  script.latency = 5ms;
  const std::atomic<bool> never{false};
  std::mutex lock;
  std::size_t reported = 0, added = 0, mostAhead = 0;
  std::vector<bool> seen(40);
  LinkCheckRun run({4, 4, 1s}, Factory(script), never, [&](std::size_t index, const LinkResult&) {
    std::lock_guard<std::mutex> hold(lock);
    seen[index] = true;
    ++reported;
  });
  LinkCheckRun windowed(
      {4, 4, 1s}, Factory(script), never,
      [&](std::size_t, const LinkResult&) {
        std::lock_guard<std::mutex> hold(lock);
        ++reported;
      },
      3);
  for (int i = 0; i < 40; ++i) {
    ASSERT_TRUE(run.Add(i == 20 ? u"not a url" : u"http://h/" + Utf8ToUtf16(std::to_string(i))));
  }
  run.Finish();
  EXPECT_EQ(reported, 40u);
  EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 40);
  for (int i = 0; i < 30; ++i) {
    ASSERT_TRUE(windowed.Add(u"http://h/" + Utf8ToUtf16(std::to_string(i))));
    std::lock_guard<std::mutex> hold(lock);
    ++added;
    mostAhead = std::max(mostAhead, added - (reported - 40));
  }
  windowed.Finish();
  EXPECT_EQ(reported, 70u);
  EXPECT_LE(mostAhead, 3u);
}

}  // namespace
}  // namespace cardo

namespace cardo {
namespace {

LinkResult Verdict(LinkVerdict verdict, std::u16string finalUrl = {}) {
  LinkResult result;
  result.verdict = verdict;
  result.finalUrl = std::move(finalUrl);
  return result;
}

TEST(LinkCheckList, ResultsApplyToTheLinesWhereverTheyNowStand) {
  const CheckedLinks checked{
      {u"http://h/dead", u"http://h/moved", u"http://h/timeout", u"http://h/moved-dead"},
      {Verdict(LinkVerdict::Dead, u"http://h/dead"), Verdict(LinkVerdict::Alive, u"http://h/new"),
       Verdict(LinkVerdict::Error, u"http://h/timeout"),
       Verdict(LinkVerdict::Dead, u"http://h/gone")}};
  // Lines added and moved since the check; the dead line twice.
  const std::vector<std::u16string> lines = {u"http://h/added", u"http://h/moved-dead",
                                             u"http://h/dead",  u"http://h/timeout",
                                             u"http://h/moved", u"http://h/dead"};
  MemoryUrlList list;
  list.AppendLines(lines, false);
  EXPECT_EQ(SelectFailedLines(list, checked), 4);
  EXPECT_EQ(list.SelectedIndices(), (std::vector<int>{1, 2, 3, 5}));
  LinkPages pages;
  pages.Record({lines.data() + 4, 1}, u"http://h/page", lines);
  EXPECT_EQ(ReplaceRedirectedLines(list, pages, checked), 1);  // a redirect to a dead end stays
  EXPECT_EQ(list.Line(4), u"http://h/new");
  EXPECT_EQ(pages.PageOf(u"http://h/new"), u"http://h/page");
  EXPECT_EQ(RemoveDeadLines(list, checked), 3);  // an error is no proof the link is dead
  EXPECT_EQ(list.Lines(),
            (std::vector<std::u16string>{u"http://h/added", u"http://h/timeout", u"http://h/new"}));
}

TEST(LinkCheckList, TwoSelectedLinesAreCheckedAloneOneIsWhereTheUserClicked) {
  MemoryUrlList list;
  list.AppendLines({u"http://a/", u" ", u"http://b/", u"http://c/"}, false);
  list.SetSelected(2, true);
  EXPECT_EQ(LinesToCheck(list),
            (std::vector<std::u16string>{u"http://a/", u"http://b/", u"http://c/"}));
  list.SetSelected(3, true);
  EXPECT_EQ(LinesToCheck(list), (std::vector<std::u16string>{u"http://b/", u"http://c/"}));
}

}  // namespace
}  // namespace cardo
