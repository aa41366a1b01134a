#include "app/platform/idna.h"

#include <algorithm>

namespace cardo {
namespace {

bool IsSchemeCharacter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
         c == u'+' || c == u'-' || c == u'.';
}

}  // namespace

std::optional<std::u16string> HostToAscii(std::u16string_view host) {
  if (std::all_of(host.begin(), host.end(), [](char16_t c) { return c < 0x80; })) {
    return std::u16string(host);
  }
  return SystemHostToAscii(host);
}

HostSpan FindHost(std::u16string_view authority) {
  const std::size_t userEnd = authority.rfind(u'@');
  const std::size_t at = userEnd == std::u16string_view::npos ? 0 : userEnd + 1;
  if (at < authority.size() && authority[at] == u'[') {
    const std::size_t close = authority.find(u']', at);
    return {at + 1, close == std::u16string_view::npos ? close : close - at - 1};
  }
  const std::size_t colon = authority.find(u':', at);
  return {at, (colon == std::u16string_view::npos ? authority.size() : colon) - at};
}

std::optional<std::u16string> WithAsciiHost(std::u16string_view url) {
  const std::size_t mark = url.find(u"://");
  if (mark == std::u16string_view::npos || mark == 0 ||
      !std::all_of(url.begin(), url.begin() + mark, IsSchemeCharacter)) {
    return std::u16string(url);
  }
  const std::size_t from = mark + 3;
  const std::size_t end = std::min(url.find_first_of(u"/?#", from), url.size());
  const HostSpan host = FindHost(url.substr(from, end - from));
  if (host.size == std::u16string_view::npos) return std::u16string(url);
  const auto ascii = HostToAscii(url.substr(from + host.at, host.size));
  if (!ascii) return std::nullopt;
  std::u16string out(url);
  out.replace(from + host.at, host.size, *ascii);
  return out;
}

}  // namespace cardo
