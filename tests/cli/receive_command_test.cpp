// The built cardo-cli receive as a user runs it: lines on standard output while it runs, a
// few connections at once, the port it cannot have, and a clean end on SIGINT and SIGTERM. Its
// loop in process, with a short time for a slow client: the clients it answers 408.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "app/receive/link_server.h"

namespace cardo {
namespace {

constexpr char kToken[] = "secret-token";

int Connect(unsigned short port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 ? fd : -1;
}

// What the peer sends until it closes (or 5 s pass).
std::string ReadAll(int fd) {
  std::string got;
  char chunk[4096];
  pollfd polled{fd, POLLIN, 0};
  while (poll(&polled, 1, 5000) > 0) {
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n <= 0) break;
    got.append(chunk, static_cast<std::size_t>(n));
  }
  return got;
}

std::string Exchange(unsigned short port, const std::string& request) {
  const int fd = Connect(port);
  if (fd < 0) return "no connection";
  [[maybe_unused]] const auto sent = write(fd, request.data(), request.size());
  std::string answer = ReadAll(fd);
  close(fd);
  return answer;
}

unsigned short FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t size = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
  close(fd);
  return ntohs(address.sin_port);
}

class Receiving {
 public:
  explicit Receiving(unsigned short port, std::vector<std::string> extra = {}) : port_(port) {
    int out[2], err[2];
    EXPECT_EQ(pipe(out), 0);
    EXPECT_EQ(pipe(err), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    std::vector<std::string> words = {CARDO_CLI, "receive", "--port", std::to_string(port),
                                      "--token", kToken};
    words.insert(words.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    EXPECT_EQ(posix_spawn(&pid_, CARDO_CLI, &actions, nullptr, argv.data(), nullptr), 0);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    close(err[1]);
    out_ = out[0];
    err_ = err[0];
    // Listening once it says so.
    std::string said;
    char c;
    while (said.find('\n') == std::string::npos && read(err_, &c, 1) == 1) said += c;
    listening_ = said.find("listening") != std::string::npos;
  }
  ~Receiving() {
    if (pid_ > 0) Stop(SIGKILL);
    close(out_);
    close(err_);
  }
  bool listening() const { return listening_; }
  // The next `count` lines of standard output, read while the command still runs.
  std::string Lines(int count) {
    std::string got;
    char c;
    pollfd polled{out_, POLLIN, 0};
    while (count > 0 && poll(&polled, 1, 5000) > 0 && read(out_, &c, 1) == 1) {
      got += c;
      count -= c == '\n';
    }
    return got;
  }
  int Stop(int signal) {
    kill(pid_, signal);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = 0;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  std::string Post(const std::string& body) {
    return Exchange(port_, "POST /v1/links HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port_) +
                               "\r\nAuthorization: Bearer " + kToken + "\r\nContent-Length: " +
                               std::to_string(body.size()) + "\r\n\r\n" + body);
  }

 private:
  unsigned short port_;
  pid_t pid_ = 0;
  int out_ = -1, err_ = -1;
  bool listening_ = false;
};

TEST(ReceiveCommand, PrintsEachRequestsUrlsAsTheyArriveAndEndsCleanlyOnASignal) {
  for (const int signal : {SIGINT, SIGTERM}) {
    const unsigned short port = FreePort();
    Receiving receiving(port, {"--with-page"});
    ASSERT_TRUE(receiving.listening());
    const std::string answer =
        receiving.Post(R"({"page":"http://p.example/x","urls":["a.zip#1","http://q.example/"]})");
    EXPECT_NE(answer.find("\"added\":2"), std::string::npos) << answer;
    EXPECT_EQ(
        receiving.Lines(2),
        "http://p.example/a.zip\thttp://p.example/x\nhttp://q.example/\thttp://p.example/x\n");
    receiving.Post(R"({"urls":["ftp://r.example/s"]})");
    EXPECT_EQ(receiving.Lines(1), "ftp://r.example/s\t\n");
    EXPECT_EQ(receiving.Stop(signal), 0) << signal;
  }
}

TEST(ReceiveCommand, ABodyRefusedUnreadStillHearsWhy) {
  const unsigned short port = FreePort();
  Receiving receiving(port);
  ASSERT_TRUE(receiving.listening());
  const int fd = Connect(port);
  const std::string head = "POST /v1/links HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                           "\r\nContent-Length: 9437184\r\n\r\n";
  ASSERT_EQ(write(fd, head.data(), head.size()), static_cast<ssize_t>(head.size()));
  const std::string body(9 << 20, 'x');
  for (std::size_t at = 0; at < body.size();) {
    const ssize_t n = send(fd, body.data() + at, body.size() - at, MSG_NOSIGNAL);
    if (n <= 0) break;
    at += static_cast<std::size_t>(n);
  }
  shutdown(fd, SHUT_WR);
  EXPECT_NE(ReadAll(fd).find("HTTP/1.1 413 "), std::string::npos);
  close(fd);
}

// curl asks so before a body over 1 MiB and otherwise waits a second before sending it.
TEST(ReceiveCommand, AClientThatExpectsContinueHearsItBeforeSendingItsBody) {
  const unsigned short port = FreePort();
  Receiving receiving(port);
  ASSERT_TRUE(receiving.listening());
  const std::string body = R"({"urls":["http://a.example/"]})";
  const int fd = Connect(port);
  const std::string head = "POST /v1/links HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                           "\r\nAuthorization: Bearer " + kToken + "\r\nExpect: 100-Continue" +
                           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  ASSERT_EQ(write(fd, head.data(), head.size()), static_cast<ssize_t>(head.size()));
  char interim[64] = {};
  pollfd polled{fd, POLLIN, 0};
  ASSERT_GT(poll(&polled, 1, 5000), 0);
  const ssize_t got = read(fd, interim, sizeof interim - 1);
  EXPECT_EQ(std::string(interim, got > 0 ? static_cast<std::size_t>(got) : 0),
            "HTTP/1.1 100 Continue\r\n\r\n");
  ASSERT_EQ(write(fd, body.data(), body.size()), static_cast<ssize_t>(body.size()));
  EXPECT_EQ(ReadAll(fd).substr(0, 15), "HTTP/1.1 200 OK");
  close(fd);
  EXPECT_EQ(receiving.Lines(1), "http://a.example/\n");
}

TEST(ReceiveCommand, AFewConnectionsAtOnceAndOneReceiverAPort) {
  const unsigned short port = FreePort();
  Receiving receiving(port);
  ASSERT_TRUE(receiving.listening());
  std::vector<int> idle;
  for (int i = 0; i < 8; ++i) idle.push_back(Connect(port));
  EXPECT_NE(Exchange(port, "GET /v1/status HTTP/1.1\r\n\r\n").find(" 503 "), std::string::npos);
  // A client whose request is still coming when the busy answer is sent reads it, not a reset.
  const int late = Connect(port);
  const std::string request =
      "POST /v1/links HTTP/1.1\r\nContent-Length: 262144\r\n\r\n" + std::string(1 << 18, 'x');
  for (std::size_t at = 0; at < request.size();) {
    const ssize_t n = send(late, request.data() + at, request.size() - at, MSG_NOSIGNAL);
    if (n <= 0) break;
    at += static_cast<std::size_t>(n);
  }
  EXPECT_NE(ReadAll(late).find(" 503 "), std::string::npos);
  close(late);
  for (const int fd : idle) close(fd);

  Receiving second(port);
  EXPECT_FALSE(second.listening());
  EXPECT_EQ(second.Stop(0), 1);
  EXPECT_NE(receiving.Post(R"({"urls":["http://a.example/"]})").find(" 200 "), std::string::npos);
  EXPECT_EQ(receiving.Lines(1), "http://a.example/\n");
}

// A client that sends its request in pieces, each followed by a pause, and stops sending once
// the answer has come; the answer's first line.
struct Piece {
  std::string bytes;
  int pauseMs;
};

std::string StatusLine(unsigned short port, const std::vector<Piece>& pieces) {
  const int fd = Connect(port);
  if (fd < 0) return "no connection";
  for (const Piece& piece : pieces) {
    if (send(fd, piece.bytes.data(), piece.bytes.size(), MSG_NOSIGNAL) < 0) break;
    pollfd polled{fd, POLLIN, 0};
    if (poll(&polled, 1, piece.pauseMs) > 0) break;
  }
  const std::string answer = ReadAll(fd);
  close(fd);
  return answer.substr(0, answer.find("\r\n"));
}

TEST(ReceiveLoop, AClientThatDoesNotSendItsWholeRequestInTimeHears408) {
  constexpr int kTimeMs = 500;
  const unsigned short port = FreePort();
  const std::string body = R"({"urls":["http://a.example/x"]})";
  const std::string head = "POST /v1/links HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) +
                           "\r\nAuthorization: Bearer " + kToken +
                           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  std::vector<Piece> trickle;
  for (const char c : head + body) trickle.push_back({std::string(1, c), 10});

  ReceiverSettings settings;
  settings.port = port;
  settings.token = kToken;
  std::promise<bool> listening;
  // The request in time is taken; the next one fails to be, which ends the loop.
  int taken = 0;
  std::thread loop([&] {
    bool heard = false;
    LinkService service;
    service.listening = [&] {
      heard = true;
      listening.set_value(true);
    };
    service.cannotListen = [](const std::string&) {};
    service.answer = [&](const RequestReader& reader) -> std::optional<ReceiverAnswer> {
      ReceiverAnswer answer = AnswerRequest(reader, settings);
      if (!answer.links.empty() && ++taken != 1) return std::nullopt;
      return answer;
    };
    SocketSession session(SocketSession::Signals::Ignore);
    const bool stopped = ServeLinks(port, session, service, std::chrono::milliseconds(kTimeMs));
    if (!heard) listening.set_value(false);
    EXPECT_FALSE(stopped);
  });
  if (!listening.get_future().get()) {
    loop.join();
    FAIL() << "the loop did not listen";
  }

  const struct {
    const char* what;
    std::vector<Piece> pieces;
    const char* status;
  } cases[] = {
      {"nothing sent", {{"", 2 * kTimeMs}}, "HTTP/1.1 408 Request Timeout"},
      {"half a request line", {{"POST /v1/li", 2 * kTimeMs}}, "HTTP/1.1 408 Request Timeout"},
      {"the head without its body", {{head, 2 * kTimeMs}}, "HTTP/1.1 408 Request Timeout"},
      {"the body cut short",
       {{head + body.substr(0, 9), 2 * kTimeMs}},
       "HTTP/1.1 408 Request Timeout"},
      {"each byte soon after the last, the whole too late", trickle,
       "HTTP/1.1 408 Request Timeout"},
      {"the head, then the body within the time",
       {{head, kTimeMs / 5}, {body, 2 * kTimeMs}},
       "HTTP/1.1 200 OK"},
  };
  for (const auto& c : cases) EXPECT_EQ(StatusLine(port, c.pieces), c.status) << c.what;
  EXPECT_EQ(taken, 1);
  StatusLine(port, {{head + body, 0}});
  loop.join();
}

}  // namespace
}  // namespace cardo
