#pragma once
// Host names beyond ASCII (internationalized domain names) in the form resolvers, servers'
// certificates and download managers that know no IDN take: each such label as "xn--" and its
// Punycode (the A-label). The system's conversion on Windows (IdnToAscii), libidn2 natively.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace cardo {

// `host` with every label beyond ASCII as its A-label, the others as the conversion maps them
// (lower case); nothing when the name is not valid as an internationalized domain name (a
// label longer than 63 bytes once converted, a character IDNA disallows, a label mixing
// left-to-right and right-to-left text).
std::optional<std::u16string> SystemHostToAscii(std::u16string_view host);

// An ASCII host comes back as it is: it is already what goes on the wire, and a conversion
// would only change its case. Others as SystemHostToAscii converts them.
std::optional<std::u16string> HostToAscii(std::u16string_view host);

// Where the host stands in a URL's authority: after the user information, before the port,
// inside the brackets of an IPv6 literal (`size` npos when its "]" is missing).
struct HostSpan {
  std::size_t at, size;
};
HostSpan FindHost(std::u16string_view authority);

// `url` with the host of its "scheme://" authority as HostToAscii gives it; a text without
// one comes back as it is. Nothing when the host is not valid as an internationalized domain
// name.
std::optional<std::u16string> WithAsciiHost(std::u16string_view url);

}  // namespace cardo
