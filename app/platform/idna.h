#pragma once
// Host names beyond ASCII (internationalized domain names) in the form resolvers, servers'
// certificates and download managers that know no IDN take: each such label as "xn--" and its
// Punycode (the A-label). The system's conversion on Windows (IdnToAscii), libidn2 natively.
#include <optional>
#include <string>
#include <string_view>

namespace cardo {

// `host` with every label beyond ASCII as its A-label, the others as the conversion maps them
// (lower case); nothing when the name is not valid as an internationalized domain name (a
// label longer than 63 bytes once converted, a character IDNA disallows, a label mixing
// left-to-right and right-to-left text).
std::optional<std::u16string> SystemHostToAscii(std::u16string_view host);

}  // namespace cardo
