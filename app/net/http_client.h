#pragma once
// The one HTTP client of every face: a request in, the final answer's head and then its body
// out to a sink that may stop it, or a failure with its reason (http_failure.h). What is not
// the HTTP stack itself is here, written once: redirects followed (at most ten, loops refused)
// or refused, cookies a server sets along one chain of redirects (kept for that chain only),
// the credentials of the address sent as Basic to its origin only, the user agent, gzip and
// deflate undone, the caller's limit on the body, and the judgment of a body cut short by its
// Content-Length, its chunks or its compressed end. Each platform's stack (HttpStack: WinHTTP
// in the program and cardo-cli.exe, libcurl in the native cardo-cli) sends one request and
// hands its answer over, interim 1xx answers and trailers passed over.
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/net/http_failure.h"
#include "app/url/url.h"

namespace cardo {

struct HttpField {
  std::string name;
  std::string value;  // the bytes as sent
};
// The value of the first field named `name` (ASCII case-insensitive), or nullptr.
const std::string* FindField(const std::vector<HttpField>& fields, std::string_view name);

// What an answer's head says.
struct HttpHead {
  int status = 0;
  std::string statusLine;  // "HTTP/1.1 200 OK"
  std::vector<HttpField> fields;
  const std::string* Field(std::string_view name) const { return FindField(fields, name); }
};

// Follow: a 3xx with a Location leads on, at most ten times, never back to an address already
// asked. Never: a 3xx is a failure that names its status and Location. Report: a 3xx is the
// answer, for a caller that follows redirects itself.
enum class RedirectPolicy { Follow, Never, Report };
// System: the system's proxy settings (on Windows the user's, automatic configuration
// included; natively the http_proxy, https_proxy and no_proxy variables). None: straight to
// the server.
enum class ProxyRule { System, None };

// ---- The seam: one request over the platform's stack. ----

struct StackRequest {
  std::string method;
  // As sent: http or https, percent-encoded, the host in its A-label form, no user
  // information, no fragment.
  std::u16string url;
  std::vector<HttpField> fields;  // besides what the stack adds (Host, Content-Length)
  std::string body;
  // A server silent this long (connecting, within the head or the body) has failed, and so
  // has one whose head is not whole this long after the request.
  std::chrono::milliseconds silence{30 * 1000};
  ProxyRule proxy = ProxyRule::System;
};

class StackSink {
 public:
  virtual ~StackSink() = default;
  // The final answer's head; false when its body is not wanted.
  virtual bool Head(HttpHead head) = 0;
  // The body's next bytes, the chunks undone but not the content coding; false stops.
  virtual bool Body(std::string_view bytes) = 0;
};

struct StackOutcome {
  HttpError error;  // None: the head came, and the body up to its end or the sink's stop
  // The connection ended before the body's framing (its length or its last chunk) did.
  bool bodyCut = false;
};

// Sends one request and waits for its answer; redirects, cookies and credentials are the
// client's. A stack may be used by several threads at once; `cancelled` turning true ends
// its exchange at once with HttpFailure::Cancelled.
class HttpStack {
 public:
  virtual ~HttpStack() = default;
  virtual StackOutcome Exchange(const StackRequest& request, StackSink& sink,
                                const std::atomic<bool>& cancelled) = 0;
};

struct HttpStackOptions {
  // PEM certificate authorities to trust instead of the system's (libcurl only: Windows
  // trusts its certificate store).
  std::string caFile;
};
// The platform's stack: its connections, names and TLS sessions shared by every exchange.
std::shared_ptr<HttpStack> SystemHttpStack(const HttpStackOptions& options = {});

// ---- The client. ----

struct HttpRequest {
  std::string method = "GET";
  // Its fragment is never sent, its credentials only as Basic to its origin. As written (a host
  // beyond ASCII as typed), the final answer's address is written so too.
  Url url;
  std::vector<HttpField> fields;
  std::string body;
  std::chrono::milliseconds silence{30 * 1000};
  long long bodyLimit = -1;  // decoded bytes the body may have; -1: no limit
  RedirectPolicy redirects = RedirectPolicy::Follow;
  // Follow: asked before each redirect is followed, with its target; false ends the exchange
  // there as RedirectRefused (a caller that has that page already). Unset: every one is.
  std::function<bool(const Url& target)> follow;
  ProxyRule proxy = ProxyRule::System;
  bool decode = false;  // asks for gzip and deflate and undoes them
};

class HttpSink {
 public:
  virtual ~HttpSink() = default;
  // The final answer, from `url`: the request's own address as it was given, or the address
  // asked last when redirected; false when its body is not wanted.
  virtual bool Head(const Url& url, const HttpHead& head) = 0;
  // The body's next bytes (decoded when the request asked); false stops the exchange, which
  // then ends without a failure of its own.
  virtual bool Body(std::string_view bytes) = 0;
};

// The cookies and credentials of one chain of requests: a cookie a server sets goes back
// only within the chain, and the start address's user and password only to its origin.
class HttpTrail {
 public:
  explicit HttpTrail(const Url& start);
  // The Cookie and Authorization fields a request to `url` carries.
  std::vector<HttpField> FieldsFor(const Url& url) const;
  // Takes the cookies `head`, the answer from `url`, sets or removes.
  void Note(const Url& url, const HttpHead& head);

 private:
  struct Cookie {
    std::string name, value, domain, path;
    bool hostOnly = true;
    bool secure = false;
  };
  std::u16string origin_;      // where the credentials go
  std::string authorization_;  // "Basic ...", empty without credentials
  std::vector<Cookie> cookies_;
};

// "Cardo/3.0.0": the program's version as every request gives it.
std::string UserAgent();

class HttpClient {
 public:
  explicit HttpClient(std::shared_ptr<HttpStack> stack) : stack_(std::move(stack)) {}

  // Runs `request` to its final answer, which goes to `sink`. `trail`, when given, carries the
  // cookies and credentials across calls (a caller that follows redirects itself); otherwise
  // the request's own address starts one. Cancel ends it at once with HttpFailure::Cancelled.
  [[nodiscard]] HttpError Fetch(const HttpRequest& request, HttpSink& sink,
                                const std::atomic<bool>& cancelled,
                                HttpTrail* trail = nullptr) const;

 private:
  std::shared_ptr<HttpStack> stack_;
};

// The http or https address `text` names, in `form`, or the failure that says why it names
// none (BadHost for a host IDNA refuses, BadAddress otherwise).
std::optional<Url> ParseHttpAddress(std::u16string_view text, HttpError& error,
                                    UrlForm form = UrlForm::Wire);

}  // namespace cardo
