// The HTTP stack of the program and cardo-cli.exe: WinHTTP, used asynchronously so that the
// thread of an exchange waits with its limits and closes a request that went silent or was
// cancelled (a blocking call would hold it until the system's own time-outs).
//
// Wine's WinHTTP reads some valid answers wrongly (dlls/winhttp/request.c): read_reply takes
// a 1xx other than 100 (a 103) for the final answer and leaves what follows as its body; the
// end of the connection within the header block ends the head as if whole; a chunked body
// whose connection ends early ends as if whole, and so does a body shorter than its
// Content-Length. The notifications of each receive tell those ends apart: a receive of no
// byte is the connection's end. A 100 Continue it cannot read at all (it takes the empty line
// after it for the next status line).
#include <windows.h>

#include <winhttp.h>
#include <wincrypt.h>

#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "app/net/http_client.h"
#include "app/net/http_wire.h"
#include "app/net/location_header_win.h"
#include "app/platform/codec.h"
#include "app/platform/text.h"
#include "app/platform/wide_text_win.h"
#include "app/platform/win_handle.h"

namespace cardo {
namespace {

using Internet = UniqueHandle<NullableTraits<HINTERNET, &WinHttpCloseHandle>>;
using Clock = std::chrono::steady_clock;

constexpr DWORD kReadBytes = 64 * 1024;
// An unwanted body past this is not read: the connection goes instead.
constexpr std::size_t kDrainBytes = 16 * 1024;
constexpr std::size_t kHeadBytes = 256 * 1024;

// WinHTTP's errors that a failure of the table stands for.
struct KnownError {
  DWORD code;
  HttpFailure failure;
};
constexpr KnownError kKnownErrors[] = {
    {ERROR_WINHTTP_TIMEOUT, HttpFailure::TimedOut},
    {WSAETIMEDOUT, HttpFailure::TimedOut},  // what Wine gives for a silent server
    {ERROR_WINHTTP_NAME_NOT_RESOLVED, HttpFailure::NameNotResolved},
    {ERROR_WINHTTP_CANNOT_CONNECT, HttpFailure::Refused},
    {ERROR_WINHTTP_CONNECTION_ERROR, HttpFailure::Closed},
    {ERROR_WINHTTP_INVALID_SERVER_RESPONSE, HttpFailure::BadResponse},
    {ERROR_WINHTTP_HEADER_SIZE_OVERFLOW, HttpFailure::HeadersTooLong},
    {ERROR_WINHTTP_SECURE_INVALID_CA, HttpFailure::CertificateUntrusted},
    {ERROR_WINHTTP_SECURE_CERT_CN_INVALID, HttpFailure::CertificateWrongName},
    {ERROR_WINHTTP_SECURE_CERT_DATE_INVALID, HttpFailure::CertificateExpired},
    {ERROR_WINHTTP_SECURE_CERT_REVOKED, HttpFailure::CertificateRevoked},
    {ERROR_WINHTTP_SECURE_INVALID_CERT, HttpFailure::CertificateInvalid},
    {ERROR_WINHTTP_SECURE_FAILURE, HttpFailure::CertificateInvalid},
    {ERROR_WINHTTP_SECURE_CHANNEL_ERROR, HttpFailure::TlsFailed},
    {ERROR_WINHTTP_CLIENT_AUTH_CERT_NEEDED, HttpFailure::ClientCertificate},
    {ERROR_WINHTTP_OPERATION_CANCELLED, HttpFailure::Cancelled},
    {ERROR_NOT_ENOUGH_MEMORY, HttpFailure::OutOfMemory},
    {ERROR_OUTOFMEMORY, HttpFailure::OutOfMemory},
};

// The certificate's faults as the secure-failure notification flags them, the most telling
// first: an issuer no one trusts makes its dates and names moot.
constexpr KnownError kCertificateFlags[] = {
    {WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CA, HttpFailure::CertificateUntrusted},
    {WINHTTP_CALLBACK_STATUS_FLAG_CERT_REVOKED, HttpFailure::CertificateRevoked},
    {WINHTTP_CALLBACK_STATUS_FLAG_CERT_DATE_INVALID, HttpFailure::CertificateExpired},
    {WINHTTP_CALLBACK_STATUS_FLAG_CERT_CN_INVALID, HttpFailure::CertificateWrongName},
    {WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CERT, HttpFailure::CertificateInvalid},
    {WINHTTP_CALLBACK_STATUS_FLAG_CERT_REV_FAILED, HttpFailure::CertificateInvalid},
    {WINHTTP_CALLBACK_STATUS_FLAG_CERT_WRONG_USAGE, HttpFailure::CertificateInvalid},
};

// The system's text for an error no row names, with its number.
HttpError StackError(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      GetModuleHandleW(L"winhttp.dll"), error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
  const UniqueLocal owned(text);
  std::u16string reason = length > 0 && text ? U(std::wstring_view(text, length)) : u"";
  while (!reason.empty() && (reason.back() == u'\n' || reason.back() == u'\r')) reason.pop_back();
  return MakeHttpError(HttpFailure::Other, reason + u"(" + DecimalText(error) + u")");
}

HttpError ErrorOf(DWORD error) {
  for (const KnownError& known : kKnownErrors) {
    if (known.code == error) return MakeHttpError(known.failure);
  }
  return StackError(error);
}

// What the notifications of one request and the thread waiting on it share. It lives until
// WinHTTP says the handle is closing, so a request left to end after a time-out or a cancel
// still has its buffers.
struct Pending {
  std::mutex lock;
  std::condition_variable changed;
  DWORD completed = 0;  // the status of the completion awaited; 0 while it has not come
  DWORD value = 0;      // its count: the bytes available, or read
  DWORD error = 0;      // a request error's
  DWORD certificateFlags = 0;
  bool connected = false;  // a connection of its own, not one from the pool
  bool inHead = true;
  std::size_t headBytes = 0;  // received while the head was read
  bool endInBody = false;     // a receive of no byte while the body was read
  Clock::time_point lastByte = Clock::now();
  std::string body;  // what a POST sends
  std::vector<char> buffer = std::vector<char>(kReadBytes);
};

void CALLBACK OnStatus(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info, DWORD length) {
  auto* keeper = reinterpret_cast<std::shared_ptr<Pending>*>(context);
  if (!keeper) return;
  if (status == WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING) {
    delete keeper;
    return;
  }
  Pending& p = **keeper;
  const auto count = [&] {
    return info && length >= sizeof(DWORD) ? *static_cast<DWORD*>(info) : 0;
  };
  {
    std::lock_guard<std::mutex> hold(p.lock);
    switch (status) {
      case WINHTTP_CALLBACK_STATUS_RESPONSE_RECEIVED:
        if (count() == 0) {
          p.endInBody = p.endInBody || !p.inHead;
        } else {
          p.lastByte = Clock::now();
          if (p.inHead) p.headBytes += count();
        }
        break;
      case WINHTTP_CALLBACK_STATUS_SECURE_FAILURE:
        p.certificateFlags |= count();
        break;
      case WINHTTP_CALLBACK_STATUS_CONNECTED_TO_SERVER:
        p.connected = true;
        break;
      case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
      case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
        p.completed = status;
        break;
      case WINHTTP_CALLBACK_STATUS_DATA_AVAILABLE:
        p.completed = status;
        p.value = count();
        break;
      case WINHTTP_CALLBACK_STATUS_READ_COMPLETE:
        p.completed = status;
        p.value = length;
        break;
      case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR:
        p.completed = status;
        p.error =
            info ? static_cast<WINHTTP_ASYNC_RESULT*>(info)->dwError : ERROR_WINHTTP_INTERNAL_ERROR;
        break;
      default:
        return;
    }
  }
  p.changed.notify_all();
}

// Left alone, older systems offer TLS 1.0 only, which servers today refuse. A system that does
// not know TLS 1.3 refuses the pair: then 1.2 alone.
constexpr DWORD kModernTls[] = {
    WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3,
    WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2};

// Sets the first of `choices` the system takes; false when it takes none.
template <std::size_t N>
bool Protocols(HINTERNET session, const DWORD (&choices)[N]) {
  for (DWORD protocols : choices) {
    if (WinHttpSetOption(session, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols)) {
      return true;
    }
  }
  return false;
}

// A text WinHTTP allocated for the caller.
struct GlobalText {
  UniqueGlobal owner;
  explicit GlobalText(LPWSTR text = nullptr) : owner(text) {}
  LPWSTR get() const { return static_cast<LPWSTR>(owner.get()); }
};

// The fields the client reads. Wine's raw header text is not to be trusted past a field
// holding bytes beyond ASCII (it sizes the line by its bytes, not its characters), so each
// field is asked for by name.
constexpr const wchar_t* kFieldsRead[] = {L"Content-Type",      L"Content-Length",
                                          L"Content-Encoding",  L"Content-Range",
                                          L"Transfer-Encoding", L"Set-Cookie"};

// The fields of `request`'s answer named above, each time it holds them.
std::vector<HttpField> HeaderFields(HINTERNET request) {
  std::vector<HttpField> fields;
  for (const wchar_t* name : kFieldsRead) {
    for (DWORD index = 0;;) {
      DWORD bytes = 0;
      const DWORD asked = index;
      WinHttpQueryHeaders(request, WINHTTP_QUERY_CUSTOM, name, nullptr, &bytes, &index);
      if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || bytes == 0) break;
      std::wstring value(bytes / sizeof(wchar_t), L'\0');
      index = asked;
      if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_CUSTOM, name, value.data(), &bytes, &index)) {
        break;
      }
      value.resize(bytes / sizeof(wchar_t));
      fields.push_back({WideToAnsi(U(name)), WideToAnsi(U(value))});
      if (index == asked) break;
    }
  }
  return fields;
}

