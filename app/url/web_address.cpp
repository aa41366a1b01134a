#include "app/url/web_address.h"

#include <algorithm>

#include "app/platform/idna.h"
#include "app/platform/percent_encoding.h"
#include "app/platform/text.h"

namespace cardo {
namespace {

using View = std::u16string_view;

struct Parts {
  std::optional<View> scheme;
  std::optional<View> authority;
  View path;
  std::optional<View> query;
  std::optional<View> fragment;
};

bool IsAlpha(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

Parts Split(View url) {
  Parts parts;
  const std::size_t colon = url.find_first_of(u":/?#");
  if (colon != View::npos && colon > 0 && url[colon] == u':' && IsAlpha(url[0]) &&
      std::all_of(url.begin(), url.begin() + colon, [](char16_t c) {
        return IsAlpha(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
      })) {
    parts.scheme = url.substr(0, colon);
    url.remove_prefix(colon + 1);
  }
  if (url.substr(0, 2) == u"//") {
    const std::size_t end = std::min(url.find_first_of(u"/?#", 2), url.size());
    parts.authority = url.substr(2, end - 2);
    url.remove_prefix(end);
  }
  if (const std::size_t hash = url.find(u'#'); hash != View::npos) {
    parts.fragment = url.substr(hash + 1);
    url = url.substr(0, hash);
  }
  if (const std::size_t question = url.find(u'?'); question != View::npos) {
    parts.query = url.substr(question + 1);
    url = url.substr(0, question);
  }
  parts.path = url;
  return parts;
}

// RFC 3986, 5.2.4.
std::u16string RemoveDotSegments(View in) {
  std::u16string out;
  while (!in.empty()) {
    if (in.substr(0, 3) == u"../") {
      in.remove_prefix(3);
    } else if (in.substr(0, 2) == u"./") {
      in.remove_prefix(2);
    } else if (in.substr(0, 3) == u"/./") {
      in.remove_prefix(2);
    } else if (in == u"/.") {
      in = u"/";
    } else if (in.substr(0, 4) == u"/../" || in == u"/..") {
      in = in.size() == 3 ? View(u"/") : in.substr(3);
      const std::size_t cut = out.rfind(u'/');
      out.resize(cut == std::u16string::npos ? 0 : cut);
    } else if (in == u"." || in == u"..") {
      in = {};
    } else {
      const std::size_t next = in.find(u'/', 1);
      const View segment = in.substr(0, next);
      out += segment;
      in.remove_prefix(segment.size());
    }
  }
  return out;
}

std::u16string Merge(const Parts& base, View path) {
  if (base.authority && base.path.empty()) return u"/" + std::u16string(path);
  const std::size_t slash = base.path.rfind(u'/');
  if (slash == View::npos) return std::u16string(path);
  return std::u16string(base.path.substr(0, slash + 1)) + std::u16string(path);
}

std::u16string Compose(View scheme, std::optional<View> authority, View path,
                       std::optional<View> query, std::optional<View> fragment) {
  std::u16string url(scheme);
  url += u':';
  if (authority) url += u"//" + std::u16string(*authority);
  url += path;
  if (query) url += u"?" + std::u16string(*query);
  if (fragment) url += u"#" + std::u16string(*fragment);
  return url;
}

std::u16string Lower(View text) {
  std::u16string lower(text);
  for (char16_t& c : lower) {
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c + 0x20);
  }
  return lower;
}

View WithoutFragment(View url) {
  return url.substr(0, url.find(u'#'));
}

// The parts of an address a browser percent-encodes, each with the ASCII characters it
// escapes besides controls, the space and everything beyond ASCII (the WHATWG URL sets).
enum class Part { Path, Query, Fragment };
constexpr std::string_view kEscapedIn[] = {"\"<>`{}", "\"<>'", "\"<>`"};

// `piece` (bytes held one per code unit) with the bytes a browser escapes in `part` as %XX.
std::u16string Escaped(View piece, Part part) {
  const std::string_view escaped = kEscapedIn[static_cast<int>(part)];
  std::u16string out;
  std::string hex;
  for (const char16_t unit : piece) {
    const auto byte = static_cast<unsigned char>(unit);
    if (byte > 0x20 && byte < 0x7F && escaped.find(static_cast<char>(byte)) == View::npos) {
      out.push_back(unit);
      continue;
    }
    hex.clear();
    AppendPercentEncoded(hex, std::string_view(reinterpret_cast<const char*>(&byte), 1));
    out.append(hex.begin(), hex.end());
  }
  return out;
}

std::optional<std::u16string> Escaped(std::optional<View> piece, Part part) {
  if (!piece) return std::nullopt;
  return Escaped(*piece, part);
}

// Bytes held one per code unit, as text again.
std::u16string FromBytes(View units) {
  std::string bytes(units.begin(), units.end());
  return Utf8ToUtf16(bytes);
}

}  // namespace

std::u16string DownloadAddress(std::u16string_view typed) {
  if (typed.find(u"http://") != View::npos || typed.find(u"https://") != View::npos) {
    return std::u16string(typed);
  }
  return u"http://" + std::u16string(typed);
}

std::optional<WebAddress> ParseWebAddress(std::u16string_view url) {
  const Parts parts = Split(url);
  if (!parts.scheme || !parts.authority) return std::nullopt;
  WebAddress address;
  const std::u16string scheme = Lower(*parts.scheme);
  if (scheme == u"https") {
    address.secure = true;
  } else if (scheme != u"http") {
    return std::nullopt;
  }
  const View authority = *parts.authority;
  const HostSpan host = FindHost(authority);
  if (host.size == View::npos) return std::nullopt;
  address.host = authority.substr(host.at, host.size);
  View rest = authority.substr(host.at + host.size);
  if (host.at > 0 && authority[host.at - 1] == u'[') rest.remove_prefix(1);
  if (!rest.empty() && rest[0] != u':') return std::nullopt;
  const View port = rest.empty() ? View() : rest.substr(1);
  if (address.host.empty() || port.size() > 5) return std::nullopt;
  unsigned long number = address.secure ? 443 : 80;
  if (!port.empty()) {
    number = 0;
    for (const char16_t c : port) {
      if (c < u'0' || c > u'9') return std::nullopt;
      number = number * 10 + (c - u'0');
    }
    if (number > 65535) return std::nullopt;
  }
  address.port = static_cast<std::uint16_t>(number);
  address.target = parts.path.empty() ? u"/" : std::u16string(parts.path);
  if (parts.query) address.target += u"?" + std::u16string(*parts.query);
  return address;
}

std::u16string JoinAddress(std::u16string_view base, std::u16string_view reference) {
  const Parts ref = Split(reference);
  if (ref.scheme) {
    return Compose(*ref.scheme, ref.authority, RemoveDotSegments(ref.path), ref.query,
                   ref.fragment);
  }
  const Parts b = Split(base);
  const View scheme = b.scheme.value_or(u"http");
  if (ref.authority) {
    return Compose(scheme, ref.authority, RemoveDotSegments(ref.path), ref.query, ref.fragment);
  }
  if (ref.path.empty()) {
    return Compose(scheme, b.authority, b.path, ref.query ? ref.query : b.query, ref.fragment);
  }
  const std::u16string path =
      ref.path[0] == u'/' ? RemoveDotSegments(ref.path) : RemoveDotSegments(Merge(b, ref.path));
  return Compose(scheme, b.authority, path, ref.query, ref.fragment);
}

std::u16string BrowserAddress(std::string_view bytes) {
  std::u16string byteUnits(bytes.size(), u'\0');
  std::transform(bytes.begin(), bytes.end(), byteUnits.begin(),
                 [](char b) { return static_cast<char16_t>(static_cast<unsigned char>(b)); });
  // The delimiters are ASCII, which no byte of a longer UTF-8 sequence is: the parts split on
  // the bytes as they would on the characters.
  const Parts parts = Split(byteUnits);
  std::optional<std::u16string> authority;
  if (parts.authority) authority = FromBytes(*parts.authority);
  const std::u16string path = Escaped(parts.path, Part::Path);
  const auto query = Escaped(parts.query, Part::Query);
  const auto fragment = Escaped(parts.fragment, Part::Fragment);
  std::u16string url;
  if (parts.scheme) url = FromBytes(*parts.scheme) + u":";
  if (authority) url += u"//" + *authority;
  url += path;
  if (query) url += u"?" + *query;
  if (fragment) url += u"#" + *fragment;
  return url;
}

std::u16string BrowserAddress(std::u16string_view url) {
  return BrowserAddress(Utf16ToUtf8(url));
}

std::optional<std::u16string> WireAddress(std::u16string_view url) {
  return WithAsciiHost(WithoutFragment(BrowserAddress(url)));
}

RedirectChain::RedirectChain(std::u16string start) {
  keys_.emplace_back(WithoutFragment(BrowserAddress(start)));
  visited_.push_back(std::move(start));
}

std::u16string RedirectChain::Target(std::string_view location) const {
  // The part taken from Current() is encoded too: a typed address may hold raw text.
  return BrowserAddress(JoinAddress(Current(), BrowserAddress(location)));
}

RedirectChain::Step RedirectChain::Redirect(std::string_view location) {
  std::u16string next = Target(location);
  std::u16string key(WithoutFragment(next));
  if (std::find(keys_.begin(), keys_.end(), key) != keys_.end()) return Step::Loop;
  if (static_cast<int>(visited_.size()) > kMaxRedirects) return Step::TooMany;
  visited_.push_back(std::move(next));
  keys_.push_back(std::move(key));
  return Step::Follow;
}

std::u16string RedirectLoopReason(std::u16string_view target) {
  return u"転送先が循環しています: " + std::u16string(target);
}

std::u16string TooManyRedirectsReason(std::u16string_view current) {
  return u"転送が10回を超えました: " + std::u16string(current);
}

}  // namespace cardo
