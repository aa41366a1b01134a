#include "app/extract/url_scanner.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "app/extract/absolute_pass.h"
#include "app/extract/page_encoding.h"
#include "app/platform/codec.h"
#include "app/platform/lower_case.h"
#include "app/platform/word_matcher.h"

namespace cardo {
namespace {

constexpr char16_t kRanges[][2] = {
    {0x8140, 0x81AC}, {0x81B8, 0x81BF}, {0x81C8, 0x81CE}, {0x81DA, 0x81E8}, {0x81F0, 0x81F7},
    {0x81FC, 0x81FC}, {0x824F, 0x8258}, {0x8260, 0x8279}, {0x8281, 0x829A}, {0x829F, 0x82F1},
    {0x8340, 0x8396}, {0x839F, 0x83B6}, {0x83BF, 0x83D6}, {0x8440, 0x8460}, {0x8470, 0x8491},
    {0x849F, 0x84BE}, {0x8740, 0x875D}, {0x875F, 0x8775}, {0x877E, 0x877E}, {0x8780, 0x879C},
    {0x889F, 0x9FFC}, {0xE040, 0xFC4B}};

// The first place where `needle` (lower-case ASCII) stands in `line`, letters compared without
// regard to case; the same as searching the lower-cased line, without copying it.
std::size_t FindNoCase(const CodeText& line, std::u16string_view needle) {
  if (needle.empty() || line.size() < needle.size()) return CodeText::npos;
  const char16_t first = needle[0];
  const char16_t firstUpper = (first >= u'a' && first <= u'z') ? first - 0x20 : first;
  for (std::size_t i = 0; i + needle.size() <= line.size(); ++i) {
    if (line[i] != first && line[i] != firstUpper) continue;
    std::size_t k = 1;
    while (k < needle.size() && CodePageLower(line[i + k]) == needle[k]) ++k;
    if (k == needle.size()) return i;
  }
  return CodeText::npos;
}

// Code page 932: a lead byte pairs only with a trail byte (0x40-0x7E, 0x80-0xFC); before any
// other byte it stands alone, so that text in another encoding (UTF-8) loses no ASCII
// character.
bool IsLeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}
bool IsTrailByte(unsigned char b) {
  return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Most text is ASCII: the eight bytes at `at` into `eight`, true when none has its high bit set.
bool EightAscii(const unsigned char* data, std::size_t size, std::size_t at, std::uint64_t& eight) {
  if (at + 8 > size) return false;
  std::memcpy(&eight, data + at, 8);
  return !(eight & 0x8080808080808080ull);
}

// Whether the line holds "<base" in any case. Searched in the bytes with the C library's
// fast search: "<" is never a trail byte, and the ASCII letters after it are characters of
// their own, so a match of the bytes is a match of the characters.
bool HasBaseTag(std::string_view bytes) {
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    const void* found = std::memchr(bytes.data() + at, '<', bytes.size() - at);
    if (!found) return false;
    at = static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data());
    if (bytes.size() - at < 5) return false;
    bool same = true;
    for (int k = 0; k < 4 && same; ++k) same = (bytes[at + 1 + k] | 0x20) == "base"[k];
    if (same) return true;
  }
  return false;
}

std::u16string ToText(const CodeText& codes) {
  // URL characters of HTML mode are all ASCII, whose codes are their own UTF-16 values.
  if (std::all_of(codes.begin(), codes.end(), [](char16_t c) { return c < 0x80; })) return codes;
  return AnsiToWide(EncodeCodePage(codes));
}
CodeText FromText(std::u16string_view text) {
  return DecodeCodePage(WideToAnsi(text));
}

}  // namespace

std::size_t FindUnit(std::u16string_view text, char16_t unit, std::size_t from) {
  const char16_t* p = text.data();
  const std::size_t n = text.size();
  constexpr std::uint64_t kOnes = 0x0001000100010001ull;
  const std::uint64_t pattern = kOnes * unit;
  std::size_t i = from;
  for (; i + 4 <= n; i += 4) {
    std::uint64_t v = 0;
    std::memcpy(&v, p + i, sizeof v);
    v ^= pattern;
    // Nonzero exactly when one of the four units is zero, that is, equal to `unit`.
    if ((v - kOnes) & ~v & 0x8000800080008000ull) break;
  }
  for (; i < n; ++i) {
    if (p[i] == unit) return i;
  }
  return std::u16string_view::npos;
}

