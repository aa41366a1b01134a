#include "app/net/json_post_win.h"

#include <windows.h>

#include <winhttp.h>

#include "app/url/web_address.h"
#include "app/net/web_download_win.h"
#include "app/platform/wide_text_win.h"
#include "app/platform/win_handle.h"

namespace cardo {
namespace {

using Internet = UniqueHandle<NullableTraits<HINTERNET, &WinHttpCloseHandle>>;

constexpr std::size_t kMaxAnswerBytes = 64 * 1024 * 1024;
constexpr wchar_t kJsonType[] = L"Content-Type: application/json\r\n";

PostResponse NotAnswered(std::u16string reason) {
  PostResponse response;
  response.failure = std::move(reason);
  return response;
}

PostResponse LastFailure() {
  return NotAnswered(WinHttpFailureReason(GetLastError(), 0));
}

}  // namespace

PostResponse WinHttpPostJson(const std::u16string& address, const std::string& body) {
  const std::optional<Url> target = ParseUrl(address);
  if (!target || !IsHttpUrl(*target)) {
    return NotAnswered(u"アドレスが http:// か https:// で始まる URL ではありません。");
  }
  const Internet session(WinHttpOpen(L"Cardo/3", WINHTTP_ACCESS_TYPE_NO_PROXY,
                                     WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session) return LastFailure();
  if (!WinHttpSetTimeouts(session.get(), 10000, 10000, 60000, 60000)) return LastFailure();
  const Internet connection(
      WinHttpConnect(session.get(), W(target->HostName()), target->EffectivePort(), 0));
  if (!connection) return LastFailure();
  const Internet request(WinHttpOpenRequest(
      connection.get(), L"POST", W(target->Target()), nullptr, WINHTTP_NO_REFERER,
      WINHTTP_DEFAULT_ACCEPT_TYPES, target->Scheme() == u"https" ? WINHTTP_FLAG_SECURE : 0));
  if (!request) return LastFailure();
  const auto length = static_cast<DWORD>(body.size());
  if (!WinHttpSendRequest(request.get(), kJsonType, static_cast<DWORD>(-1),
                          const_cast<char*>(body.data()), length, length, 0) ||
      !WinHttpReceiveResponse(request.get(), nullptr)) {
    return LastFailure();
  }
  PostResponse response;
  DWORD status = 0;
  DWORD size = sizeof status;
  if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX)) {
    return LastFailure();
  }
  response.status = static_cast<int>(status);
  std::string buffer(64 * 1024, '\0');
  for (;;) {
    DWORD got = 0;
    if (!WinHttpReadData(request.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got)) {
      return LastFailure();
    }
    if (got == 0) break;
    if (response.body.size() + got > kMaxAnswerBytes) {
      return NotAnswered(u"応答が大きすぎます。");
    }
    response.body.append(buffer.data(), got);
  }
  response.answered = true;
  return response;
}

}  // namespace cardo
