// cardo-cli check against link_server.py, started here on localhost: every answer a server
// gives a link check, and the limits on requests at once as the servers count them.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "app/platform/text.h"
#include "cli/check_command.h"
#include "tests/support/fakes.h"

namespace cardo {
namespace {

class CheckCommand : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // A proxy the machine sets for the world is not for these servers.
    setenv("no_proxy", "localhost,127.0.0.1", 1);
    dir = new testing::TempDir();
    const std::string folder = Utf16ToUtf8(dir->path());
    const std::string command = "python3 '" + std::string(CARDO_LINK_SERVER_SCRIPT) + "' '" +
                                folder + "' >/dev/null 2>&1 &";
    if (std::system(command.c_str()) != 0) return;
    for (int i = 0; i < 600; ++i) {
      std::istringstream ports(dir->Read(u"ports.txt"));
      if (ports >> https >> untrusted >> plain[0] >> plain[1] >> plain[2] >> refused >> plain[3] >>
          plain[4]) {
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    ca = folder + "ca.pem";
  }
  static void TearDownTestSuite() {
    dir->Write(u"stop", "");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    delete dir;
  }
  void SetUp() override { ASSERT_NE(refused, 0) << "link_server.py did not start"; }

  // Runs the command on `list`; its exit status, standard output and standard error.
  static int Run(std::vector<std::string> args, const std::string& list, std::string& out,
                 std::string& err) {
    dir->Write(u"list.txt", list);
    args.push_back(Utf16ToUtf8(dir->File(u"list.txt")));
    std::FILE* o = std::tmpfile();
    std::FILE* e = std::tmpfile();
    const int status = cli::RunCheck(args, stdin, o, e);
    for (auto [file, text] : {std::pair{o, &out}, std::pair{e, &err}}) {
      std::fflush(file);
      std::rewind(file);
      text->clear();
      char chunk[4096];
      std::size_t n;
      while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) text->append(chunk, n);
      std::fclose(file);
    }
    return status;
  }
  // The most requests each plain port had at once ("all": in all) since the last call.
  static std::map<std::string, int> ServerStats() {
    std::map<std::string, int> most;
    std::FILE* fetched = popen(("curl -s " + Plain(0, "/stats")).c_str(), "r");
    if (!fetched) return most;
    char row[256];
    while (std::fgets(row, sizeof row, fetched)) {
      std::istringstream fields(row);
      std::string port;
      int requests = 0;
      fields >> port >> requests;
      most[port] = requests;
    }
    pclose(fetched);
    return most;
  }
  static std::string Plain(int which, const std::string& path) {
    return "http://127.0.0.1:" + std::to_string(plain[which]) + path;
  }