// Whether Wine took a head the connection cut off for a whole one: its raw text then lacks the
// empty line that ends a whole head. A head with bytes beyond ASCII cannot be judged so.
bool HeadCutOff(const std::u16string& raw) {
  const bool ascii =
      std::all_of(raw.begin(), raw.end(), [](char16_t c) { return c > 0 && c < 0x80; });
  return ascii && (raw.size() < 4 || raw.compare(raw.size() - 4, 4, u"\r\n\r\n") != 0);
}

class WinHttpStack final : public HttpStack {
 public:
  explicit WinHttpStack(HttpStackOptions options) : options_(std::move(options)) {}

  StackOutcome Exchange(const StackRequest& request, StackSink& sink,
                        const std::atomic<bool>& cancelled) override {
    // The system's certificate store decides here; a private CA goes into it.
    if (!options_.caFile.empty()) {
      return {MakeHttpError(HttpFailure::Other,
                            u"--ca-file is for the native build; cardo-cli.exe trusts the "
                            u"system's certificate store")};
    }
    const std::optional<Url> url = ParseUrl(request.url);
    if (!url) return {MakeHttpError(HttpFailure::BadAddress, request.url)};
    bool fresh = false;
    StackOutcome outcome = Attempt(*url, request, sink, cancelled, fresh);
    // A kept-alive connection the server closed as it was taken from the pool: once more on a
    // new one, as libcurl does (Wine does not). Only a request that may go twice.
    if (outcome.error.kind == HttpFailure::Closed && !fresh && !cancelled &&
        (request.method == "GET" || request.method == "HEAD")) {
      outcome = Attempt(*url, request, sink, cancelled, fresh);
    }
    return outcome;
  }

