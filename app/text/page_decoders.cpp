#include "app/text/page_decoders.h"

#include <bit>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "app/text/utf8_text.h"
#include "app/platform/code_page_932.h"
#include "app/platform/code_page_table.h"
#include "app/platform/windows_1252.h"

namespace cardo {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool InRange(unsigned char byte, unsigned char low, unsigned char high) {
  return byte >= low && byte <= high;
}

// Characters written as UTF-8 through a small buffer, not a call each. Flush() before the
// text is read.
class Utf8Writer {
 public:
  explicit Utf8Writer(std::string& out) : out_(out) {}
  void Character(char32_t cp) {
    if (used_ + 4 > sizeof buffer_) Flush();
    auto put = [&](unsigned byte) { buffer_[used_++] = static_cast<char>(byte); };
    if (cp < 0x80) {
      put(cp);
    } else if (cp < 0x800) {
      put(0xC0 | cp >> 6);
      put(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      put(0xE0 | cp >> 12);
      put(0x80 | (cp >> 6 & 0x3F));
      put(0x80 | (cp & 0x3F));
    } else {
      put(0xF0 | cp >> 18);
      put(0x80 | (cp >> 12 & 0x3F));
      put(0x80 | (cp >> 6 & 0x3F));
      put(0x80 | (cp & 0x3F));
    }
  }
  void Flush() {
    out_.append(buffer_, used_);
    used_ = 0;
  }

 private:
  std::string& out_;
  char buffer_[4096];
  std::size_t used_ = 0;
};

// A JIS X 0208 character (row and cell 1-94) as the code page 932 code of its Shift-JIS
// bytes: two rows share a lead byte, the odd row taking the lower half of its trail bytes.
std::uint16_t JisX0208Code(unsigned row, unsigned cell) {
  const unsigned lead = (row + 1) / 2 + (row <= 62 ? 0x80 : 0xC0);
  const unsigned trail = row % 2 ? cell + 0x3F + (cell >= 64 ? 1 : 0) : cell + 0x9E;
  return static_cast<std::uint16_t>(lead << 8 | trail);
}

// A decoder whose characters may be cut by a block's end: the bytes of an unfinished one wait
// for the next block (there are never more than a few).
class CarryingDecoder : public BlockConverter {
 public:
  void Convert(std::string_view block, bool final, std::string& out) final {
    if (carry_.empty()) {
      carry_.assign(block.substr(Decode(block, final, out)));
      return;
    }
    std::string joined = std::move(carry_);
    joined.append(block);
    carry_.assign(std::string_view(joined).substr(Decode(joined, final, out)));
  }

 protected:
  // Appends what the bytes convert to and returns how many it used: all of them when `final`.
  virtual std::size_t Decode(std::string_view bytes, bool final, std::string& out) = 0;

 private:
  std::string carry_;
};

// The length of `bytes` without an unfinished UTF-8 sequence at its end.
std::size_t WholeUtf8(std::string_view bytes) {
  std::size_t back = 0;
  while (back < 4 && back < bytes.size() &&
         (static_cast<unsigned char>(bytes[bytes.size() - 1 - back]) & 0xC0) == 0x80) {
    ++back;
  }
  if (back == bytes.size()) return bytes.size();
  const auto lead = static_cast<unsigned char>(bytes[bytes.size() - 1 - back]);
  const std::size_t need = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  return need > back + 1 ? bytes.size() - 1 - back : bytes.size();
}

class Utf8Decoder final : public CarryingDecoder {
 public:
  explicit Utf8Decoder(bool dropMark) : atStart_(dropMark) {}