  static testing::TempDir* dir;
  static int plain[5], https, untrusted, refused;
  static std::string ca;
};
testing::TempDir* CheckCommand::dir = nullptr;
int CheckCommand::plain[5] = {}, CheckCommand::https = 0, CheckCommand::untrusted = 0,
    CheckCommand::refused = 0;
std::string CheckCommand::ca;

TEST_F(CheckCommand, EveryAnswerGivesItsLineInListOrder) {
  const std::string h = Plain(0, "");
  const std::string secure = "https://localhost:" + std::to_string(https);
  const std::string selfSigned = "https://localhost:" + std::to_string(untrusted);
  const std::string closed = "http://127.0.0.1:" + std::to_string(refused) + "/";
  const struct {
    std::string url;
    std::string line;  // without the URL itself, which ends every line
  } cases[] = {
      {h + "/ok-length", "200\t1234\ttext/plain\t" + h + "/ok-length"},
      {h + "/ok-nolength", "200\t-\ttext/html\t" + h + "/ok-nolength"},
      {h + "/404", "404\t-\t-\t" + h + "/404"},
      {h + "/410", "410\t-\t-\t" + h + "/410"},
      {h + "/500", "500\t-\t-\t" + h + "/500"},
      // HEAD refused or dropped: GET of the first byte, the size from its range or length.
      {h + "/head405", "206\t5000\tapplication/zip\t" + h + "/head405"},
      {h + "/head403", "200\t100000\tapplication/zip\t" + h + "/head403"},
      {h + "/head-close", "206\t777\tapplication/zip\t" + h + "/head-close"},
      {h + "/r301", "200\t1234\ttext/plain\t" + h + "/ok-length"},
      {h + "/loop", "LOOP\t-\t-\t" + h + "/loop2"},
      {h + "/raw-location", "404\t-\t-\t" + h + "/%E8%AA%9E"},
      {h + "/hop/0", "REDIRECTS\t-\t-\t" + h + "/hop/10"},
      {h + "/slow", "TIMEOUT\t-\t-\t" + h + "/slow"},
      {closed, "REFUSED\t-\t-\t" + closed},
      {secure + "/ok-length", "200\t1234\ttext/plain\t" + secure + "/ok-length"},
      {selfSigned + "/ok-length", "TLS\t-\t-\t" + selfSigned + "/ok-length"},
      {"http://nx.invalid/", "DNS\t-\t-\thttp://nx.invalid/"},
      {"ftp://127.0.0.1/x", "NOT-CHECKED\t-\t-\tftp://127.0.0.1/x"},
      {"  mailto:a@b", "NOT-CHECKED\t-\t-\tmailto:a@b"},
  };
  std::string list, expected;
  for (const auto& c : cases) {
    list += c.url + "\r\n\r\n";  // blank lines are no URLs
    expected += c.line + "\t" + c.url + "\n";
  }
  std::string out, err;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Run({"--timeout", "0.8", "--ca-file", ca}, list, out, err), 1);
  EXPECT_EQ(out, expected);
  // The slow server is waited for once, at the same time as the rest.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  for (const char* reason : {"転送先が循環しています", "転送が10回を超えました",
                             "サーバーが時間内に応答しませんでした", "nx.invalid"}) {
    EXPECT_NE(err.find(reason), std::string::npos) << reason << " in " << err;
  }
}

TEST_F(CheckCommand, NeverMoreRequestsAtOnceThanTheLimitsAllow) {
  // 12 slow answers on each of three hosts, checked with 2 per host and 5 in all.
  ServerStats();  // counted afresh from here
  std::string list;
  for (int i = 0; i < 36; ++i) list += Plain(i % 3, "/wait?" + std::to_string(i)) + "\n";
  std::string out, err;
  ASSERT_EQ(Run({"--jobs", "5", "--per-host", "2"}, list, out, err), 0) << err;
  EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 36);
  auto most = ServerStats();
  for (int which = 0; which < 3; ++which) {
    EXPECT_EQ(most[std::to_string(plain[which])], 2) << "host " << which;
  }
  // More than one host's worth at once, never more than the total.
  EXPECT_GT(most["all"], 2);
  EXPECT_LE(most["all"], 5);
}

// Keep-alive holds across hosts as it does for one: twenty lines on each of five hosts open
// no more connections than the hosts may have requests at once, grouped by host or not.
TEST_F(CheckCommand, FiveHostsKeepTheirConnectionsAlive) {
  // The connections of the five hosts that carried a /wait request.
  const auto waited = [] {
    int connections = 0;
    for (int which = 0; which < 5; ++which) {
      std::FILE* fetched = popen(("curl -s " + Plain(which, "/waited") + " | wc -c").c_str(), "r");
      int bytes = 0;
      if (fetched && std::fscanf(fetched, "%d", &bytes) == 1) connections += bytes;
      if (fetched) pclose(fetched);
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
      const int host = c.grouped ? i / 20 : i % 5;
      list += Plain(host, "/wait?" + std::to_string(i)) + "\n";
    }
    const int before = waited();
    std::string out, err;
    EXPECT_EQ(Run(c.args, list, out, err), 0) << err;
    const int connections = waited() - before;
    EXPECT_LE(connections, c.most)
        << (c.grouped ? "grouped" : "interleaved") << " " << c.args.size();
  }
}

TEST_F(CheckCommand, AWrongCommandLineIsRefused) {
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--jobs", "0"},
                                               {"--per-host", "x"},
                                               {"--timeout", "0"},
                                               {"--timeout", "1.2345"},
                                               {"--bogus"}}) {
    std::string out, err;
    EXPECT_EQ(Run(args, "", out, err), 2) << args[0];
    EXPECT_EQ(err.rfind("cardo-cli: ", 0), 0u) << args[0];
    EXPECT_NE(err.find("cardo-cli check --help"), std::string::npos) << args[0];
  }
}

}  // namespace
}  // namespace cardo
