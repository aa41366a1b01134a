// Any bytes in any encoding a page may use: decoding never crashes, gives valid UTF-8, and
// bytes cut into blocks anywhere give what they give whole (a character, escape or mark split
// by a read).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/text/page_decoders.h"
#include "app/platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using cardo::PageEncoding;
  static constexpr PageEncoding kEncodings[] = {
      PageEncoding::CodePage932, PageEncoding::Utf8,  PageEncoding::Utf16Le,
      PageEncoding::Utf16Be,     PageEncoding::EucJp, PageEncoding::Iso2022Jp,
      PageEncoding::Windows1252,
  };
  if (size < 2) return 0;
  const PageEncoding encoding = kEncodings[data[0] % std::size(kEncodings)];
  const std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);
  const std::size_t cut = bytes.empty() ? 0 : data[1] % (bytes.size() + 1);
  std::string whole, split;
  cardo::MakePageDecoder(encoding, true)->Convert(bytes, true, whole);
  const auto decoder = cardo::MakePageDecoder(encoding, true);
  decoder->Convert(bytes.substr(0, cut), false, split);
  decoder->Convert(bytes.substr(cut), true, split);
  if (whole != split || !cardo::ScanUtf8(whole, false).valid) std::abort();
  return 0;
}
