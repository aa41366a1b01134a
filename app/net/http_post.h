#pragma once
// One POST of a body to an address, answered or not.
#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

#include "app/net/http_client.h"

namespace cardo {

struct PostResponse {
  bool answered = false;                 // false: no HTTP answer; `failure` says why
  int status = 0;                        // the HTTP status
  std::string body;                      // as sent
  std::u16string failure;                // the reason when not answered
  HttpFailure kind = HttpFailure::None;  // its kind; None also when nothing says which
};
// How long a post waits for a server that sends nothing.
inline constexpr std::chrono::seconds kPostSilence{60};

// Sends `body` (JSON) and waits for the answer.
using JsonPost = std::function<PostResponse(const std::string& body)>;

// POSTs `body` with Content-Type application/json to the http or https `address` and reads
// the whole answer (at most 64 MiB). Straight to the address and nowhere else: never through
// a proxy, and a redirect is not followed but fails naming its status and Location, since the
// body carries a secret token and every URL of the list. A server silent for `silence` has
// failed. `cancelled`, when given, turning true ends the post at once, not answered.
PostResponse PostJson(const HttpClient& client, std::u16string_view address,
                      const std::string& body, std::chrono::milliseconds silence = kPostSilence,
                      const std::atomic<bool>* cancelled = nullptr);

}  // namespace cardo
