#pragma once
// The first byte of a few kinds in a line: the scanner's walks jump from one byte that matters
// to the next, sixteen bytes at a time where the processor has SSE2.
#include <bit>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace cardo {

// The first byte at or after `from` that is one of `Needles` or, when `HighBit`, beyond ASCII;
// `size` when there is none.
template <bool HighBit, char... Needles>
std::size_t FindByteOf(const unsigned char* data, std::size_t from, std::size_t size) {
  std::size_t i = from;
#if defined(__SSE2__)
  const auto hits = [](const unsigned char* at) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    __m128i any = HighBit ? v : _mm_setzero_si128();
    ((any = _mm_or_si128(any, _mm_cmpeq_epi8(v, _mm_set1_epi8(Needles)))), ...);
    return static_cast<unsigned>(_mm_movemask_epi8(any));
  };
  for (; i + 16 <= size; i += 16) {
    if (const unsigned mask = hits(data + i))
      return i + static_cast<std::size_t>(std::countr_zero(mask));
  }
  // The last few bytes: the sixteen that end the line, those before `i` masked off.
  if (i < size && size >= 16) {
    const unsigned mask = hits(data + size - 16) >> (i - (size - 16));
    return mask ? i + static_cast<std::size_t>(std::countr_zero(mask)) : size;
  }
#endif
  for (; i < size; ++i) {
    const unsigned char b = data[i];
    if ((HighBit && b >= 0x80) || ((b == static_cast<unsigned char>(Needles)) || ...)) return i;
  }
  return size;
}

}  // namespace cardo
