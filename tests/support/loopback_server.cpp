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
  ::listen(s, 16);
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

LoopbackServer::LoopbackServer(std::map<std::string, TargetScript> byTarget)
    : byTarget_(std::move(byTarget)) {
  listener_ = static_cast<std::uintptr_t>(Listen(port_));
  thread_ = std::thread([this] { ServeTargets(); });
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
  for (std::thread& answering : answering_) answering.join();
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

std::vector<std::string> LoopbackServer::requests() {
  std::lock_guard<std::mutex> hold(lock_);
  return requests_;
}

std::uint16_t LoopbackServer::ClosedPort() {
  std::uint16_t port = 0;
  CloseSocket(Listen(port));
  return port;
}

void LoopbackServer::Serve() {
  const SocketHandle client = ::accept(static_cast<SocketHandle>(listener_), nullptr, nullptr);
  if (client == kNoSocket) return;
  request_ = Receive(static_cast<std::uintptr_t>(client));
  Answer(static_cast<std::uintptr_t>(client), script_);
}

void LoopbackServer::ServeTargets() {
  for (;;) {
    const SocketHandle client = ::accept(static_cast<SocketHandle>(listener_), nullptr, nullptr);
    if (client == kNoSocket || Released()) {
      if (client != kNoSocket) CloseSocket(client);
      return;
    }
    // A connection of its own, so a client that keeps one open holds up no other.
    std::lock_guard<std::mutex> hold(lock_);
    answering_.emplace_back([this, client] {
      const std::string request = Receive(static_cast<std::uintptr_t>(client));
      {
        std::lock_guard<std::mutex> hold(lock_);
        if (!request.empty()) requests_.push_back(request);
      }
      // "GET /target HTTP/1.1"
      const std::size_t space = request.find(' ');
      const std::string target =
          space == std::string::npos
              ? ""
              : request.substr(space + 1, request.find(' ', space + 1) - space - 1);
      ServerScript script{
          "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n"};
      if (const auto found = byTarget_.find(target); found != byTarget_.end()) {
        const TargetScript& answer = found->second;
        bool fits = true;
        for (const std::string& text : answer.require) {
          fits = fits && request.find(text) != std::string::npos;
        }
        for (const std::string& text : answer.refuse) {
          fits = fits && request.find(text) == std::string::npos;
        }
        script = fits ? answer.script : ServerScript{answer.otherwise};
      }
      // A response may name the server's own port.
      for (std::size_t at; (at = script.response.find("{port}")) != std::string::npos;) {
        script.response.replace(at, 6, std::to_string(port_));
      }
      Answer(static_cast<std::uintptr_t>(client), script);
    });
  }
}

std::string LoopbackServer::Receive(std::uintptr_t socket) {
  const auto client = static_cast<SocketHandle>(socket);
  std::string request;
  char buffer[4096];
  // The head, then the body its Content-Length announces: a client may send the two apart.
  std::size_t whole = std::string::npos;
  while (request.size() < whole) {
    const int n = static_cast<int>(::recv(client, buffer, sizeof buffer, 0));
    if (n <= 0) break;
    request.append(buffer, static_cast<std::size_t>(n));
    const std::size_t head = request.find("\r\n\r\n");
    if (head == std::string::npos) continue;
    std::string lower = request.substr(0, head);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::size_t field = lower.find("\r\ncontent-length:");
    whole =
        head + 4 +
        (field == std::string::npos ? 0 : std::strtoul(lower.c_str() + field + 17, nullptr, 10));
  }
  return request;
}

void LoopbackServer::Answer(std::uintptr_t socket, const ServerScript& script) {
  const auto client = static_cast<SocketHandle>(socket);
  char buffer[4096];
  const int one = 1;
  ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
  const std::string& response = script.response;
  const std::size_t end = std::min(response.size(), script.resetAfter);
  const std::size_t piece = script.piece ? script.piece : (end ? end : 1);
  for (std::size_t sent = 0; sent < end;) {
    if (sent >= script.holdAfter) {
      std::unique_lock<std::mutex> hold(lock_);
      released_.wait(hold, [this] { return release_; });
    }
    const std::size_t size = sent < script.wholeFirst ? script.wholeFirst - sent : piece;
    const int n = static_cast<int>(::send(
        client, response.data() + sent, static_cast<int>(std::min(size, end - sent)), kSendFlags));
    if (n <= 0) break;
    sent += static_cast<std::size_t>(n);
    if (script.pause.count() > 0) std::this_thread::sleep_for(script.pause);
  }
  while (!script.endless.empty() && !Released() &&
         ::send(client, script.endless.data(), static_cast<int>(script.endless.size()),
                kSendFlags) > 0) {
    if (script.pause.count() > 0) std::this_thread::sleep_for(script.pause);
  }
  if (script.resetAfter != std::string::npos) {
    // Let the client take what was sent, then reset the connection instead of closing it.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    linger abort{1, 0};
    ::setsockopt(client, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abort),
                 sizeof abort);
  } else {
    ::shutdown(client, 1);
    // Wait for the client to close its side, so the last bytes are not lost to a reset; a
    // client that keeps the connection for later (a pool) gets two seconds, or until the
    // server ends.
#ifdef _WIN32
    const DWORD wait = 100;
#else
    const timeval wait{0, 100 * 1000};
#endif
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&wait),
                 sizeof wait);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    for (;;) {
      const int n = static_cast<int>(::recv(client, buffer, sizeof buffer, 0));
      if (n == 0 || (n < 0 && (Released() || std::chrono::steady_clock::now() > deadline))) break;
    }
  }
  CloseSocket(client);
}

}  // namespace cardo::testing
