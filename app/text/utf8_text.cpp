#include "app/text/utf8_text.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "app/text/byte_search.h"

namespace cardo {
namespace {

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";

// Whether the bytes from data[i] to the end, fewer than a sequence, start a valid one: only
// the second byte's range depends on the first, so finishing with the lowest and the highest
// continuation byte tries every finish.
bool CutOff(const unsigned char* data, std::size_t i, std::size_t size) {
  const std::size_t have = size - i;
  if (have >= 4) return false;
  for (const unsigned char pad : {0x80, 0xBF}) {
    unsigned char finished[4] = {pad, pad, pad, pad};
    std::copy(data + i, data + size, finished);
    if (Utf8SequenceLength(finished, 0, 4) > have) return true;
  }
  return false;
}

// ASCII from d[i] (an ASCII byte) widened into `to`, which has room for sixteen: how many.
// Sixteen bytes at a time are all widened and as many kept as come before the first byte beyond
// ASCII, so that the short runs between Japanese words go fast too.
std::size_t WidenAscii(const unsigned char* d, std::size_t i, std::size_t size, char16_t* to) {
#if defined(__SSE2__)
  if (i + 16 <= size) {
    const __m128i bytes16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
    const __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm_unpacklo_epi8(bytes16, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to + 8), _mm_unpackhi_epi8(bytes16, zero));
    const auto beyond = static_cast<unsigned>(_mm_movemask_epi8(bytes16));
    return beyond ? static_cast<std::size_t>(std::countr_zero(beyond)) : 16;
  }
#endif
  std::uint64_t eight = 0;
  if (i + 8 <= size && (std::memcpy(&eight, d + i, 8), !(eight & 0x8080808080808080ull))) {
    for (int k = 0; k < 8; ++k) to[k] = d[i + k];
    return 8;
  }
  to[0] = d[i];
  return 1;
}

}  // namespace

void AppendValidUtf8(std::string& out, std::string_view utf8) {
  const auto* d = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t n = utf8.size();
  std::size_t valid = 0;  // the valid bytes not yet appended start here
  for (std::size_t i = 0; i < n;) {
    if (d[i] < 0x80) {
      i = FindByteOf<true>(d, i, n);
      continue;
    }
    if (const std::size_t length = Utf8SequenceLength(d, i, n)) {
      i += length;
      continue;
    }
    out.append(utf8.substr(valid, i - valid));
    out.append(kReplacementUtf8);
    valid = ++i;
  }
  out.append(utf8.substr(valid));
}

std::size_t AppendUtf16(std::string_view utf8, bool final, std::u16string& out) {
  const auto* d = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t size = utf8.size();
  char16_t block[4096];
  std::size_t n = 0;
  std::size_t i = 0;
  while (i < size) {
    if (n + 16 > std::size(block)) {
      out.append(block, n);
      n = 0;
    }
    const unsigned char b = d[i];
    if (b < 0x80) {
      const std::size_t ascii = WidenAscii(d, i, size, block + n);
      n += ascii;
      i += ascii;
      continue;
    }
    // Kana and kanji: three bytes, the first neither E0 nor ED (whose second bytes are bounded).
    if (b >= 0xE1 && b != 0xED && b <= 0xEF && i + 2 < size && (d[i + 1] & 0xC0) == 0x80 &&
        (d[i + 2] & 0xC0) == 0x80) {
      block[n++] =
          static_cast<char16_t>((b & 0x0F) << 12 | (d[i + 1] & 0x3F) << 6 | (d[i + 2] & 0x3F));
      i += 3;
      continue;
    }
    const std::size_t length = Utf8SequenceLength(d, i, size);
    if (length == 0) {
      if (!final && CutOff(d, i, size)) break;
      block[n++] = 0xFFFD;
      ++i;
      continue;
    }
    const char32_t cp = Utf8SequenceValue(d, i, length);
    if (cp >= 0x10000) {
      block[n++] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      block[n++] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      block[n++] = static_cast<char16_t>(cp);
    }
    i += length;
  }
  out.append(block, n);
  return i;
}

}  // namespace cardo
