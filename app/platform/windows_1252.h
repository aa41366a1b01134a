#pragma once
// windows-1252, what a browser reads a page labelled ISO-8859-1, ASCII or Latin-1 in (and a
// numeric character reference to 0x80-0x9F): Latin-1 except for the 32 bytes 0x80-0x9F. The
// five bytes windows-1252 leaves unassigned stand for the control characters of their value.
namespace cardo {

constexpr char16_t Windows1252Character(unsigned char byte) {
  constexpr char16_t kHigh[32] = {0x20AC, 0x81,   0x201A, 0x192,  0x201E, 0x2026, 0x2020, 0x2021,
                                  0x2C6,  0x2030, 0x160,  0x2039, 0x152,  0x8D,   0x17D,  0x8F,
                                  0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x2DC,  0x2122, 0x161,  0x203A, 0x153,  0x9D,   0x17E,  0x178};
  return byte >= 0x80 && byte <= 0x9F ? kHigh[byte - 0x80] : byte;
}

}  // namespace cardo
