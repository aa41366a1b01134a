// The third manager's files read by the real tools: aria2c and curl fetch every URL of an
// exported list from a web server the test runs on 127.0.0.1, each once, each to a file of its
// own, and nothing else.
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
#include "tests/list/shell_fixture.h"
#include "tests/support/own_hosts.h"

namespace cardo {
namespace {

// Answers every GET with the request target as its body and records the targets; a connection
// that sends no HTTP request (a gopher or dict client) is recorded by its first line.
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
        pollfd readable{client, POLLIN, 0};
        if (::poll(&readable, 1, 500) <= 0) break;
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) break;
        request.append(buffer, static_cast<std::size_t>(n));
      }
      const std::string line = request.substr(0, request.find("\r\n"));
      const std::size_t space = line.find(' ');
      const std::size_t end = line.find(" HTTP/", space + 1);
      const std::string target = space != std::string::npos && end != std::string::npos
                                     ? line.substr(space + 1, end - space - 1)
                                     : "not HTTP: " + line;
      {
        std::lock_guard<std::mutex> hold(lock_);
        targets_.insert(target);
      }
      const std::string response =
          "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(target.size()) +
          "\r\nConnection: close\r\n\r\n" + target;
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

// Exports `lines` by the command the window runs and lets the format's tool fetch the file
// (aria2c reads the plain list too), `prefix` in front of its command line; the command, for
// a failure's message, and the tool's exit status.
struct Fetched {
  std::string command;
  int status;
};
Fetched ExportAndFetch(ExportFormat format, const std::vector<std::u16string>& lines,
                       const testing::TempDir& dir, const std::string& prefix = "") {
  testing::ShellFixture f;
  f.list.ReplaceAll(lines);
  dir.Write(u"manager", "");
  ExportListToOther(f.shell, dir.File(u"manager"), u"", format, dir.path());
  EXPECT_TRUE(f.ui.messages.empty());
  const std::string file = Utf16ToUtf8(dir.File(FormatRow(format).fileName));
  const std::string out = Utf16ToUtf8(dir.File(u"out"));
  const std::string command =
      prefix + (format == ExportFormat::Curl
                    ? "curl -s -f --create-dirs --output-dir '" + out + "' -K '" + file + "'"
                    : "aria2c -q --allow-overwrite=true --async-dns=false -j 4 -d '" + out +
                          "' -i '" + file + "'");
  return {command, std::system(command.c_str())};
}

class DownloadTools : public ::testing::TestWithParam<ExportFormat> {};

