#include "app/text/utf8_text.h"

#include <algorithm>
#include <cstdint>

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
    // Most text is ASCII: sixteen bytes at a time while none has its high bit set.
#if defined(__SSE2__)
    if (i + 16 <= size) {
      const __m128i bytes16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
      if (_mm_movemask_epi8(bytes16) == 0) {
        const __m128i zero = _mm_setzero_si128();
        _mm_storeu_si128(reinterpret_cast<__m128i*>(block + n), _mm_unpacklo_epi8(bytes16, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(block + n + 8),
                         _mm_unpackhi_epi8(bytes16, zero));
        n += 16;
        i += 16;
        continue;
      }
    }
#endif
    const unsigned char b = d[i];
    if (b < 0x80) {
      block[n++] = b;
      ++i;
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