 private:
  std::size_t Decode(std::string_view bytes, bool final, std::string& out) override {
    std::size_t from = 0;
    if (atStart_) {
      // A file's first bytes may be only part of its mark so far.
      if (!final && bytes.size() < kUtf8Mark.size() && kUtf8Mark.starts_with(bytes)) return 0;
      if (bytes.starts_with(kUtf8Mark)) from = kUtf8Mark.size();
      atStart_ = false;
    }
    const std::size_t whole = final ? bytes.size() : WholeUtf8(bytes);
    AppendValidUtf8(out, bytes.substr(from, whole - from));
    return whole;
  }
  bool atStart_;
};

// Each code page 932 code's character in UTF-8, packed: its bytes from the lowest, its length
// in the top byte (every character of the code page takes three bytes at most).
const std::vector<std::uint32_t>& CodePageUtf8() {
  static const std::vector<std::uint32_t> packed = [] {
    const CodePageTable& table = CodePageTable::Get();
    std::vector<std::uint32_t> codes(0x10000);
    for (std::uint32_t code = 0x80; code < codes.size(); ++code) {
      const char32_t c = table.Character(static_cast<std::uint16_t>(code));
      codes[code] = c < 0x80    ? 1u << 24 | c
                    : c < 0x800 ? 2u << 24 | (0x80 | (c & 0x3F)) << 8 | (0xC0 | c >> 6)
                                : 3u << 24 | (0x80 | (c & 0x3F)) << 16 |
                                      (0x80 | (c >> 6 & 0x3F)) << 8 | (0xE0 | c >> 12);
    }
    return codes;
  }();
  return packed;
}

class CodePage932Decoder final : public CarryingDecoder {
  std::size_t Decode(std::string_view bytes, bool final, std::string& out) override {
    const auto* d = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    char buffer[4096];
    std::size_t used = 0;
    std::size_t i = 0;
    while (i < n) {
      if (used + 16 > sizeof buffer) {
        out.append(buffer, used);
        used = 0;
      }
      const unsigned char b = d[i];
      if (b < 0x80) {
        // ASCII sixteen bytes at a time: all sixteen copied, as many kept as come before the
        // first byte beyond it, so that the short runs between Japanese words go fast too.
#if defined(__SSE2__)
        if (i + 16 <= n) {
          const __m128i bytes16 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + i));
          _mm_storeu_si128(reinterpret_cast<__m128i*>(buffer + used), bytes16);
          const auto beyond = static_cast<unsigned>(_mm_movemask_epi8(bytes16));
          const std::size_t ascii =
              beyond ? static_cast<std::size_t>(std::countr_zero(beyond)) : 16;
          used += ascii;
          i += ascii;
          continue;
        }
#endif
        buffer[used++] = static_cast<char>(b);
        ++i;
        continue;
      }
      const bool lead = IsCp932LeadByte(b);
      if (lead && i + 1 == n && !final) break;  // its trail byte may come next
      std::uint16_t code = b;
      if (lead && i + 1 < n && IsCp932TrailByte(d[i + 1])) {
        code = static_cast<std::uint16_t>(b << 8 | d[++i]);
      }
      ++i;
      if (!utf8_) utf8_ = &CodePageUtf8();
      const std::uint32_t packed = (*utf8_)[code];
      buffer[used] = static_cast<char>(packed & 0xFF);
      buffer[used + 1] = static_cast<char>(packed >> 8 & 0xFF);
      buffer[used + 2] = static_cast<char>(packed >> 16 & 0xFF);
      used += packed >> 24;
    }
    out.append(buffer, used);
    return i;
  }
  // Built at the first character beyond ASCII: a page of ASCII needs no codec.
  const std::vector<std::uint32_t>* utf8_ = nullptr;
};

class Utf16Decoder final : public CarryingDecoder {
 public:
  Utf16Decoder(bool bigEndian, bool dropMark) : bigEndian_(bigEndian), atStart_(dropMark) {}

 private:
  char16_t Unit(std::string_view bytes, std::size_t at) const {
    const auto first = static_cast<unsigned char>(bytes[at]);
    const auto second = static_cast<unsigned char>(bytes[at + 1]);
    return static_cast<char16_t>(bigEndian_ ? first << 8 | second : second << 8 | first);
  }
  std::size_t Decode(std::string_view bytes, bool final, std::string& out) override {
    std::size_t i = 0;
    if (atStart_) {
      if (!final && bytes.size() < 2) return 0;
      if (bytes.size() >= 2 && Unit(bytes, 0) == 0xFEFF) i = 2;
      atStart_ = false;
    }
    Utf8Writer writer(out);
    for (; i + 2 <= bytes.size(); i += 2) {
      const char16_t unit = Unit(bytes, i);
      if (unit < 0xD800 || unit > 0xDFFF) {
        writer.Character(unit);
        continue;
      }
      if (unit <= 0xDBFF && i + 4 > bytes.size() && !final) break;  // its partner may follow
      const char16_t low = unit <= 0xDBFF && i + 4 <= bytes.size() ? Unit(bytes, i + 2) : 0;
      if (low < 0xDC00 || low > 0xDFFF) {
        writer.Character(kReplacement);
        continue;
      }
      writer.Character(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
      i += 2;
    }
    if (final && i < bytes.size()) writer.Character(kReplacement);  // an odd byte at the end
    writer.Flush();
    return final ? bytes.size() : i;
  }
  bool bigEndian_;
  bool atStart_;
};

class EucJpDecoder final : public CarryingDecoder {
  std::size_t Decode(std::string_view bytes, bool final, std::string& out) override {
    const auto* d = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    Utf8Writer writer(out);
    std::size_t i = 0;
    while (i < n) {
      const unsigned char b = d[i];
      if (b < 0x80) {
        writer.Character(b);
        ++i;
        continue;
      }
      const bool lead = b == 0x8E || b == 0x8F || InRange(b, 0xA1, 0xFE);
      const std::size_t size = b == 0x8F ? 3 : 2;
      if (lead && i + size > n && !final) break;
      if (lead && i + size <= n) {
        const unsigned char second = d[i + 1];
        if (b == 0x8E && InRange(second, 0xA1, 0xDF)) {
          writer.Character(
              CodePageTable::Get().Character(second));  // half-width katakana: its one byte
          i += 2;
          continue;
        }
        if (b == 0x8F && InRange(second, 0xA1, 0xFE) && InRange(d[i + 2], 0xA1, 0xFE)) {
          // JIS X 0212: the code page holds few of its characters, and knowing which would
          // take a table of six thousand: it reads as a character that was lost.
          writer.Character(kReplacement);
          i += 3;
          continue;
        }
        if (InRange(b, 0xA1, 0xFE) && InRange(second, 0xA1, 0xFE)) {
          writer.Character(CodePageTable::Get().Character(JisX0208Code(b - 0xA0, second - 0xA0)));
          i += 2;
          continue;
        }
      }
      // No character starts here; the byte after it is read afresh (it may be ASCII).
      writer.Character(kReplacement);
      ++i;
    }
    writer.Flush();
    return i;
  }
};

class Iso2022JpDecoder final : public CarryingDecoder {
  enum class Set { Ascii, Katakana, JisX0208, JisX0212 };
  enum class Escape { Known, Partial, Unknown };