 private:
  // One request; `fresh` says whether it opened a connection of its own.
  StackOutcome Attempt(const Url& url, const StackRequest& request, StackSink& sink,
                       const std::atomic<bool>& cancelled, bool& fresh) {
    DWORD error = 0;
    const HINTERNET session = Session(error);
    if (!session) return {ErrorOf(error)};
    Internet connection(WinHttpConnect(session, W(url.HostName()), url.EffectivePort(), 0));
    if (!connection) return {ErrorOf(GetLastError())};
    const bool secure = url.Scheme() == u"https";
    // The address is sent as the client wrote it, as libcurl sends it.
    Internet handle(
        WinHttpOpenRequest(connection.get(), W(Utf8ToUtf16(request.method)), W(url.Target()),
                           nullptr, WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                           (secure ? WINHTTP_FLAG_SECURE : 0) | WINHTTP_FLAG_ESCAPE_DISABLE |
                               WINHTTP_FLAG_ESCAPE_DISABLE_QUERY));
    if (!handle) return {ErrorOf(GetLastError())};
    auto pending = std::make_shared<Pending>();
    pending->body = request.body;
    if (!Prepare(handle.get(), request, pending, error)) return {ErrorOf(error)};
    Run run{handle, *pending, request, cancelled};
    StackOutcome outcome = run.Go(sink, secure, [&] { return DiagnoseTls(url, request.silence); });
    std::lock_guard<std::mutex> hold(pending->lock);
    fresh = pending->connected;
    return outcome;
  }

