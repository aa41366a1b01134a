#include "app/net/web_download_win.h"

#include <windows.h>

#include <winhttp.h>

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <new>
#include <string_view>
#include <system_error>
#include <thread>

#include "app/net/location_header_win.h"
#include "app/url/web_address.h"
#include "app/platform/codec.h"
#include "app/platform/wide_text_win.h"
#include "app/platform/win_check.h"
#include "app/platform/win_handle.h"

namespace cardo {
namespace {

constexpr DWORD kReceiveBytes = 64 * 1024;
constexpr wchar_t kUserAgent[] = L"Cardo/3";
constexpr wchar_t kAcceptEncoding[] = L"Accept-Encoding: gzip, deflate\r\n";

using Internet = UniqueHandle<NullableTraits<HINTERNET, &WinHttpCloseHandle>>;

// A text WinHTTP allocated for the caller.
struct GlobalText {
  UniqueGlobal owner;
  explicit GlobalText(LPWSTR text = nullptr) : owner(text) {}
  LPWSTR get() const { return static_cast<LPWSTR>(owner.get()); }
};

// The proxy settings the user chose for the system, read once per download.
struct SystemProxy {
  GlobalText autoConfigUrl, proxy, bypass;
  bool autoDetect = false;
  SystemProxy() {
    WINHTTP_CURRENT_USER_IE_PROXY_CONFIG config{};
    if (!WinHttpGetIEProxyConfigForCurrentUser(&config)) return;
    autoDetect = config.fAutoDetect != FALSE;
    autoConfigUrl = GlobalText(config.lpszAutoConfigUrl);
    proxy = GlobalText(config.lpszProxy);
    bypass = GlobalText(config.lpszProxyBypass);
  }
  bool Automatic() const { return autoDetect || autoConfigUrl.get(); }
};

// A WinHTTP error number, or a certificate failure flag, and what it means to a user.
struct Meaning {
  DWORD code;
  const char16_t* text;
};
constexpr Meaning kReasons[] = {
    {ERROR_WINHTTP_TIMEOUT, u"サーバーが時間内に応答しませんでした。"},
    {ERROR_WINHTTP_NAME_NOT_RESOLVED, u"サーバー名を解決できませんでした。"},
    {ERROR_WINHTTP_CANNOT_CONNECT, u"サーバーに接続できませんでした。"},
    {ERROR_WINHTTP_CONNECTION_ERROR, u"サーバーとの接続が切れました。"},
    {ERROR_WINHTTP_INVALID_SERVER_RESPONSE, u"サーバーの応答が不正です。"},
    {ERROR_WINHTTP_SECURE_CHANNEL_ERROR,
     u"安全な接続(TLS)を確立できませんでした。サーバーの証明書が信頼できないか、"
     u"暗号の方式が合いません。"},
    {ERROR_WINHTTP_SECURE_FAILURE, u"サーバーの証明書を検証できませんでした。"},
    {ERROR_WINHTTP_SECURE_INVALID_CA, u"サーバーの証明書の発行元が信頼されていません。"},
    {ERROR_WINHTTP_SECURE_CERT_CN_INVALID, u"サーバーの証明書の名前がサーバー名と一致しません。"},
    {ERROR_WINHTTP_SECURE_CERT_DATE_INVALID, u"サーバーの証明書が有効期間外です。"},
    {ERROR_WINHTTP_CLIENT_AUTH_CERT_NEEDED, u"サーバーがクライアント証明書を求めています。"},
};

constexpr Meaning kCertificateFailures[] = {
    {WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CA, u"証明書の発行元が信頼されていません。"},
    {WINHTTP_CALLBACK_STATUS_FLAG_CERT_CN_INVALID, u"証明書の名前がサーバー名と一致しません。"},
    {WINHTTP_CALLBACK_STATUS_FLAG_CERT_DATE_INVALID, u"証明書が有効期間外です。"},
    {WINHTTP_CALLBACK_STATUS_FLAG_CERT_REVOKED, u"証明書は失効しています。"},
    {WINHTTP_CALLBACK_STATUS_FLAG_CERT_REV_FAILED, u"証明書の失効を確認できませんでした。"},
    {WINHTTP_CALLBACK_STATUS_FLAG_INVALID_CERT, u"証明書が不正です。"},
    {WINHTTP_CALLBACK_STATUS_FLAG_CERT_WRONG_USAGE, u"証明書はサーバーの認証に使えません。"},
    {WINHTTP_CALLBACK_STATUS_FLAG_SECURITY_CHANNEL_ERROR, u"安全な接続でエラーが起きました。"},
};

}  // namespace

std::u16string WinHttpFailureReason(unsigned long error, unsigned long certificateFlags) {
  std::u16string reason;
  for (const Meaning& failure : kCertificateFailures) {
    if (certificateFlags & failure.code) reason += failure.text;
  }
  if (reason.empty()) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_FROM_SYSTEM |
            FORMAT_MESSAGE_IGNORE_INSERTS,
        GetModuleHandleW(L"winhttp.dll"), error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    const UniqueLocal owned(text);
    if (length > 0 && text) {
      reason = U(std::wstring_view(text, length));
      while (!reason.empty() && (reason.back() == u'\n' || reason.back() == u'\r')) {
        reason.pop_back();
      }
    }
  }
  if (reason.empty()) {
    for (const Meaning& known : kReasons) {
      if (known.code == error) reason = known.text;
    }
  }
  const std::string number = "(" + std::to_string(error) + ")";
  return reason + std::u16string(number.begin(), number.end());
}

