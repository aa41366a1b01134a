// The HTTP stack of the native build: libcurl, one easy handle an exchange, its connections,
// resolved names and TLS sessions shared by every exchange of the stack.
#include <curl/curl.h>

#include <array>
#include <chrono>
#include <memory>
#include <mutex>

#include "app/net/http_client.h"
#include "app/platform/text.h"

namespace cardo {
namespace {

using Clock = std::chrono::steady_clock;

// Headers that go on past this are no answer a page has (a server that never ends them).
constexpr std::size_t kHeaderBytes = 256 * 1024;
// An unwanted body past this is not read: the connection goes instead.
constexpr std::size_t kDrainBytes = 16 * 1024;
// The connections the stack keeps, in use or idle for the next request to their host. Each
// exchange's own limit governs the shared pool: left at libcurl's 5, a link check over five
// hosts closed a connection at nearly every request it ended.
constexpr long kPooledConnections = 256;

// OpenSSL's verification results (X509_V_ERR_...) that say which fault a certificate has; a
// name that does not match libcurl checks itself after OpenSSL's checks passed, and reports as
// 0 or 1 (unspecified).
constexpr long kUnspecified = 1, kNotYetValid = 9, kExpired = 10, kRevoked = 23, kHostMismatch = 62;
constexpr long kUntrustedResults[] = {2, 18, 19, 20, 21, 27};

struct Easy {
  Easy() : handle(curl_easy_init()) {}
  ~Easy() {
    if (handle) curl_easy_cleanup(handle);
  }
  Easy(const Easy&) = delete;
  Easy& operator=(const Easy&) = delete;
  CURL* handle;
};

struct FieldList {
  ~FieldList() { curl_slist_free_all(list); }
  void Add(const std::string& line) {
    if (curl_slist* longer = curl_slist_append(list, line.c_str())) list = longer;
  }
  curl_slist* list = nullptr;
};

std::string_view WithoutLineEnd(std::string_view line) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  return line;
}

// One exchange's state, as libcurl's callbacks see it.
struct Transfer {
  Transfer(StackSink& sink, const std::atomic<bool>& cancelled, std::chrono::milliseconds silence)
      : sink(sink), cancelled(cancelled), silence(silence) {}
  StackSink& sink;
  const std::atomic<bool>& cancelled;
  std::chrono::milliseconds silence;
  Clock::time_point start = Clock::now();
  Clock::time_point lastByte = start;
  HttpHead head;
  std::size_t headerBytes = 0;
  bool headDone = false;  // the final answer's head went to the sink
  bool unwanted = false;  // the sink wants no body: a short one is read and dropped
  std::size_t drained = 0;
  bool stopped = false;  // the sink wanted no more
  bool headersTooLong = false;
  bool timedOut = false;
};

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
  Transfer& x = *static_cast<Transfer*>(user);
  const std::size_t bytes = size * count;
  x.lastByte = Clock::now();
  // After the final head only trailer fields come, which say nothing the body needs.
  if (x.headDone) return bytes;
  x.headerBytes += bytes;
  if (x.headerBytes > kHeaderBytes) {
    x.headersTooLong = true;
    return 0;
  }
  const std::string_view line = WithoutLineEnd(std::string_view(data, bytes));
  if (line.substr(0, 5) == "HTTP/") {
    // Each answer, an interim 1xx before the final one among them, starts afresh.
    x.head = {};
    x.head.statusLine = std::string(line);
    const std::size_t space = line.find(' ');
    x.head.status =
        space == std::string_view::npos ? 0 : std::atoi(x.head.statusLine.c_str() + space + 1);
    return bytes;
  }
  if (line.empty()) {
    if (x.head.status >= 100 && x.head.status < 200 && x.head.status != 101) return bytes;
    x.headDone = true;
    x.unwanted = !x.sink.Head(std::move(x.head));
    return bytes;
  }
  if ((line.front() == ' ' || line.front() == '\t') && !x.head.fields.empty()) {
    x.head.fields.back().value += ' ';
    x.head.fields.back().value += line.substr(line.find_first_not_of(" \t"));
    return bytes;
  }
  const std::size_t colon = line.find(':');
  if (colon == std::string_view::npos) return bytes;
  std::string_view value = line.substr(colon + 1);
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
  x.head.fields.push_back({std::string(line.substr(0, colon)), std::string(value)});
  return bytes;
}

std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
  Transfer& x = *static_cast<Transfer*>(user);
  x.lastByte = Clock::now();
  // A short body read to its end keeps the connection for the next request.
  if (x.unwanted && (x.drained += size * count) <= kDrainBytes) return size * count;
  if (!x.unwanted && x.sink.Body(std::string_view(data, size * count))) return size * count;
  x.stopped = true;
  return 0;
}

