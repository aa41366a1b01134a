#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_io.h"
#include "cli/receive_server.h"

namespace cardo::cli {
namespace {

using Clock = std::chrono::steady_clock;

class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  Fd& operator=(Fd&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  int get() const { return fd_; }

 private:
  int fd_;
};

// The signals reach the loop through a pipe, so that a signal between two polls is not lost.
int gSignalPipe = -1;
extern "C" void OnSignal(int) {
  const char byte = 0;
  [[maybe_unused]] const auto written = write(gSignalPipe, &byte, 1);
}

void NonBlocking(int fd) {
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

// A listening socket at `address`; nothing when the system has no such address family.
std::optional<Fd> Listen(const sockaddr* address, socklen_t size, int family, std::string& why) {
  Fd fd(socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (fd.get() < 0) {
    if (family == AF_INET6) return Fd();
    why = std::strerror(errno);
    return std::nullopt;
  }
  const int on = 1;
  setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (family == AF_INET6) setsockopt(fd.get(), IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
  if (bind(fd.get(), address, size) != 0) {
    if (family == AF_INET6 && (errno == EADDRNOTAVAIL || errno == EAFNOSUPPORT)) return Fd();
    why = std::strerror(errno);
    return std::nullopt;
  }
  if (listen(fd.get(), 16) != 0) {
    why = std::strerror(errno);
    return std::nullopt;
  }
  NonBlocking(fd.get());
  return fd;
}

struct Connection {
  Fd fd;
  Clock::time_point deadline;
  RequestReader reader;
};

void Send(int fd, const std::string& bytes) {
  // The answers are short: one try, and a client that does not read loses its answer.
  [[maybe_unused]] const auto sent = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  shutdown(fd, SHUT_WR);
}

}  // namespace

int ServeLinks(const ReceiverSettings& settings,
               const std::function<bool(const ReceiverAnswer&)>& taken,
               const std::function<void()>& listening, std::FILE* err) {
  std::string why;
  sockaddr_in v4{};
  v4.sin_family = AF_INET;
  v4.sin_port = htons(settings.port);
  v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  sockaddr_in6 v6{};
  v6.sin6_family = AF_INET6;
  v6.sin6_port = htons(settings.port);
  v6.sin6_addr = in6addr_loopback;
  auto listen4 = Listen(reinterpret_cast<sockaddr*>(&v4), sizeof v4, AF_INET, why);
  auto listen6 =
      listen4 ? Listen(reinterpret_cast<sockaddr*>(&v6), sizeof v6, AF_INET6, why) : std::nullopt;
  if (!listen4 || !listen6) {
    Say(err, "cardo-cli receive: cannot listen on port %u: %s\n", settings.port, why.c_str());
    return 1;
  }

  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return 1;
  const Fd signalRead(pipeEnds[0]), signalWrite(pipeEnds[1]);
  gSignalPipe = signalWrite.get();
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  struct sigaction oldInt {
  }, oldTerm{};
  sigaction(SIGINT, &action, &oldInt);
  sigaction(SIGTERM, &action, &oldTerm);
  listening();

  std::vector<std::unique_ptr<Connection>> connections;
  int status = 0;
  for (bool running = true; running;) {
    std::vector<pollfd> polled = {{signalRead.get(), POLLIN, 0}, {listen4->get(), POLLIN, 0}};
    if (listen6->get() >= 0) polled.push_back({listen6->get(), POLLIN, 0});
    const std::size_t firstConnection = polled.size();
    auto wait = std::chrono::milliseconds(-1);
    const auto now = Clock::now();
    for (const auto& connection : connections) {
      polled.push_back({connection->fd.get(), POLLIN, 0});
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(connection->deadline - now);
      if (wait.count() < 0 || left < wait) wait = std::max(left, std::chrono::milliseconds(0));
    }
    if (poll(polled.data(), polled.size(), static_cast<int>(wait.count())) < 0 && errno != EINTR) {
      status = 1;
      break;
    }
    if (polled[0].revents) break;

    for (std::size_t i = 1; i < firstConnection; ++i) {
      if (!(polled[i].revents & POLLIN)) continue;
      Fd client(accept4(polled[i].fd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
      if (client.get() < 0) continue;
      if (static_cast<int>(connections.size()) >= kMostConnections) {
        Send(client.get(),
             "HTTP/1.1 503 Service Unavailable\r\nContent-Length: 0\r\n"
             "Retry-After: 1\r\nConnection: close\r\n\r\n");
        continue;
      }
      connections.push_back(std::make_unique<Connection>(
          Connection{std::move(client), Clock::now() + kSlowClient, {}}));
    }

    std::vector<std::unique_ptr<Connection>> open;
    for (std::size_t i = 0; i < connections.size(); ++i) {
      Connection& connection = *connections[i];
      const short events = firstConnection + i < polled.size() ? polled[firstConnection + i].revents
                                                               : static_cast<short>(0);
      if (events) {
        char chunk[16384];
        const ssize_t got = recv(connection.fd.get(), chunk, sizeof chunk, 0);
        if (got > 0) {
          connection.reader.Feed(std::string_view(chunk, static_cast<std::size_t>(got)));
        } else if (got == 0 || (errno != EAGAIN && errno != EINTR)) {
          connection.reader.End();
        }
      }
      if (connection.reader.state() == RequestReader::State::NeedMore &&
          Clock::now() >= connection.deadline) {
        Send(connection.fd.get(), RefusalAnswer(Refused::TooSlow).Wire());
        continue;
      }
      if (connection.reader.state() == RequestReader::State::NeedMore) {
        open.push_back(std::move(connections[i]));
        continue;
      }
      const ReceiverAnswer answer = AnswerRequest(connection.reader, settings);
      if (!answer.links.empty() && !taken(answer)) {
        running = false;
        status = 1;
      }
      Send(connection.fd.get(), answer.Wire());
    }
    connections = std::move(open);
  }
  sigaction(SIGINT, &oldInt, nullptr);
  sigaction(SIGTERM, &oldTerm, nullptr);
  gSignalPipe = -1;
  return status;
}

}  // namespace cardo::cli
