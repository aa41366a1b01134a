#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <atomic>
#include <mutex>

#include "app/receive/loopback_socket.h"

namespace cardo {
namespace {

// The session Ctrl+C, Ctrl+Break and the console closing stop: the Windows faces of SIGINT
// and SIGTERM. The handler runs on a thread of its own.
std::mutex gConsoleMutex;
SocketSession* gConsoleSession = nullptr;

BOOL WINAPI OnConsoleEvent(DWORD) {
  const std::lock_guard lock(gConsoleMutex);
  if (gConsoleSession) gConsoleSession->Stop();
  return TRUE;
}

SOCKET Native(Socket::Handle handle) {
  return static_cast<SOCKET>(handle);
}

std::string SystemText(int code) {
  wchar_t* text = nullptr;
  FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string utf8 = "error " + std::to_string(code);
  if (text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (size > 1) {
      utf8.assign(static_cast<std::size_t>(size - 1), '\0');
      WideCharToMultiByte(CP_UTF8, 0, text, -1, utf8.data(), size, nullptr, nullptr);
      utf8.erase(utf8.find_last_not_of("\r\n .") + 1);
    }
    LocalFree(text);
  }
  return utf8;
}

void NonBlocking(SOCKET s) {
  u_long on = 1;
  ioctlsocket(s, FIONBIO, &on);
}

std::optional<Socket> Listen(const sockaddr* address, int size, std::string& why) {
  const bool v6 = address->sa_family == AF_INET6;
  const SOCKET s = WSASocketW(address->sa_family, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                              WSA_FLAG_NO_HANDLE_INHERIT);
  if (s == INVALID_SOCKET && v6) return Socket();
  Socket listener(static_cast<Socket::Handle>(s));
  // Windows' SO_REUSEADDR would let another program take the port over: refuse sharing.
  const BOOL on = TRUE;
  setsockopt(s, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on), sizeof on);
  if (s != INVALID_SOCKET && bind(s, address, size) == 0 && listen(s, 16) == 0) {
    NonBlocking(s);
    return listener;
  }
  const int error = WSAGetLastError();
  if (v6 && (error == WSAEADDRNOTAVAIL || error == WSAEAFNOSUPPORT)) return Socket();
  // With SO_EXCLUSIVEADDRUSE a port another program holds can also answer "access denied".
  why = error == WSAEADDRINUSE || error == WSAEACCES ? kPortTaken : SystemText(error);
  return std::nullopt;
}

}  // namespace

Socket::~Socket() {
  if (valid()) closesocket(Native(handle_));
}

struct SocketSession::State {
  bool started = false;
  bool signals = false;
  std::atomic<bool> stopped{false};
  // A datagram to itself wakes the wait: WSAPoll waits for sockets alone.
  Socket wakeup;
  sockaddr_in wakeupAddress{};
};

SocketSession::SocketSession(Signals signals) : state_(std::make_unique<State>()) {
  WSADATA data;
  state_->started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  const SOCKET s =
      WSASocketW(AF_INET, SOCK_DGRAM, IPPROTO_UDP, nullptr, 0, WSA_FLAG_NO_HANDLE_INHERIT);
  if (s != INVALID_SOCKET) {
    Socket wakeup(static_cast<Socket::Handle>(s));
    sockaddr_in& address = state_->wakeupAddress;
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
      NonBlocking(s);
      state_->wakeup = std::move(wakeup);
    }
  }
  if (signals == Signals::Stop) {
    state_->signals = true;
    const std::lock_guard lock(gConsoleMutex);
    gConsoleSession = this;
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  }
}

SocketSession::~SocketSession() {
  if (state_->signals) {
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
    const std::lock_guard lock(gConsoleMutex);
    gConsoleSession = nullptr;
  }
  state_->wakeup = Socket();
  if (state_->started) WSACleanup();
}

bool SocketSession::Stopped() const {
  return state_->stopped;
}

void SocketSession::Stop() {
  state_->stopped = true;
  if (!state_->wakeup.valid()) return;
  const char byte = 0;
  sendto(Native(state_->wakeup.get()), &byte, 1, 0,
         reinterpret_cast<const sockaddr*>(&state_->wakeupAddress), sizeof state_->wakeupAddress);
}

Socket::Handle SocketSession::Wakeup() const {
  return state_->wakeup.valid() ? state_->wakeup.get() : Socket::kNone;
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
  auto first = Listen(reinterpret_cast<sockaddr*>(&v4), sizeof v4, why);
  if (!first) return std::nullopt;
  listeners.push_back(std::move(*first));
  auto second = Listen(reinterpret_cast<sockaddr*>(&v6), sizeof v6, why);
  if (!second) return std::nullopt;
  if (second->valid()) listeners.push_back(std::move(*second));
  return listeners;
}

std::optional<Socket> Accept(const Socket& listener) {
  const SOCKET s = accept(Native(listener.get()), nullptr, nullptr);
  if (s == INVALID_SOCKET) return std::nullopt;
  NonBlocking(s);
  return Socket(static_cast<Socket::Handle>(s));
}

long Receive(const Socket& socket, char* buffer, std::size_t size) {
  const int got = recv(Native(socket.get()), buffer, static_cast<int>(size), 0);
  if (got >= 0) return got;
  return WSAGetLastError() == WSAEWOULDBLOCK ? -1 : -2;
}

void SendInterim(const Socket& socket, std::string_view bytes) {
  send(Native(socket.get()), bytes.data(), static_cast<int>(bytes.size()), 0);
}

void Answer(const Socket& socket, std::string_view bytes) {
  SendInterim(socket, bytes);
  shutdown(Native(socket.get()), SD_SEND);
}

bool WaitReadable(const std::vector<Socket::Handle>& sockets, int timeoutMs,
                  std::vector<bool>& ready) {
  std::vector<WSAPOLLFD> polled;
  for (const Socket::Handle handle : sockets) polled.push_back({Native(handle), POLLRDNORM, 0});
  const int got = WSAPoll(polled.data(), static_cast<ULONG>(polled.size()), timeoutMs);
  ready.assign(sockets.size(), false);
  for (std::size_t i = 0; i < polled.size() && got > 0; ++i) ready[i] = polled[i].revents != 0;
  return got >= 0;
}

}  // namespace cardo