std::size_t FindSeparator(std::u16string_view text, std::size_t from) {
  for (std::size_t at = FindUnit(text, u':', from); at != std::u16string_view::npos;
       at = FindUnit(text, u':', at + 1)) {
    if (at + 2 < text.size() && text[at + 1] == u'/' && text[at + 2] == u'/') return at;
  }
  return std::u16string_view::npos;
}

namespace {

// Knuth-Morris-Pratt: linear even for periodic text ("bbb...b://x"), where a plain search is
// quadratic. Between partial matches it skips to the first unit with the library's search.
template <typename Text>
void DeleteAllIn(Text& line, const Text& what) {
  if (what.empty()) return;
  std::vector<std::size_t> border(what.size() + 1, 0);
  for (std::size_t i = 1, k = 0; i < what.size(); ++i) {
    while (k > 0 && what[i] != what[k]) k = border[k];
    if (what[i] == what[k]) ++k;
    border[i + 1] = k;
  }
  Text out;
  std::size_t from = 0;
  std::size_t k = 0;
  for (std::size_t i = 0; i < line.size(); ++i) {
    if (k == 0) {
      i = line.find(what[0], i);
      if (i == Text::npos) break;
    }
    while (k > 0 && line[i] != what[k]) k = border[k];
    if (line[i] == what[k] && ++k == what.size()) {
      out.append(line, from, i + 1 - k - from);
      from = i + 1;
      k = 0;
    }
  }
  if (from == 0) return;
  out.append(line, from, Text::npos);
  line.swap(out);
}

}  // namespace

void DeleteAll(CodeText& line, const CodeText& what) {
  DeleteAllIn(line, what);
}

void DeleteAll(std::string& line, const std::string& what) {
  DeleteAllIn(line, what);
}

namespace {

// Finds the protocol in a line whose letters are compared lower-cased. A short protocol that
// holds a unit nothing else lower-cases to (":" of "http://") is found by looking for that
// unit four at a time and checking the rest around it; others go through the linear matcher.
class ProtocolFinder {
 public:
  explicit ProtocolFinder(const CodeText& protocol)
      : protocol_(protocol), matcher_(protocol, CodePageLower) {
    for (std::size_t k = 0; k < protocol.size() && protocol.size() <= 16; ++k) {
      const char16_t c = protocol[k];
      if (c < 0x80 && !(c >= u'a' && c <= u'z') && !(c >= u'A' && c <= u'Z')) {
        anchor_ = k;
        break;
      }
    }
  }

  std::size_t Find(const CodeText& line, std::size_t from = 0) const {
    if (anchor_ == CodeText::npos) return matcher_.Find(line, from);
    const std::size_t m = protocol_.size();
    for (std::size_t at = FindUnit(line, protocol_[anchor_], from + anchor_); at != CodeText::npos;
         at = FindUnit(line, protocol_[anchor_], at + 1)) {
      const std::size_t start = at - anchor_;
      if (start + m > line.size()) return CodeText::npos;
      std::size_t k = 0;
      while (k < m && CodePageLower(line[start + k]) == protocol_[k]) ++k;
      if (k == m) return start;
    }
    return CodeText::npos;
  }

