// The third manager's files read by the real tools: aria2c and curl fetch every URL of an
// exported list from a web server the test runs on 127.0.0.1, and nothing else.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "app/export/export.h"
#include "app/platform/codec.h"
#include "app/platform/text.h"
#include "tests/support/fakes.h"

namespace cardo {
namespace {

// Answers every GET with a small body and records the request targets.
class RecordingServer {
 public:
  RecordingServer() {
    listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(listener_, reinterpret_cast<sockaddr*>(&at), sizeof at);
    ::listen(listener_, 64);
    socklen_t length = sizeof at;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&at), &length);
    port_ = ntohs(at.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~RecordingServer() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
  }
  int port() const { return port_; }
  std::multiset<std::string> Targets() {
    std::lock_guard<std::mutex> hold(lock_);
    return targets_;
  }

 private:
  void Serve() {
    while (!stop_) {
      pollfd ready{listener_, POLLIN, 0};
      if (::poll(&ready, 1, 50) <= 0) continue;
      const int client = ::accept(listener_, nullptr, nullptr);
      if (client < 0) continue;
      std::string request;
      char buffer[4096];
      while (request.find("\r\n\r\n") == std::string::npos) {
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<std::size_t>(n));
      }
      const std::size_t space = request.find(' ');
      const std::size_t end = request.find(' ', space + 1);
      if (space != std::string::npos && end != std::string::npos) {
        std::lock_guard<std::mutex> hold(lock_);
        targets_.insert(request.substr(space + 1, end - space - 1));
      }
      const std::string response =
          "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nConnection: close\r\n\r\nok";
      ::send(client, response.data(), response.size(), MSG_NOSIGNAL);
      ::close(client);
    }
  }
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex lock_;
  std::multiset<std::string> targets_;
  std::thread thread_;
};

bool Installed(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

class DownloadTools : public ::testing::TestWithParam<OtherFormat> {};

TEST_P(DownloadTools, FetchEveryUrlOfTheListAndNothingElse) {
  const bool aria2 = GetParam() == OtherFormat::Aria2;
  if (!Installed(aria2 ? "aria2c" : "curl")) GTEST_SKIP() << "the tool is not installed";
  RecordingServer server;
  const std::string host = "http://127.0.0.1:" + std::to_string(server.port());
  std::vector<std::string> targets = {"/a%20b.zip", "/%93%FA%96%7B%8C%EA.zip", "/get?id=7&k=x"};
  for (int i = 0; targets.size() < 20; ++i)
    targets.push_back("/files/f" + std::to_string(i) + ".jpg");
  std::vector<std::u16string> lines;
  for (const auto& t : targets) lines.push_back(Utf8ToUtf16(host + t));

  testing::TempDir dir;
  const std::u16string file = dir.File(aria2 ? u"TEMP.ARIA2" : u"TEMP.CURL");
  dir.Write(aria2 ? u"TEMP.ARIA2" : u"TEMP.CURL", WideToAnsi(OtherExportText(GetParam(), lines)));
  const std::string out = Utf16ToUtf8(dir.File(u"out"));
  const std::string command =
      aria2
          ? "aria2c -q --allow-overwrite=true -j 4 -d '" + out + "' -i '" + Utf16ToUtf8(file) + "'"
          : "curl -s -f --create-dirs --output-dir '" + out + "' -K '" + Utf16ToUtf8(file) + "'";
  EXPECT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_EQ(server.Targets(), std::multiset<std::string>(targets.begin(), targets.end()));
}

INSTANTIATE_TEST_SUITE_P(Aria2AndCurl, DownloadTools,
                         ::testing::Values(OtherFormat::Aria2, OtherFormat::Curl));

}  // namespace
}  // namespace cardo
