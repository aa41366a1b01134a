#pragma once
// A minimal blocking HTTP/1.0 client: one "http://" URL, everything the server sends (status
// line and headers included) written to a file, each LF as CR LF. It reports its progress and
// failures as lines for the standard error stream and returns a result code.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "fnc/home_page.h"

namespace cardo::fnc {

enum HttpResult : std::int32_t {
  kHttpOk = 0,
  kHttpNotHttp = 1,
  kHttpCleanupRegistration = 2,
  kHttpStartup = 3,
  kHttpSocket = 4,
  kHttpResolve = 5,
  kHttpConnect = 6,
  kHttpSend = 7,
  kHttpFile = 8,
  kHttpBadUrl = 9,
};

// Host names the resolver accepts; requests (and so paths) up to this size.
inline constexpr std::size_t kMaxHostBytes = 255;
inline constexpr std::size_t kMaxRequestBytes = 8192;

struct HttpTarget {
  std::string host;
  std::uint16_t port = 80;
  std::string path;
};

// The URL taken apart, or the result code that refuses it (1 or 9).
struct ParsedUrl {
  HttpResult code = kHttpOk;
  HttpTarget target;
};
ParsedUrl ParseHttpUrl(std::string_view url);
std::string BuildRequest(const HttpTarget& target);

// The network as the client uses it; one implementation over Winsock 1.1, one over BSD sockets.
class HttpNetwork {
 public:
  virtual ~HttpNetwork() = default;
  // Starts the socket library and registers its clean-up at exit, each once per process.
  virtual HttpResult Start() = 0;
  virtual bool Open() = 0;
  // The IPv4 address (network order) of a dotted address or a resolved name.
  virtual std::optional<std::uint32_t> Resolve(const std::string& host) = 0;
  virtual bool Connect(std::uint32_t address, std::uint16_t port) = 0;
  virtual bool SendAll(std::string_view bytes) = 0;
  // Bytes received (0: the peer closed), or -1 on an error.
  virtual long Receive(char* buffer, std::size_t size) = 0;
  virtual void Shutdown() = 0;
  virtual void Close() = 0;
};

// The output file: emptied before the transfer, appended to for each chunk. Each chunk is in
// the file when Append returns (a process ended while the server stalls leaves the file as far
// as it got); false from Append or CloseFile means bytes were lost.
class HttpOutput {
 public:
  virtual ~HttpOutput() = default;
  virtual void Truncate() = 0;
  virtual bool OpenForAppend() = 0;
  virtual bool Append(std::string_view bytes) = 0;
  virtual bool CloseFile() = 0;
};

// One report line, UTF-8, ending with "\n".
using HttpReport = std::function<void(const std::string& line)>;
// "hh:mm:ss" of the local time.
std::string ReportTime();

// Every LF of `bytes` as CR LF, appended to `out`.
void AppendWithCrLf(std::string_view bytes, std::string& out);

HttpResult FetchHttp(std::string_view url, HttpNetwork& network, HttpOutput& output,
                     const HttpReport& report,
                     const std::function<std::string()>& clock = ReportTime);

}  // namespace cardo::fnc