  // One exchange's calls, each awaited with the limits.
  struct Run {
    Internet& handle;
    Pending& p;
    const StackRequest& request;
    const std::atomic<bool>& cancelled;
    const Clock::time_point start = Clock::now();

    enum class Wake { Completed, Silent, Cancelled, TooLong };

    // Makes `call` (false: it failed at once) and waits for its completion.
    template <typename Call>
    std::optional<HttpError> Await(Call&& call) {
      {
        std::lock_guard<std::mutex> hold(p.lock);
        p.completed = 0;
      }
      if (!call()) return Failure(GetLastError());
      Wake wake = Wake::Completed;
      {
        std::unique_lock<std::mutex> hold(p.lock);
        for (;;) {
          if (p.completed) break;
          const auto now = Clock::now();
          if (cancelled) {
            wake = Wake::Cancelled;
          } else if (p.inHead && p.headBytes > kHeadBytes) {
            wake = Wake::TooLong;
          } else if (now - p.lastByte > request.silence ||
                     (p.inHead && now - start > request.silence)) {
            wake = Wake::Silent;
          } else {
            p.changed.wait_for(hold, std::chrono::milliseconds(50));
            continue;
          }
          break;
        }
      }
      switch (wake) {
        case Wake::Completed:
          if (p.completed == WINHTTP_CALLBACK_STATUS_REQUEST_ERROR) return Failure(p.error);
          return std::nullopt;
        case Wake::Cancelled:
          return Close(HttpFailure::Cancelled);
        case Wake::TooLong:
          return Close(HttpFailure::HeadersTooLong);
        case Wake::Silent:
          return Close(HttpFailure::TimedOut);
      }
      return std::nullopt;
    }

    // The request is left to end on its own: its buffers live on in `p` until it does.
    HttpError Close(HttpFailure failure) {
      handle.reset();
      return MakeHttpError(failure);
    }

    HttpError Failure(DWORD error) {
      if (cancelled) return MakeHttpError(HttpFailure::Cancelled);
      std::lock_guard<std::mutex> hold(p.lock);
      if (p.inHead && p.headBytes == 0 &&
          (error == ERROR_WINHTTP_INVALID_SERVER_RESPONSE ||
           error == ERROR_WINHTTP_CONNECTION_ERROR)) {
        return MakeHttpError(HttpFailure::Closed);
      }
      for (const KnownError& flag : kCertificateFlags) {
        if (p.certificateFlags & flag.code) return MakeHttpError(flag.failure);
      }
      return ErrorOf(error);
    }

