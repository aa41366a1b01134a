// The download of each face (the HTTP client over libcurl natively, over WinHTTP in the Windows
// build) against servers that misbehave in time: silence within the head or the body, a slow
// but live server, a page past its limit. The silence limit is set small here; the programs'
// is 30 s.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "app/platform/file_system.h"
#include "app/platform/text.h"
#include "cli/cli_io.h"
#include "cli/page_fetch.h"
#include "tests/support/compressed.h"
#include "tests/support/fakes.h"
#include "tests/support/loopback_server.h"

namespace cardo {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kSilence = 1500ms;

std::string Gzipped(const std::string& text) {
  return testing::Compressed(text, 31);
}

std::string Headers(const std::string& fields) {
  return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n" + fields + "\r\n";
}

struct Fetched {
  DownloadOutcome outcome;
  Clock::duration took;
  std::string body;
};

Fetched Fetch(testing::ServerScript script, long long pageBytes = 1LL << 30) {
#ifndef _WIN32
  setenv("no_proxy", "127.0.0.1", 1);
#endif
  testing::LoopbackServer server(std::move(script));
  testing::TempDir dir;
  DownloadControl control({kSilence, pageBytes});
  const std::u16string url =
      Utf8ToUtf16("http://127.0.0.1:" + std::to_string(server.port()) + "/page.html");
  const auto start = Clock::now();
  const HttpClient client(SystemHttpStack());
  Fetched fetched{DownloadPage(client, url, dir.File(u"page"), control), {}, {}};
  fetched.took = Clock::now() - start;
  fetched.body = dir.Read(u"page");
  server.Release();
  return fetched;
}

TEST(PageFetch, ACutSilentOrEndlessAnswerIsAFailureThatSaysWhy) {
  const std::string cut = Utf16ToUtf8(CutShortReason(0, -1));
  const std::string late = Utf16ToUtf8(MakeHttpError(HttpFailure::TimedOut).reason);
  const struct {
    const char* shape;
    testing::ServerScript script;
    std::string reason;  // in the failure's reason; empty: any reason
  } cases[] = {
      {"body shorter than its length", {Headers("Content-Length: 100\r\n") + "<a href=x>"}, cut},
      {"headers then close", {Headers("Content-Length: 10\r\n")}, cut},
      {"chunked body cut off", {Headers("Transfer-Encoding: chunked\r\n") + "5\r\nhello\r\n"}, cut},
      {"gzip body cut off",
       {Headers("Content-Encoding: gzip\r\n") + Gzipped(std::string(5000, 'a')).substr(0, 30)},
       cut},
      {"header block never ended", {"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"}, ""},
      {"silent after the request",
       {Headers("Content-Length: 4\r\n") + "page", 0, std::string::npos, 0},
       late},
      {"silent within the headers",
       {Headers("Content-Length: 4\r\n") + "page", 1, std::string::npos, 20},
       late},
      {"silent within the body",
       {Headers("Content-Length: 10\r\n") + "<a href=x>", 1, std::string::npos,
        Headers("Content-Length: 10\r\n").size() + 3},
       late},
      {"headers without end",
       {"HTTP/1.1 200 OK\r\n", 0, std::string::npos, std::string::npos, 1ms,
        "X-More: 0123456789012345678901234567890123456789\r\n"},
       ""},
  };
  for (const auto& c : cases) {
    const Fetched fetched = Fetch(c.script);
    EXPECT_EQ(fetched.outcome.status, DownloadStatus::Failed) << c.shape;
    const std::string reason = Utf16ToUtf8(fetched.outcome.reason);
    EXPECT_NE(reason.find(c.reason), std::string::npos) << c.shape << ": " << reason;
    EXPECT_LT(fetched.took, 4 * kSilence) << c.shape;
  }
}

TEST(PageFetch, ASlowButLiveServerIsWaitedFor) {
  // A body byte every 0.4 s: the whole body takes longer than the silence limit, no gap does.
  testing::ServerScript slow{Headers("Content-Length: 8\r\n") + "<a href>"};
  slow.wholeFirst = Headers("Content-Length: 8\r\n").size();
  slow.piece = 1;
  slow.pause = 400ms;
  const Fetched fetched = Fetch(slow);
  EXPECT_EQ(fetched.outcome.status, DownloadStatus::Done) << Utf16ToUtf8(fetched.outcome.reason);
  EXPECT_EQ(fetched.body, "<a href>");
  EXPECT_GT(fetched.took, kSilence);
}

TEST(PageFetch, APageStopsAtItsLimitDecodedSize) {
  const long long limit = 64 * 1024;
  const std::string page(limit + 1, 'a');
  const struct {
    const char* shape;
    std::string response;
    DownloadStatus status;
  } cases[] = {
      {"at the limit", Headers("Content-Length: 65536\r\n") + page.substr(1), DownloadStatus::Done},
      {"a byte past it", Headers("Content-Length: 65537\r\n") + page, DownloadStatus::Failed},
      {"no length, past it", Headers("Connection: close\r\n") + page, DownloadStatus::Failed},
      // 64 KB that unpack to 64 MiB.
      {"a gzip bomb", Headers("Content-Encoding: gzip\r\n") + Gzipped(std::string(64 << 20, '\0')),
       DownloadStatus::Failed},
  };
  for (const auto& c : cases) {
    const Fetched fetched = Fetch({c.response}, limit);
    EXPECT_EQ(fetched.outcome.status, c.status) << c.shape;
    if (c.status == DownloadStatus::Done) continue;
    EXPECT_EQ(fetched.outcome.reason, TooLargeReason(limit)) << c.shape;
    EXPECT_LE(fetched.body.size(), static_cast<std::size_t>(limit)) << c.shape;
  }
}

// A console event ends cardo-cli.exe while the download writes the page or the scan reads it:
// its handler removes the file then, so neither may keep it from being removed while open,
// and the name is gone once the file is closed.
TEST(PageFetch, ThePageFileCanBeRemovedWhileItIsWrittenOrRead) {
  const struct {
    const char* opener;
    bool reader;
  } cases[] = {{"the download's page file", false}, {"the scan's input", true}};
  for (const auto& c : cases) {
    testing::TempDir dir;
    const std::u16string path = dir.File(u"crd1.tmp");
    dir.Write(u"crd1.tmp", "<a href=\"x.zip\">");
    DownloadControl control;
    PageFile written(path, control);
    ASSERT_TRUE(written.Write("<a href=\"y.zip\">")) << c.opener;
    std::FILE* read = c.reader ? cli::OpenFile(Utf16ToUtf8(path), "rb") : nullptr;
    if (c.reader) ASSERT_NE(read, nullptr) << c.opener;
    EXPECT_TRUE(SystemFileSystem().Remove(path)) << c.opener;
    if (read) std::fclose(read);
    written.Close();
    EXPECT_EQ(SystemFileSystem().Probe(path), PathKind::Missing) << c.opener;
  }
}

}  // namespace
}  // namespace cardo