 private:
  const CodeText& protocol_;
  WordMatcher matcher_;
  std::size_t anchor_ = CodeText::npos;
};

void ScanText(LineSource& source, const ExtractOptions& options, const CandidateSink& sink) {
  const CodeText protocol = FromText(options.protocol);
  // An empty protocol would match at every position and find nothing worth having.
  if (protocol.empty()) return;
  const ProtocolFinder matcher(protocol);
  CodeText line;
  while (source.NextCodes(line)) {
    std::size_t d = matcher.Find(line);
    while (d != CodeText::npos) {
      CodeText url = protocol;
      std::size_t i = d + protocol.size();
      for (;;) {
        const char16_t c = i < line.size() ? line[i] : u' ';
        if (!IsUrlChar(c, options.fullWidth)) break;
        url.push_back(c);
        if (i + 1 >= line.size() && !options.notReturnSearch) {
          if (line.compare(0, protocol.size(), protocol) == 0) break;
          if (!source.NextCodes(line)) break;
          i = 0;
          continue;
        }
        ++i;
      }
      sink(ToText(url));
      d = matcher.Find(line, i + protocol.size());
    }
  }
}

// The base step of a line that holds "<base": may change the base, offer it, and delete it
// from the line. (On other lines only a base URL box sets the base.)
void BaseStep(const ExtractOptions& options, CodeText& line, std::u16string& base,
              const CandidateSink& sink) {
  const bool hasHref = FindNoCase(line, u"href=") != CodeText::npos;
  auto takeHref = [&] {
    const CodeText value = GetHrefValue(line);
    base = ToText(value);
    sink(base);
    DeleteAll(line, value);
  };
  if (options.mode == ExtractMode::Download) {
    if (hasHref) takeHref();
  } else if (!options.baseUrlBox.empty()) {
    base = options.baseUrlBox;
  } else if (hasHref) {
    takeHref();
  } else {
    base.clear();
  }
}

std::size_t FindDot(const CodeText& line, std::size_t from) {
  return FindUnit(line, u'.', from);
}
std::size_t FindDot(const std::string& line, std::size_t from) {
  return line.find('.', from);
}

// URL characters of HTML mode are ASCII, so a reference is its own text.
template <typename Text>
void RelativePass(const Text& line, const std::u16string& base, const CandidateSink& sink) {
  std::size_t p = FindDot(line, 0);
  if (p == Text::npos) return;
  const BaseParts parts = SplitBase(base);
  auto isUrl = [](auto c) {
    return IsUrlChar(static_cast<char16_t>(static_cast<std::make_unsigned_t<decltype(c)>>(c)),
                     false);
  };
  std::u16string reference;
  while (p != Text::npos) {
    if (p == 0) return;
    std::size_t start = p;
    while (start > 0 && isUrl(line[start - 1])) --start;
    std::size_t end = p + 1;
    if (end >= line.size()) return;
    while (end < line.size() && isUrl(line[end])) ++end;
    reference.assign(line.begin() + static_cast<std::ptrdiff_t>(start),
                     line.begin() + static_cast<std::ptrdiff_t>(end));
    const std::size_t nextFrom = p + reference.size();
    const bool endsWithDot = reference.back() == u'.';
    const bool hasAt = reference.find(u'@') != std::u16string::npos;
    if (!endsWithDot && !hasAt) sink(ResolveRelativeUrl(parts, reference));
    p = FindDot(line, nextFrom);
  }
}

// One byte per character: ASCII as itself, a double-byte character as 0x80, any other byte as
// it is. Only ASCII can be a URL character here, so the absolute and relative passes find in
// this line exactly what they find in its codes, with half the memory and no decoding.
void CompactCharacters(std::string& bytes) {
  auto* data = reinterpret_cast<unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  std::size_t n = 0;
  for (std::size_t i = 0; i < size;) {
    std::uint64_t eight = 0;
    if (EightAscii(data, size, i, eight)) {
      if (n != i) std::memcpy(data + n, &eight, 8);
      n += 8;
      i += 8;
      continue;
    }
    const unsigned char b = data[i++];
    if (IsLeadByte(b) && i < size && IsTrailByte(data[i])) {
      data[n++] = 0x80;
      ++i;
    } else {
      data[n++] = b;
    }
  }
  bytes.resize(n);
}

void ScanHtml(LineSource& source, const ExtractOptions& options, const CandidateSink& sink) {
  std::u16string base = options.mode == ExtractMode::Download ? options.pageUrl : u"";
  std::string bytes;
  while (source.Next(bytes)) {
    if (HasBaseTag(bytes)) {
      // The base may hold any character: this line is taken as codes.
      CodeText line = DecodeCodePage(bytes);
      BaseStep(options, line, base, sink);
      AbsolutePass(line, [&](const CodeText& url) { sink(ToText(url)); });
      RelativePass(line, base, sink);
      continue;
    }
    if (options.mode == ExtractMode::Html && !options.baseUrlBox.empty()) {
      base = options.baseUrlBox;
    }
    CompactCharacters(bytes);
    AbsolutePass(bytes,
                 [&](const std::string& url) { sink(std::u16string(url.begin(), url.end())); });
    RelativePass(bytes, base, sink);
  }
}

}  // namespace

