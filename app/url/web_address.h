#pragma once
// The addresses of a page download or a link check: the text typed into the dialog made into a
// URL, the address a request goes to, and the redirections a server answers with followed to
// their end, each read by the URL model (url.h).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/url/url.h"

namespace cardo {

// "http://" put in front of `typed` unless it starts with a scheme and "://" (any case: "ftp://h/"
// stays as typed, for the request to refuse by name) or holds "http://" or "https://" somewhere.
std::u16string DownloadAddress(std::u16string_view typed);

// Whether a request may go to `url`: an http or https URL.
bool IsHttpUrl(const Url& url);

// The reasons an address is not requested, each followed by the address.
inline constexpr char16_t kBadHostReason[] =
    u"ホスト名を国際化ドメイン名(IDNA)として変換できません: ";
inline constexpr char16_t kBadAddressReason[] = u"URLが不正です: ";
// A Location whose bytes the system gave only as code page 932 text that lost some of them
// (raw UTF-8 on systems without WinHttpQueryHeadersEx): followed by the header as read.
inline constexpr char16_t kUnreadableLocationReason[] =
    u"転送先のアドレスを、サーバーが送ったとおりに読み取れませんでした: ";

// The reasons a download or a check gives for the redirects it refuses: `target`, an address
// already visited; `current`, the address whose answer would have been the eleventh redirect.
std::u16string RedirectLoopReason(std::u16string_view target);
std::u16string TooManyRedirectsReason(std::u16string_view current);

// The addresses one download visits: at most ten redirections, none back to an address
// already visited.
class RedirectChain {
 public:
  static constexpr int kMaxRedirects = 10;
  // Invalid: the Location names no URL (Refusal says why).
  enum class Step { Follow, TooMany, Loop, Invalid };

  explicit RedirectChain(Url start);
  // The address the Location header's value `location` (its bytes as sent) names, joined to
  // Current(); nothing when it names none.
  std::optional<Url> Target(std::string_view location) const;
  // The redirection to `location`; on Follow, Current() is Target(location). Two addresses
  // are the same when they are without their fragments.
  [[nodiscard]] Step Redirect(std::string_view location);
  // Why `location` names no URL: kBadHostReason or kBadAddressReason, then the location.
  std::u16string Refusal(std::string_view location) const;
  const Url& Current() const { return visited_.back(); }
  // Whether Current() is another address than the start.
  bool Redirected() const { return visited_.size() > 1; }

 private:
  std::vector<Url> visited_;
  std::vector<std::u16string> keys_;  // each visited address as compared
};

}  // namespace cardo
