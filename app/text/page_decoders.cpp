#include "app/text/page_decoders.h"

#include <cstring>

#include "app/text/byte_search.h"
#include "app/text/code_page_codes.h"
#include "app/platform/code_page_table.h"
#include "app/platform/text.h"
#include "app/platform/windows_1252.h"

namespace cardo {
namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

bool InRange(unsigned char byte, unsigned char low, unsigned char high) {
  return byte >= low && byte <= high;
}

// A JIS X 0208 character (row and cell 1-94) as its Shift-JIS bytes: two rows share a lead
// byte, the odd row taking the lower half of its trail bytes.
void AppendJisX0208(std::string& out, unsigned row, unsigned cell) {
  const unsigned lead = (row + 1) / 2 + (row <= 62 ? 0x80 : 0xC0);
  const unsigned trail = row % 2 ? cell + 0x3F + (cell >= 64 ? 1 : 0) : cell + 0x9E;
  out.push_back(static_cast<char>(lead));
  out.push_back(static_cast<char>(trail));
}

// The characters of a page in the code page, those it lacks marked when asked.
void AppendCharacter(const CodePageTable& table, std::string& out, char32_t cp, bool markLacking) {
  if (markLacking && cp != 0 && table.Code(cp) == 0) out.push_back(kLackingMark);
  table.Append(out, cp);
}

class PageDecoder : public BlockConverter {
 public:
  void MarkLacking() { markLacking_ = true; }

 protected:
  void Append(std::string& out, char32_t cp) const {
    AppendCharacter(table_, out, cp, markLacking_);
  }
  const CodePageTable& table_ = CodePageTable::Get();
  bool markLacking_ = false;
};

// A decoder whose characters may be cut by a block's end: the bytes of an unfinished one wait
// for the next block (there are never more than a few).
class CarryingDecoder : public PageDecoder {
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
    AppendUtf8InCodePage(out, bytes.substr(from, whole - from), markLacking_);
    return whole;
  }
  bool atStart_;
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
    for (; i + 2 <= bytes.size(); i += 2) {
      const char16_t unit = Unit(bytes, i);
      if (unit < 0xD800 || unit > 0xDFFF) {
        Append(out, unit);
        continue;
      }
      if (unit <= 0xDBFF && i + 4 > bytes.size() && !final) break;  // its partner may follow
      const char16_t low = unit <= 0xDBFF && i + 4 <= bytes.size() ? Unit(bytes, i + 2) : 0;
      if (low < 0xDC00 || low > 0xDFFF) {
        Append(out, kReplacement);
        continue;
      }
      Append(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
      i += 2;
    }
    if (!final) return i;
    if (i < bytes.size()) Append(out, kReplacement);  // an odd byte at the end
    return bytes.size();
  }
  bool bigEndian_;
  bool atStart_;
};

class EucJpDecoder final : public CarryingDecoder {
  std::size_t Decode(std::string_view bytes, bool final, std::string& out) override {
    const auto* d = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
      const unsigned char b = d[i];
      if (b < 0x80) {
        out.push_back(static_cast<char>(b));
        ++i;
        continue;
      }
      const bool lead = b == 0x8E || b == 0x8F || InRange(b, 0xA1, 0xFE);
      const std::size_t size = b == 0x8F ? 3 : 2;
      if (lead && i + size > n && !final) break;
      if (lead && i + size <= n) {
        const unsigned char second = d[i + 1];
        if (b == 0x8E && InRange(second, 0xA1, 0xDF)) {
          out.push_back(static_cast<char>(second));  // half-width katakana: its one byte
          i += 2;
          continue;
        }
        if (b == 0x8F && InRange(second, 0xA1, 0xFE) && InRange(d[i + 2], 0xA1, 0xFE)) {
          // JIS X 0212: the code page holds few of its characters, and knowing which would
          // take a table of six thousand: it reads as a character that was lost.
          Append(out, kReplacement);
          i += 3;
          continue;
        }
        if (InRange(b, 0xA1, 0xFE) && InRange(second, 0xA1, 0xFE)) {
          AppendJisX0208(out, b - 0xA0, second - 0xA0);
          i += 2;
          continue;
        }
      }
      // No character starts here; the byte after it is read afresh (it may be ASCII).
      Append(out, kReplacement);
      ++i;
    }
    return i;
  }
};

class Iso2022JpDecoder final : public CarryingDecoder {
  enum class Set { Ascii, Katakana, JisX0208, JisX0212 };