bool TextLineSource::Next(std::string& line) {
  if (at_ >= text_.size()) return false;
  const std::size_t cr = text_.find('\r', at_);
  if (cr == std::string_view::npos) {
    line.assign(text_.substr(at_));
    at_ = text_.size();
    return true;
  }
  line.assign(text_.substr(at_, cr - at_));
  at_ = cr + 1;
  if (at_ < text_.size() && text_[at_] == '\n') ++at_;
  return true;
}

long FileLineSource::Remaining() {
  const long here = std::ftell(file_);
  if (here < 0 || std::fseek(file_, 0, SEEK_END) != 0) return 0;
  const long end = std::ftell(file_);
  std::fseek(file_, here, SEEK_SET);
  return end > here ? end - here : 0;
}

template <typename Buffer>
void FileLineSource::Reserve(Buffer& buffer, std::size_t more) {
  if (buffer.size() + more <= buffer.capacity() || buffer.size() < (1u << 20)) return;
  const long rest = Remaining();
  // Without a known size (a pipe) the buffer grows as usual.
  buffer.reserve(rest > 0 ? buffer.size() + more + static_cast<std::size_t>(rest)
                          : std::max(buffer.size() + more, 2 * buffer.capacity()));
}

bool FileLineSource::Fill() {
  if (eof_) return false;
  if (at_ > 0) {
    buffer_.erase(0, at_);
    at_ = 0;
  }
  char chunk[1 << 16];
  const std::size_t n = std::fread(chunk, 1, sizeof chunk, file_);
  if (n == 0) {
    eof_ = true;
    return false;
  }
  Reserve(buffer_, n);
  buffer_.append(chunk, n);
  return true;
}

void FileLineSource::Take(std::string& line, std::size_t end, std::size_t next) {
  // A line that fills the buffer is handed over whole rather than copied.
  if (at_ == 0 && end >= (1u << 20)) {
    line.swap(buffer_);
    buffer_.assign(line, next, std::string::npos);
    line.resize(end);
    at_ = 0;
    return;
  }
  line.assign(buffer_, at_, end - at_);
  at_ = next;
}

bool FileLineSource::Next(std::string& line) {
  std::size_t searched = at_;  // no CR before here: a long line is not rescanned per block
  for (;;) {
    const std::size_t cr = buffer_.find('\r', searched);
    // A CR at the end of the buffer may be the first half of a CR LF still unread.
    if (cr != std::string::npos && (cr + 1 < buffer_.size() || eof_)) {
      const bool lf = cr + 1 < buffer_.size() && buffer_[cr + 1] == '\n';
      Take(line, cr, cr + (lf ? 2 : 1));
      return true;
    }
    // Fill moves the unread text to the front, so the search resumes by its offset.
    const std::size_t resume = (cr != std::string::npos ? cr : buffer_.size()) - at_;
    if (!Fill()) {
      if (at_ >= buffer_.size()) return false;
      if (cr == std::string::npos) {
        Take(line, buffer_.size(), buffer_.size());
        return true;
      }
    }
    searched = at_ + resume;
  }
}

namespace detail {

const std::array<bool, 256> kSingleByteUrlChar = [] {
  std::array<bool, 256> v{};
  for (int c = 0; c < 256; ++c) {
    v[static_cast<std::size_t>(c)] = (c >= '#' && c <= '&') || (c >= '-' && c <= ';') ||
                                     (c >= '?' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '!' ||
                                     c == '*' || c == '+' || c == '=' || c == '^' || c == '_' ||
                                     c == '|' || c == '~';
  }
  return v;
}();

bool IsFullWidthUrlChar(char16_t code) {
  for (const auto& range : kRanges) {
    if (code >= range[0] && code <= range[1]) return true;
  }
  return false;
}

}  // namespace detail

namespace {

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
    if (IsLeadByte(b) && i + 1 == size && !final) break;
    ++i;
    if (IsLeadByte(b) && i < size && IsTrailByte(data[i])) {
      block[n++] = static_cast<char16_t>(b << 8 | data[i]);
      ++i;
    } else {
      block[n++] = b;
    }
  }
  out.append(block, n);
  return i;
}

}  // namespace

CodeText DecodeCodePage(std::string_view bytes) {
  CodeText codes;
  codes.reserve(bytes.size());
  DecodeAppend(bytes, true, codes);
  return codes;
}

bool LineSource::NextCodes(CodeText& codes) {
  std::string bytes;
  if (!Next(bytes)) return false;
  codes.clear();
  DecodeAppend(bytes, true, codes);
  return true;
}

