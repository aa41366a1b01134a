#pragma once
// The link check: whether each URL of a list answers, how big it is and where it leads, asked
// politely (a bounded number of connections in all and per host) and without downloading the
// files. The requests go through a seam (LinkTransport), which the program and cardo-cli fill
// with the HTTP client (http_client.h) and the checker's tests with scripted answers.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/net/http_client.h"
#include "app/url/url.h"

namespace cardo {

// One request as the transport sends it.
struct LinkRequest {
  std::u16string url;  // the address as sent (its Href in the wire form, no fragment)
  // HEAD; otherwise GET with "Range: bytes=0-0", of whose body the transport reads no more
  // than the first bytes.
  bool head = true;
  std::chrono::milliseconds silence{30 * 1000};  // without a byte this long, TimedOut
  // The cookies and credentials of the line's chain of redirects, when it has them.
  HttpTrail* trail = nullptr;
};

// What the stack could not do, when no answer came.
enum class LinkFailure { None, Dns, Refused, Tls, TimedOut, Closed, Cancelled, Other };

// A server's answer, or the failure that kept it from coming.
struct LinkAnswer {
  LinkFailure failure = LinkFailure::None;
  std::u16string reason;  // for the user, the client's words (http_failure.h)
  int status = 0;
  long long contentLength = -1;  // -1: none sent
  long long rangeTotal = -1;     // the total of "Content-Range: bytes 0-0/TOTAL"; -1: none
  std::string contentType;
  std::string location;  // the Location header's bytes as sent
};

// Sends one request at a time and waits for its answer. A transport belongs to one worker
// thread; `cancelled` turning true ends a request at once with LinkFailure::Cancelled.
class LinkTransport {
 public:
  virtual ~LinkTransport() = default;
  virtual LinkAnswer Ask(const LinkRequest& request, const std::atomic<bool>& cancelled) = 0;
};
using LinkTransportFactory = std::function<std::unique_ptr<LinkTransport>()>;

// Transports over the HTTP client on `stack`, which their workers share (kept-alive
// connections among them): each request one hop, its redirect reported, never followed.
LinkTransportFactory HttpLinkTransports(std::shared_ptr<HttpStack> stack);

// Alive: a 2xx answer. Dead: 4xx or 5xx, a host that does not resolve or a refused
// connection: what the user may remove. Error: a failure that says nothing certain about the
// link (TLS, a time-out, a redirect loop or chain too long, a closed connection, an answer
// that is none of these). NotChecked: a line that is no http or https URL, or a check stopped
// before it.
enum class LinkVerdict { Alive, Dead, Error, NotChecked };

struct LinkResult {
  LinkVerdict verdict = LinkVerdict::NotChecked;
  LinkFailure failure = LinkFailure::None;
  bool loop = false;         // Error: the redirects came back to an address already visited
  bool tooManyHops = false;  // Error: more than ten redirects
  int status = 0;            // the last answer's status; 0: none
  long long size = -1;       // Content-Length, or the total of Content-Range; -1: unknown
  std::string contentType;   // as sent
  std::u16string finalUrl;   // the last address asked (the URL itself without redirects)
  std::u16string reason;     // why it is an error or dead without a status; empty otherwise
};

// The first column of a result: the status ("200", "404"), or for a result without one
// "DNS", "REFUSED", "TLS", "TIMEOUT", "CLOSED", "LOOP", "REDIRECTS", "ERROR", "NOT-CHECKED".
std::u16string StatusText(const LinkResult& result);

// The key the per-host limit counts by: scheme, host and port ("http://h:80"); empty for a URL
// that is no http or https URL.
std::u16string LinkHostKey(const Url& url);

// Called before each request with the address it goes to and after it: the scheduler's way
// to count requests per host across redirects. `Enter` returns false when the check stops.
class LinkHopGate {
 public:
  virtual ~LinkHopGate() = default;
  [[nodiscard]] virtual bool Enter(const std::u16string& hostKey) = 0;
  virtual void Leave(const std::u16string& hostKey) = 0;
};

// Checks `url` (a list line; blanks around it ignored): HEAD, then on 403, 405, 501 or a
// connection closed without an answer the same address with GET "Range: bytes=0-0";
// 301/302/303/307/308 with a Location followed, ten at most, a return to an address already
// visited refused. `gate`, when given, is entered around each request.
LinkResult CheckOneLink(std::u16string_view url, LinkTransport& transport,
                        std::chrono::milliseconds silence, const std::atomic<bool>& cancelled,
                        LinkHopGate* gate = nullptr);

struct LinkCheckLimits {
  int total = 16;   // requests at once, in all
  int perHost = 4;  // requests at once to one scheme, host and port
  std::chrono::milliseconds silence{30 * 1000};
};

using LinkCheckedSink = std::function<void(std::size_t, const LinkResult&)>;

// A check of lines as they come (a list read from a pipe): each line is started in list order
// as the limits allow, by at most `limits.total` worker threads, each with a transport of its
// own made by `makeTransport`, never more than `limits.perHost` requests at once to one host.
// `checked(index, result)` is called once for each line whose check ended (the index counts
// the lines added, from 0), from the adding thread for a line that is no http or https URL,
// else from the workers, never two at a time. Once `cancelled` is true no new request starts,
// and the lines not done stay without a call.
class LinkCheckRun {
 public:
  // `lookahead`: how many lines Add takes past the first one not yet reported, so that memory
  // stays bounded (the lines and the results waiting for their turn) for a list of any length.
  LinkCheckRun(const LinkCheckLimits& limits, LinkTransportFactory makeTransport,
               const std::atomic<bool>& cancelled, LinkCheckedSink checked,
               std::size_t lookahead = static_cast<std::size_t>(-1));
  ~LinkCheckRun();
  LinkCheckRun(const LinkCheckRun&) = delete;
  LinkCheckRun& operator=(const LinkCheckRun&) = delete;

  // The next line (a list line; blanks around it ignored). Waits while the lookahead is full;
  // false once the check is cancelled.
  bool Add(std::u16string url);
  // No more lines: returns once every worker has ended, and throws what the sink threw (the
  // lines whose results it failed to take stay without them).
  void Finish();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

// Checks every line of `urls` with at most `limits.total` worker threads, each with a
// transport of its own made by `makeTransport` (the transports of one factory may share kept-
// alive connections), never more than `limits.perHost` requests at once to one host. Lines are
// started in list order as the limits allow. `checked(index, result)` is called once for each
// line whose check ended, from the worker threads but never two at a time. Once `cancelled` is
// true no new request starts, and the lines not done stay NotChecked without a call; returns
// when every worker has ended. The results, in list order.
std::vector<LinkResult> CheckLinks(const std::vector<std::u16string>& urls,
                                   const LinkCheckLimits& limits,
                                   const LinkTransportFactory& makeTransport,
                                   const std::atomic<bool>& cancelled,
                                   const LinkCheckedSink& checked = {});

}  // namespace cardo
