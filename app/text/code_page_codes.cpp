#include "app/text/code_page_codes.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "app/platform/code_page_932.h"
#include "app/platform/codec.h"

namespace cardo {

// Appends the codes of `bytes` to `out` and returns how many bytes it used: all of them when
// `final`, else all but a lead byte at the very end, whose partner may come next.
std::size_t DecodeAppend(std::string_view bytes, bool final, CodeText& out) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  char16_t block[4096];
  std::size_t n = 0;
  std::size_t i = 0;
  while (i < size) {
    if (n + 16 > std::size(block)) {
      out.append(block, n);
      n = 0;
    }
    // Most text is ASCII: sixteen or eight bytes at a time while none has its high bit set.
#if defined(__SSE2__)
    if (i + 16 <= size && n + 16 <= std::size(block)) {
      const __m128i bytes16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
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
    std::uint64_t eight = 0;
    if (EightAscii(data, size, i, eight)) {
      for (int k = 0; k < 8; ++k) block[n++] = data[i + k];
      i += 8;
      continue;
    }
    const unsigned char b = data[i];
    if (IsCp932LeadByte(b) && i + 1 == size && !final) break;
    ++i;
    if (IsCp932LeadByte(b) && i < size && IsCp932TrailByte(data[i])) {
      block[n++] = static_cast<char16_t>(b << 8 | data[i]);
      ++i;
    } else {
      block[n++] = b;
    }
  }
  out.append(block, n);
  return i;
}

CodeText DecodeCodePage(std::string_view bytes) {
  CodeText codes;
  codes.reserve(bytes.size());
  DecodeAppend(bytes, true, codes);
  return codes;
}

std::string EncodeCodePage(const CodeText& codes) {
  std::string bytes;
  bytes.reserve(codes.size());
  for (const char16_t c : codes) {
    if (c > 0xFF) bytes.push_back(static_cast<char>(c >> 8));
    bytes.push_back(static_cast<char>(c & 0xFF));
  }
  return bytes;
}

std::u16string CodesToText(CodeText codes) {
  if (std::all_of(codes.begin(), codes.end(), [](char16_t c) { return c < 0x80; })) return codes;
  return AnsiToWide(EncodeCodePage(codes));
}

CodeText TextToCodes(std::u16string_view text) {
  return DecodeCodePage(WideToAnsi(text));
}

}  // namespace cardo
