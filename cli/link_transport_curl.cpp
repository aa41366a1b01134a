#include <curl/curl.h>

#include <array>
#include <chrono>
#include <memory>
#include <mutex>

#include "app/net/page_download.h"
#include "app/platform/text.h"
#include "cli/header_line.h"
#include "cli/link_transport.h"

namespace cardo::cli {
namespace {

using Clock = std::chrono::steady_clock;

// A body past this is not read: the answer's headers are what the check wants.
constexpr std::size_t kBodyBytes = 16 * 1024;

// The connection pool and name cache every worker of a check shares, so that the connections
// to one host stay as few as the requests to it at once.
class SharedPool {
 public:
  SharedPool() : share_(curl_share_init()) {
    if (!share_) return;
    curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, &SharedPool::Lock);
    curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, &SharedPool::Unlock);
    curl_share_setopt(share_, CURLSHOPT_USERDATA, this);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
  }
  ~SharedPool() {
    if (share_) curl_share_cleanup(share_);
  }
  SharedPool(const SharedPool&) = delete;
  SharedPool& operator=(const SharedPool&) = delete;
  CURLSH* get() const { return share_; }

 private:
  static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* user) {
    static_cast<SharedPool*>(user)->locks_[data % CURL_LOCK_DATA_LAST].lock();
  }
  static void Unlock(CURL*, curl_lock_data data, void* user) {
    static_cast<SharedPool*>(user)->locks_[data % CURL_LOCK_DATA_LAST].unlock();
  }
  std::array<std::mutex, CURL_LOCK_DATA_LAST> locks_;
  CURLSH* share_;
};

struct Exchange {
  Exchange(std::chrono::milliseconds silence, const std::atomic<bool>& cancelled)
      : silence(silence), cancelled(cancelled) {}
  std::chrono::milliseconds silence;
  const std::atomic<bool>& cancelled;
  LinkAnswer answer;
  Clock::time_point lastByte = Clock::now();  // the request's start before the first byte
  std::size_t bodyBytes = 0;
  bool bodyStopped = false;
  bool timedOut = false;
};

long long Number(std::string_view digits) {
  if (digits.empty() || digits.size() > 18) return -1;
  long long value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return -1;
    value = value * 10 + (c - '0');
  }
  return value;
}

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
  Exchange& x = *static_cast<Exchange*>(user);
  x.lastByte = Clock::now();
  const std::string_view line(data, size * count);
  LinkAnswer& a = x.answer;
  if (line.substr(0, 5) == "HTTP/") {
    // Each answer (a 100 Continue before the real one) starts afresh.
    const std::string status = Trimmed(line);
    const std::size_t space = status.find(' ');
    a = {};
    a.status = space == std::string::npos ? 0 : std::atoi(status.c_str() + space + 1);
  } else if (StartsNoCase(line, "content-type:")) {
    a.contentType = Trimmed(line.substr(13));
  } else if (StartsNoCase(line, "content-length:")) {
    a.contentLength = Number(Trimmed(line.substr(15)));
  } else if (StartsNoCase(line, "content-range:")) {
    const std::string range = Trimmed(line.substr(14));
    const std::size_t slash = range.rfind('/');
    if (slash != std::string::npos)
      a.rangeTotal = Number(std::string_view(range).substr(slash + 1));
  } else if (StartsNoCase(line, "location:")) {
    a.location = Trimmed(line.substr(9));
  }
  return size * count;
}

// A server that ignores the range sends the whole file: its first bytes are enough.
std::size_t OnBody(char*, std::size_t size, std::size_t count, void* user) {
  Exchange& x = *static_cast<Exchange*>(user);
  x.lastByte = Clock::now();
  x.bodyBytes += size * count;
  if (x.bodyBytes <= kBodyBytes) return size * count;
  x.bodyStopped = true;
  return 0;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  Exchange& x = *static_cast<Exchange*>(user);
  if (x.cancelled) return 1;
  x.timedOut = Clock::now() - x.lastByte > x.silence;
  return x.timedOut ? 1 : 0;
}

LinkFailure FailureOf(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
      return LinkFailure::Dns;
    case CURLE_COULDNT_CONNECT:
      return LinkFailure::Refused;
    case CURLE_OPERATION_TIMEDOUT:
      return LinkFailure::TimedOut;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CRL_BADFILE:
      return LinkFailure::Tls;
    case CURLE_GOT_NOTHING:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
      return LinkFailure::Closed;
    default:
      return LinkFailure::Other;
  }
}

class CurlLinkTransport final : public LinkTransport {
 public:
  CurlLinkTransport(std::shared_ptr<SharedPool> pool, std::string caFile)
      : pool_(std::move(pool)), caFile_(std::move(caFile)), curl_(curl_easy_init()) {
    if (!curl_) throw std::bad_alloc();
  }
  ~CurlLinkTransport() override { curl_easy_cleanup(curl_); }
  CurlLinkTransport(const CurlLinkTransport&) = delete;
  CurlLinkTransport& operator=(const CurlLinkTransport&) = delete;

  LinkAnswer Ask(const LinkRequest& request, const std::atomic<bool>& cancelled) override {
    Exchange x(request.silence, cancelled);
    char reason[CURL_ERROR_SIZE] = {};
    CURL* c = curl_;
    curl_easy_reset(c);
    const std::string url = Utf16ToUtf8(request.url);
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    if (pool_->get()) curl_easy_setopt(c, CURLOPT_SHARE, pool_->get());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
    if (request.head) {
      curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
    } else {
      curl_easy_setopt(c, CURLOPT_RANGE, "0-0");
    }
    curl_easy_setopt(c, CURLOPT_USERAGENT, "Cardo/3");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.silence.count()));
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &x);
    if (!caFile_.empty()) curl_easy_setopt(c, CURLOPT_CAINFO, caFile_.c_str());
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, reason);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &x);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &x);
    const CURLcode result = curl_easy_perform(c);
    if (result == CURLE_OK || (result == CURLE_WRITE_ERROR && x.bodyStopped)) return x.answer;
    LinkAnswer failed;
    if (cancelled) {
      failed.failure = LinkFailure::Cancelled;
      return failed;
    }
    failed.failure = x.timedOut ? LinkFailure::TimedOut : FailureOf(result);
    // A HEAD the server answered by closing, or a body cut short after whole headers.
    if (failed.failure == LinkFailure::Closed && x.answer.status != 0 && !request.head) {
      return x.answer;
    }
    failed.reason = failed.failure == LinkFailure::TimedOut
                        ? TimedOutReason()
                        : Utf8ToUtf16(reason[0] ? reason : curl_easy_strerror(result));
    return failed;
  }

 private:
  std::shared_ptr<SharedPool> pool_;
  std::string caFile_;
  CURL* curl_;
};

}  // namespace

LinkTransportFactory SystemLinkTransports(const std::string& caFile) {
  static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  if (!ready) return [] { return std::unique_ptr<LinkTransport>(); };
  auto pool = std::make_shared<SharedPool>();
  return [pool, caFile]() -> std::unique_ptr<LinkTransport> {
    return std::make_unique<CurlLinkTransport>(pool, caFile);
  };
}

}  // namespace cardo::cli