  std::size_t Decode(std::string_view bytes, bool final, std::string& out) override {
    const auto* d = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    Utf8Writer writer(out);
    std::size_t i = 0;
    while (i < n) {
      const unsigned char b = d[i];
      if (b == 0x1B) {
        std::size_t length = 0;
        const Escape escape = ReadEscape(bytes.substr(i), length);
        if (escape == Escape::Known) {
          i += length;
          continue;
        }
        if (escape == Escape::Partial && !final) break;
        writer.Character(kReplacement);
        ++i;
        continue;
      }
      if (const std::optional<char32_t> single = SingleByte(b)) {
        writer.Character(*single);
        ++i;
        continue;
      }
      if (i + 2 > n && !final) break;
      if (i + 2 > n || !InRange(d[i + 1], 0x21, 0x7E)) {
        writer.Character(kReplacement);
        ++i;
        continue;
      }
      // JIS X 0212 reads as a lost character, as in EUC-JP.
      writer.Character(set_ == Set::JisX0208
                           ? CodePageTable::Get().Character(JisX0208Code(b - 0x20, d[i + 1] - 0x20))
                           : kReplacement);
      i += 2;
    }
    writer.Flush();
    return i;
  }

  // The escape sequence `rest` starts with: Known switches the set, its `length` bytes read;
  // Partial when `rest` ends inside one, which the next bytes may complete.
  Escape ReadEscape(std::string_view rest, std::size_t& length) {
    static constexpr struct {
      std::string_view escape;
      Set set;
    } kEscapes[] = {
        {"\x1B(B", Set::Ascii},    {"\x1B(J", Set::Ascii},    {"\x1B(I", Set::Katakana},
        {"\x1B$@", Set::JisX0208}, {"\x1B$B", Set::JisX0208}, {"\x1B$(D", Set::JisX0212},
    };
    bool partial = false;
    for (const auto& e : kEscapes) {
      if (rest.starts_with(e.escape)) {
        set_ = e.set;
        length = e.escape.size();
        return Escape::Known;
      }
      partial = partial || (rest.size() < e.escape.size() && e.escape.starts_with(rest));
    }
    return partial ? Escape::Partial : Escape::Unknown;
  }

  // The character of byte `b` when it is one by itself in the current set; none when it
  // starts a double-byte character.
  std::optional<char32_t> SingleByte(unsigned char b) const {
    // Controls and the space are themselves in every set: a line never runs into the next
    // because a sender left a double-byte set open at its end.
    if (b <= 0x20 && b != 0x0E && b != 0x0F) return b;
    if (b >= 0x80 || b == 0x0E || b == 0x0F || b == 0x7F) return kReplacement;
    if (set_ == Set::Ascii) return b;
    if (set_ == Set::Katakana) {
      return b <= 0x5F ? CodePageTable::Get().Character(b + 0x80) : kReplacement;
    }
    return std::nullopt;
  }

  Set set_ = Set::Ascii;
};

class Windows1252Decoder final : public BlockConverter {
 public:
  void Convert(std::string_view block, bool, std::string& out) override {
    Utf8Writer writer(out);
    for (const char c : block)
      writer.Character(Windows1252Character(static_cast<unsigned char>(c)));
    writer.Flush();
  }
};

}  // namespace

std::unique_ptr<BlockConverter> MakePageDecoder(PageEncoding encoding, bool dropMark) {
  switch (encoding) {
    case PageEncoding::CodePage932:
      return std::make_unique<CodePage932Decoder>();
    case PageEncoding::Utf8:
      return std::make_unique<Utf8Decoder>(dropMark);
    case PageEncoding::Utf16Le:
    case PageEncoding::Utf16Be:
      return std::make_unique<Utf16Decoder>(encoding == PageEncoding::Utf16Be, dropMark);
    case PageEncoding::EucJp:
      return std::make_unique<EucJpDecoder>();
    case PageEncoding::Iso2022Jp:
      return std::make_unique<Iso2022JpDecoder>();
    case PageEncoding::Windows1252:
      return std::make_unique<Windows1252Decoder>();
  }
  return nullptr;
}

}  // namespace cardo
