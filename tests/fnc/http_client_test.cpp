// The HTTP client against a server the test starts on the loopback address, natively over BSD
// sockets and under Wine over Winsock.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "app/platform/file_system.h"
#include "app/platform/text.h"
#include "fnc/http_client.h"
#include "fnc/http_network.h"
#include "fnc/http_output.h"
#include "tests/support/fakes.h"
#include "tests/support/loopback_server.h"

namespace cardo::fnc {
namespace {

using cardo::testing::LoopbackServer;
using cardo::testing::ServerScript;
using cardo::testing::TempDir;

struct Fetched {
  HttpResult result;
  std::vector<std::string> reports;
  std::string file;
};

Fetched Fetch(const std::string& url, const std::u16string& path) {
  Fetched f;
  auto network = MakeSystemNetwork();
  StdioOutput output(Utf16ToUtf8(path));
  f.result = FetchHttp(
      url, *network, output, [&](const std::string& line) { f.reports.push_back(line); },
      [] { return std::string("12:34:56"); });
  f.file = SystemFileSystem().ReadAll(path).value_or("<missing>");
  return f;
}

std::string Local(std::uint16_t port) {
  return "127.0.0.1:" + std::to_string(port);
}

constexpr char kAgent[] = "User-Agent: GetHTTP/1.00 ([Cardo]https://cardo.example/)\r\n\r\n";

TEST(HttpClient, RequestLineAndHost) {
  const struct {
    std::string pathAndQuery;  // after the host and port
    std::string requestLine;
  } cases[] = {
      {"", "GET / HTTP/1.0\r\n"},
      {"/", "GET / HTTP/1.0\r\n"},
      {"/dir/a.html?x=1#frag", "GET /dir/a.html?x=1#frag HTTP/1.0\r\n"},
      {"/a b", "GET /a b HTTP/1.0\r\n"},  // sent verbatim
  };
  for (const auto& c : cases) {
    TempDir dir;
    LoopbackServer server({"HTTP/1.0 200 OK\r\n\r\nok"});
    const auto f = Fetch("HTTP://" + Local(server.port()) + c.pathAndQuery, dir.File(u"o.htm"));
    EXPECT_EQ(f.result, kHttpOk);
    EXPECT_EQ(server.request(),
              c.requestLine + "Host: 127.0.0.1:" + std::to_string(server.port()) + "\r\n" + kAgent);
  }
  EXPECT_EQ(BuildRequest({"example.com", 80, "/"}),
            std::string("GET / HTTP/1.0\r\nHost: example.com:80\r\n") + kAgent);
}

TEST(HttpClient, RefusedUrls) {
  const struct {
    std::string url;
    HttpResult result;
    const char* report;
  } cases[] = {
      {"ftp://example.com/", kHttpNotHttp, "Error: httpのURLではありません\n"},
      {"http:/", kHttpNotHttp, "Error: httpのURLではありません\n"},
      {"http://" + std::string(256, 'h') + "/", kHttpBadUrl, "Error: URLが長すぎるか不正です\n"},
      {"http://h/" + std::string(9000, 'p'), kHttpBadUrl, "Error: URLが長すぎるか不正です\n"},
      {"http://h:65536/", kHttpBadUrl, "Error: URLが長すぎるか不正です\n"},
      {"http://h:8a/", kHttpBadUrl, "Error: URLが長すぎるか不正です\n"},
      {"http://h:-80/", kHttpBadUrl, "Error: URLが長すぎるか不正です\n"},
      {"http://h/a\r\nX-Injected: 1", kHttpBadUrl, "Error: URLが長すぎるか不正です\n"},
      {"http://h/a\tb", kHttpBadUrl, "Error: URLが長すぎるか不正です\n"},
  };
  for (const auto& c : cases) {
    TempDir dir;
    const auto f = Fetch(c.url, dir.File(u"o.htm"));
    EXPECT_EQ(f.result, c.result) << c.url.substr(0, 40);
    EXPECT_EQ(f.reports, std::vector<std::string>{c.report});
    EXPECT_EQ(f.file, "<missing>");
  }
  for (const char* url : {"http://h:+18081/", "http://h: 18081/", "http://h:  +18081"}) {
    const auto parsed = ParseHttpUrl(url);
    EXPECT_EQ(parsed.code, kHttpOk) << url;
    EXPECT_EQ(parsed.target.port, 18081) << url;
  }
  for (const char* url : {"http://h:18081 /", "http://h:+-1/", "http://h:1+1/"}) {
    EXPECT_EQ(ParseHttpUrl(url).code, kHttpBadUrl) << url;
  }
  EXPECT_EQ(ParseHttpUrl("http://h/" + std::string(8000, 'p')).code, kHttpOk);
  EXPECT_EQ(ParseHttpUrl("http://" + std::string(255, 'h')).code, kHttpOk);
}

TEST(HttpClient, FailuresBeforeTheTransferLeaveTheFileAlone) {
  TempDir dir;
  dir.Write(u"o.htm", "previous");
  const auto unresolved = Fetch("http://nonexistent.invalid/", dir.File(u"o.htm"));
  EXPECT_EQ(unresolved.result, kHttpResolve);
  EXPECT_EQ(unresolved.reports.back(), "Error: ホストアドレス取得失敗\n");
  EXPECT_EQ(unresolved.file, "previous");

  const auto refused =
      Fetch("http://" + Local(LoopbackServer::ClosedPort()) + "/", dir.File(u"o.htm"));
  EXPECT_EQ(refused.result, kHttpConnect);
  EXPECT_EQ(refused.reports,
            (std::vector<std::string>{"[12:34:56] サーバーの情報を取得しています...\n",
                                      "Error: サーバへの接続失敗\n"}));
  EXPECT_EQ(refused.file, "previous");

  const auto portZero = Fetch("http://127.0.0.1:/", dir.File(u"o.htm"));
  EXPECT_EQ(portZero.result, kHttpConnect);
}

TEST(HttpClient, OutputInAMissingFolder) {
  TempDir dir;
  LoopbackServer server({"HTTP/1.0 200 OK\r\n\r\nbody"});
  std::u16string path = dir.File(u"missing");
  path += PathSeparator();
  path += u"o.htm";
  const auto f = Fetch("http://" + Local(server.port()) + "/", path);
  EXPECT_EQ(f.result, kHttpFile);
  EXPECT_EQ(f.reports.back(), "Error: ファイルオープンに失敗しました\n");
}

// A file that cannot take the response is result 8, never a success: natively a full device,
// whose failure shows only when the written bytes are flushed.
TEST(HttpClient, AnOutputThatCannotBeWrittenIsAFileError) {
#ifdef _WIN32
  GTEST_SKIP() << "no full device";
#else
  LoopbackServer server({"HTTP/1.0 200 OK\r\n\r\nsmall"});
  auto network = MakeSystemNetwork();
  StdioOutput output("/dev/full");
  std::vector<std::string> reports;
  EXPECT_EQ(FetchHttp("http://" + Local(server.port()) + "/", *network, output,
                      [&](const std::string& line) { reports.push_back(line); }),
            kHttpFile);
  EXPECT_EQ(reports.back(), "Error: ファイルオープンに失敗しました\n");
#endif
}

// While the server stalls, the file already holds what arrived.
TEST(HttpClient, TheFileHoldsWhatArrivedWhileTheServerStalls) {
  TempDir dir;
  LoopbackServer server({"HTTP/1.0 200 OK\r\n\r\nfirst part", 25, std::string::npos, 25});
  std::thread fetch([&] { Fetch("http://" + Local(server.port()) + "/", dir.File(u"o.htm")); });
  bool arrived = false;
  for (int i = 0; i < 500 && !arrived; ++i) {
    arrived = dir.Read(u"o.htm") == "HTTP/1.0 200 OK\r\r\n\r\r\nfirst ";
    if (!arrived) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  server.Release();
  fetch.join();
  EXPECT_TRUE(arrived) << dir.Read(u"o.htm");
}

TEST(HttpClient, EverythingTheServerSendsIsSaved) {
  const struct {
    const char* name;
    ServerScript script;
    std::string file;
  } cases[] = {
      {"error page",
       {"HTTP/1.0 404 Not Found\r\nContent-Type: text/html\r\n\r\n<h1>404</h1>"},
       "HTTP/1.0 404 Not Found\r\r\nContent-Type: text/html\r\r\n\r\r\n<h1>404</h1>"},
      {"bare LF", {"a\nb\n"}, "a\r\nb\r\n"},
      {"zero bytes", {std::string("a\0b\0\nc", 6)}, std::string("a\0b\0\r\nc", 7)},
      {"one byte at a time", {"HTTP/1.0 200 OK\n\nslow", 1}, "HTTP/1.0 200 OK\r\n\r\nslow"},
      {"nothing at all", {""}, ""},
  };
  for (const auto& c : cases) {
    TempDir dir;
    LoopbackServer server(c.script);
    const auto f = Fetch("http://" + Local(server.port()) + "/", dir.File(u"o.htm"));
    EXPECT_EQ(f.result, kHttpOk) << c.name;
    EXPECT_EQ(f.file, c.file) << c.name;
    EXPECT_EQ(f.reports.back(), "[12:34:56] 正常にファイルを取得しました。\n") << c.name;
  }
}

TEST(HttpClient, ReportLines) {
  TempDir dir;
  LoopbackServer server({"0123456789", 5});
  const auto f = Fetch("http://" + Local(server.port()) + "/", dir.File(u"o.htm"));
  ASSERT_GE(f.reports.size(), 5u);
  EXPECT_EQ(f.reports[0], "[12:34:56] サーバーの情報を取得しています...\n");
  EXPECT_EQ(f.reports[1], "[12:34:56] サーバーにファイルをリクエストしています...\n");
  EXPECT_EQ(f.reports[2], "[12:34:56] ファイルを受信しています...0バイト\n");
  EXPECT_EQ(f.reports[f.reports.size() - 2], "[12:34:56] ファイルを受信しています...10バイト\n");
  EXPECT_EQ(ReportTime().size(), 8u);
}

TEST(HttpClient, ResetMidBodyKeepsWhatArrived) {
  TempDir dir;
  const std::string response = "HTTP/1.0 200 OK\r\n\r\n" + std::string(10000, 'x');
  LoopbackServer server({response, 0, 5000});
  const auto f = Fetch("http://" + Local(server.port()) + "/", dir.File(u"o.htm"));
  EXPECT_EQ(f.result, kHttpOk);
  EXPECT_EQ(f.reports.back(), "Error: サーバからの受信失敗\n");
  std::string expected;
  AppendWithCrLf(response, expected);
  EXPECT_LE(f.file.size(), expected.size());
  EXPECT_EQ(f.file, expected.substr(0, f.file.size()));
}

TEST(HttpClient, FiftyMegabyteBody) {
  TempDir dir;
  std::string body(50u << 20, 'x');
  for (std::size_t i = 99; i < body.size(); i += 100) body[i] = '\n';
  LoopbackServer server({"HTTP/1.0 200 OK\n\n" + body});
  const auto f = Fetch("http://" + Local(server.port()) + "/", dir.File(u"o.htm"));
  EXPECT_EQ(f.result, kHttpOk);
  ASSERT_EQ(f.file.size(), body.size() + body.size() / 100 + 19);
  EXPECT_EQ(f.file.substr(f.file.size() - 4), "xx\r\n");
}

}  // namespace
}  // namespace cardo::fnc