namespace {

// Where the body ends, as PageBody::Finish takes it.
long long AnnouncedLength(HINTERNET request) {
  if (!QueryHeaderText(request, WINHTTP_QUERY_TRANSFER_ENCODING).empty()) return PageBody::kFramed;
  const std::u16string digits = QueryHeaderText(request, WINHTTP_QUERY_CONTENT_LENGTH);
  if (digits.empty() || digits.size() > 18) return PageBody::kUntilClose;
  long long length = 0;
  for (const char16_t c : digits) {
    if (c < u'0' || c > u'9') return PageBody::kUntilClose;
    length = length * 10 + (c - u'0');
  }
  return length;
}

std::string Narrow(const std::u16string& text) {
  std::string bytes;
  for (const char16_t c : text) bytes += c < 0x80 ? static_cast<char>(c) : '?';
  return bytes;
}

void CALLBACK NoteCertificateFailure(HINTERNET, DWORD_PTR context, DWORD status, LPVOID info,
                                     DWORD length) {
  if (status == WINHTTP_CALLBACK_STATUS_SECURE_FAILURE && info && length >= sizeof(DWORD)) {
    *reinterpret_cast<DWORD*>(context) = *static_cast<DWORD*>(info);
  }
}

bool IsRedirect(DWORD status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

DownloadOutcome Failed(std::u16string reason) {
  return {DownloadStatus::Failed, std::move(reason), {}, {}};
}

DownloadOutcome Cancelled() {
  return {DownloadStatus::Cancelled, {}, {}, {}};
}

class Transfer {
 public:
  Transfer(const std::u16string& path, DownloadControl& control) : path_(path), control_(control) {}
  DownloadOutcome Run(const std::u16string& url);

 private:
  DownloadOutcome Failure(DWORD error) {
    if (control_.Cancelled()) return Cancelled();
    // Under Wine a silent server gives the socket's own time-out.
    if (error == ERROR_WINHTTP_TIMEOUT || error == WSAETIMEDOUT) return Failed(TimedOutReason());
    return Failed(WinHttpFailureReason(error, certificateFlags_));
  }
  void UseProxyFor(HINTERNET request, const std::u16string& url);
  DownloadOutcome Body(HINTERNET request, const std::u16string& url);

  const std::u16string& path_;
  DownloadControl& control_;
  SystemProxy proxy_;
  Internet session_;
  DWORD certificateFlags_ = 0;
};

void Transfer::UseProxyFor(HINTERNET request, const std::u16string& url) {
  if (!proxy_.Automatic()) return;
  WINHTTP_AUTOPROXY_OPTIONS options{};
  if (proxy_.autoConfigUrl.get()) {
    options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
    options.lpszAutoConfigUrl = proxy_.autoConfigUrl.get();
  } else {
    options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
    options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
  }
  options.fAutoLogonIfChallenged = TRUE;
  WINHTTP_PROXY_INFO info{};
  // No script found or none that answers: the connection goes direct, as the system's would.
  if (!WinHttpGetProxyForUrl(session_.get(), W(url), &options, &info)) return;
  const UniqueGlobal proxy(info.lpszProxy), bypass(info.lpszProxyBypass);
  CARDO_CHECK_WIN32(WinHttpSetOption(request, WINHTTP_OPTION_PROXY, &info, sizeof info));
}

DownloadOutcome Transfer::Run(const std::u16string& url) {
  if (proxy_.proxy.get()) {
    session_.reset(WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_NAMED_PROXY, proxy_.proxy.get(),
                               proxy_.bypass.get() ? proxy_.bypass.get() : WINHTTP_NO_PROXY_BYPASS,
                               0));
  } else {
    session_.reset(WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                               WINHTTP_NO_PROXY_BYPASS, 0));
  }
  if (!session_) return Failure(GetLastError());
  // The system's own waits are a second line behind the watch in WebDownload (the headers'
  // wait is 90 s by default, and under Wine headers without end are read for ever).
  const int wait = static_cast<int>(2 * control_.Limits().silence.count());
  CARDO_CHECK_WIN32(WinHttpSetTimeouts(session_.get(), wait, wait, wait, wait));
  // Left alone, older systems offer TLS 1.0 only, which servers today refuse. A system that
  // does not know TLS 1.3 refuses the pair: then 1.2 alone.
  DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2 | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_3;
  if (!WinHttpSetOption(session_.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols,
                        sizeof protocols)) {
    protocols = WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
    CARDO_CHECK_WIN32(WinHttpSetOption(session_.get(), WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols,
                                       sizeof protocols));
  }
  std::u16string reason;
  std::optional<Url> start = RequestUrl(url, reason);
  if (!start) return Failed(reason);
  RedirectChain chain(std::move(*start));
  for (;;) {
    if (control_.Cancelled()) return Cancelled();
    control_.Heard();
    const Url& current = chain.Current();
    if (!IsHttpUrl(current)) return Failed(kBadAddressReason + current.Href());
    Internet connection(
        WinHttpConnect(session_.get(), W(current.HostName()), current.EffectivePort(), 0));
    if (!connection) return Failure(GetLastError());
    Internet request(WinHttpOpenRequest(connection.get(), L"GET", W(current.Target()), nullptr,
                                        WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                        current.Scheme() == u"https" ? WINHTTP_FLAG_SECURE : 0));
    if (!request) return Failure(GetLastError());
    // Redirections are followed here, to count them, see loops and know the final address.
    DWORD feature = WINHTTP_DISABLE_REDIRECTS;
    CARDO_CHECK_WIN32(
        WinHttpSetOption(request.get(), WINHTTP_OPTION_DISABLE_FEATURE, &feature, sizeof feature));
    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(&certificateFlags_);
    CARDO_CHECK_WIN32(
        WinHttpSetOption(request.get(), WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof context));
    CARDO_CHECK_WIN32(WinHttpSetStatusCallback(request.get(), NoteCertificateFailure,
                                               WINHTTP_CALLBACK_FLAG_SECURE_FAILURE,
                                               0) != WINHTTP_INVALID_STATUS_CALLBACK);
    DWORD wait = static_cast<DWORD>(2 * control_.Limits().silence.count());
    CARDO_CHECK_WIN32(WinHttpSetOption(request.get(), WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT,
                                       &wait, sizeof wait));
    UseProxyFor(request.get(), current.Href(false));
    if (!WinHttpSendRequest(request.get(), kAcceptEncoding, static_cast<DWORD>(-1),
                            WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
        !WinHttpReceiveResponse(request.get(), nullptr)) {
      return Failure(GetLastError());
    }
    if (control_.Cancelled()) return Cancelled();
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                             WINHTTP_HEADER_NAME_BY_INDEX, &status, &size,
                             WINHTTP_NO_HEADER_INDEX)) {
      return Failure(GetLastError());
    }
    // The bytes the server sent, read as UTF-8 as a browser reads them.
    const std::u16string decoded = QueryHeaderText(request.get(), WINHTTP_QUERY_LOCATION);
    const std::optional<std::string> read = LocationHeaderBytes(request.get(), decoded);
    if (IsRedirect(status) && !read) {
      return Failed(kUnreadableLocationReason + decoded);
    }
    const std::string location = read.value_or(std::string());
    if (IsRedirect(status) && !location.empty()) {
      switch (chain.Redirect(location)) {
        case RedirectChain::Step::Follow:
          continue;
        case RedirectChain::Step::Loop:
          return Failed(RedirectLoopReason(chain.Target(location)->Href()));
        case RedirectChain::Step::TooMany:
          return Failed(TooManyRedirectsReason(current.Href()));
        case RedirectChain::Step::Invalid:
          return Failed(chain.Refusal(location));
      }
    }
    if (status < 200 || status >= 300) {
      const std::u16string digits = U(std::to_wstring(status));
      std::u16string line = QueryHeaderText(request.get(), WINHTTP_QUERY_VERSION) + u" " + digits;
      const std::u16string text = QueryHeaderText(request.get(), WINHTTP_QUERY_STATUS_TEXT);
      if (!text.empty()) line += u" " + text;
      return Failed(line);
    }
    // A page not redirected keeps the address as it was given (characters beyond ASCII as
    // written); a redirected one is the address requested.
    return Body(request.get(), chain.Redirected() ? current.Href() : url);
  }
}

