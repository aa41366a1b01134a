#include "app/extract/code_page_search.h"

#include <cstdint>
#include <cstring>
#include <random>

#include "app/platform/code_page_932.h"

namespace cardo {
namespace {

// Two hashes modulo the prime 2^31 - 1: every product fits in 64 bits on every target.
constexpr std::uint64_t kPrime = (std::uint64_t{1} << 31) - 1;

struct RollingHash {
  std::uint64_t base[2];
  std::uint64_t top[2] = {1, 1};  // base^(length - 1), to take the leaving byte out
  std::uint64_t value[2] = {0, 0};

  void Add(unsigned char c) {
    for (int k = 0; k < 2; ++k) value[k] = (value[k] * base[k] + c + 1) % kPrime;
  }
  void Remove(unsigned char c) {
    for (int k = 0; k < 2; ++k) value[k] = (value[k] + kPrime * kPrime - (c + 1) * top[k]) % kPrime;
  }
  bool operator==(const RollingHash& other) const {
    return value[0] == other.value[0] && value[1] == other.value[1];
  }
};

}  // namespace

std::size_t CharacterLength(std::string_view bytes, std::size_t at) {
  const auto lead = static_cast<unsigned char>(bytes[at]);
  return IsCp932LeadByte(lead) && at + 1 < bytes.size() &&
                 IsCp932TrailByte(static_cast<unsigned char>(bytes[at + 1]))
             ? 2
             : 1;
}

void DeleteAllCharacters(std::string& line, std::u16string_view what) {
  std::size_t length = 0;  // in bytes
  for (const char16_t code : what) length += code < 0x100 ? 1 : 2;
  if (length == 0 || length > line.size()) return;
  std::random_device entropy;
  RollingHash wanted{{entropy() % (kPrime - 256) + 256, entropy() % (kPrime - 256) + 256}};
  for (std::size_t i = 1; i < length; ++i) {
    for (int k = 0; k < 2; ++k) wanted.top[k] = wanted.top[k] * wanted.base[k] % kPrime;
  }
  for (const char16_t code : what) {
    if (code >= 0x100) wanted.Add(static_cast<unsigned char>(code >> 8));
    wanted.Add(static_cast<unsigned char>(code));
  }
  const auto matches = [&](std::size_t at) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(line.data()) + at;
    for (const char16_t code : what) {
      if (code >= 0x100 && *bytes++ != code >> 8) return false;
      if (*bytes++ != (code & 0xFF)) return false;
    }
    return true;
  };

  // Everything is read at or after the last match, and what is kept is written before it.
  const std::string_view text(line);
  std::size_t kept = 0;
  std::size_t copied = 0;
  std::size_t start = 0;  // the first character start at or after the window's
  std::size_t end = 0;    // the first character start at or after the window's end
  std::size_t at = 0;     // the window is text[at, at + length)
  RollingHash window = wanted;
  auto fill = [&] {
    window.value[0] = window.value[1] = 0;
    for (std::size_t i = at; i < at + length; ++i) window.Add(static_cast<unsigned char>(text[i]));
  };
  fill();
  for (;;) {
    while (start < at) start += CharacterLength(text, start);
    while (end < at + length) end += CharacterLength(text, end);
    if (start == at && end == at + length && window == wanted && matches(at)) {
      std::memmove(line.data() + kept, text.data() + copied, at - copied);
      kept += at - copied;
      copied = at += length;
      if (at + length > text.size()) break;
      fill();
      continue;
    }
    if (at + length >= text.size()) break;
    window.Remove(static_cast<unsigned char>(text[at]));
    window.Add(static_cast<unsigned char>(text[at + length]));
    ++at;
  }
  if (copied == 0) return;
  std::memmove(line.data() + kept, text.data() + copied, text.size() - copied);
  line.resize(kept + text.size() - copied);
}

}  // namespace cardo
