#pragma once
// A one-connection HTTP server on 127.0.0.1 for the client's tests: it records the request
// and answers with a scripted response, whole, in small pieces, slowly, without end, or cut off
// by a reset.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

namespace cardo::testing {

struct ServerScript {
  std::string response;
  std::size_t piece = 0;                       // bytes per send; 0 sends all at once
  std::size_t resetAfter = std::string::npos;  // reset the connection after this many bytes
  std::size_t holdAfter = std::string::npos;   // send no more after this many until Release
  std::chrono::milliseconds pause{0};          // between pieces
  std::string endless;         // after the response, sent again and again until the client leaves
  std::size_t wholeFirst = 0;  // bytes sent at once before the pieces
};

class LoopbackServer {
 public:
  explicit LoopbackServer(ServerScript script);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  std::uint16_t port() const { return port_; }
  // The request as received; waits for the connection to end.
  const std::string& request();

  // Lets a held response go on, and ends an endless one.
  void Release();

  // A port on 127.0.0.1 where nothing listens.
  static std::uint16_t ClosedPort();

 private:
  void Serve();
  bool Released();
  ServerScript script_;
  std::uintptr_t listener_;
  std::uint16_t port_ = 0;
  std::string request_;
  std::mutex lock_;
  std::condition_variable released_;
  bool release_ = false;
  std::thread thread_;
};

}  // namespace cardo::testing