// Called while the transfer waits: ends it on a cancel, on silence, and on a head not whole
// within the limit after the request (header bytes are not seen one by one, and a server may
// send them without end).
int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  Transfer& x = *static_cast<Transfer*>(user);
  if (x.cancelled) return 1;
  const auto now = Clock::now();
  x.timedOut = now - x.lastByte > x.silence || (!x.headDone && now - x.start > x.silence);
  return x.timedOut ? 1 : 0;
}

bool IsHeaderLimit(CURLcode result) {
#if LIBCURL_VERSION_NUM >= 0x080600
  if (result == CURLE_TOO_LARGE) return true;
#endif
  return result == CURLE_OUT_OF_MEMORY;
}

HttpFailure CertificateFailure(long verifyResult) {
  switch (verifyResult) {
    case 0:
    case kUnspecified:
    case kHostMismatch:
      return HttpFailure::CertificateWrongName;
    case kNotYetValid:
    case kExpired:
      return HttpFailure::CertificateExpired;
    case kRevoked:
      return HttpFailure::CertificateRevoked;
    default:
      for (const long untrusted : kUntrustedResults) {
        if (verifyResult == untrusted) return HttpFailure::CertificateUntrusted;
      }
      return HttpFailure::CertificateInvalid;
  }
}

class CurlStack final : public HttpStack {
 public:
  explicit CurlStack(HttpStackOptions options)
      : options_(std::move(options)), share_(Ready() ? curl_share_init() : nullptr) {
    if (!share_) return;
    curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, &CurlStack::Lock);
    curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, &CurlStack::Unlock);
    curl_share_setopt(share_, CURLSHOPT_USERDATA, this);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
  }
  ~CurlStack() override {
    if (share_) curl_share_cleanup(share_);
  }
  CurlStack(const CurlStack&) = delete;
  CurlStack& operator=(const CurlStack&) = delete;

  StackOutcome Exchange(const StackRequest& request, StackSink& sink,
                        const std::atomic<bool>& cancelled) override {
    if (!Ready()) return {MakeHttpError(HttpFailure::Other, u"libcurl could not start")};
    Easy easy;
    if (!easy.handle) return {MakeHttpError(HttpFailure::OutOfMemory)};
    CURL* c = easy.handle;
    Transfer x(sink, cancelled, request.silence);
    char reason[CURL_ERROR_SIZE] = {};
    const std::string url = Utf16ToUtf8(request.url);
    Common(c, url, request.silence, request.proxy);
    FieldList fields;
    SetMethod(c, request, fields);
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, fields.list);
    if (share_) curl_easy_setopt(c, CURLOPT_SHARE, share_);
    SetCallbacks(c, x, reason);
    const CURLcode result = curl_easy_perform(c);

    if (cancelled) return {MakeHttpError(HttpFailure::Cancelled)};
    if ((x.stopped || x.unwanted) && (result == CURLE_OK || result == CURLE_WRITE_ERROR)) {
      return {};
    }
    // A header line past libcurl's own limit (100 KiB) never reaches OnHeader: libcurl ends
    // the transfer as out of memory (as too large since 8.6).
    if (x.headersTooLong || (!x.headDone && IsHeaderLimit(result))) {
      return {MakeHttpError(HttpFailure::HeadersTooLong)};
    }
    if (x.timedOut || result == CURLE_OPERATION_TIMEDOUT) {
      return {MakeHttpError(HttpFailure::TimedOut)};
    }
    return OutcomeOf(result, x, c, url, request, reason);
  }

 private:
  // The request's method, and its body for a POST; `fields` gets the headers they need.
  static void SetMethod(CURL* c, const StackRequest& request, FieldList& fields) {
    for (const HttpField& field : request.fields) fields.Add(field.name + ": " + field.value);
    if (request.method == "HEAD") {
      curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
    } else if (request.method == "POST") {
      curl_easy_setopt(c, CURLOPT_POSTFIELDS, request.body.data());
      curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE,
                       static_cast<curl_off_t>(request.body.size()));
      fields.Add("Expect:");  // the body goes at once, never after an interim answer
    } else if (request.method != "GET") {
      curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    }
  }

  // The transfer's bytes, progress and error text go to `x` and `reason`, undecoded.
  static void SetCallbacks(CURL* c, Transfer& x, char* reason) {
    curl_easy_setopt(c, CURLOPT_HTTP_CONTENT_DECODING, 0L);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &x);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, reason);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &x);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &x);
  }

  // The exchange's outcome from libcurl's result, once cancelling, stopping, the header limit
  // and the time-out are ruled out.
  StackOutcome OutcomeOf(CURLcode result, const Transfer& x, CURL* c, const std::string& url,
                         const StackRequest& request, const char* reason) const {
    const bool anyByte = x.headerBytes > 0;
    switch (result) {
      case CURLE_OK:
        if (!x.headDone) return {MakeHttpError(HttpFailure::HeadersCut)};
        return {};
      case CURLE_PARTIAL_FILE:
      case CURLE_RECV_ERROR:
      case CURLE_SEND_ERROR:
        if (x.headDone) return {{}, true};
        return {MakeHttpError(anyByte ? HttpFailure::HeadersCut : HttpFailure::Closed)};
      case CURLE_GOT_NOTHING:
        return {MakeHttpError(HttpFailure::Closed)};
      case CURLE_COULDNT_RESOLVE_HOST:
        return {MakeHttpError(HttpFailure::NameNotResolved)};
      case CURLE_COULDNT_CONNECT:
        return {MakeHttpError(HttpFailure::Refused)};
      case CURLE_PEER_FAILED_VERIFICATION: {
        long verifyResult = -1;
        curl_easy_getinfo(c, CURLINFO_SSL_VERIFYRESULT, &verifyResult);
        return {MakeHttpError(CertificateFailure(verifyResult))};
      }
      case CURLE_SSL_CONNECT_ERROR:
        return {MakeHttpError(OnlyOlderTls(url, request) ? HttpFailure::TlsVersion
                                                         : HttpFailure::TlsFailed)};
      case CURLE_UNSUPPORTED_PROTOCOL:  // HTTP/0.9: bytes without a status line
      case CURLE_WEIRD_SERVER_REPLY:
        return {MakeHttpError(HttpFailure::BadResponse)};
      default:
        return {
            MakeHttpError(HttpFailure::Other,
                          Utf8ToUtf16(std::string(reason[0] ? reason : curl_easy_strerror(result)) +
                                      " (" + std::to_string(result) + ")"))};
    }
  }

  static bool Ready() {
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
  }

  void Common(CURL* c, const std::string& url, std::chrono::milliseconds silence,
              ProxyRule proxy) const {
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_MAXCONNECTS, kPooledConnections);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(silence.count()));
    // As the Windows face: TLS 1.2 and later.
    curl_easy_setopt(c, CURLOPT_SSLVERSION, static_cast<long>(CURL_SSLVERSION_TLSv1_2));
    if (!options_.caFile.empty()) curl_easy_setopt(c, CURLOPT_CAINFO, options_.caFile.c_str());
    if (proxy == ProxyRule::None) {
      curl_easy_setopt(c, CURLOPT_PROXY, "");
      curl_easy_setopt(c, CURLOPT_NOPROXY, "*");
    }
  }

  // Whether the server that refused the handshake shakes hands in TLS 1.0 or 1.1: then its
  // versions are what refused, not its certificate or its ciphers.
  bool OnlyOlderTls(const std::string& url, const StackRequest& request) const {
    Easy probe;
    if (!probe.handle) return false;
    CURL* c = probe.handle;
    Common(c, url, request.silence, request.proxy);
    curl_easy_setopt(c, CURLOPT_CONNECT_ONLY, 1L);
    curl_easy_setopt(c, CURLOPT_SSLVERSION,
                     static_cast<long>(CURL_SSLVERSION_TLSv1_0 | CURL_SSLVERSION_MAX_TLSv1_1));
    curl_easy_setopt(c, CURLOPT_SSL_CIPHER_LIST, "DEFAULT:@SECLEVEL=0");
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, static_cast<long>(request.silence.count()));
    return curl_easy_perform(c) == CURLE_OK;
  }

  static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* user) {
    static_cast<CurlStack*>(user)->locks_[data % CURL_LOCK_DATA_LAST].lock();
  }
  static void Unlock(CURL*, curl_lock_data data, void* user) {
    static_cast<CurlStack*>(user)->locks_[data % CURL_LOCK_DATA_LAST].unlock();
  }

  const HttpStackOptions options_;
  std::array<std::mutex, CURL_LOCK_DATA_LAST> locks_;
  CURLSH* share_;
};

}  // namespace

std::shared_ptr<HttpStack> SystemHttpStack(const HttpStackOptions& options) {
  return std::make_shared<CurlStack>(options);
}

}  // namespace cardo
