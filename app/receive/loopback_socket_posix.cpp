#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>

#include "app/receive/loopback_socket.h"

namespace cardo {
namespace {

// The signals reach the wait through a pipe, so that a signal between two waits is not lost.
int gSignalPipe = -1;
extern "C" void OnSignal(int) {
  const char byte = 0;
  [[maybe_unused]] const auto written = write(gSignalPipe, &byte, 1);
}

int Fd(Socket::Handle handle) {
  return static_cast<int>(handle);
}

// A listening socket at `address`; an invalid one when the system lacks its family or address.
std::optional<Socket> Listen(const sockaddr* address, socklen_t size, std::string& why) {
  const bool v6 = address->sa_family == AF_INET6;
  const int fd = socket(address->sa_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0 && v6) return Socket();
  Socket listener(static_cast<Socket::Handle>(fd));
  const int on = 1;
  // A receiver started again at once takes its port back from the connections still closing.
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (v6) setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &on, sizeof on);
  if (fd >= 0 && bind(fd, address, size) == 0 && listen(fd, 16) == 0) return listener;
  if (v6 && (errno == EADDRNOTAVAIL || errno == EAFNOSUPPORT)) return Socket();
  why = errno == EADDRINUSE ? kPortTaken : std::strerror(errno);
  return std::nullopt;
}

}  // namespace

Socket::~Socket() {
  if (valid()) close(Fd(handle_));
}

struct SocketSession::State {
  int pipeEnds[2] = {-1, -1};
  bool signals = false;
  std::atomic<bool> stopped{false};
  struct sigaction oldInt {
  }, oldTerm{};
};

// The stop reaches the wait through a pipe, so that a stop between two waits is not lost; a
// signal writes to the same pipe.
SocketSession::SocketSession(Signals signals) : state_(std::make_unique<State>()) {
  if (pipe2(state_->pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  if (signals != Signals::Stop) return;
  state_->signals = true;
  gSignalPipe = state_->pipeEnds[1];
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, &state_->oldInt);
  sigaction(SIGTERM, &action, &state_->oldTerm);
}

SocketSession::~SocketSession() {
  if (state_->pipeEnds[0] < 0) return;
  if (state_->signals) {
    sigaction(SIGINT, &state_->oldInt, nullptr);
    sigaction(SIGTERM, &state_->oldTerm, nullptr);
    gSignalPipe = -1;
  }
  close(state_->pipeEnds[0]);
  close(state_->pipeEnds[1]);
}

bool SocketSession::Stopped() const {
  char byte;
  if (state_->pipeEnds[0] >= 0 && read(state_->pipeEnds[0], &byte, 1) == 1) {
    state_->stopped = true;
  }
  return state_->stopped;
}

void SocketSession::Stop() {
  state_->stopped = true;
  const char byte = 0;
  if (state_->pipeEnds[1] >= 0) {
    [[maybe_unused]] const auto written = write(state_->pipeEnds[1], &byte, 1);
  }
}

Socket::Handle SocketSession::Wakeup() const {
  return state_->pipeEnds[0] >= 0 ? static_cast<Socket::Handle>(state_->pipeEnds[0])
                                  : Socket::kNone;
}

std::optional<std::vector<Socket>> ListenOnLoopback(unsigned short port, std::string& why) {
  sockaddr_in v4{};
  v4.sin_family = AF_INET;
  v4.sin_port = htons(port);
  v4.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  sockaddr_in6 v6{};
  v6.sin6_family = AF_INET6;
  v6.sin6_port = htons(port);
  v6.sin6_addr = in6addr_loopback;
  std::vector<Socket> listeners;
  for (auto* address : {reinterpret_cast<sockaddr*>(&v4), reinterpret_cast<sockaddr*>(&v6)}) {
    auto listener =
        Listen(address, address == reinterpret_cast<sockaddr*>(&v4) ? sizeof v4 : sizeof v6, why);
    if (!listener) return std::nullopt;
    if (listener->valid()) listeners.push_back(std::move(*listener));
  }
  return listeners;
}

std::optional<Socket> Accept(const Socket& listener) {
  const int fd = accept4(Fd(listener.get()), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
  if (fd < 0) return std::nullopt;
  return Socket(static_cast<Socket::Handle>(fd));
}

long Receive(const Socket& socket, char* buffer, std::size_t size) {
  const ssize_t got = recv(Fd(socket.get()), buffer, size, 0);
  if (got >= 0) return static_cast<long>(got);
  return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR ? -1 : -2;
}

void SendInterim(const Socket& socket, std::string_view bytes) {
  // A client that left must not end the receiver with SIGPIPE.
  [[maybe_unused]] const auto sent =
      send(Fd(socket.get()), bytes.data(), bytes.size(), MSG_NOSIGNAL);
}

void Answer(const Socket& socket, std::string_view bytes) {
  SendInterim(socket, bytes);
  shutdown(Fd(socket.get()), SHUT_WR);
}

bool WaitReadable(const std::vector<Socket::Handle>& sockets, int timeoutMs,
                  std::vector<bool>& ready) {
  std::vector<pollfd> polled;
  for (const Socket::Handle handle : sockets) polled.push_back({Fd(handle), POLLIN, 0});
  const int got = poll(polled.data(), polled.size(), timeoutMs);
  ready.assign(sockets.size(), false);
  for (std::size_t i = 0; i < polled.size() && got > 0; ++i) ready[i] = polled[i].revents != 0;
  return got >= 0 || errno == EINTR;
}

}  // namespace cardo
