#include <windows.h>

#include "app/platform/idna.h"

namespace cardo {

std::optional<std::u16string> SystemHostToAscii(std::u16string_view host) {
  if (host.empty()) return std::u16string();
  const auto* source = reinterpret_cast<const wchar_t*>(host.data());
  const int length = static_cast<int>(host.size());
  // No IDN_USE_STD3_ASCII_RULES: real hosts hold "_", which the DNS itself allows.
  const int n = IdnToAscii(0, source, length, nullptr, 0);
  if (n <= 0) return std::nullopt;
  std::u16string ascii(static_cast<std::size_t>(n), u'\0');
  if (IdnToAscii(0, source, length, reinterpret_cast<wchar_t*>(ascii.data()), n) != n) {
    return std::nullopt;
  }
  return ascii;
}

}  // namespace cardo
