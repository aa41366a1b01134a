#include <windows.h>
#include <winsock.h>

#include <cstdlib>
#include <cstring>
#include <mutex>

#include "fnc/http_network.h"

namespace cardo::fnc {
namespace {

void CleanUpWinsock() {
  WSACleanup();
}

// Winsock is started, and its clean-up registered, once per process: every download
// registering one more exit handler would exhaust the runtime's table.
class WinsockOnce {
 public:
  HttpResult Start() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!started_) {
      WSADATA data{};
      started_ = WSAStartup(MAKEWORD(1, 1), &data) == 0;
    }
    if (started_ && !registered_) {
      if (std::atexit(CleanUpWinsock) != 0) return kHttpCleanupRegistration;
      registered_ = true;
    }
    return started_ ? kHttpOk : kHttpStartup;
  }

 private:
  std::mutex mutex_;
  bool started_ = false;
  bool registered_ = false;
};

WinsockOnce& Winsock() {
  static WinsockOnce instance;
  return instance;
}

class WinNetwork final : public HttpNetwork {
 public:
  ~WinNetwork() override { Close(); }

  HttpResult Start() override { return Winsock().Start(); }

  bool Open() override {
    socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
    return socket_ != INVALID_SOCKET;
  }

  std::optional<std::uint32_t> Resolve(const std::string& host) override {
    if (host.empty()) return std::nullopt;
    const unsigned long dotted = ::inet_addr(host.c_str());
    if (dotted != INADDR_NONE) return static_cast<std::uint32_t>(dotted);
    const hostent* found = ::gethostbyname(host.c_str());
    if (!found || found->h_addrtype != AF_INET || !found->h_addr_list[0]) return std::nullopt;
    std::uint32_t address = 0;
    std::memcpy(&address, found->h_addr_list[0], sizeof address);
    return address;
  }

  bool Connect(std::uint32_t address, std::uint16_t port) override {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = address;
    return ::connect(socket_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
  }

  bool SendAll(std::string_view bytes) override {
    while (!bytes.empty()) {
      const int n = ::send(socket_, bytes.data(), static_cast<int>(bytes.size()), 0);
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }

  long Receive(char* buffer, std::size_t size) override {
    const int n = ::recv(socket_, buffer, static_cast<int>(size), 0);
    return n == SOCKET_ERROR ? -1 : n;
  }

  void Shutdown() override {
    if (socket_ != INVALID_SOCKET) ::shutdown(socket_, 2);
  }

  void Close() override {
    if (socket_ != INVALID_SOCKET) ::closesocket(socket_);
    socket_ = INVALID_SOCKET;
  }

 private:
  SOCKET socket_ = INVALID_SOCKET;
};

}  // namespace

std::unique_ptr<HttpNetwork> MakeSystemNetwork() {
  return std::make_unique<WinNetwork>();
}

}  // namespace cardo::fnc
