// The table of server behaviours (http_behaviours.h) through this build's HTTP stack: libcurl
// natively, WinHTTP under Wine; the page download, the link check's verdict and the JSON post
// each where a row applies. The silence limit is short here; the programs' is 30 s.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <optional>

#include "app/check/link_check.h"
#include "app/net/http_post.h"
#include "app/net/page_download.h"
#include "app/platform/text.h"
#include "tests/net/http_behaviours.h"
#include "tests/net/http_places.h"
#include "tests/support/fakes.h"

namespace cardo {
namespace {

using namespace std::chrono_literals;
using testing::Behaviour;
using testing::Places;

constexpr auto kSilence = 1500ms;

class HttpFaces : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
#ifndef _WIN32
    // A proxy the machine sets for the world is not for these servers.
    setenv("no_proxy", "127.0.0.1,localhost", 1);
#endif
    tls = new testing::ScriptServer(CARDO_TLS_SERVER_SCRIPT);
    client = new HttpClient(SystemHttpStack({testing::NativeCaFile(*tls)}));
  }
  static void TearDownTestSuite() {
    delete client;
    delete tls;
  }
  void SetUp() override {
    ASSERT_TRUE(tls->ready()) << "tls_server.py did not start";
  }

  static testing::ScriptServer* tls;
  static HttpClient* client;
};
testing::ScriptServer* HttpFaces::tls = nullptr;
HttpClient* HttpFaces::client = nullptr;

TEST_F(HttpFaces, ThePageDownloadGivesEveryRowsOutcome) {
  for (const Behaviour& row : testing::Behaviours()) {
    if (!(row.faces & testing::kDownload)) continue;
    Places places(row, *tls);
    testing::TempDir dir;
    DownloadControl control({kSilence, row.pageBytes});
    const DownloadOutcome outcome =
        DownloadPage(*client, places.Fill16(row.ask), dir.File(u"page"), control);
    const testing::Expected expected = places.Expect(row);
    if (expected.failure == HttpFailure::None) {
      EXPECT_EQ(outcome.status, DownloadStatus::Done)
          << row.name << ": " << Utf16ToUtf8(outcome.reason);
      EXPECT_EQ(dir.Read(u"page"), row.body) << row.name;
      EXPECT_EQ(Utf16ToUtf8(outcome.finalUrl), places.FinalUrl(row)) << row.name;
    } else {
      EXPECT_EQ(outcome.status, DownloadStatus::Failed) << row.name;
      EXPECT_EQ(outcome.failure, expected.failure) << row.name;
      EXPECT_EQ(Utf16ToUtf8(outcome.reason), Utf16ToUtf8(expected.reason)) << row.name;
    }
    EXPECT_TRUE(places.OtherUntouched(row)) << row.name;
  }
}

TEST_F(HttpFaces, TheLinkCheckGivesEveryRowsVerdict) {
  const auto transports = HttpLinkTransports(SystemHttpStack({testing::NativeCaFile(*tls)}));
  const std::atomic<bool> never{false};
  for (const Behaviour& row : testing::Behaviours()) {
    if (!(row.faces & testing::kCheck)) continue;
    Places places(row, *tls);
    const auto transport = transports();
    const LinkResult result = CheckOneLink(places.Fill16(row.ask), *transport, kSilence, never);
    const testing::Expected expected = places.Expect(row);
    EXPECT_EQ(Utf16ToUtf8(StatusText(result)), expected.check) << row.name;
    // A failure says the download's words; an answer, none.
    const bool answered =
        !expected.check.empty() && expected.check[0] >= '0' && expected.check[0] <= '9';
    EXPECT_EQ(Utf16ToUtf8(result.reason), answered ? "" : Utf16ToUtf8(expected.reason)) << row.name;
    if (!row.finalUrl.empty() && row.ask.find('#') == std::string::npos) {
      EXPECT_EQ(Utf16ToUtf8(result.finalUrl), places.FinalUrl(row)) << row.name;
    }
  }
}

TEST_F(HttpFaces, TheJsonPostGivesEveryRowsOutcome) {
  for (const Behaviour& row : testing::Behaviours()) {
    if (!(row.faces & testing::kPost)) continue;
    Places places(row, *tls);
    const PostResponse response = PostJson(*client, places.Fill16(row.ask), "{}", kSilence);
    const testing::Expected expected = places.Expect(row);
    if (expected.failure == HttpFailure::None) {
      EXPECT_TRUE(response.answered) << row.name << ": " << Utf16ToUtf8(response.failure);
      EXPECT_EQ(response.body, row.body) << row.name;
    } else {
      EXPECT_FALSE(response.answered) << row.name;
      EXPECT_EQ(Utf16ToUtf8(response.failure), Utf16ToUtf8(expected.reason)) << row.name;
    }
    EXPECT_TRUE(places.OtherUntouched(row)) << row.name;
  }
}

}  // namespace
}  // namespace cardo
