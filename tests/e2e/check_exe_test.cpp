// cardo-cli.exe check's run over WinHTTP against link_server.py, started here on localhost
// with its test CA trusted by the system: the same answers as the native face gives.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

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
  ASSERT_EQ(ports.size(), 6u);
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

}  // namespace
}  // namespace cardo
