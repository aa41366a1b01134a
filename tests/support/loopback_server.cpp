#include "tests/support/loopback_server.h"

#include <cctype>
#include <cstdlib>

#include <chrono>

#ifdef _WIN32
#include <winsock2.h>
#include <windows.h>
using SocketHandle = SOCKET;
constexpr SocketHandle kNoSocket = INVALID_SOCKET;
void CloseSocket(SocketHandle s) {
  closesocket(s);
}
using socklen_t = int;
constexpr int kSendFlags = 0;
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>
using SocketHandle = int;
constexpr SocketHandle kNoSocket = -1;
// A client that leaves while bytes still go out is part of the script, not a fault.
constexpr int kSendFlags = MSG_NOSIGNAL;
void CloseSocket(SocketHandle s) {
  ::close(s);
}
#endif

namespace cardo::testing {
namespace {

#ifdef _WIN32
struct WinsockUser {
  WinsockUser() {
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
  }
};
#endif

SocketHandle Listen(std::uint16_t& port) {
#ifdef _WIN32
  static WinsockUser winsock;
#endif
  SocketHandle s = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in at{};
  at.sin_family = AF_INET;
  at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at);
  ::listen(s, 1);
  socklen_t len = sizeof at;
  ::getsockname(s, reinterpret_cast<sockaddr*>(&at), &len);
  port = ntohs(at.sin_port);
  return s;
}

}  // namespace

LoopbackServer::LoopbackServer(ServerScript script) : script_(std::move(script)) {
  listener_ = static_cast<std::uintptr_t>(Listen(port_));
  thread_ = std::thread([this] { Serve(); });
}

LoopbackServer::~LoopbackServer() {
  Release();
  if (thread_.joinable()) {
    // Nobody connected: wake the accept with a connection of our own.
    const SocketHandle poke = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    at.sin_port = htons(port_);
    ::connect(poke, reinterpret_cast<sockaddr*>(&at), sizeof at);
    CloseSocket(poke);
    thread_.join();
  }
  CloseSocket(static_cast<SocketHandle>(listener_));
}

void LoopbackServer::Release() {
  {
    std::lock_guard<std::mutex> hold(lock_);
    release_ = true;
  }
  released_.notify_all();
}

bool LoopbackServer::Released() {
  std::lock_guard<std::mutex> hold(lock_);
  return release_;
}

const std::string& LoopbackServer::request() {
  if (thread_.joinable()) thread_.join();
  return request_;
}

std::uint16_t LoopbackServer::ClosedPort() {
  std::uint16_t port = 0;
  CloseSocket(Listen(port));
  return port;
}

void LoopbackServer::Serve() {
  const SocketHandle client = ::accept(static_cast<SocketHandle>(listener_), nullptr, nullptr);
  if (client == kNoSocket) return;
  char buffer[4096];
  // The head, then the body its Content-Length announces: a client may send the two apart.
  std::size_t whole = std::string::npos;
  while (request_.size() < whole) {
    const int n = static_cast<int>(::recv(client, buffer, sizeof buffer, 0));
    if (n <= 0) break;
    request_.append(buffer, static_cast<std::size_t>(n));
    const std::size_t head = request_.find("\r\n\r\n");
    if (head == std::string::npos) continue;
    std::string lower = request_.substr(0, head);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::size_t field = lower.find("\r\ncontent-length:");
    whole =
        head + 4 +
        (field == std::string::npos ? 0 : std::strtoul(lower.c_str() + field + 17, nullptr, 10));
  }
  const int one = 1;
  ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
  const std::string& response = script_.response;
  const std::size_t end = std::min(response.size(), script_.resetAfter);
  const std::size_t piece = script_.piece ? script_.piece : (end ? end : 1);
  for (std::size_t sent = 0; sent < end;) {
    if (sent >= script_.holdAfter) {
      std::unique_lock<std::mutex> hold(lock_);
      released_.wait(hold, [this] { return release_; });
    }
    const std::size_t size = sent < script_.wholeFirst ? script_.wholeFirst - sent : piece;
    const int n = static_cast<int>(::send(
        client, response.data() + sent, static_cast<int>(std::min(size, end - sent)), kSendFlags));
    if (n <= 0) break;
    sent += static_cast<std::size_t>(n);
    if (script_.pause.count() > 0) std::this_thread::sleep_for(script_.pause);
  }
  while (!script_.endless.empty() && !Released() &&
         ::send(client, script_.endless.data(), static_cast<int>(script_.endless.size()),
                kSendFlags) > 0) {
    if (script_.pause.count() > 0) std::this_thread::sleep_for(script_.pause);
  }
  if (script_.resetAfter != std::string::npos) {
    // Let the client take what was sent, then reset the connection instead of closing it.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    linger abort{1, 0};
    ::setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort),
                 sizeof abort);
  } else {
    ::shutdown(client, 1);
    // Wait for the client to close its side, so the last bytes are not lost to a reset; a
    // client that keeps the connection for later (Wine's pool) gets two seconds.
#ifdef _WIN32
    const DWORD wait = 2000;
#else
    const timeval wait{2, 0};
#endif
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&wait),
                 sizeof wait);
    while (::recv(client, buffer, sizeof buffer, 0) > 0) {
    }
  }
  CloseSocket(client);
}

}  // namespace cardo::testing
