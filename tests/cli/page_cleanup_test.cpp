// The built cardo-cli, killed by a signal in the middle of a download, leaves no page file in
// the temporary folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/platform/text.h"
#include "tests/support/fakes.h"
#include "tests/support/loopback_server.h"

extern char** environ;

namespace cardo {
namespace {

// The cardo-page-* files in `folder` and their sizes.
std::vector<std::uintmax_t> PageFiles(const std::filesystem::path& folder) {
  std::vector<std::uintmax_t> sizes;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().filename().string().rfind("cardo-page-", 0) == 0) {
      sizes.push_back(entry.file_size());
    }
  }
  return sizes;
}

TEST(PageCleanup, ASignalMidDownloadLeavesNoPageFile) {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    testing::ServerScript endless{"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n"};
    endless.endless = "<a href=\"x.zip\">x</a>\r\n";
    endless.pause = std::chrono::milliseconds(1);
    testing::LoopbackServer server(endless);
    testing::TempDir dir;
    const std::filesystem::path folder = Utf16ToUtf8(dir.path());
    const std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/";
    std::vector<std::string> words = {CARDO_CLI, "extract", "--url", url};
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    std::vector<std::string> settings = {"TMPDIR=" + folder.string(), "no_proxy=127.0.0.1"};
    std::vector<char*> env;
    for (std::string& s : settings) env.push_back(s.data());
    env.push_back(nullptr);
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, CARDO_CLI, nullptr, nullptr, argv.data(), env.data()), 0);
    // Killed once the page has begun to arrive.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    for (;;) {
      const auto sizes = PageFiles(folder);
      if (!sizes.empty() && sizes[0] > 0) break;
      ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "no page arrived";
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    kill(pid, signal);
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
    EXPECT_TRUE(PageFiles(folder).empty()) << signal;
    server.Release();
  }
}

}  // namespace
}  // namespace cardo
