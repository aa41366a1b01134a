#include <idn2.h>

#include <memory>

#include "app/platform/idna.h"
#include "app/platform/text.h"

namespace cardo {

std::optional<std::u16string> SystemHostToAscii(std::u16string_view host) {
  const std::string utf8 = Utf16ToUtf8(host);
  // The rules libcurl resolves a host by: IDNA2008 with the UTS #46 mapping, and the
  // transitional processing when that refuses the name, so that every host curl takes is
  // taken here too.
  char* ascii = nullptr;
  int result =
      idn2_lookup_u8(reinterpret_cast<const uint8_t*>(utf8.c_str()),
                     reinterpret_cast<uint8_t**>(&ascii), IDN2_NFC_INPUT | IDN2_NONTRANSITIONAL);
  if (result != IDN2_OK) {
    result = idn2_lookup_u8(reinterpret_cast<const uint8_t*>(utf8.c_str()),
                            reinterpret_cast<uint8_t**>(&ascii), IDN2_TRANSITIONAL);
  }
  const std::unique_ptr<char, void (*)(void*)> owned(ascii, &idn2_free);
  if (result != IDN2_OK || !ascii) return std::nullopt;
  return Utf8ToUtf16(ascii);
}

}  // namespace cardo
