#include "app/check/link_transport_win.h"

#include <windows.h>

#include <winhttp.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "app/net/location_header_win.h"
#include "app/net/page_download.h"
#include "app/url/web_address.h"
#include "app/net/web_download_win.h"
#include "app/platform/wide_text_win.h"
#include "app/platform/win_handle.h"

namespace cardo {
namespace {

using Internet = UniqueHandle<NullableTraits<HINTERNET, &WinHttpCloseHandle>>;

// A body past this is not read: the answer's headers are what the check wants, and reading
// a short body to its end lets the connection serve the next request.
constexpr DWORD kBodyBytes = 16 * 1024;

long long Number(const std::u16string& digits) {
  if (digits.empty() || digits.size() > 18) return -1;
  long long value = 0;
  for (const char16_t c : digits) {
    if (c < u'0' || c > u'9') return -1;
    value = value * 10 + (c - u'0');
  }
  return value;
}

std::string Narrow(const std::u16string& text) {
  std::string bytes;
  for (const char16_t c : text) bytes += c < 0x80 ? static_cast<char>(c) : '?';
  return bytes;
}

LinkFailure FailureOf(DWORD error) {
  switch (error) {
    case ERROR_WINHTTP_NAME_NOT_RESOLVED:
      return LinkFailure::Dns;
    case ERROR_WINHTTP_CANNOT_CONNECT:
      return LinkFailure::Refused;
    case ERROR_WINHTTP_TIMEOUT:
    case WSAETIMEDOUT:  // what Wine gives for a silent server
      return LinkFailure::TimedOut;
    case ERROR_WINHTTP_SECURE_CHANNEL_ERROR:
    case ERROR_WINHTTP_SECURE_FAILURE:
    case ERROR_WINHTTP_SECURE_INVALID_CA:
    case ERROR_WINHTTP_SECURE_CERT_CN_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_DATE_INVALID:
    case ERROR_WINHTTP_SECURE_CERT_REVOKED:
    case ERROR_WINHTTP_SECURE_INVALID_CERT:
    case ERROR_WINHTTP_CLIENT_AUTH_CERT_NEEDED:
      return LinkFailure::Tls;
    case ERROR_WINHTTP_CONNECTION_ERROR:
    case ERROR_WINHTTP_INVALID_SERVER_RESPONSE:
      return LinkFailure::Closed;
    case ERROR_WINHTTP_OPERATION_CANCELLED:
      return LinkFailure::Cancelled;
    default:
      return LinkFailure::Other;
  }
}

void CALLBACK NoteCertificateFailure(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info,
                                     DWORD length) {
  if (status == WINHTTP_CALLBACK_STATUS_SECURE_FAILURE && info && length >= sizeof(DWORD)) {
    *reinterpret_cast<DWORD*>(context) = *static_cast<DWORD*>(info);
  }
}

// Closes the requests that have been silent too long or whose check was stopped: WinHTTP's
// own waits are per call and under Wine not kept at all, and a blocking call ends only when its
// handle is closed.
class RequestWatch {
 public:
  using Clock = std::chrono::steady_clock;
  enum class End { Answered, TimedOut, Cancelled };

  RequestWatch() : thread_([this] { Run(); }) {}
  ~RequestWatch() {
    {
      std::lock_guard<std::mutex> hold(lock_);
      stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
  }
  RequestWatch(const RequestWatch&) = delete;
  RequestWatch& operator=(const RequestWatch&) = delete;

  // Watches `request` from now until Leave: it is closed once `silence` has passed or
  // `cancelled` is true.
  void Enter(HINTERNET request, Clock::duration silence, const std::atomic<bool>& cancelled) {
    std::lock_guard<std::mutex> hold(lock_);
    watched_[request] = {Clock::now() + silence, &cancelled, End::Answered};
  }
  // How the wait ended: on TimedOut and Cancelled the watch has closed the handle. Once this
  // returns, the watch no longer touches it.
  End Leave(HINTERNET request) {
    std::lock_guard<std::mutex> hold(lock_);
    const auto at = watched_.find(request);
    const End end = at->second.end;
    watched_.erase(at);
    return end;
  }

 private:
  struct Watched {
    Clock::time_point deadline;
    const std::atomic<bool>* cancelled;
    End end;
  };

  void Run() {
    std::unique_lock<std::mutex> hold(lock_);
    while (!stopping_) {
      changed_.wait_for(hold, std::chrono::milliseconds(50));
      const auto now = Clock::now();
      for (auto& [request, watched] : watched_) {
        if (watched.end != End::Answered) continue;
        if (*watched.cancelled) {
          watched.end = End::Cancelled;
        } else if (now > watched.deadline) {
          watched.end = End::TimedOut;
        } else {
          continue;
        }
        // The blocked call then fails; its owner lets go of the handle without closing it.
        WinHttpCloseHandle(request);
      }
    }
  }

  std::mutex lock_;
  std::condition_variable changed_;
  std::map<HINTERNET, Watched> watched_;
  bool stopping_ = false;
  std::thread thread_;
};

struct Session {
  Internet internet;
  DWORD error = 0;  // why WinHttpOpen failed
  RequestWatch watch;
};

class WinHttpLinkTransport final : public LinkTransport {
 public:
  explicit WinHttpLinkTransport(std::shared_ptr<Session> session) : session_(std::move(session)) {}