    template <typename Probe>
    StackOutcome Go(StackSink& sink, bool secure, Probe&& diagnoseTls) {
      if (auto failed = SendAndReceive(secure, diagnoseTls)) return {*failed};
      const HINTERNET r = handle.get();
      const std::u16string raw = QueryHeaderText(r, WINHTTP_QUERY_RAW_HEADERS_CRLF);
      if (HeadCutOff(raw)) return {MakeHttpError(HttpFailure::HeadersCut)};
      // Wine reads the head without a receive notification to count, keeping the first 1,459
      // bytes of each line and dropping the rest (read_reply's line buffer): the head is
      // measured once read, which catches many lines, never one long one.
      if (raw.size() > kHeadBytes) return {MakeHttpError(HttpFailure::HeadersTooLong)};
      DWORD status = 0;
      DWORD bytes = sizeof status;
      if (!WinHttpQueryHeaders(r, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                               WINHTTP_HEADER_NAME_BY_INDEX, &status, &bytes,
                               WINHTTP_NO_HEADER_INDEX)) {
        return {ErrorOf(GetLastError())};
      }
      if (status >= 100 && status < 200 && status != 101) return ReadOn(sink);
      HttpHead head;
      if (auto failed = ReadHead(status, head)) return {*failed};
      return HandOver(sink, std::move(head));
    }

    // The request sent and the answer's head received; a handshake refused is diagnosed.
    template <typename Probe>
    std::optional<HttpError> SendAndReceive(bool secure, Probe&& diagnoseTls) {
      const HINTERNET r = handle.get();
      std::u16string fields;
      for (const HttpField& field : request.fields) {
        fields += Utf8ToUtf16(field.name + ": " + field.value) + u"\r\n";
      }
      const auto size = static_cast<DWORD>(p.body.size());
      if (auto failed = Await([&] {
            return WinHttpSendRequest(r, W(fields), static_cast<DWORD>(-1),
                                      size ? p.body.data() : WINHTTP_NO_REQUEST_DATA, size, size,
                                      0) != FALSE;
          })) {
        // A handshake refused without saying why (Wine says so of every certificate fault).
        if (secure && failed->kind == HttpFailure::TlsFailed) return MakeHttpError(diagnoseTls());
        return failed;
      }
      if (auto failed = Await([&] { return WinHttpReceiveResponse(r, nullptr) != FALSE; })) {
        return failed;
      }
      std::lock_guard<std::mutex> hold(p.lock);
      p.inHead = false;
      return std::nullopt;
    }

    // The final answer's status line and fields into `head`, its Location as sent.
    std::optional<HttpError> ReadHead(DWORD status, HttpHead& head) {
      const HINTERNET r = handle.get();
      head.status = static_cast<int>(status);
      head.statusLine =
          WideToAnsi(QueryHeaderText(r, WINHTTP_QUERY_VERSION)) + " " + std::to_string(status);
      const std::u16string text = QueryHeaderText(r, WINHTTP_QUERY_STATUS_TEXT);
      if (!text.empty()) head.statusLine += " " + WideToAnsi(text);
      head.fields = HeaderFields(r);
      const std::u16string decoded = QueryHeaderText(r, WINHTTP_QUERY_LOCATION);
      const std::optional<std::string> location = LocationHeaderBytes(r, decoded);
      if (location && !location->empty()) head.fields.push_back({"Location", *location});
      if (!location && status >= 300 && status < 400) {
        return MakeHttpError(HttpFailure::UnreadableLocation, decoded);
      }
      return std::nullopt;
    }

    // The head to the sink, then the body it wants, up to the Content-Length.
    StackOutcome HandOver(StackSink& sink, HttpHead head) {
      const std::string* coding = head.Field("transfer-encoding");
      const bool chunked = coding && coding->find("chunked") != std::string::npos;
      // Wine hands over what it has buffered past a Content-Length too.
      unsigned long long left = ~0ULL;
      if (const std::string* length = head.Field("content-length"); length && !chunked) {
        left = std::strtoull(length->c_str(), nullptr, 10);
      }
      if (!sink.Head(std::move(head))) {
        // A short body read to its end (a HEAD's is its head) lets the system give the
        // connection back to its pool for the next request.
        std::size_t drained = 0;
        ReadBody(
            [&](std::string_view bytes) {
              drained += bytes.size();
              return drained <= kDrainBytes;
            },
            [] { return StackOutcome{}; });
        return {};
      }
      bool ended = false;
      return ReadBody(
          [&](std::string_view bytes) {
            bytes = bytes.substr(
                0, static_cast<std::size_t>(std::min<unsigned long long>(left, bytes.size())));
            left -= bytes.size();
            if (!sink.Body(bytes)) ended = true;
            return !ended && left > 0;
          },
          [&] {
            if (ended) return StackOutcome{};
            std::lock_guard<std::mutex> hold(p.lock);
            return StackOutcome{{}, chunked && p.endInBody};
          });
    }

