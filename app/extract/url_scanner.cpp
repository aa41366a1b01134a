#include "app/extract/url_scanner.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "app/extract/absolute_pass.h"
#include "app/extract/character_references.h"
#include "app/extract/page_encoding.h"
#include "app/platform/code_page_932.h"
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

// The text of codes; ASCII codes are their own UTF-16 values, so most URLs keep their memory.
std::u16string ToText(CodeText codes) {
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

// A URL this long that fills most of its line takes over the line's memory instead of a copy,
// so that the two are never held at once.
constexpr std::size_t kLongUrl = 1 << 16;

// The URL's first piece, line[d, stop) with the protocol as typed in front of it, into `url`.
// Returns where the piece ends in `line`, which may now hold only what followed it.
std::size_t TakeFirstPiece(CodeText& line, std::size_t d, std::size_t stop,
                           const CodeText& protocol, CodeText& url) {
  if (stop - d >= kLongUrl && stop - d >= line.size() - stop) {
    CodeText rest = line.substr(stop);
    line.resize(stop);
    line.erase(0, d);
    std::copy(protocol.begin(), protocol.end(), line.begin());
    url.swap(line);
    line.swap(rest);
    return 0;
  }
  url.assign(protocol);
  url.append(line, d + protocol.size(), stop - d - protocol.size());
  return stop;
}

void ScanText(LineSource& source, const ExtractOptions& options, const CandidateSink& sink) {
  const CodeText protocol = FromText(options.protocol);
  // An empty protocol would match at every position and find nothing worth having.
  if (protocol.empty()) return;
  const ProtocolFinder matcher(protocol);
  auto runEnd = [&](const CodeText& line, std::size_t from) {
    while (from < line.size() && IsUrlChar(line[from], options.fullWidth)) ++from;
    return from;
  };
  CodeText line;
  CodeText url;
  while (source.NextCodes(line)) {
    bool startsWithProtocol = line.compare(0, protocol.size(), protocol) == 0;
    for (std::size_t d = matcher.Find(line); d != CodeText::npos;) {
      const std::size_t start = d + protocol.size();
      std::size_t stop = runEnd(line, start);
      // A URL that runs to the end of its line goes on at the start of the next one, unless its
      // line begins with the protocol.
      bool goesOn =
          stop == line.size() && stop > start && !options.notReturnSearch && !startsWithProtocol;
      stop = TakeFirstPiece(line, d, stop, protocol, url);
      while (goesOn) {
        stop = 0;
        if (!source.NextCodes(line)) {
          line.clear();
          break;
        }
        startsWithProtocol = line.compare(0, protocol.size(), protocol) == 0;
        stop = runEnd(line, 0);
        url.append(line, 0, stop);
        goesOn = stop == line.size() && stop > 0 && !startsWithProtocol;
      }
      sink(ToText(std::move(url)));
      url.clear();
      // The next URL may start right where this one stopped.
      d = matcher.Find(line, stop);
    }
  }
}

// The base step of a line that holds "<base": may change the base (true then), offer it, and
// delete it from the line. On other lines the base stays as it is.
bool BaseStep(const ExtractOptions& options, CodeText& line, std::u16string& base,
              const CandidateSink& sink) {
  const bool hasHref = FindNoCase(line, u"href=") != CodeText::npos;
  auto takeHref = [&] {
    const CodeText value = GetHrefValue(line);
    std::u16string text = ToText(CodeText(value));
    if (text.find(u'&') != std::u16string::npos) text = ReadCharacterReferences(u"", text);
    base = std::move(text);
    sink(base);
    DeleteAll(line, value);
    return true;
  };
  if (options.mode == ExtractMode::Download) return hasHref && takeHref();
  if (!options.baseUrlBox.empty()) return false;  // the box's base holds for every line
  if (hasHref) return takeHref();
  const bool changed = !base.empty();
  base.clear();
  return changed;
}

// Where a line's quoted attribute values lie ("=", optional blanks, a quote, up to the same
// quote on that line), fed the line's characters in order.
class QuotedValues {
 public:
  bool InValue() const { return state_ == State::InValue; }
  // Whether only one character can change the state.
  bool Settled() const { return state_ != State::AfterEquals; }
  // The one character that changes a settled state.
  char16_t Awaited() const { return state_ == State::InValue ? quote_ : u'='; }
  void Feed(char16_t c) {
    switch (state_) {
      case State::InValue:
        if (c == quote_) state_ = State::Outside;
        return;
      case State::AfterEquals:
        if (c == u' ' || c == u'\t' || c == u'\n' || c == u'\f') return;
        if (c == u'"' || c == u'\'') {
          quote_ = c;
          state_ = State::InValue;
          return;
        }
        break;
      case State::Outside:
        break;
    }
    state_ = c == u'=' ? State::AfterEquals : State::Outside;
  }

 private:
  enum class State { Outside, AfterEquals, InValue };
  State state_ = State::Outside;
  char16_t quote_ = 0;
};

constexpr char16_t kIdeographicSpace = 0x8140;

// Prepares codes for the HTML passes: inside a quoted value a character beyond ASCII that is
// no space is a URL character (a page's own paths and names in Japanese); elsewhere such
// characters become kNotUrlUnit.
void PrepareCodes(CodeText& codes, QuotedValues& quotes) {
  for (std::size_t k = 0; k < codes.size(); ++k) {
    const char16_t c = codes[k];
    if (c >= 0x80 && (!quotes.InValue() || c == kIdeographicSpace)) codes[k] = kNotUrlUnit;
    quotes.Feed(c);
  }
}

// The high bit of each of eight ASCII bytes (the first byte lowest) that is `c`.
std::uint64_t BytesEqualTo(std::uint64_t eight, char16_t c) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ull;
  // Exact for bytes below 0x80: a zero byte of v, and only that, sets its high bit.
  const std::uint64_t v = eight ^ (kOnes * c);
  return (v - kOnes) & ~v & 0x8080808080808080ull;
}

