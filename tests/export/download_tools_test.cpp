// The third manager's files read by the real tools: aria2c and curl fetch every URL of an
// exported list from a web server the test runs on 127.0.0.1, each once, each to a file of its
// own, and nothing else.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <map>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>

#include "app/export/export.h"
#include "app/text/json.h"
#include "app/platform/codec.h"
#include "app/platform/text.h"
#include "cli/export_command.h"
#include "cli/messages.h"
#include "app/net/http_post.h"
#include "tests/list/shell_fixture.h"
#include "tests/support/loopback_server.h"
#include "tests/support/own_hosts.h"

extern char** environ;

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
  // Each request's target and its Referer ("" without one).
  std::multiset<std::pair<std::string, std::string>> Requests() {
    std::lock_guard<std::mutex> hold(lock_);
    return requests_;
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
      std::string referer;
      for (std::size_t at = request.find("\r\n"); at != std::string::npos;
           at = request.find("\r\n", at + 2)) {
        std::string header = request.substr(at + 2, request.find("\r\n", at + 2) - at - 2);
        for (std::size_t i = 0; i < header.size() && header[i] != ':'; ++i) {
          header[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(header[i])));
        }
        if (header.rfind("referer:", 0) == 0)
          referer = header.substr(header.find_first_not_of(' ', 8));
      }
      {
        std::lock_guard<std::mutex> hold(lock_);
        targets_.insert(target);
        requests_.insert({target, referer});
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
  std::multiset<std::pair<std::string, std::string>> requests_;
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

// Every file below `root`, by its path relative to it, with its bytes.
std::map<std::string, std::string> FilesBelow(const std::filesystem::path& root) {
  std::map<std::string, std::string> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root, error)) {
    if (!entry.is_regular_file()) continue;
    std::string bytes;
    if (std::FILE* file = std::fopen(entry.path().c_str(), "rb")) {
      char buffer[4096];
      for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        bytes.append(buffer, n);
      }
      std::fclose(file);
    }
    files[std::filesystem::relative(entry.path(), root).generic_string()] = bytes;
  }
  return files;
}