    // What follows an interim answer WinHTTP took for the final one, read as the answer it is.
    StackOutcome ReadOn(StackSink& sink) {
      WireReader reader(sink, request.method == "HEAD");
      return ReadBody([&](std::string_view bytes) { return reader.Feed(bytes); },
                      [&] { return reader.Finish(); });
    }

    // The body's bytes to `take` (false: no more wanted) until its end, then `end`'s outcome.
    template <typename Take, typename End>
    StackOutcome ReadBody(Take&& take, End&& end) {
      const HINTERNET r = handle.get();
      for (;;) {
        if (auto failed = Await([&] { return WinHttpQueryDataAvailable(r, nullptr) != FALSE; })) {
          return BodyFailure(*failed, end);
        }
        // What has come, however little: a read for more waits for all of it (under Wine). At
        // the end, a read all the same: Wine gives the connection back to its pool only when a
        // read finds the end.
        const DWORD ready = p.value == 0 ? kReadBytes : std::min(p.value, kReadBytes);
        if (auto failed = Await(
                [&] { return WinHttpReadData(r, p.buffer.data(), ready, nullptr) != FALSE; })) {
          return BodyFailure(*failed, end);
        }
        if (p.value == 0) return end();
        if (!take(std::string_view(p.buffer.data(), p.value))) return end();
      }
    }

    // A connection that failed within the body cut it short.
    template <typename End>
    StackOutcome BodyFailure(const HttpError& failed, End&& end) {
      if (failed.kind == HttpFailure::Cancelled || failed.kind == HttpFailure::TimedOut) {
        return {failed};
      }
      StackOutcome outcome = end();
      if (!outcome.error) outcome.bodyCut = true;
      return outcome;
    }
  };

  // Sets what every request of the program asks of WinHTTP; false with `error` when WinHTTP
  // refused any of it.
  bool Prepare(HINTERNET handle, const StackRequest& request,
               const std::shared_ptr<Pending>& pending, DWORD& error) {
    const auto set = [&](DWORD option, auto value) {
      if (WinHttpSetOption(handle, option, &value, sizeof value)) return true;
      error = GetLastError();
      return false;
    };
    // Redirects, cookies and credentials are the client's, the same in every face.
    const DWORD features =
        WINHTTP_DISABLE_REDIRECTS | WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_AUTHENTICATION;
    // The system's own waits are a second line behind the client's watch.
    const int wait = static_cast<int>(2 * request.silence.count());
    // The head's limit is the native face's (the system's own is 64 KiB): past it the system
    // fails the receive with ERROR_WINHTTP_HEADER_SIZE_OVERFLOW as the bytes come.
    if (!set(WINHTTP_OPTION_DISABLE_FEATURE, features) ||
        !set(WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, static_cast<DWORD>(wait)) ||
        !set(WINHTTP_OPTION_MAX_RESPONSE_HEADER_SIZE, static_cast<DWORD>(kHeadBytes))) {
      return false;
    }
    if (!WinHttpSetTimeouts(handle, wait, wait, wait, wait)) {
      error = GetLastError();
      return false;
    }
    if (request.proxy == ProxyRule::System && !UseSystemProxy(handle, request.url, error)) {
      return false;
    }
    if (WinHttpSetStatusCallback(handle, OnStatus, WINHTTP_CALLBACK_FLAG_ALL_NOTIFICATIONS, 0) ==
        WINHTTP_INVALID_STATUS_CALLBACK) {
      error = GetLastError();
      return false;
    }
    auto* keeper = new std::shared_ptr<Pending>(pending);
    if (!set(WINHTTP_OPTION_CONTEXT_VALUE, reinterpret_cast<DWORD_PTR>(keeper))) {
      delete keeper;
      return false;
    }
    return true;
  }

