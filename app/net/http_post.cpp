#include "app/net/http_post.h"

#include <atomic>

namespace cardo {
namespace {

constexpr long long kMaxAnswerBytes = 64 * 1024 * 1024;

class AnswerSink final : public HttpSink {
 public:
  explicit AnswerSink(PostResponse& response) : response_(response) {}
  bool Head(const Url&, const HttpHead& head) override {
    response_.status = head.status;
    return true;
  }
  bool Body(std::string_view bytes) override {
    response_.body.append(bytes);
    return true;
  }

 private:
  PostResponse& response_;
};

}  // namespace

PostResponse PostJson(const HttpClient& client, std::u16string_view address,
                      const std::string& body, std::chrono::milliseconds silence,
                      const std::atomic<bool>* cancelled) {
  PostResponse response;
  HttpError error;
  const std::optional<Url> url = ParseHttpAddress(address, error);
  if (url) {
    HttpRequest request;
    request.method = "POST";
    request.url = *url;
    request.fields.push_back({"Content-Type", "application/json"});
    request.body = body;
    request.silence = silence;
    request.bodyLimit = kMaxAnswerBytes;
    request.redirects = RedirectPolicy::Never;
    request.proxy = ProxyRule::None;
    AnswerSink sink(response);
    const std::atomic<bool> never{false};
    error = client.Fetch(request, sink, cancelled ? *cancelled : never);
  }
  if (error) {
    response = {};
    response.failure = error.reason;
    response.kind = error.kind;
    return response;
  }
  response.answered = true;
  return response;
}

}  // namespace cardo