DownloadOutcome Transfer::Body(HINTERNET request, const std::u16string& url) {
  PageBody body(path_, control_, Narrow(QueryHeaderText(request, WINHTTP_QUERY_CONTENT_ENCODING)));
  std::string buffer(kReceiveBytes, '\0');
  for (;;) {
    // What has come, however little: a read for more waits for all of it (under Wine), and the
    // watch would see a slow server as a silent one.
    DWORD ready = 0;
    DWORD got = 0;
    if (!WinHttpQueryDataAvailable(request, &ready) ||
        (ready > 0 &&
         !WinHttpReadData(request, buffer.data(), std::min(ready, kReceiveBytes), &got))) {
      return Failure(GetLastError());
    }
    if (got == 0) break;
    if (!body.Feed(std::string_view(buffer.data(), got))) return body.Outcome();
  }
  if (!body.Finish(AnnouncedLength(request))) return body.Outcome();
  return {
      DownloadStatus::Done, {}, url, Narrow(QueryHeaderText(request, WINHTTP_QUERY_CONTENT_TYPE))};
}

}  // namespace

DownloadOutcome WebDownload(const std::u16string& url, const std::u16string& path,
                            DownloadControl& control) {
  // The transfer runs on a worker of its own while this thread watches it: WinHTTP's waits
  // are per receive, so a server that dribbles headers without end would hold a blocking call
  // for ever. On silence the worker is cancelled (it writes nothing more) and left to end when
  // its call returns.
  struct Watched {
    explicit Watched(const DownloadLimits& limits)
        : control(std::make_shared<DownloadControl>(limits)) {}
    std::shared_ptr<DownloadControl> control;
    std::mutex lock;
    std::condition_variable ended;
    bool done = false;
    DownloadOutcome outcome;
  };
  auto watched = std::make_shared<Watched>(control.Limits());
  control.Follow(watched->control);
  try {
    std::thread([watched, url, path] {
      DownloadOutcome outcome;
      try {
        outcome = Transfer(path, *watched->control).Run(url);
      } catch (const std::bad_alloc&) {
        outcome = Failed(u"メモリが足りません。");
      }
      std::lock_guard<std::mutex> hold(watched->lock);
      watched->outcome = std::move(outcome);
      watched->done = true;
      watched->ended.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    return Transfer(path, *watched->control).Run(url);
  }
  std::unique_lock<std::mutex> hold(watched->lock);
  for (;;) {
    if (watched->ended.wait_for(hold, std::chrono::milliseconds(100),
                                [&] { return watched->done; })) {
      return std::move(watched->outcome);
    }
    if (control.Cancelled()) return Cancelled();
    if (watched->control->Silence() > control.Limits().silence) {
      watched->control->Cancel();
      return Failed(TimedOutReason());
    }
  }
}

}  // namespace cardo