  // The user's proxy for `url`: the automatic configuration when one is set (a script, or
  // detection), else the named proxy, else none.
  bool UseSystemProxy(HINTERNET handle, const std::u16string& url, DWORD& error) {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
    if (!WinHttpGetIEProxyConfigForCurrentUser(&config)) return true;
    const GlobalText autoConfigUrl(config.lpszAutoConfigUrl), proxy(config.lpszProxy),
        bypass(config.lpszProxyBypass);
    WINHTTP_PROXY_INFO info{};
    const auto use = [&] {
      if (WinHttpSetOption(handle, WINHTTP_OPTION_PROXY, &info, sizeof info)) return true;
      error = GetLastError();
      return false;
    };
    if (config.fAutoDetect || autoConfigUrl.get()) {
      WINHTTP_AUTOPROXY_OPTIONS options{};
      if (autoConfigUrl.get()) {
        options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
        options.lpszAutoConfigUrl = autoConfigUrl.get();
      } else {
        options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
        options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
      }
      options.fAutoLogonIfChallenged = TRUE;
      // No script found or none that answers: the named proxy or none, as the system's.
      if (const HINTERNET resolver = ProxyResolver();
          resolver && WinHttpGetProxyForUrl(resolver, W(url), &options, &info)) {
        const UniqueGlobal found(info.lpszProxy), foundBypass(info.lpszProxyBypass);
        return use();
      }
    }
    if (!proxy.get()) return true;
    info.dwAccessType = WINHTTP_ACCESS_TYPE_NAMED_PROXY;
    info.lpszProxy = proxy.get();
    info.lpszProxyBypass = bypass.get();
    return use();
  }

  // Why the server's handshake failed, found by shaking hands again: with the certificate's
  // checks off, the system's own verification of its chain then names the certificate's
  // fault; with TLS 1.0 and 1.1 only, a handshake that holds names the server's versions.
  static HttpFailure DiagnoseTls(const Url& url, std::chrono::milliseconds silence) {
    if (const auto certificate = Handshake(url, silence, kModernTls)) {
      return CertificateFault(certificate->get(), url.HostName());
    }
    const DWORD older[] = {WINHTTP_FLAG_SECURE_PROTOCOL_TLS1 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_1};
    return Handshake(url, silence, older) ? HttpFailure::TlsVersion : HttpFailure::TlsFailed;
  }

  using Certificate = UniqueHandle<NullableTraits<PCCERT_CONTEXT, &CertFreeCertificateContext>>;

