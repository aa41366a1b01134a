#include <curl/curl.h>

#include <memory>

#include "app/platform/text.h"
#include "cli/json_post.h"

namespace cardo::cli {
namespace {

constexpr std::size_t kMaxAnswerBytes = 64 * 1024 * 1024;

struct Answer {
  std::string body;
  bool tooLong = false;
};

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
  Answer& answer = *static_cast<Answer*>(user);
  if (answer.body.size() + size * count > kMaxAnswerBytes) {
    answer.tooLong = true;
    return 0;
  }
  answer.body.append(data, size * count);
  return size * count;
}

PostResponse NotAnswered(std::u16string reason) {
  PostResponse response;
  response.failure = std::move(reason);
  return response;
}

}  // namespace

PostResponse PostJson(const std::string& address, const std::string& body) {
  static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  std::unique_ptr<CURL, void (*)(CURL*)> curl(ready ? curl_easy_init() : nullptr,
                                              &curl_easy_cleanup);
  if (!curl) return NotAnswered(u"libcurl could not start");
  std::unique_ptr<curl_slist, void (*)(curl_slist*)> headers(
      curl_slist_append(nullptr, "Content-Type: application/json"), &curl_slist_free_all);
  Answer answer;
  char reason[CURL_ERROR_SIZE] = {};
  CURL* c = curl.get();
  curl_easy_setopt(c, CURLOPT_URL, address.c_str());
  curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(c, CURLOPT_DEFAULT_PROTOCOL, "http");
  // The body carries the secret token: straight to the address, whatever *_proxy says.
  curl_easy_setopt(c, CURLOPT_NOPROXY, "*");
  curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(c, CURLOPT_POSTFIELDS, body.data());
  curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
  curl_easy_setopt(c, CURLOPT_USERAGENT, "Cardo/3");
  curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, 10000L);
  curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, 60000L);
  curl_easy_setopt(c, CURLOPT_ERRORBUFFER, reason);
  curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(c, CURLOPT_WRITEDATA, &answer);
  const CURLcode result = curl_easy_perform(c);
  if (answer.tooLong) return NotAnswered(u"the answer is longer than 64 MiB");
  if (result != CURLE_OK) {
    return NotAnswered(Utf8ToUtf16(reason[0] ? reason : curl_easy_strerror(result)));
  }
  PostResponse response;
  long status = 0;
  curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
  response.answered = true;
  response.status = static_cast<int>(status);
  response.body = std::move(answer.body);
  return response;
}

}  // namespace cardo::cli