// The program's export with `options` and the template `arguments`, started as the program
// starts its manager but with the real curl, from `dir`: curl's exit status and the command.
Fetched ExportToCurl(const std::vector<std::u16string>& lines, const ExportOptions& options,
                     const std::u16string& arguments, const testing::TempDir& dir) {
  testing::ShellFixture f;
  f.list.ReplaceAll(lines);
  dir.Write(u"manager", "");
  ExportListToOther(f.shell, dir.File(u"manager"), arguments, ExportFormat::Curl, dir.path(), 1,
                    options);
  EXPECT_TRUE(f.ui.messages.empty());
  if (f.ui.started.size() != 1) return {"not started", -1};
  // The Windows command line reads alike in the shell: quoted paths without backslashes.
  std::string command = Utf16ToUtf8(f.ui.started[0]);
  // Other suites of this process set no_proxy for 127.0.0.1, which would keep a template's
  // proxy from seeing any request.
  command.replace(0, command.find(' '), "env -u no_proxy -u NO_PROXY curl -s");
  command = "cd '" + Utf16ToUtf8(dir.path()) + "' && " + command;
  const int status = std::system(command.c_str());
  return {command, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

// A target's scripted answer: `response`, whole.
testing::TargetScript Answering(std::string response) {
  testing::TargetScript target;
  target.script.response = std::move(response);
  return target;
}

// A file moved by a chain of redirects lands under its name with the final content; a missing
// or forbidden one leaves no file (no error page under the file's name) and fails curl, which
// exits with the status of its last URL.
TEST(CurlConfig, ARedirectChainLandsAsTheFileAndAnHttpErrorLeavesNone) {
  if (!Installed("curl")) GTEST_SKIP() << "curl is not installed";
  const auto answer = [](const std::string& status, const std::string& fields,
                         const std::string& body) {
    return Answering("HTTP/1.1 " + status + "\r\n" + fields + "Content-Length: " +
                     std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
  };
  testing::LoopbackServer server(std::map<std::string, testing::TargetScript>{
      {"/moved.zip", answer("301 Moved Permanently", "Location: /again\r\n", "")},
      {"/again", answer("308 Permanent Redirect", "Location: /files/final.zip\r\n", "")},
      {"/files/final.zip", answer("200 OK", "", "FINAL")},
      {"/missing.zip", answer("404 Not Found", "", "<html>no such file</html>")},
      {"/secret.zip", answer("403 Forbidden", "", "<html>forbidden</html>")},
      {"/ok.zip", answer("200 OK", "", "OK")}});
  const std::u16string origin = Utf8ToUtf16("http://127.0.0.1:" + std::to_string(server.port()));
  const struct {
    std::vector<std::u16string> paths;
    bool failed;  // curl's exit status: its last URL's
    std::map<std::string, std::string> files;
  } cases[] = {
      {{u"/moved.zip", u"/missing.zip", u"/secret.zip", u"/ok.zip"},
       false,
       {{"moved.zip", "FINAL"}, {"ok.zip", "OK"}}},
      {{u"/ok.zip", u"/missing.zip"}, true, {{"ok.zip", "OK"}}},
      {{u"/moved.zip", u"/secret.zip"}, true, {{"moved.zip", "FINAL"}}},
  };
  for (const auto& c : cases) {
    testing::TempDir dir;
    std::vector<std::u16string> lines;
    for (const std::u16string& path : c.paths) lines.push_back(origin + path);
    ExportOptions options;
    options.folder = dir.File(u"out");
    const auto [command, status] = ExportToCurl(lines, options, u"", dir);
    EXPECT_EQ(status != 0, c.failed) << command << " exited " << status;
    EXPECT_EQ(FilesBelow(Utf16ToUtf8(dir.File(u"out"))), c.files) << command;
  }
}

// The template's options reach every URL, though the file starts a part of its own for each
// Referer ("next"): a proxy given before or after "-K %1" takes every request, none goes
// straight to the server, and each still carries its own Referer.
TEST(CurlConfig, TheTemplatesOptionsReachEveryPartOfTheFile) {
  if (!Installed("curl")) GTEST_SKIP() << "curl is not installed";
  RecordingServer origin;
  const std::string host = "http://127.0.0.1:" + std::to_string(origin.port());
  std::vector<std::u16string> lines;
  for (int i = 0; i < 12; ++i) {
    lines.push_back(Utf8ToUtf16(host + "/d" + std::to_string(i % 4) + "/f" + std::to_string(i)));
  }
  ExportOptions options;
  options.referer = RefererRule::Url;
  for (const std::string arguments : {"-x \"http://127.0.0.1:{proxy}\" -K %1",
                                      "-K %1 --proxy http://127.0.0.1:{proxy} --no-progress-meter",
                                      "-K%1 -x http://127.0.0.1:{proxy}"}) {
    RecordingServer proxy;  // answers as the origin would, and counts what it was sent
    std::string templateText = arguments;
    templateText.replace(templateText.find("{proxy}"), 7, std::to_string(proxy.port()));
    testing::TempDir dir;
    options.folder = dir.File(u"out");
    const auto [command, status] = ExportToCurl(lines, options, Utf8ToUtf16(templateText), dir);
    EXPECT_EQ(status, 0) << command;
    std::multiset<std::pair<std::string, std::string>> expected;
    for (const std::u16string& line : lines) {
      expected.insert({Utf16ToUtf8(line), Utf16ToUtf8(line)});
    }
    EXPECT_EQ(proxy.Requests(), expected) << command;
    EXPECT_TRUE(origin.Targets().empty()) << command;
  }
}

struct OptionsCase {
  RefererRule referer;
  NameRule names;
};

// A running aria2c with its JSON-RPC interface on a free port of 127.0.0.1 and the secret
// "s", its own downloads going to `dir`; stopped with the object.
class Aria2Daemon {
 public:
  explicit Aria2Daemon(const std::string& dir, const std::vector<std::string>& more = {}) {
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(probe, reinterpret_cast<sockaddr*>(&at), sizeof at);
    socklen_t length = sizeof at;
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&at), &length);
    const std::string port = std::to_string(ntohs(at.sin_port));
    ::close(probe);
    address_ = "http://127.0.0.1:" + port + "/jsonrpc";
    std::vector<std::string> words = {"aria2c",
                                      "--no-conf",
                                      "-q",
                                      "--enable-rpc",
                                      "--rpc-listen-port=" + port,
                                      "--rpc-secret=s",
                                      "--dir=" + dir,
                                      "--async-dns=false",
                                      "-j",
                                      "4"};
    words.insert(words.end(), more.begin(), more.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    if (::posix_spawnp(&pid_, "aria2c", nullptr, nullptr, argv.data(), environ) != 0) pid_ = 0;
  }
  ~Aria2Daemon() {
    if (pid_ == 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  const std::string& address() const { return address_; }
  // aria2's global numbers ("numActive" ...), or nothing without an answer.
  std::optional<JsonValue> Stat() const {
    const PostResponse response = PostJson(
        HttpClient(SystemHttpStack()), Utf8ToUtf16(address_),
        R"({"jsonrpc":"2.0","id":"t","method":"aria2.getGlobalStat","params":["token:s"]})");
    auto value = response.answered ? ParseJson(response.body) : std::nullopt;
    if (!value || !value->Member("result")) return std::nullopt;
    return *value->Member("result");
  }
  // Waits until aria2 answers, then until it has ended `downloads` downloads; false at the
  // deadline.
  bool WaitUntilStopped(std::size_t downloads) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      if (const auto stat = Stat();
          stat && stat->Member("numActive")->text == "0" &&
          stat->Member("numWaiting")->text == "0" &&
          stat->Member("numStoppedTotal")->text == std::to_string(downloads)) {
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

 private:
  pid_t pid_ = 0;
  std::string address_;
};

// cardo-cli export with `args`: its exit status and its standard output.
std::pair<int, std::string> RunCliExport(const std::vector<std::string>& args) {
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  cli::SetLanguage(cli::Language::English);  // as a C locale gives them
  const int status = cli::RunExport(args, stdin, out, err);
  cli::SetLanguage(cli::Language::Japanese);  // as every other test expects
  std::string text;
  for (std::FILE* stream : {out, err}) {
    std::rewind(stream);
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, stream)) > 0;) {
      text.append(buffer, n);
    }
    std::fclose(stream);
  }
  return {status, text};
}

// Forty addresses of every shape a list holds, fetched by the tool from the file the window
// writes with the options (or, `rpc`, handed to a running aria2 by cardo-cli export --rpc):
// each URL once with the Referer its rule gives, each file where its name rule puts it, and
// nothing outside the download folder. aria2c reads the Metalink file.
void FetchEveryShape(ExportFormat format, OptionsCase rules, bool rpc) {
  const bool curl = format == ExportFormat::Curl;
  if (!Installed(curl ? "curl" : "aria2c")) GTEST_SKIP() << "the tool is not installed";
  RecordingServer server;
  const std::string origin = "http://127.0.0.1:" + std::to_string(server.port());
  const std::string hostFolder = "127.0.0.1_" + std::to_string(server.port());
  const struct {
    std::u16string path;
    std::string requested;  // what the server sees
    std::string server;     // the server's name, made unique in the list's order
    std::string folders;    // below the host's folder
  } urls[] = {
      {u"/a b.zip", "/a%20b.zip", "a b.zip", "a b.zip"},
      {u"/\u4E88\u5B9A\u8868.zip", "/%E4%BA%88%E5%AE%9A%E8%A1%A8.zip",
       "%E4%BA%88%E5%AE%9A%E8%A1%A8.zip", "%E4%BA%88%E5%AE%9A%E8%A1%A8.zip"},
      {u"/\u30BD\u80FD/\u8868.jpg", "/%E3%82%BD%E8%83%BD/%E8%A1%A8.jpg", "%E8%A1%A8.jpg",
       "%E3%82%BD%E8%83%BD/%E8%A1%A8.jpg"},
      {u"/gallery01/cover.jpg", "/gallery01/cover.jpg", "cover.jpg", "gallery01/cover.jpg"},
      {u"/gallery02/cover.jpg", "/gallery02/cover.jpg", "cover.1.jpg", "gallery02/cover.jpg"},
      {u"/gallery03/cover.jpg", "/gallery03/cover.jpg", "cover.2.jpg", "gallery03/cover.jpg"},
      {u"/gallery04/Cover.JPG", "/gallery04/Cover.JPG", "Cover.3.JPG", "gallery04/Cover.JPG"},
      {u"/gallery05/sub/cover.jpg", "/gallery05/sub/cover.jpg", "cover.4.jpg",
       "gallery05/sub/cover.jpg"},
      {u"/", "/", "index.html", "index.html"},
      {u"/folder/", "/folder/", "index.1.html", "folder/index.html"},
      {u"/folder/deeper/", "/folder/deeper/", "index.2.html", "folder/deeper/index.html"},
      {u"/get?id=7&k=x", "/get?id=7&k=x", "get", "get"},
      {u"/get?id=8", "/get?id=8", "get.1", "get.1"},
      {u"/search/?q=a/b", "/search/?q=a/b", "index.3.html", "search/index.html"},
      {u"/page#/route", "/page", "page", "page"},
      {u"/img.php?id=1", "/img.php?id=1", "img.php", "img.php"},
      {u"/img.php?id=2", "/img.php?id=2", "img.1.php", "img.1.php"},
      {u"/a[1].zip", "/a[1].zip", "a[1].zip", "a[1].zip"},
      {u"/b{x,y}.zip", "/b%7Bx,y%7D.zip", "b{x,y}.zip", "b{x,y}.zip"},
      {u"/q\"uote.zip", "/q%22uote.zip", "q%22uote.zip", "q%22uote.zip"},
      {u"/deep/a/b/c/d.txt", "/deep/a/b/c/d.txt", "d.txt", "deep/a/b/c/d.txt"},
      {u"/x/COM1.txt", "/x/COM1.txt", "_COM1.txt", "x/_COM1.txt"},
      {u"/caf\u00E9.png", "/caf%C3%A9.png", "caf%C3%A9.png", "caf%C3%A9.png"},
      {u"/same.zip", "/same.zip", "same.zip", "same.zip"},
      {u"/SAME.ZIP?v=2", "/SAME.ZIP?v=2", "SAME.1.ZIP", "SAME.1.ZIP"},
      {u"/d1/same.zip", "/d1/same.zip", "same.2.zip", "d1/same.zip"},
      {u"/space dir/file name.txt", "/space%20dir/file%20name.txt", "file name.txt",
       "space dir/file name.txt"},
      {u"/%41bc.txt", "/%41bc.txt", "Abc.txt", "Abc.txt"},
      {u"/percent%2Fslash.txt", "/percent%2Fslash.txt", "percent%2Fslash.txt",
       "percent%2Fslash.txt"},
      {u"/emoji\U0001F600.gif", "/emoji%F0%9F%98%80.gif", "emoji%F0%9F%98%80.gif",
       "emoji%F0%9F%98%80.gif"},
      {u"/trail.", "/trail.", "trail", "trail"},
      {u"/\u65E5\u672C/\u65E5\u672C/\u65E5\u672C.txt",
       "/%E6%97%A5%E6%9C%AC/%E6%97%A5%E6%9C%AC/%E6%97%A5%E6%9C%AC.txt", "%E6%97%A5%E6%9C%AC.txt",
       "%E6%97%A5%E6%9C%AC/%E6%97%A5%E6%9C%AC/%E6%97%A5%E6%9C%AC.txt"},
      {u"/v/1.0/archive.tar.gz", "/v/1.0/archive.tar.gz", "archive.tar.gz", "v/1.0/archive.tar.gz"},
      {u"/v/2.0/archive.tar.gz", "/v/2.0/archive.tar.gz", "archive.tar.1.gz",
       "v/2.0/archive.tar.gz"},
      {u"/noext", "/noext", "noext", "noext.1"},
      {u"/noext/", "/noext/", "index.4.html", "noext/index.html"},
      {u"/amp&semi;.txt", "/amp&semi;.txt", "amp&semi;.txt", "amp&semi;.txt"},
      {u"/tilde~plus+.txt", "/tilde~plus+.txt", "tilde~plus+.txt", "tilde~plus+.txt"},
      {u"/\u30D5\u30A1\u30A4\u30EB \u540D.txt",
       "/%E3%83%95%E3%82%A1%E3%82%A4%E3%83%AB%20%E5%90%8D.txt",
       "%E3%83%95%E3%82%A1%E3%82%A4%E3%83%AB %E5%90%8D.txt",
       "%E3%83%95%E3%82%A1%E3%82%A4%E3%83%AB %E5%90%8D.txt"},
      {u"/last.bin", "/last.bin", "last.bin", "last.bin"},
  };
  std::vector<std::u16string> lines;
  for (const auto& u : urls) lines.push_back(Utf8ToUtf16(origin) + u.path);
  lines.insert(lines.begin() + 5, u"gopher://127.0.0.1:1/_never");
  lines.insert(lines.begin() + 9, u"");

  testing::TempDir dir;
  const std::string out = Utf16ToUtf8(dir.File(u"\u4FDD\u5B58 \u5148"));
  ExportOptions options;
  options.referer = rules.referer;
  options.fixedReferer = u"http://ref.example/\u9801/";
  options.names = rules.names;
  // Metalink holds no folder: the tool's own option gives it.
  if (format != ExportFormat::Meta4) options.folder = Utf8ToUtf16(out);
  std::string command;
  std::set<std::string> beside;  // what the folder holds beside the download folder
  if (rpc) {
    std::string list;
    for (const auto& line : lines) list += Utf16ToUtf8(line) + "\n";
    dir.Write(u"list.txt", list);
    const Aria2Daemon aria2(Utf16ToUtf8(dir.path()));
    const char* names[] = {"server", "numbered", "folders"};
    const char* referers[] = {"none", "url", "folder", "root", "fixed"};
    const std::vector<std::string> args = {"--format",
                                           "aria2",
                                           "--rpc",
                                           aria2.address(),
                                           "--rpc-secret",
                                           "s",
                                           "--names",
                                           names[static_cast<int>(rules.names)],
                                           "--referer",
                                           referers[static_cast<int>(rules.referer)],
                                           "--referer-url",
                                           Utf16ToUtf8(options.fixedReferer),
                                           "--folder",
                                           out,
                                           Utf16ToUtf8(dir.File(u"list.txt"))};
    for (const auto& word : args) command += word + " ";
    ASSERT_TRUE(aria2.WaitUntilStopped(0)) << "aria2c does not answer at " << aria2.address();
    const auto [status, said] = RunCliExport(args);
    ASSERT_EQ(status, 0) << command << "\n" << said;
    EXPECT_EQ(said, std::to_string(std::size(urls)) + " accepted by aria2 at " + aria2.address() +
                        "\n1 skipped (aria2 fetches http, https and ftp only)\n");
    ASSERT_TRUE(aria2.WaitUntilStopped(std::size(urls))) << command;
    beside = {"list.txt"};
  } else {
    testing::ShellFixture f;
    f.list.ReplaceAll(lines);
    dir.Write(u"manager", "");
    ExportListToOther(f.shell, dir.File(u"manager"), u"", format, dir.path(), 1, options);
    ASSERT_TRUE(f.ui.messages.empty());
    const std::string file = Utf16ToUtf8(dir.File(FormatRow(format).fileName));
    command =
        curl ? "curl -s -f -K '" + file + "'"
             : "aria2c -q --async-dns=false -j 4 " +
                   (format == ExportFormat::Meta4 ? "-d '" + out + "' -M '" : std::string("-i '")) +
                   file + "'";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    beside = {"manager", Utf16ToUtf8(FormatRow(format).fileName)};
  }

  std::multiset<std::pair<std::string, std::string>> requests;
  std::map<std::string, std::string> files;
  int place = 0;
  for (const auto& u : urls) {
    const std::string pathOnly = u.requested.substr(0, u.requested.find('?'));
    const std::string referer[] = {"", origin + u.requested,
                                   origin + pathOnly.substr(0, pathOnly.rfind('/') + 1),
                                   origin + "/", "http://ref.example/%E9%A0%81/"};
    requests.insert({u.requested, format == ExportFormat::Meta4
                                      ? ""
                                      : referer[static_cast<int>(rules.referer)]});
    char number[8];
    std::snprintf(number, sizeof number, "%03d", ++place);
    // The extension of the server's name; "get.1" is the second "get", which has none.
    const std::size_t dot = u.server.rfind('.');
    const bool extension =
        dot != std::string::npos && dot > 0 && u.server.find_last_not_of("0123456789") != dot;
    const std::string numbered = number + (extension ? u.server.substr(dot) : "");
    const std::string names[] = {u.server, numbered, hostFolder + "/" + u.folders};
    std::string name = names[static_cast<int>(rules.names)];
    // aria2c 1.36 reads "&amp;" in a Metalink attribute as the reference "&#38;" itself; the
    // file is right (the Metalink test below reads it with an XML parser).
    if (format == ExportFormat::Meta4 && name.find('&') != std::string::npos) {
      name.replace(name.find('&'), 1, "&#38;");
    }
    files[name] = u.requested;
  }
  EXPECT_EQ(server.Requests(), requests) << command;
  // Named one by one: a whole listing of forty files hides the one that differs.
  const auto landed = FilesBelow(out);
  for (const auto& [name, body] : files) {
    const auto found = landed.find(name);
    EXPECT_EQ(found == landed.end() ? "<missing>" : found->second, body) << name << "\n" << command;
  }
  for (const auto& [name, body] : landed) {
    EXPECT_TRUE(files.count(name)) << "unexpected " << name << " from " << body << "\n" << command;
  }
  // Beside the download folder only what the test itself wrote.
  std::set<std::string> outside;
  for (const auto& entry : std::filesystem::directory_iterator(Utf16ToUtf8(dir.path()))) {
    outside.insert(entry.path().filename().string());
  }
  beside.insert(Utf16ToUtf8(u"\u4FDD\u5B58 \u5148"));
  EXPECT_EQ(outside, beside);
}

class DownloadOptions : public ::testing::TestWithParam<std::tuple<ExportFormat, OptionsCase>> {};
TEST_P(DownloadOptions, EveryUrlOnceWithItsRefererAndEachFileWhereTheRuleSays) {
  FetchEveryShape(std::get<0>(GetParam()), std::get<1>(GetParam()), false);
}

class RpcOptions : public ::testing::TestWithParam<OptionsCase> {};
TEST_P(RpcOptions, EveryUrlOnceWithItsRefererAndEachFileWhereTheRuleSays) {
  FetchEveryShape(ExportFormat::Aria2, GetParam(), true);
}

// A wrong secret: aria2's own message, and nothing fetched.
TEST(RpcHandOver, AWrongSecretGivesAria2sMessage) {
  if (!Installed("aria2c")) GTEST_SKIP() << "aria2c is not installed";
  RecordingServer server;
  testing::TempDir dir;
  const std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/a.zip";
  dir.Write(u"list.txt", url + "\n");
  const Aria2Daemon aria2(Utf16ToUtf8(dir.path()));
  ASSERT_TRUE(aria2.WaitUntilStopped(0)) << "aria2c does not answer at " << aria2.address();
  const auto [status, said] =
      RunCliExport({"--format", "aria2", "--rpc", aria2.address(), "--rpc-secret", "wrong",
                    Utf16ToUtf8(dir.File(u"list.txt"))});
  EXPECT_EQ(status, 1);
  EXPECT_EQ(said, "0 accepted by aria2 at " + aria2.address() + "\n1 refused: Unauthorized\n  " +
                      url + "\n");
  EXPECT_TRUE(aria2.WaitUntilStopped(0));
  EXPECT_TRUE(server.Targets().empty());
}

// An RPC address that redirects to a running aria2 with the same secret: the send stops at
// the redirect, and that aria2 receives neither the token nor the list.
TEST(RpcHandOver, ARedirectToARunningAria2SendsItNothing) {
  if (!Installed("aria2c")) GTEST_SKIP() << "aria2c is not installed";
  RecordingServer server;
  testing::TempDir dir;
  dir.Write(u"list.txt", "http://127.0.0.1:" + std::to_string(server.port()) + "/a.zip\n");
  const Aria2Daemon aria2(Utf16ToUtf8(dir.path()));
  ASSERT_TRUE(aria2.WaitUntilStopped(0)) << "aria2c does not answer at " << aria2.address();
  for (const std::string status : {"307 Temporary Redirect", "302 Found"}) {
    testing::LoopbackServer redirector(std::map<std::string, testing::TargetScript>{
        {"/jsonrpc", Answering("HTTP/1.1 " + status + "\r\nLocation: " + aria2.address() +
                               "\r\nContent-Length: 0\r\n"
                               "Connection: close\r\n\r\n")}});
    const std::string address =
        "http://127.0.0.1:" + std::to_string(redirector.port()) + "/jsonrpc";
    const auto [exit, said] = RunCliExport({"--format", "aria2", "--rpc", address, "--rpc-secret",
                                            "s", Utf16ToUtf8(dir.File(u"list.txt"))});
    EXPECT_EQ(exit, 1) << status;
    EXPECT_NE(said.find(address + " answered with a redirect, which is not followed"),
              std::string::npos)
        << said;
    EXPECT_EQ(redirector.requests().size(), 1u) << status;
  }
  EXPECT_TRUE(aria2.WaitUntilStopped(0));
  EXPECT_TRUE(server.Targets().empty());
}

// An aria2 whose --rpc-max-request-size is below the requests' 1 MiB closes the connection
// without an answer: the user whose aria2 runs reads that, not that it could not be reached.
TEST(RpcHandOver, ARequestPastAria2sLimitSaysAria2ClosedTheConnection) {
  if (!Installed("aria2c")) GTEST_SKIP() << "aria2c is not installed";
  testing::TempDir dir;
  std::string list;
  for (int i = 0; i < 100; ++i) list += "http://127.0.0.1:9/file" + std::to_string(i) + ".zip\n";
  dir.Write(u"list.txt", list);
  const Aria2Daemon aria2(Utf16ToUtf8(dir.path()), {"--rpc-max-request-size=1K"});
  ASSERT_TRUE(aria2.WaitUntilStopped(0)) << "aria2c does not answer at " << aria2.address();
  const auto [status, said] =
      RunCliExport({"--format", "aria2", "--rpc", aria2.address(), "--rpc-secret", "s",
                    Utf16ToUtf8(dir.File(u"list.txt"))});
  EXPECT_EQ(status, 1);
  EXPECT_EQ(said, "0 accepted by aria2 at " + aria2.address() +
                      "\n100 not sent or not known to be accepted\ncardo-cli: aria2 at " +
                      aria2.address() +
                      " closed the connection without an answer (is a request of up to 1 MiB past "
                      "its --rpc-max-request-size?): " +
                      Utf16ToUtf8(MakeHttpError(HttpFailure::Closed).reason) + "\n");
  EXPECT_TRUE(aria2.WaitUntilStopped(0));
}

INSTANTIATE_TEST_SUITE_P(
    EveryRuleInEveryFormat, DownloadOptions,
    ::testing::Combine(::testing::Values(ExportFormat::Aria2, ExportFormat::Curl,
                                         ExportFormat::Meta4),
                       ::testing::Values(OptionsCase{RefererRule::None, NameRule::Server},
                                         OptionsCase{RefererRule::Url, NameRule::Numbered},
                                         OptionsCase{RefererRule::Folder, NameRule::Folders},
                                         OptionsCase{RefererRule::SiteRoot, NameRule::Server},
                                         OptionsCase{RefererRule::Fixed, NameRule::Folders})));
INSTANTIATE_TEST_SUITE_P(EveryRule, RpcOptions,
                         ::testing::Values(OptionsCase{RefererRule::None, NameRule::Server},
                                           OptionsCase{RefererRule::Url, NameRule::Numbered},
                                           OptionsCase{RefererRule::Folder, NameRule::Folders},
                                           OptionsCase{RefererRule::Fixed, NameRule::Server}));

// The text between `from` and `to` after `at`, the place after `to` in `at`; nullopt without it.
std::optional<std::string> Between(const std::string& text, std::size_t& at,
                                   const std::string& from, const std::string& to) {
  const std::size_t start = text.find(from, at);
  if (start == std::string::npos) return std::nullopt;
  const std::size_t end = text.find(to, start + from.size());
  if (end == std::string::npos) return std::nullopt;
  at = end + to.size();
  return text.substr(start + from.size(), end - start - from.size());
}

std::string XmlText(std::string text) {
  const std::pair<std::string, std::string> entities[] = {
      {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}};
  for (const auto& [entity, character] : entities) {
    for (std::size_t at = text.find(entity); at != std::string::npos;
         at = text.find(entity, at + 1)) {
      text.replace(at, entity.size(), character);
    }
  }
  return text;
}

const std::vector<std::u16string> kJobLines = {u"http://h/a&b/x<y>.zip?q=\"1\"",
                                               u"http://h/c/x<y>.zip",
                                               u"gopher://h/--x--",
                                               u"https://\u65E5\u672C.jp/\u8868 \u7D19.jpg",
                                               u"",
                                               u"http://h/../../etc/passwd"};

// The Metalink file against the RFC's schema (xmllint, when it is installed) and read back by
// a parser: a <file> per URL, its name safe (relative, no ".."), its <url> the URL.
TEST(ExportFormats, TheMetalinkFileIsValidAndNamesEachUrlsFile) {
  ExportOptions options;
  options.names = NameRule::Folders;
  const std::string text = OtherExportText(ExportFormat::Meta4, kJobLines, options);
  testing::TempDir dir;
  dir.Write(u"list.meta4", text);
  if (Installed("xmllint")) {
    const std::string command = "xmllint --noout --relaxng '" CARDO_METALINK_SCHEMA "' '" +
                                Utf16ToUtf8(dir.File(u"list.meta4")) + "' 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0) << text;
  }
  std::vector<std::pair<std::string, std::string>> files;
  std::size_t at = 0;
  while (auto name = Between(text, at, "<file name=\"", "\">")) {
    const auto url = Between(text, at, "<url>", "</url>");
    ASSERT_TRUE(url) << text;
    files.emplace_back(XmlText(*name), XmlText(*url));
  }
  const std::vector<std::pair<std::string, std::string>> expected = {
      {"h/a&b/x%3Cy%3E.zip", "http://h/a&b/x%3Cy%3E.zip?q=%221%22"},
      {"h/c/x%3Cy%3E.zip", "http://h/c/x%3Cy%3E.zip"},
      {"xn--wgv71a.jp/%E8%A1%A8 %E7%B4%99.jpg", "https://xn--wgv71a.jp/%E8%A1%A8%20%E7%B4%99.jpg"},
      {"h/etc/passwd", "http://h/etc/passwd"},
  };
  EXPECT_EQ(files, expected) << text;
  EXPECT_NE(text.find("<!-- gopher://h/%2D%2Dx%2D%2D -->"), std::string::npos) << text;
}

// The folder-watch file read as JDownloader reads it: key=value jobs between blank lines, "#"
// lines left out; each job names the URL, its file and its folder.
TEST(ExportFormats, TheCrawljobFileHoldsAJobPerUrl) {
  ExportOptions options;
  options.names = NameRule::Folders;
  options.folder = u"D:\\\u4FDD\u5B58";
  const std::string text = OtherExportText(ExportFormat::Crawljob, kJobLines, options);
  std::vector<std::map<std::string, std::string>> jobs(1);
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find("\r\n", at);
    ASSERT_NE(end, std::string::npos) << "a line without CR LF: " << text;
    const std::string line = text.substr(at, end - at);
    at = end + 2;
    if (line.empty()) {
      jobs.emplace_back();
    } else if (line[0] != '#') {
      const std::size_t equals = line.find('=');
      ASSERT_NE(equals, std::string::npos) << line;
      EXPECT_TRUE(jobs.back().emplace(line.substr(0, equals), line.substr(equals + 1)).second)
          << "a key twice in one job: " << line;
    }
  }
  const std::string folder = "D:\\\xE4\xBF\x9D\xE5\xAD\x98";
  using Job = std::map<std::string, std::string>;
  const auto job = [&](const std::string& url, const std::string& name, const std::string& in) {
    return Job{{"text", url},
               {"filename", name},
               {"downloadFolder", folder + "/" + in},
               {"packageName", "Cardo"},
               {"autoStart", "TRUE"}};
  };
  const std::vector<Job> expected = {
      job("http://h/a&b/x%3Cy%3E.zip?q=%221%22", "x%3Cy%3E.zip", "h/a&b"),
      job("http://h/c/x%3Cy%3E.zip", "x%3Cy%3E.zip", "h/c"),
      job("https://xn--wgv71a.jp/%E8%A1%A8%20%E7%B4%99.jpg", "%E8%A1%A8 %E7%B4%99.jpg",
          "xn--wgv71a.jp"),
      job("http://h/etc/passwd", "passwd", "h/etc"),
  };
  EXPECT_EQ(jobs, expected) << text;
}

}  // namespace
}  // namespace cardo
