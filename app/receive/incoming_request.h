#pragma once
// One HTTP/1.1 request read from bytes as they arrive, for the receiver on the loopback
// address: a head of at most kRequestHeadLimit bytes, a body only by Content-Length and of at
// most kRequestBodyLimit bytes. The limits are judged as soon as the bytes that break them
// arrive, so a client can never make the reader hold more than the two limits together.
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace cardo {

inline constexpr std::size_t kRequestHeadLimit = 16 * 1024;
inline constexpr std::size_t kRequestBodyLimit = 8 * 1024 * 1024;

struct IncomingRequest {
  std::string method;                                        // as sent ("POST")
  std::string target;                                        // as sent ("/v1/links")
  std::vector<std::pair<std::string, std::string>> headers;  // names in lower case, values trimmed
  std::string body;

  // The value of the header `lowerName`, or nullptr; a header sent twice counts as its first.
  const std::string* Header(std::string_view lowerName) const;
};

// Why a request is refused; ReceiverRefusal (receiver.h) gives each its answer.
enum class RequestRefusal {
  None,
  Malformed,       // not an HTTP/1.x request line and headers
  HeadTooLarge,    // more than kRequestHeadLimit bytes before the body
  LengthRequired,  // a POST without Content-Length, or a body sent in chunks
  BodyTooLarge,    // Content-Length beyond kRequestBodyLimit
  CutShort,        // the client closed before the body was whole
  TooSlow,         // the request was not whole within the time the server gives it
  WrongHost,       // Host is not the receiver's own loopback address and port
  WebOrigin,       // Origin is a web page (or "null"), not an extension
  NoToken,         // no or a wrong "Authorization: Bearer" token
  NotFound,        // a path the receiver does not serve
  WrongMethod,     // a method the path does not take
  MalformedJson,   // the body is no JSON
  NotLinks,        // JSON, but not {page, title, urls}
};

class RequestReader {
 public:
  enum class State { NeedMore, Done, Refused };

  // Takes the next bytes the client sent. Bytes after a whole request are ignored: one request
  // per connection.
  State Feed(std::string_view bytes);
  // The client closed its side: a request not yet whole is CutShort.
  State End();

  State state() const { return state_; }
  // The head asked "Expect: 100-continue" and the body is still to come: the client waits for
  // an interim answer before it sends the body (curl does for bodies over 1 MiB).
  bool WantsContinue() const { return expectsContinue_ && inBody_ && state_ == State::NeedMore; }
  RequestRefusal refusal() const { return refusal_; }
  const IncomingRequest& request() const { return request_; }

 private:
  State Refuse(RequestRefusal why);
  State ReadHead(std::string_view head);

  State state_ = State::NeedMore;
  RequestRefusal refusal_ = RequestRefusal::None;
  std::string buffer_;  // the head until it ends, then the body
  bool inBody_ = false;
  bool expectsContinue_ = false;
  std::size_t bodyLength_ = 0;
  IncomingRequest request_;
};

}  // namespace cardo