  // The server's certificate after a handshake in the first of `protocols` the system
  // takes, trusting any certificate, or nothing when the handshake fails. What is asked is
  // "HEAD /", and nothing is read.
  template <std::size_t N>
  static std::optional<Certificate> Handshake(const Url& url, std::chrono::milliseconds silence,
                                              const DWORD (&protocols)[N]) {
    const Internet session(WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                       WINHTTP_NO_PROXY_BYPASS, 0));
    if (!session || !Protocols(session.get(), protocols)) return std::nullopt;
    const Internet connection(
        WinHttpConnect(session.get(), W(url.HostName()), url.EffectivePort(), 0));
    const Internet probe(connection
                             ? WinHttpOpenRequest(connection.get(), L"HEAD", L"/", nullptr,
                                                  WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                                  WINHTTP_FLAG_SECURE)
                             : nullptr);
    const int wait = static_cast<int>(silence.count());
    DWORD anyCertificate =
        SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_DATE_INVALID |
        SECURITY_FLAG_IGNORE_CERT_CN_INVALID | SECURITY_FLAG_IGNORE_CERT_WRONG_USAGE;
    PCCERT_CONTEXT certificate = nullptr;
    DWORD size = sizeof certificate;
    if (!probe || !WinHttpSetTimeouts(probe.get(), wait, wait, wait, wait) ||
        !WinHttpSetOption(probe.get(), WINHTTP_OPTION_SECURITY_FLAGS, &anyCertificate,
                          sizeof anyCertificate) ||
        !WinHttpSendRequest(probe.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA,
                            0, 0, 0) ||
        !WinHttpQueryOption(probe.get(), WINHTTP_OPTION_SERVER_CERT_CONTEXT, &certificate, &size) ||
        !certificate) {
      return std::nullopt;
    }
    return Certificate(certificate);
  }

  // What the system's verification of `certificate` for `host` finds wrong.
  static HttpFailure CertificateFault(PCCERT_CONTEXT certificate, const std::u16string& host) {
    CERT_CHAIN_PARA para{};
    para.cbSize = sizeof para;
    PCCERT_CHAIN_CONTEXT chain = nullptr;
    if (!CertGetCertificateChain(nullptr, certificate, nullptr, certificate->hCertStore, &para, 0,
                                 nullptr, &chain)) {
      return HttpFailure::CertificateInvalid;
    }
    std::u16string name = host;
    HTTPSPolicyCallbackData ssl{};
    ssl.cbStruct = sizeof ssl;
    ssl.dwAuthType = AUTHTYPE_SERVER;
    ssl.pwszServerName = reinterpret_cast<wchar_t*>(name.data());
    CERT_CHAIN_POLICY_PARA policy{};
    policy.cbSize = sizeof policy;
    policy.pvExtraPolicyPara = &ssl;
    CERT_CHAIN_POLICY_STATUS status{};
    status.cbSize = sizeof status;
    const BOOL verified =
        CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_SSL, chain, &policy, &status);
    CertFreeCertificateChain(chain);
    if (!verified) return HttpFailure::CertificateInvalid;
    switch (static_cast<HRESULT>(status.dwError)) {
      case S_OK:
        return HttpFailure::TlsFailed;
      case CERT_E_EXPIRED:
      case CERT_E_VALIDITYPERIODNESTING:
        return HttpFailure::CertificateExpired;
      case CERT_E_UNTRUSTEDROOT:
      case CERT_E_CHAINING:
      case CERT_E_UNTRUSTEDTESTROOT:
        return HttpFailure::CertificateUntrusted;
      case CERT_E_CN_NO_MATCH:
        return HttpFailure::CertificateWrongName;
      case CRYPT_E_REVOKED:
        return HttpFailure::CertificateRevoked;
      default:
        return HttpFailure::CertificateInvalid;
    }
  }

  // The asynchronous session every request of this stack goes through, opened at first use.
  HINTERNET Session(DWORD& error) {
    std::lock_guard<std::mutex> hold(lock_);
    if (session_ || sessionError_) {
      error = sessionError_;
      return session_.get();
    }
    session_.reset(WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                               WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC));
    if (!session_ || !Protocols(session_.get(), kModernTls)) {
      sessionError_ = GetLastError();
      session_.reset();
    }
    error = sessionError_;
    return session_.get();
  }

  // The session that runs proxy scripts, whose calls block.
  HINTERNET ProxyResolver() {
    std::lock_guard<std::mutex> hold(lock_);
    if (!resolver_) {
      resolver_.reset(WinHttpOpen(nullptr, WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                  WINHTTP_NO_PROXY_BYPASS, 0));
    }
    return resolver_.get();
  }

  const HttpStackOptions options_;
  std::mutex lock_;
  Internet session_;
  DWORD sessionError_ = 0;
  Internet resolver_;
};

}  // namespace

std::shared_ptr<HttpStack> SystemHttpStack(const HttpStackOptions& options) {
  return std::make_shared<WinHttpStack>(options);
}

}  // namespace cardo
