#pragma once
// What the receiver answers to one request from the browser extension, and the links it takes.
// The receiver listens on the loopback address only; these checks keep web pages out of it:
// a Host other than its own address and port (a DNS rebinding page) is refused, an Origin other
// than an extension's is refused and gets no CORS headers, and every call needs the token.
//
//   POST /v1/links   {"page": "...", "title": "...", "urls": ["...", {"url": "...", "page":
//                    "..."}]}  -> 200 {"added": N, "skipped": {...}, "room": R|null}
//   GET  /v1/status  -> 200 {"name": "Cardo", "version": "...", "room": R|null}
//   OPTIONS          -> 204 for an extension's preflight
//   anything else    -> 4xx {"error": CODE, "message": TEXT}, nothing taken
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/receive/incoming_request.h"
#include "app/url/url.h"

namespace cardo {

// The port the receiver listens on unless told otherwise.
inline constexpr unsigned short kDefaultReceiverPort = 8765;

struct ReceiverSettings {
  unsigned short port = 0;  // the port Host must name
  std::string token;        // the bearer token; never empty
  std::string version;      // what /v1/status says ("3.00")
  // How many more links the list can take; nullopt: no limit (the command line).
  std::optional<std::size_t> room;
  UrlForm form = UrlForm::Wire;  // how the taken URLs are written
};

struct ReceivedLink {
  std::u16string url;   // http, https or ftp, without fragment
  std::u16string page;  // the page it was found on (http, https or ftp, no fragment), or empty
};

// The links of a request that were not taken, by why.
struct SkippedLinks {
  std::size_t scheme = 0;     // no http, https or ftp address
  std::size_t duplicate = 0;  // sent before in the same request
  std::size_t full = 0;       // past the room of the list
};

struct ReceiverAnswer {
  // What the body tells: a refusal or a preflight (Other), the status, or the links taken.
  enum class Kind { Other, Status, Links };
  Kind kind = Kind::Other;
  int status = 200;
  std::vector<std::pair<std::string, std::string>> headers;  // besides the length and type
  std::string body;                                          // JSON, or empty for 204
  std::vector<ReceivedLink> links;  // to add, in the order sent, each URL once
  SkippedLinks skipped;             // for Links

  // The whole HTTP/1.1 response, closing the connection.
  std::string Wire() const;
};

// The answer to a request `reader` has finished (Done or Refused). Linear in the body's size.
ReceiverAnswer AnswerRequest(const RequestReader& reader, const ReceiverSettings& settings);

// A Status or Links answer made with no room (a list on another thread holds it) told what the
// list made of it: the first `added` links were taken, the rest left out for want of room, and
// `room` more lines fit now. Other answers stay as they are.
void SettleAnswer(ReceiverAnswer& answer, std::size_t added, std::size_t room,
                  std::string_view version);

// The answer to a request refused for `why`: its status and {"error", "message"}.
ReceiverAnswer RefusalAnswer(RequestRefusal why);

// A new token: 128 random bits as 32 lower-case hexadecimal digits.
std::string NewReceiverToken();

// Whether `a` and `b` are equal, in a time that depends on their lengths only.
bool SameSecret(std::string_view a, std::string_view b);

}  // namespace cardo