bool FileLineSource::NextCodes(CodeText& codes) {
  codes.clear();
  bool any = false;
  auto take = [&](std::size_t end, bool final) {
    const std::string_view piece(buffer_.data() + at_, end - at_);
    Reserve(codes, piece.size());
    const std::size_t used = DecodeAppend(piece, final, codes);
    at_ += used;
    any = any || used > 0;
  };
  for (;;) {
    const std::size_t cr = buffer_.find('\r', at_);
    // A CR at the end of the buffer may be the first half of a CR LF still unread.
    if (cr != std::string::npos && (cr + 1 < buffer_.size() || eof_)) {
      take(cr, true);
      at_ = cr + 1;
      if (at_ < buffer_.size() && buffer_[at_] == '\n') ++at_;
      return true;
    }
    take(cr != std::string::npos ? cr : buffer_.size(), false);
    if (!Fill()) {
      if (at_ >= buffer_.size()) return any;
      take(buffer_.size(), true);
      return true;
    }
  }
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

CodeText GetHrefValue(const CodeText& line) {
  const std::size_t at = FindNoCase(line, u"href=");
  if (at == CodeText::npos) return {};
  const std::size_t from = at + 5;
  if (from < line.size() && line[from] == u'"') {
    const std::size_t close = line.find(u'"', from + 1);
    return line.substr(from + 1, close == CodeText::npos ? CodeText::npos : close - from - 1);
  }
  std::size_t end = from;
  while (end < line.size() && IsUrlChar(line[end], false)) ++end;
  return line.substr(std::min(from, line.size()), end - std::min(from, line.size()));
}

BaseParts SplitBase(std::u16string_view base) {
  std::size_t hostStart = 0;
  if (base.find(u"://") != std::u16string_view::npos) {
    const std::u16string_view sep =
        base.find(u":///") != std::u16string_view::npos ? u":///" : u"://";
    hostStart = base.find(sep) + sep.size();
  }
  const std::size_t slash = base.find(u'/', hostStart);
  BaseParts parts;
  if (slash == std::u16string_view::npos) {
    parts.root = std::u16string(base) + u"/";
    parts.directory = u"/";
  } else {
    parts.root = std::u16string(base.substr(0, slash + 1));
    parts.directory = u"/" + std::u16string(base.substr(slash + 1));
    if (parts.directory.back() != u'/') {
      parts.directory.erase(parts.directory.find_last_of(u'/') + 1);
    }
  }
  return parts;
}

std::u16string ResolveRelativeUrl(const BaseParts& base, std::u16string_view relative) {
  const std::u16string_view directory = base.directory;
  std::size_t keep = directory.size();  // the directory climbed to is directory[0, keep)
  int levels = 0;
  for (;;) {
    if (relative.substr(0, 3) == u"../") {
      relative.remove_prefix(3);
      ++levels;
    } else if (relative.substr(0, 2) == u"./") {
      relative.remove_prefix(2);
    } else {
      break;
    }
  }
  for (; levels > 0 && keep > 0; --levels) {
    const std::size_t last = directory.substr(0, keep - 1).find_last_of(u'/');
    keep = last == std::u16string_view::npos ? 0 : last + 1;
  }
  if (keep == 0) return u"不正";
  std::u16string result;
  result.reserve(base.root.size() + keep + relative.size());
  result = base.root;
  if (!relative.empty() && relative.front() == u'/') {
    result.append(relative.substr(1));
  } else {
    result.append(directory.substr(1, keep - 1));
    result.append(relative);
  }
  return result;
}

std::u16string ResolveRelativeUrl(std::u16string_view base, std::u16string_view relative) {
  return ResolveRelativeUrl(SplitBase(base), relative);
}

void ExtractUrls(LineSource& source, const ExtractOptions& options, const CandidateSink& sink) {
  if (options.encoding == PageEncoding::Utf8) {
    Utf8LineSource utf8(source);
    ExtractOptions codePage = options;
    codePage.encoding = PageEncoding::CodePage932;
    return ExtractUrls(utf8, codePage, sink);
  }
  if (options.mode == ExtractMode::Text) {
    ScanText(source, options, sink);
  } else {
    ScanHtml(source, options, sink);
  }
}

}  // namespace cardo
