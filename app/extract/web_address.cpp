#include "app/extract/web_address.h"

#include <algorithm>

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
  View authority = *parts.authority;
  if (const std::size_t at = authority.rfind(u'@'); at != View::npos) {
    authority.remove_prefix(at + 1);
  }
  View port;
  if (!authority.empty() && authority[0] == u'[') {
    const std::size_t close = authority.find(u']');
    if (close == View::npos) return std::nullopt;
    address.host = authority.substr(1, close - 1);
    const View rest = authority.substr(close + 1);
    if (!rest.empty() && rest[0] != u':') return std::nullopt;
    port = rest.empty() ? View() : rest.substr(1);
  } else {
    const std::size_t colon = authority.find(u':');
    address.host = authority.substr(0, colon);
    if (colon != View::npos) port = authority.substr(colon + 1);
  }
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

RedirectChain::RedirectChain(std::u16string start) {
  visited_.push_back(std::move(start));
}

RedirectChain::Step RedirectChain::Redirect(std::u16string_view location) {
  std::u16string next = JoinAddress(Current(), location);
  const View key = WithoutFragment(next);
  if (std::any_of(visited_.begin(), visited_.end(),
                  [&](const std::u16string& seen) { return WithoutFragment(seen) == key; })) {
    return Step::Loop;
  }
  if (static_cast<int>(visited_.size()) > kMaxRedirects) return Step::TooMany;
  visited_.push_back(std::move(next));
  return Step::Follow;
}

}  // namespace cardo