  std::size_t Decode(std::string_view bytes, bool final, std::string& out) override {
    static constexpr struct {
      std::string_view escape;
      Set set;
    } kEscapes[] = {
        {"\x1B(B", Set::Ascii},    {"\x1B(J", Set::Ascii},    {"\x1B(I", Set::Katakana},
        {"\x1B$@", Set::JisX0208}, {"\x1B$B", Set::JisX0208}, {"\x1B$(D", Set::JisX0212},
    };
    const auto* d = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t n = bytes.size();
    std::size_t i = 0;
    while (i < n) {
      const unsigned char b = d[i];
      if (b == 0x1B) {
        const std::string_view rest = bytes.substr(i);
        bool known = false, partial = false;
        for (const auto& e : kEscapes) {
          if (rest.starts_with(e.escape)) {
            set_ = e.set;
            i += e.escape.size();
            known = true;
            break;
          }
          partial = partial || (rest.size() < e.escape.size() && e.escape.starts_with(rest));
        }
        if (known) continue;
        if (partial && !final) break;
        Append(out, kReplacement);
        ++i;
        continue;
      }
      // Controls and the space are themselves in every set: a line never runs into the next
      // because a sender left a double-byte set open at its end.
      if (b <= 0x20 && b != 0x0E && b != 0x0F) {
        out.push_back(static_cast<char>(b));
        ++i;
        continue;
      }
      if (b >= 0x80 || b == 0x0E || b == 0x0F || b == 0x7F) {
        Append(out, kReplacement);
        ++i;
        continue;
      }
      if (set_ == Set::Ascii) {
        out.push_back(static_cast<char>(b));
        ++i;
        continue;
      }
      if (set_ == Set::Katakana) {
        if (b <= 0x5F) {
          out.push_back(static_cast<char>(b + 0x80));
        } else {
          Append(out, kReplacement);
        }
        ++i;
        continue;
      }
      if (i + 2 > n && !final) break;
      if (i + 2 > n || !InRange(d[i + 1], 0x21, 0x7E)) {
        Append(out, kReplacement);
        ++i;
        continue;
      }
      if (set_ == Set::JisX0208) {
        AppendJisX0208(out, b - 0x20, d[i + 1] - 0x20);
      } else {
        Append(out, kReplacement);  // JIS X 0212, as in EUC-JP
      }
      i += 2;
    }
    return i;
  }
  Set set_ = Set::Ascii;
};

class Windows1252Decoder final : public PageDecoder {
 public:
  void Convert(std::string_view block, bool, std::string& out) override {
    for (const char c : block) {
      Append(out, Windows1252Character(static_cast<unsigned char>(c)));
    }
  }
};

}  // namespace

void AppendUtf8InCodePage(std::string& out, std::string_view utf8, bool markLacking) {
  // Pages are mostly ASCII and characters of two or three bytes the code page has: those are
  // decoded here and written through a small buffer, the rest take the general way.
  const CodePageTable& table = CodePageTable::Get();
  const auto* d = reinterpret_cast<const unsigned char*>(utf8.data());
  const std::size_t n = utf8.size();
  char buffer[4096];
  std::size_t used = 0;
  auto flush = [&] {
    out.append(buffer, used);
    used = 0;
  };
  for (std::size_t i = 0; i < n;) {
    if (d[i] < 0x80) {
      // A run of ASCII goes across as it is, found sixteen bytes at a time.
      const std::size_t end = FindByteOf<true>(d, i, n);
      if (end - i <= 64) {  // a few words between characters beyond it: through the buffer
        if (used + (end - i) > sizeof buffer) flush();
        std::memcpy(buffer + used, d + i, end - i);
        used += end - i;
      } else {
        flush();
        out.append(utf8.substr(i, end - i));
      }
      i = end;
      continue;
    }
    if (used > sizeof buffer - 8) flush();
    const unsigned char b = d[i];
    char32_t cp = 0;
    std::size_t len = 0;
    if (b >= 0xC2 && b < 0xE0 && i + 1 < n && (d[i + 1] & 0xC0) == 0x80) {
      cp = (b & 0x1Fu) << 6 | (d[i + 1] & 0x3Fu);
      len = 2;
    } else if ((b & 0xF0) == 0xE0 && i + 2 < n && (d[i + 1] & 0xC0) == 0x80 &&
               (d[i + 2] & 0xC0) == 0x80) {
      cp = (b & 0x0Fu) << 12 | (d[i + 1] & 0x3Fu) << 6 | (d[i + 2] & 0x3Fu);
      len = cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF) ? 3 : 0;
    }
    const std::uint16_t code = len ? table.Code(cp) : 0;
    if (code >= 0x100) {
      buffer[used++] = static_cast<char>(code >> 8);
      buffer[used++] = static_cast<char>(code & 0xFF);
    } else if (code != 0) {
      buffer[used++] = static_cast<char>(code);
    } else {
      // A character the code page lacks, a four-byte one or no character at all.
      flush();
      const Utf8Step step = len ? Utf8Step{cp, len} : DecodeUtf8At(utf8, i);
      AppendCharacter(table, out, step.len ? step.cp : kReplacement, markLacking);
      len = step.len ? step.len : 1;
    }
    i += len;
  }
  flush();
}

std::unique_ptr<BlockConverter> MakePageDecoder(PageEncoding encoding, bool dropMark,
                                                bool markLacking) {
  std::unique_ptr<PageDecoder> decoder;
  switch (encoding) {
    case PageEncoding::CodePage932:
      return nullptr;
    case PageEncoding::Utf8:
      decoder = std::make_unique<Utf8Decoder>(dropMark);
      break;
    case PageEncoding::Utf16Le:
    case PageEncoding::Utf16Be:
      decoder = std::make_unique<Utf16Decoder>(encoding == PageEncoding::Utf16Be, dropMark);
      break;
    case PageEncoding::EucJp:
      decoder = std::make_unique<EucJpDecoder>();
      break;
    case PageEncoding::Iso2022Jp:
      decoder = std::make_unique<Iso2022JpDecoder>();
      break;
    case PageEncoding::Windows1252:
      decoder = std::make_unique<Windows1252Decoder>();
      break;
  }
  if (decoder && markLacking) decoder->MarkLacking();
  return decoder;
}

}  // namespace cardo
