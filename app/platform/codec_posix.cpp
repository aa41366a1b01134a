#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "app/platform/code_page_932.h"
#include "app/platform/codec.h"

namespace cardo {
namespace {

// One converter per direction and call: iconv descriptors are not thread-safe and opening
// one costs a few microseconds, far below a file read.
class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// Converts with iconv; on an unconvertible input unit, emits `replacement` and skips the
// bytes `skip` says the unit has.
std::string Convert(const char* to, const char* from, std::string_view in,
                    std::string_view replacement,
                    std::size_t (*skip)(const char* unit, std::size_t left)) {
  Iconv cd(to, from);
  std::string out;
  if (!cd.ok()) return out;
  std::vector<char> buf(in.size() * 4 + 16);
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  while (srcLeft > 0) {
    char* dst = buf.data();
    std::size_t dstLeft = buf.size();
    const std::size_t r = iconv(cd.get(), &src, &srcLeft, &dst, &dstLeft);
    out.append(buf.data(), buf.size() - dstLeft);
    if (r != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) continue;
    out.append(replacement);
    const std::size_t n = std::min(skip(src, srcLeft), srcLeft);
    src += n;
    srcLeft -= n;
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
  }
  return out;
}

}  // namespace

std::u16string AnsiToWide(std::string_view bytes) {
  // U+30FB, the katakana middle dot, is what the system shows for an undecodable byte.
  static constexpr char kMiddleDot[] = {'\xFB', '\x30'};
  // As the system's converter does, a lead byte takes the byte after it whatever that is:
  // an unassigned pair ("\xEB\x40") or a lead byte before a non-trail byte ("\x81 ") is
  // one middle dot.
  const std::string raw =
      Convert("UTF-16LE", "CP932", bytes, std::string_view(kMiddleDot, 2),
              [](const char* unit, std::size_t left) -> std::size_t {
                return left > 1 && IsAnsiLeadByte(static_cast<unsigned char>(*unit)) ? 2 : 1;
              });
  std::u16string out(raw.size() / 2, u'\0');
  for (std::size_t i = 0; i < out.size(); ++i) {
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(raw[2 * i]) |
                                   (static_cast<unsigned char>(raw[2 * i + 1]) << 8));
  }
  return out;
}

std::string WideToAnsi(std::u16string_view text) {
  std::string raw(text.size() * 2, '\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    raw[2 * i] = static_cast<char>(text[i] & 0xFF);
    raw[2 * i + 1] = static_cast<char>(text[i] >> 8);
  }
  return Convert("CP932", "UTF-16LE", raw, "?",
                 [](const char*, std::size_t) -> std::size_t { return 2; });
}

bool IsAnsiLeadByte(unsigned char byte) {
  return IsCp932LeadByte(byte);
}

}  // namespace cardo
