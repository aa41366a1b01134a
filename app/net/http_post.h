#pragma once
// One POST of a body to an address, answered or not, as the platform's HTTP stack reports it.
#include <functional>
#include <string>

namespace cardo {

struct PostResponse {
  bool answered = false;   // false: no HTTP answer; `failure` says why
  int status = 0;          // the HTTP status
  std::string body;        // as sent
  std::u16string failure;  // the system's reason when not answered
};
// Sends `body` (JSON) and waits for the answer.
using JsonPost = std::function<PostResponse(const std::string& body)>;

}  // namespace cardo