// One list with every shape that once lost or changed a download, exported by the command the
// window runs, and fetched by the tool its format is for (aria2c reads the plain list too). The
// aria2 and curl files also meet what a list must not send them and files of one name.
TEST_P(DownloadTools, FetchEveryUrlOfTheListExactlyOnceAndNothingElse) {
  const ExportFormat format = GetParam();
  const bool curl = format == ExportFormat::Curl;
  if (!Installed(curl ? "curl" : "aria2c")) GTEST_SKIP() << "the tool is not installed";
  RecordingServer server;
  const std::u16string host = Utf8ToUtf16("http://127.0.0.1:" + std::to_string(server.port()));
  const struct {
    std::u16string path;
    std::string requested;  // aria2c sends a quote as %22, curl as it is
  } urls[] = {
      {u"/a b.zip", "/a%20b.zip"},
      {u"/q\"uote.zip", "/q%22uote.zip"},
      {u"/back\\slash.zip", "/back/slash.zip"},
      {u"/a[1].zip", "/a[1].zip"},
      {u"/b{x,y}.zip", "/b%7Bx,y%7D.zip"},
      {u"/t\tab.zip", "/tab.zip"},
      {u"/lead.zip", "/lead.zip"},
      {u"/\u4E88\u5B9A\u8868.zip", "/%E4%BA%88%E5%AE%9A%E8%A1%A8.zip"},
      {u"/\u30BD\u80FD.zip", "/%E3%82%BD%E8%83%BD.zip"},
      {u"/\u00A5.zip", "/%C2%A5.zip"},
      {u"/caf\u00E9.zip", "/caf%C3%A9.zip"},
      {u"/\U0001F600.zip", "/%F0%9F%98%80.zip"},
      {u"/get?id=7&k=x", "/get?id=7&k=x"},
      {u"/", "/"},
      {u"/folder/", "/folder/"},
  };
  std::vector<std::u16string> lines;
  std::multiset<std::string> expected;
  for (const auto& u : urls) {
    lines.push_back(host + u.path);
    expected.insert(u.requested);
    if (u.path == u"/b{x,y}.zip") {
      lines.push_back(u"");
      lines.push_back(u"  out=renamed.bin");
    }
  }
  lines[6] = u" \t " + lines[6];
  testing::TempDir dir;
  dir.Write(u"secret.txt", "secret");
  const bool named = format != ExportFormat::Plain;
  if (named) {
    const std::u16string port = Utf8ToUtf16(std::to_string(server.port()));
    for (const std::u16string& line :
         {u"file://" + dir.File(u"secret.txt"), u"gopher://127.0.0.1:" + port + u"/_gopher",
          u"dict://127.0.0.1:" + port + u"/d:dict", u"HTTP://127.0.0.1:" + port + u"/Upper.ZIP"}) {
      lines.push_back(line);
    }
    expected.insert("/Upper.ZIP");
    for (const std::u16string path : {u"/search/?q=a/b", u"/?id=17", u"/#/route"}) {
      lines.push_back(host + path);
    }
    expected.insert({"/search/?q=a/b", "/?id=17", "/"});
    for (const char16_t n : std::u16string(u"12345")) {
      lines.push_back(host + u"/gallery0" + n + u"/cover.jpg");
      expected.insert("/gallery0" + std::string(1, static_cast<char>(n)) + "/cover.jpg");
    }
  }

  const auto [command, status] = ExportAndFetch(format, lines, dir);
  EXPECT_EQ(server.Targets(), expected) << command;
  EXPECT_EQ(dir.Read(u"out/renamed.bin"), "<missing>");
  if (!named) return;
  EXPECT_EQ(status, 0) << command;
  EXPECT_EQ(dir.Read(u"out/secret.txt"), "<missing>");
  const std::u16string covers[] = {u"cover.jpg", u"cover.1.jpg", u"cover.2.jpg", u"cover.3.jpg",
                                   u"cover.4.jpg"};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(dir.Read(u"out/" + covers[i]), "/gallery0" + std::to_string(i + 1) + "/cover.jpg");
  }
}

// A host beyond ASCII, resolved by the name the file gives it: the test's own mount namespace
// sees an /etc/hosts where the A-label is this machine, so only that form can reach the server.
TEST_P(DownloadTools, FetchAnInternationalHostByItsALabel) {
  const ExportFormat format = GetParam();
  const bool curl = format == ExportFormat::Curl;
  if (!Installed(curl ? "curl" : "aria2c")) GTEST_SKIP() << "the tool is not installed";
  testing::TempDir dir;
  const auto ownHosts = testing::OwnHostsPrefix(dir, "127.0.0.1 localhost xn--bcher-kva.example\n");
  if (!ownHosts) GTEST_SKIP() << "no mount namespace of our own here (unshare refused)";
  RecordingServer server;
  const std::u16string url = u"http://b\u00FCcher.example:" +
                             Utf8ToUtf16(std::to_string(server.port())) + u"/b\u00FCcher.zip";
  // No proxy: the name is this machine's alone.
  const std::string command =
      ExportAndFetch(format, {url}, dir, *ownHosts + "env -u http_proxy -u all_proxy -u ALL_PROXY ")
          .command;
  EXPECT_EQ(server.Targets(), std::multiset<std::string>{"/b%C3%BCcher.zip"}) << command;
}

INSTANTIATE_TEST_SUITE_P(PlainAria2AndCurl, DownloadTools,
                         ::testing::Values(ExportFormat::Plain, ExportFormat::Aria2,
                                           ExportFormat::Curl));

}  // namespace
}  // namespace cardo
