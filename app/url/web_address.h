#pragma once
// The addresses of a page download: the text typed into the dialog made into a URL, a URL
// taken apart for a connection, and the redirections a server answers with followed to their
// end (the address joining of RFC 3986, not the extraction's own relative rules).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cardo {

// "http://" put in front of `typed` unless it holds "http://" or "https://" somewhere (exact
// comparison: "HTTPS://h/" gets the prefix too).
std::u16string DownloadAddress(std::u16string_view typed);

struct WebAddress {
  bool secure = false;     // https
  std::u16string host;     // without brackets for an IPv6 literal
  std::uint16_t port = 0;  // 80 or 443 when the URL names none
  std::u16string target;   // path and query, "/" at least; the fragment is never sent
};
// An http or https URL taken apart; nullopt for another scheme, an empty host or a port that
// is no number up to 65535.
std::optional<WebAddress> ParseWebAddress(std::u16string_view url);

// `reference` (a Location header's value) joined to the absolute `base`.
std::u16string JoinAddress(std::u16string_view base, std::u16string_view reference);

// `bytes` (a Location header's value as sent, or an address as UTF-8) as a browser requests it:
// read as UTF-8, and in the path, query and fragment every byte beyond ASCII (valid UTF-8 or
// not: the server gets back the bytes it sent), every control character and space, and the
// characters a browser escapes there ('"', '<', '>'; "`", "{", "}" outside the query; "'" in
// it) as %XX. A "%" stays, so an address already encoded comes back as it was. The scheme and
// the host are left as read, a byte that is not UTF-8 there as U+FFFD (which no host can
// hold). A relative reference stays relative. Linear in the length.
std::u16string BrowserAddress(std::string_view bytes);
std::u16string BrowserAddress(std::u16string_view url);

// The address a request for `url` goes to: its BrowserAddress with the host in its A-label
// form (idna.h) and without the fragment. Nothing when the host is not valid as an
// internationalized domain name: kBadHostReason and the URL say so to the user.
std::optional<std::u16string> WireAddress(std::u16string_view url);
inline constexpr char16_t kBadHostReason[] =
    u"ホスト名を国際化ドメイン名(IDNA)として変換できません: ";
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
  enum class Step { Follow, TooMany, Loop };

  explicit RedirectChain(std::u16string start);
  // The address the Location header's value `location` (its bytes as sent) names, in its
  // browser form: joined to Current().
  std::u16string Target(std::string_view location) const;
  // The redirection to `location`; on Follow, Current() is Target(location). Two addresses
  // are the same when their browser forms without the fragment are.
  [[nodiscard]] Step Redirect(std::string_view location);
  const std::u16string& Current() const { return visited_.back(); }

 private:
  std::vector<std::u16string> visited_;
  std::vector<std::u16string> keys_;  // each visited address as compared
};

}  // namespace cardo
