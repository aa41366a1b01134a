#pragma once
// Code page 932's byte rules, for the places that read its bytes themselves: the native codec,
// the scanner's decoding and the bracket engine's test for Windows-less callers. A lead byte
// starts a double-byte character; the byte after it is its partner only when it is a trail
// byte. Header only and free of everything else, so that the library (fnc/), which links
// nothing of the program, shares it.
namespace cardo {

constexpr bool IsCp932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

constexpr bool IsCp932TrailByte(unsigned char byte) {
  return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

}  // namespace cardo