  LinkAnswer Ask(const LinkRequest& request, const std::atomic<bool>& cancelled) override {
    certificateFlags_ = 0;
    if (!session_->internet) return Failure(session_->error, cancelled);
    const auto address = ParseUrl(request.url);
    if (!address || !IsHttpUrl(*address)) return Failure(ERROR_WINHTTP_INVALID_URL, cancelled);
    Internet connection(WinHttpConnect(session_->internet.get(), W(address->HostName()),
                                       address->EffectivePort(), 0));
    if (!connection) return Failure(GetLastError(), cancelled);
    Internet handle(WinHttpOpenRequest(connection.get(), request.head ? L"HEAD" : L"GET",
                                       W(address->Target()), nullptr, WINHTTP_NO_REFERER,
                                       WINHTTP_DEFAULT_ACCEPT_TYPES,
                                       address->Scheme() == u"https" ? WINHTTP_FLAG_SECURE : 0));
    if (!handle) return Failure(GetLastError(), cancelled);
    HINTERNET r = handle.get();
    // The check follows redirects itself, to count them, see loops and know the final address.
    DWORD feature = WINHTTP_DISABLE_REDIRECTS;
    WinHttpSetOption(r, WINHTTP_OPTION_DISABLE_FEATURE, &feature, sizeof feature);
    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(&certificateFlags_);
    WinHttpSetOption(r, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context);
    WinHttpSetStatusCallback(r, NoteCertificateFailure, WINHTTP_CALLBACK_FLAG_SECURE_FAILURE, 0);
    const int wait = static_cast<int>(request.silence.count());
    WinHttpSetTimeouts(r, wait, wait, wait, wait);
    DWORD response = static_cast<DWORD>(wait);
    WinHttpSetOption(r, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &response, sizeof response);
    const wchar_t* range = request.head ? WINHTTP_NO_ADDITIONAL_HEADERS : L"Range: bytes=0-0\r\n";
    session_->watch.Enter(r, request.silence, cancelled);
    const bool answered = WinHttpSendRequest(r, range, request.head ? 0 : static_cast<DWORD>(-1),
                                             WINHTTP_NO_REQUEST_DATA, 0, 0, 0) &&
                          WinHttpReceiveResponse(r, nullptr);
    const DWORD error = answered ? 0 : GetLastError();
    if (const auto end = session_->watch.Leave(r); end != RequestWatch::End::Answered) {
      handle.release();
      return Failure(end == RequestWatch::End::TimedOut ? ERROR_WINHTTP_TIMEOUT
                                                        : ERROR_WINHTTP_OPERATION_CANCELLED,
                     cancelled);
    }
    if (!answered) return Failure(error, cancelled);
    if (cancelled) return Failure(ERROR_WINHTTP_OPERATION_CANCELLED, cancelled);
    LinkAnswer answer;
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!WinHttpQueryHeaders(r, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size,
                             WINHTTP_NO_HEADER_INDEX)) {
      return Failure(GetLastError(), cancelled);
    }
    answer.status = static_cast<int>(status);
    answer.contentLength = Number(QueryHeaderText(r, WINHTTP_QUERY_CONTENT_LENGTH));
    const std::u16string contentRange = QueryHeaderText(r, WINHTTP_QUERY_CONTENT_RANGE);
    const std::size_t slash = contentRange.rfind(u'/');
    if (slash != std::u16string::npos) answer.rangeTotal = Number(contentRange.substr(slash + 1));
    answer.contentType = Narrow(QueryHeaderText(r, WINHTTP_QUERY_CONTENT_TYPE));
    const std::u16string decoded = QueryHeaderText(r, WINHTTP_QUERY_LOCATION);
    const std::optional<std::string> location = LocationHeaderBytes(r, decoded);
    if (location) {
      answer.location = *location;
    } else {
      // Not a redirect without a target: one the system would not let us read.
      answer.failure = LinkFailure::Other;
      answer.reason = kUnreadableLocationReason + decoded;
    }
    // A HEAD too: the system gives a connection back to its pool only once the answer is read
    // to its end, and a HEAD's end is its headers.
    session_->watch.Enter(r, request.silence, cancelled);
    Drain(r);
    if (session_->watch.Leave(r) != RequestWatch::End::Answered) handle.release();
    return answer;
  }

 private:
  // Reads what is left of a short body, so the connection can serve the next request.
  static void Drain(HINTERNET request) {
    char buffer[4096];
    DWORD total = 0;
    while (total < kBodyBytes) {
      DWORD got = 0;
      if (!WinHttpReadData(request, buffer, sizeof buffer, &got) || got == 0) return;
      total += got;
    }
  }

  LinkAnswer Failure(DWORD error, const std::atomic<bool>& cancelled) const {
    LinkAnswer answer;
    answer.failure = cancelled ? LinkFailure::Cancelled : FailureOf(error);
    if (certificateFlags_ != 0) answer.failure = LinkFailure::Tls;
    answer.reason = answer.failure == LinkFailure::TimedOut
                        ? TimedOutReason()
                        : WinHttpFailureReason(error, certificateFlags_);
    return answer;
  }

  std::shared_ptr<Session> session_;
  DWORD certificateFlags_ = 0;
};

}  // namespace

LinkTransportFactory WinHttpLinkTransports() {
  auto session = std::make_shared<Session>();
  session->internet.reset(WinHttpOpen(L"Cardo/3", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
                                      WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  HINTERNET internet = session->internet.get();
  if (!internet) {
    session->error = GetLastError();
  } else {
    // Left alone, older systems offer TLS 1.0 only, which servers today refuse.
    DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
    if (!WinHttpSetOption(internet, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols,
                          sizeof protocols)) {
      protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
      WinHttpSetOption(internet, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols);
    }
  }
  return [session]() -> std::unique_ptr<LinkTransport> {
    return std::make_unique<WinHttpLinkTransport>(session);
  };
}

}  // namespace cardo