// Feeds eight ASCII bytes: while the state is settled only one byte can change it ("=" outside
// a value, its quote inside one), so the walk jumps from one of those to the next.
void FeedEight(QuotedValues& quotes, const unsigned char* bytes, std::uint64_t eight) {
  static_assert(std::endian::native == std::endian::little);
  for (unsigned k = 0; k < 8;) {
    if (quotes.Settled()) {
      const std::uint64_t ahead = BytesEqualTo(eight, quotes.Awaited()) >> (8 * k) << (8 * k);
      if (!ahead) return;
      k = static_cast<unsigned>(std::countr_zero(ahead)) / 8;
    }
    quotes.Feed(bytes[k++]);
  }
}

// One byte per character: ASCII as itself; a character beyond ASCII as kMarkerUnit inside a
// quoted value (its code goes to `markers`) unless it is a space, else as kNotUrlUnit. The
// HTML passes find in this line exactly what they find in its codes, with about half the
// memory and no decoding.
void CompactCharacters(std::string& bytes, QuotedValues& quotes, CodeText& markers) {
  auto* data = reinterpret_cast<unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  std::size_t n = 0;
  for (std::size_t i = 0; i < size;) {
    std::uint64_t eight = 0;
    if (EightAscii(data, size, i, eight)) {
      FeedEight(quotes, data + i, eight);
      if (n != i) std::memcpy(data + n, &eight, 8);
      n += 8;
      i += 8;
      continue;
    }
    const unsigned char b = data[i];
    if (b < 0x80) {
      quotes.Feed(b);
      data[n++] = b;
      ++i;
      continue;
    }
    const bool pair = IsCp932LeadByte(b) && i + 1 < size && IsCp932TrailByte(data[i + 1]);
    const char16_t code = pair ? static_cast<char16_t>(b << 8 | data[i + 1]) : b;
    if (quotes.InValue() && code != kIdeographicSpace) {
      markers.push_back(code);
      data[n++] = static_cast<unsigned char>(kMarkerUnit);
    } else {
      data[n++] = kNotUrlUnit;
    }
    quotes.Feed(code);
    i += pair ? 2 : 1;
  }
  bytes.resize(n);
}

std::size_t FindDot(std::u16string_view line, std::size_t from) {
  return FindUnit(line, u'.', from);
}
std::size_t FindDot(std::string_view line, std::size_t from) {
  return line.find('.', from);
}

// A piece of a line as text: codes, or one byte per character with its markers' codes.
std::u16string Piece(std::u16string_view codes, std::u16string_view) {
  return ToText(CodeText(codes));
}
std::u16string Piece(std::string_view bytes, std::u16string_view markers) {
  if (markers.empty()) return std::u16string(bytes.begin(), bytes.end());
  CodeText codes;
  codes.reserve(bytes.size());
  std::size_t k = 0;
  for (const char b : bytes) codes.push_back(b == kMarkerUnit ? markers[k++] : char16_t(b));
  return ToText(std::move(codes));
}

