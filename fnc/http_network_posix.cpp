#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "fnc/http_network.h"

namespace cardo::fnc {
namespace {

class PosixNetwork final : public HttpNetwork {
 public:
  ~PosixNetwork() override { Close(); }

  HttpResult Start() override { return kHttpOk; }

  bool Open() override {
    socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
    return socket_ >= 0;
  }

  std::optional<std::uint32_t> Resolve(const std::string& host) override {
    if (host.empty()) return std::nullopt;
    const in_addr_t dotted = ::inet_addr(host.c_str());
    if (dotted != INADDR_NONE) return dotted;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) return std::nullopt;
    const auto address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
    ::freeaddrinfo(found);
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
      const ssize_t n = ::send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
  }

  long Receive(char* buffer, std::size_t size) override {
    for (;;) {
      const ssize_t n = ::recv(socket_, buffer, size, 0);
      if (n < 0 && errno == EINTR) continue;
      return static_cast<long>(n);
    }
  }

  void Shutdown() override {
    if (socket_ >= 0) ::shutdown(socket_, SHUT_RDWR);
  }

  void Close() override {
    if (socket_ >= 0) ::close(socket_);
    socket_ = -1;
  }

 private:
  int socket_ = -1;
};

}  // namespace

std::unique_ptr<HttpNetwork> MakeSystemNetwork() {
  return std::make_unique<PosixNetwork>();
}

}  // namespace cardo::fnc
