// cardo-cli.exe check's run over WinHTTP against link_server.py, started here on localhost
// with its test CA trusted by the system: the same answers as the native face gives.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/url/web_address.h"
#include "app/platform/text.h"
#include "cli/check_command.h"
#include "tests/e2e/web_pages.h"

namespace cardo {
namespace {

std::string Read(std::FILE* file) {
  std::fflush(file);
  std::rewind(file);
  std::string text;
  char chunk[4096];
  std::size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, n);
  std::fclose(file);
  return text;
}

TEST(CheckExe, EveryAnswerGivesTheLineTheNativeFaceGives) {
  e2e::WebPages servers(CARDO_LINK_SERVER_SCRIPT);
  ASSERT_TRUE(servers.ready()) << "link_server.py did not start or its CA was not trusted";
  const auto ports = servers.ports();
  ASSERT_EQ(ports.size(), 8u);
  const std::string h = "http://127.0.0.1:" + std::to_string(ports[2]);
  const std::string secure = "https://localhost:" + std::to_string(ports[0]);
  const std::string selfSigned = "https://localhost:" + std::to_string(ports[1]);
  const std::string closed = "http://127.0.0.1:" + std::to_string(ports[5]) + "/";
  const struct {
    std::string url;
    std::string line;
  } cases[] = {
      {h + "/ok-length", "200\t1234\ttext/plain\t" + h + "/ok-length"},
      {h + "/404", "404\t-\t-\t" + h + "/404"},
      {h + "/head405", "206\t5000\tapplication/zip\t" + h + "/head405"},
      {h + "/head403", "200\t100000\tapplication/zip\t" + h + "/head403"},
      {h + "/head-close", "206\t777\tapplication/zip\t" + h + "/head-close"},
      {h + "/r301", "200\t1234\ttext/plain\t" + h + "/ok-length"},
      {h + "/loop", "LOOP\t-\t-\t" + h + "/loop2"},
      {h + "/hop/0", "REDIRECTS\t-\t-\t" + h + "/hop/10"},
      {h + "/slow", "TIMEOUT\t-\t-\t" + h + "/slow"},
      {closed, "REFUSED\t-\t-\t" + closed},
      {secure + "/ok-length", "200\t1234\ttext/plain\t" + secure + "/ok-length"},
      {selfSigned + "/ok-length", "TLS\t-\t-\t" + selfSigned + "/ok-length"},
      {"http://nx.invalid/", "DNS\t-\t-\thttp://nx.invalid/"},
      {"ftp://127.0.0.1/x", "NOT-CHECKED\t-\t-\tftp://127.0.0.1/x"},
  };
  std::string list, expected;
  for (const auto& c : cases) {
    list += c.url + "\r\n";
    expected += c.line + "\t" + c.url + "\n";
  }
  testing::TempDir dir;
  dir.Write(u"list.txt", list);
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  EXPECT_EQ(cli::RunCheck({"--timeout", "1", Utf16ToUtf8(dir.File(u"list.txt"))}, stdin, out, err),
            1);
  EXPECT_EQ(Read(out), expected);
  EXPECT_NE(Read(err).find("nx.invalid"), std::string::npos);
}

TEST(CheckExe, ARawUtf8LocationIsFollowedOrItsFailureTold) {
  e2e::WebPages servers(CARDO_LINK_SERVER_SCRIPT);
  ASSERT_TRUE(servers.ready()) << "link_server.py did not start or its CA was not trusted";
  const std::string h = "http://127.0.0.1:" + std::to_string(servers.ports().at(2));
  testing::TempDir dir;
  dir.Write(u"list.txt", h + "/raw-location\r\n");
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  EXPECT_EQ(cli::RunCheck({Utf16ToUtf8(dir.File(u"list.txt"))}, stdin, out, err), 1);
  // Only a system with WinHttpQueryHeadersEx gives the header's bytes as sent.
  if (GetProcAddress(GetModuleHandleW(L"winhttp.dll"), "WinHttpQueryHeadersEx")) {
    EXPECT_EQ(Read(out), "404\t-\t-\t" + h + "/%E8%AA%9E\t" + h + "/raw-location\n");
    std::fclose(err);
  } else {
    EXPECT_EQ(Read(out), "ERROR\t-\t-\t" + h + "/raw-location\t" + h + "/raw-location\n");
    EXPECT_NE(Read(err).find(Utf16ToUtf8(kUnreadableLocationReason)), std::string::npos);
  }
}

TEST(CheckExe, OneHostsRequestsShareOneConnection) {
  e2e::WebPages servers(CARDO_LINK_SERVER_SCRIPT);
  ASSERT_TRUE(servers.ready()) << "link_server.py did not start or its CA was not trusted";
  const std::string h = "http://127.0.0.1:" + std::to_string(servers.ports().at(3));
  // One at a time, so a connection given back is there for the next request; /opened last
  // tells (as its size) how many connections the port accepted.
  std::string list;
  for (int i = 0; i < 8; ++i) list += h + "/wait?" + std::to_string(i) + "\r\n";
  list += h + "/opened\r\n";
  testing::TempDir dir;
  dir.Write(u"list.txt", list);
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  EXPECT_EQ(cli::RunCheck({"--jobs", "1", Utf16ToUtf8(dir.File(u"list.txt"))}, stdin, out, err), 0);
  const std::string lines = Read(out);
  EXPECT_NE(lines.find("200\t1\t-\t" + h + "/opened"), std::string::npos) << lines;
  std::fclose(err);
}

// Keep-alive holds across hosts as it does for one: twenty lines on each of five hosts open
// no more connections than the hosts may have requests at once.
TEST(CheckExe, FiveHostsKeepTheirConnectionsAlive) {
  e2e::WebPages servers(CARDO_LINK_SERVER_SCRIPT);
  ASSERT_TRUE(servers.ready()) << "link_server.py did not start or its CA was not trusted";
  const auto ports = servers.ports();
  ASSERT_EQ(ports.size(), 8u);
  const int hosts[] = {ports[2], ports[3], ports[4], ports[6], ports[7]};
  const auto address = [](int port, const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(port) + path;
  };
  testing::TempDir dir;
  // The connections of the five hosts that carried a /wait request.
  const auto waited = [&] {
    std::string list;
    for (const int port : hosts) list += address(port, "/waited") + "\r\n";
    dir.Write(u"waited.txt", list);
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    cli::RunCheck({Utf16ToUtf8(dir.File(u"waited.txt"))}, stdin, out, err);
    std::fclose(err);
    int connections = 0;
    const std::string lines = Read(out);
    for (std::size_t at = 0; at < lines.size(); at = lines.find('\n', at) + 1) {
      connections += std::atoi(lines.c_str() + lines.find('\t', at) + 1);
    }
    return connections;
  };
  const struct {
    std::vector<std::string> args;
    bool grouped;
    int most;  // hosts times requests at once to one host
  } cases[] = {
      {{}, true, 5 * 4},
      {{}, false, 5 * 4},
      {{"--jobs", "8", "--per-host", "8"}, false, 5 * 8},
  };
  for (const auto& c : cases) {
    std::string list;
    for (int i = 0; i < 100; ++i) {
      list += address(hosts[c.grouped ? i / 20 : i % 5], "/wait?" + std::to_string(i)) + "\r\n";
    }
    dir.Write(u"list.txt", list);
    const int before = waited();
    std::vector<std::string> args = c.args;
    args.push_back(Utf16ToUtf8(dir.File(u"list.txt")));
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    EXPECT_EQ(cli::RunCheck(args, stdin, out, err), 0);
    std::fclose(out);
    std::fclose(err);
    const int connections = waited() - before;
    EXPECT_LE(connections, c.most)
        << (c.grouped ? "grouped" : "interleaved") << " " << c.args.size();
  }
}

}  // namespace
}  // namespace cardo
