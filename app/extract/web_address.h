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

// The addresses one download visits: at most ten redirections, none back to an address
// already visited.
class RedirectChain {
 public:
  static constexpr int kMaxRedirects = 10;
  enum class Step { Follow, TooMany, Loop };

  explicit RedirectChain(std::u16string start);
  // The redirection to `location`; on Follow, Current() is the new address.
  [[nodiscard]] Step Redirect(std::u16string_view location);
  const std::u16string& Current() const { return visited_.back(); }

 private:
  std::vector<std::u16string> visited_;
};

}  // namespace cardo
