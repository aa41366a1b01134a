#pragma once
// The one model of an address: parsed, resolved and written as the URL standard (WHATWG) does
// it, so that the address a link resolves to, the address a request goes to, the address an
// export hands over and the Referer sent with it are the same text. Every address the program
// requests or hands over goes through ParseUrl; nothing else takes an address apart.
//
// The standard's rules, in short: the special schemes (http, https, ftp, ws, wss, file) read
// "\" as "/"; "." and ".." segments, also written "%2e", are applied; default ports are
// dropped; a special URL's empty path is "/"; scheme and domain are lower case; a domain beyond
// ASCII becomes its A-label (idna.h); IPv4 addresses in any of their forms ("0x7f.1") and IPv6
// addresses are written in their one canonical form; characters a URL may not hold raw are
// percent-encoded by the set of the part they stand in.
//
// Cost: time and memory linear in the input and the result, for every input (a megabyte-long
// base climbed by "../" a hundred thousand times costs each reference's length and its
// result's, never the base's).
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cardo {

// What a parse keeps of characters beyond ASCII. Wire: percent-encoded from UTF-8, as the
// address is sent (requests, exports, Referer). AsWritten: kept as they are in the user
// information, path, query and fragment, and in a domain (then only checked for IDNA, its
// ASCII letters lowered), as a list shows them; ASCII is treated exactly as in Wire, so the
// Wire parse of an AsWritten result gives the Wire result of the original.
enum class UrlForm { Wire, AsWritten };

class Url {
 public:
  // The scheme in lower case, without ":".
  const std::u16string& Scheme() const { return scheme_; }
  const std::u16string& Username() const { return username_; }
  const std::u16string& Password() const { return password_; }
  // The host as serialized: a domain, "1.2.3.4", "[::1]" or an opaque host; empty for "file:"
  // URLs without one; HasHost() false for URLs such as "mailto:a@b".
  bool HasHost() const { return hasHost_; }
  const std::u16string& Host() const { return host_; }
  // The host as a connection names it: an IPv6 address without its brackets.
  std::u16string HostName() const;
  // The port when the URL names one other than the scheme's default.
  std::optional<std::uint16_t> Port() const { return port_; }
  // The port a connection uses: Port(), else the scheme's default (0 for a scheme without one).
  std::uint16_t EffectivePort() const;
  // The path as serialized ("/a/b"; an opaque path such as "a@b" for "mailto:a@b").
  const std::u16string& Path() const { return path_; }
  // Query and fragment without their "?" and "#"; nullopt when absent ("?" alone is "").
  const std::optional<std::u16string>& Query() const { return query_; }
  const std::optional<std::u16string>& Fragment() const { return fragment_; }

  // The whole address (the standard's href); without the fragment when `withFragment` is false.
  std::u16string Href(bool withFragment = true) const;
  // What an HTTP request line names: the path and "?query", never the fragment.
  std::u16string Target() const;
  // "scheme://host[:port]" for http(s), ws(s) and ftp; empty (an opaque origin) otherwise.
  std::u16string Origin() const;
  // The address with neither user information nor fragment: what a Referer may carry.
  std::u16string WithoutCredentials() const;

  // The same address without user name and password (what a request sends as Basic instead).
  void ClearCredentials() {
    username_.clear();
    password_.clear();
  }

 private:
  friend class UrlParser;
  // How long the path stays once `levels` of its segments are taken from its end (the first
  // segment of a "file:" URL stays when it is a drive letter "C:"). Climbing a base is
  // remembered level by level, so that every reference resolved against one base costs its
  // own length and its result's, however often it climbs: memory one position a level.
  std::size_t DirectoryEnd(std::size_t levels) const;

  std::u16string scheme_;
  bool special_ = false;
  std::u16string username_;
  std::u16string password_;
  bool hasHost_ = false;
  std::u16string host_;
  std::optional<std::uint16_t> port_;
  std::u16string path_;
  bool opaquePath_ = false;
  std::optional<std::u16string> query_;
  std::optional<std::u16string> fragment_;
  mutable std::vector<std::size_t> directoryEnds_;  // DirectoryEnd(k + 1), as far as asked
};

// Why a text is no URL.
enum class UrlError {
  NotAUrl,      // a bad port, a host no URL may hold, a reference an opaque base cannot take ...
  NoBase,       // a relative reference read without a base
  HostNotIdna,  // a domain the IDNA conversion (idna.h) refuses
};

// `input` (leading and trailing C0 controls and spaces trimmed, TAB, CR and LF inside removed,
// as the standard says) read against `base` when it is relative. Nothing when it is no URL,
// and `error`, when given, says why. A lone surrogate in `input` reads as U+FFFD. `base`
// remembers how far references climbed its path: one base is not resolved against by two
// threads at once.
std::optional<Url> ParseUrl(std::u16string_view input, const Url* base = nullptr,
                            UrlForm form = UrlForm::Wire, UrlError* error = nullptr);

// The same for bytes as a server sends them (a Location header): valid UTF-8 read as its
// characters; a byte that starts no valid sequence goes back to the server as its own "%XX".
std::optional<Url> ParseUrlBytes(std::string_view bytes, const Url* base = nullptr,
                                 UrlError* error = nullptr);

}  // namespace cardo
