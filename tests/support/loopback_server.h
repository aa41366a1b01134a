#pragma once
// An HTTP server on 127.0.0.1 for the client's tests: it records the request and answers with
// a scripted response, whole, in small pieces, slowly, without end, or cut off by a reset. One
// connection, or one connection after another answered by the target each asks for.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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

// How a server answers a target: with `script` when the request holds every text of `require`
// and none of `refuse`, else with `otherwise`.
struct TargetScript {
  ServerScript script;
  std::vector<std::string> require = {};
  std::vector<std::string> refuse = {};
  std::string otherwise =
      "HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
};

class LoopbackServer {
 public:
  explicit LoopbackServer(ServerScript script);
  // Answers one request a connection, each by its request target ("/a?b"); a target without
  // a script gets a 404, and "{port}" in a response is the server's port. Serves until
  // destroyed.
  explicit LoopbackServer(std::map<std::string, TargetScript> byTarget);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  std::uint16_t port() const { return port_; }
  // The request as received; waits for the connection to end (one-connection server).
  const std::string& request();
  // Every request received so far.
  std::vector<std::string> requests();

  // Lets a held response go on, and ends an endless one.
  void Release();

  // A port on 127.0.0.1 where nothing listens.
  static std::uint16_t ClosedPort();

 private:
  void Serve();
  void ServeTargets();
  // Reads one request from `client`; empty when it sent none.
  std::string Receive(std::uintptr_t client);
  void Answer(std::uintptr_t client, const ServerScript& script);
  bool Released();
  ServerScript script_;
  std::map<std::string, TargetScript> byTarget_;
  std::vector<std::string> requests_;
  std::vector<std::thread> answering_;
  std::uintptr_t listener_;
  std::uint16_t port_ = 0;
  std::string request_;
  std::mutex lock_;
  std::condition_variable released_;
  bool release_ = false;
  std::thread thread_;
};

}  // namespace cardo::testing