// A URL's text from the line, split where "://" or the "." that made it one stands, with the
// markers of each side.
template <typename Char>
std::u16string UrlText(std::basic_string_view<Char> before, std::u16string_view beforeMarkers,
                       std::basic_string_view<Char> after, std::u16string_view afterMarkers) {
  if constexpr (std::is_same_v<Char, char>) {
    // Most URLs are ASCII without references: their bytes are their text.
    if (beforeMarkers.empty() && afterMarkers.empty() &&
        before.find('&') == std::string_view::npos && after.find('&') == std::string_view::npos) {
      std::u16string text(before.size() + after.size(), u'\0');
      std::copy(before.begin(), before.end(), text.begin());
      std::copy(after.begin(), after.end(),
                text.begin() + static_cast<std::ptrdiff_t>(before.size()));
      return text;
    }
  }
  std::u16string b = Piece(before, beforeMarkers);
  std::u16string a = Piece(after, afterMarkers);
  if (b.find(u'&') == std::u16string::npos && a.find(u'&') == std::u16string::npos) {
    return b + a;
  }
  return ReadCharacterReferences(b, a);
}

template <typename Char>
bool IsHtmlUrl(Char c) {
  return IsHtmlUrlUnit(static_cast<char16_t>(static_cast<std::make_unsigned_t<Char>>(c)));
}

std::string_view MarkerLine(std::string_view line) {
  return line;
}
std::string_view MarkerLine(std::u16string_view) {
  return {};
}

// `markers` are the codes of the line's markers (one-byte form only).
template <typename Char>
void RelativePass(std::basic_string_view<Char> line, std::u16string_view markers,
                  const BaseParts& base, const CandidateSink& sink) {
  MarkerCursor cursor(MarkerLine(line));
  for (std::size_t p = FindDot(line, 0); p != line.npos;) {
    if (p == 0) return;
    std::size_t start = p;
    while (start > 0 && IsHtmlUrl(line[start - 1])) --start;
    std::size_t end = p + 1;
    if (end >= line.size()) return;
    while (end < line.size() && IsHtmlUrl(line[end])) ++end;
    std::u16string_view before;
    std::u16string_view after;
    if (!markers.empty()) {
      const std::size_t first = cursor.Before(start);
      const std::size_t dot = cursor.Before(p);
      before = markers.substr(first, dot - first);
      after = markers.substr(dot, cursor.Before(end) - dot);
    }
    const std::u16string reference =
        UrlText(line.substr(start, p - start), before, line.substr(p, end - p), after);
    if (reference.back() != u'.' && reference.find(u'@') == std::u16string::npos) {
      sink(ResolveRelativeUrl(base, reference));
    }
    // The candidate's length past its ".", which may lie beyond its end.
    p = FindDot(line, p + (end - start));
  }
}

void HtmlPasses(CodeText& line, const BaseParts& base, const CandidateSink& sink) {
  AbsolutePass(line, [&](std::u16string_view url) {
    const std::size_t sep = FindSeparator(url);
    sink(UrlText(url.substr(0, sep), {}, url.substr(sep), {}));
  });
  RelativePass(std::u16string_view(line), {}, base, sink);
}

void HtmlPasses(std::string& line, CodeText& markers, const BaseParts& base,
                const CandidateSink& sink) {
  AbsolutePass(line, markers, [&](std::string_view url, std::u16string_view codes) {
    const std::size_t sep = url.find("://");
    const std::size_t split = static_cast<std::size_t>(
        std::count(url.begin(), url.begin() + static_cast<std::ptrdiff_t>(sep), kMarkerUnit));
    sink(UrlText(url.substr(0, sep), codes.substr(0, split), url.substr(sep), codes.substr(split)));
  });
  RelativePass(std::string_view(line), markers, base, sink);
}

void ScanHtml(LineSource& source, const ExtractOptions& options, const CandidateSink& sink) {
  std::u16string base;
  if (options.mode == ExtractMode::Download) {
    base = options.pageUrl;
  } else if (!options.baseUrlBox.empty()) {
    base = options.baseUrlBox;
  }
  // Split once per base: a long base would otherwise be copied for every line.
  BaseParts parts = SplitBase(base);
  std::string bytes;
  CodeText markers;
  while (source.Next(bytes)) {
    QuotedValues quotes;
    if (HasBaseTag(bytes)) {
      // The base may hold any character: this line is taken as codes.
      CodeText codes = DecodeCodePage(bytes);
      if (BaseStep(options, codes, base, sink)) parts = SplitBase(base);
      PrepareCodes(codes, quotes);
      HtmlPasses(codes, parts, sink);
      continue;
    }
    markers.clear();
    CompactCharacters(bytes, quotes, markers);
    HtmlPasses(bytes, markers, parts, sink);
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
