#include "app/url/url.h"

#include <algorithm>
#include <array>

#include "app/platform/idna.h"
#include "app/platform/text.h"

namespace cardo {
namespace {

using View = std::u16string_view;

constexpr char32_t kEof = 0xFFFFFFFF;

// The ASCII characters a part of an address holds percent-encoded. Every set also encodes what
// lies beyond ASCII, unless the form keeps it.
using EncodeSet = std::array<bool, 128>;
constexpr EncodeSet With(EncodeSet set, std::string_view more) {
  for (const char c : more) set[static_cast<unsigned char>(c)] = true;
  return set;
}
constexpr EncodeSet kC0ControlSet = [] {
  EncodeSet set{};
  for (int c = 0; c < 0x20; ++c) set[c] = true;
  set[0x7F] = true;
  return set;
}();
constexpr EncodeSet kFragmentSet = With(kC0ControlSet, " \"<>`");
constexpr EncodeSet kQuerySet = With(kC0ControlSet, " \"#<>");
constexpr EncodeSet kSpecialQuerySet = With(kQuerySet, "'");
constexpr EncodeSet kPathSet = With(kQuerySet, "?^`{}");
constexpr EncodeSet kUserinfoSet = With(kPathSet, "/:;=@[\\]|");

// What no host may hold, and what no domain may hold besides.
constexpr EncodeSet kForbiddenHost = With(EncodeSet{}, {"\0\t\n\r #/:<>?@[\\]^|", 17});
constexpr EncodeSet kForbiddenDomain = With(With(kC0ControlSet, "%"), {"\0 #/:<>?@[\\]^|", 14});

struct SpecialScheme {
  View name;
  std::uint16_t defaultPort;  // 0: none
};
constexpr SpecialScheme kSpecialSchemes[] = {
    {u"ftp", 21}, {u"file", 0}, {u"http", 80}, {u"https", 443}, {u"ws", 80}, {u"wss", 443},
};

const SpecialScheme* FindSpecial(View scheme) {
  for (const SpecialScheme& s : kSpecialSchemes) {
    if (s.name == scheme) return &s;
  }
  return nullptr;
}

bool IsAsciiAlpha(char32_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool IsAsciiDigit(char32_t c) {
  return c >= u'0' && c <= u'9';
}
int HexValue(char32_t c) {
  if (IsAsciiDigit(c)) return static_cast<int>(c - u'0');
  if (c >= u'a' && c <= u'f') return static_cast<int>(c - u'a' + 10);
  if (c >= u'A' && c <= u'F') return static_cast<int>(c - u'A' + 10);
  return -1;
}
char16_t AsciiLower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 0x20) : c;
}
bool IsAscii(View text) {
  return std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; });
}
bool EqualsNoCase(View text, View lower) {
  return text.size() == lower.size() &&
         std::equal(text.begin(), text.end(), lower.begin(),
                    [](char16_t a, char16_t b) { return AsciiLower(a) == b; });
}

// "C:" or "C|"; normalized: "C:" only.
bool IsWindowsDriveLetter(View text) {
  return text.size() == 2 && IsAsciiAlpha(text[0]) && (text[1] == u':' || text[1] == u'|');
}
bool IsNormalizedDriveLetter(View text) {
  return IsWindowsDriveLetter(text) && text[1] == u':';
}
// A drive letter, then the end or a character that ends a path segment.
bool StartsWithDriveLetter(View text) {
  return text.size() >= 2 && IsWindowsDriveLetter(text.substr(0, 2)) &&
         (text.size() == 2 || View(u"/\\?#").find(text[2]) != View::npos);
}

bool IsSingleDot(View segment) {
  return segment == u"." || EqualsNoCase(segment, u"%2e");
}
bool IsDoubleDot(View segment) {
  return segment == u".." || EqualsNoCase(segment, u".%2e") || EqualsNoCase(segment, u"%2e.") ||
         EqualsNoCase(segment, u"%2e%2e");
}

void AppendHexByte(std::u16string& out, unsigned byte) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  out.push_back(u'%');
  out.push_back(kHex[byte >> 4]);
  out.push_back(kHex[byte & 15]);
}

// `c` as a URL part holds it: raw, or its UTF-8 bytes as %XX.
void AppendEncoded(std::u16string& out, char32_t c, const EncodeSet& set, UrlForm form) {
  if (c < 0x80) {
    if (set[c]) {
      AppendHexByte(out, c);
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
    return;
  }
  if (form == UrlForm::AsWritten) {
    AppendUtf16(out, c);
    return;
  }
  if (c < 0x800) {
    AppendHexByte(out, 0xC0 | (c >> 6));
  } else if (c < 0x10000) {
    AppendHexByte(out, 0xE0 | (c >> 12));
    AppendHexByte(out, 0x80 | ((c >> 6) & 0x3F));
  } else {
    AppendHexByte(out, 0xF0 | (c >> 18));
    AppendHexByte(out, 0x80 | ((c >> 12) & 0x3F));
    AppendHexByte(out, 0x80 | ((c >> 6) & 0x3F));
  }
  AppendHexByte(out, 0x80 | (c & 0x3F));
}

// The code point at `text[i]` and how many units it takes; a lone surrogate reads as U+FFFD,
// the end as kEof.
char32_t CodePointAt(View text, std::size_t i, std::size_t& length) {
  if (i >= text.size()) {
    length = 0;
    return kEof;
  }
  length = 1;
  const char16_t unit = text[i];
  if (unit < 0xD800 || unit > 0xDFFF) return unit;
  if (unit <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
    length = 2;
    return 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00);
  }
  return 0xFFFD;
}

// ---- IPv4 ----

// One part of an IPv4 address ("0x7f", "017", "1"), saturated above 2^32.
std::optional<std::uint64_t> ParseIpv4Number(View part) {
  if (part.empty()) return std::nullopt;
  int radix = 10;
  if (part.size() >= 2 && part[0] == u'0' && (part[1] == u'x' || part[1] == u'X')) {
    part.remove_prefix(2);
    radix = 16;
  } else if (part.size() >= 2 && part[0] == u'0') {
    part.remove_prefix(1);
    radix = 8;
  }
  constexpr std::uint64_t kCap = std::uint64_t{1} << 40;
  std::uint64_t value = 0;
  for (const char16_t c : part) {
    const int digit = HexValue(c);
    if (digit < 0 || digit >= radix) return std::nullopt;
    value = std::min(kCap, value * radix + digit);
  }
  return value;
}

// The last part of a domain, a final "." aside.
View LastLabel(View domain) {
  if (domain.ends_with(u'.')) domain.remove_suffix(1);
  const std::size_t dot = domain.rfind(u'.');
  return dot == View::npos ? domain : domain.substr(dot + 1);
}

// A domain whose last label is a number is an IPv4 address or nothing.
bool EndsInANumber(View domain) {
  if (domain.empty() || domain == u".") return false;
  const View last = LastLabel(domain);
  if (!last.empty() && std::all_of(last.begin(), last.end(), IsAsciiDigit)) return true;
  return ParseIpv4Number(last).has_value();
}

std::optional<std::uint32_t> ParseIpv4(View text) {
  if (text.ends_with(u'.') && text.size() > 1) text.remove_suffix(1);
  std::uint64_t numbers[4];
  std::size_t count = 0;
  for (std::size_t from = 0;;) {
    const std::size_t dot = text.find(u'.', from);
    if (count == 4) return std::nullopt;
    const auto number = ParseIpv4Number(text.substr(from, dot - from));
    if (!number) return std::nullopt;
    numbers[count++] = *number;
    if (dot == View::npos) break;
    from = dot + 1;
  }
  std::uint64_t address = numbers[count - 1];
  if (address >= std::uint64_t{1} << (8 * (5 - count))) return std::nullopt;
  for (std::size_t i = 0; i + 1 < count; ++i) {
    if (numbers[i] > 255) return std::nullopt;
    address += numbers[i] << (8 * (3 - i));
  }
  return static_cast<std::uint32_t>(address);
}

std::u16string SerializeIpv4(std::uint32_t address) {
  std::u16string out;
  for (int shift = 24; shift >= 0; shift -= 8) {
    out += DecimalText((address >> shift) & 0xFF);
    if (shift) out.push_back(u'.');
  }
  return out;
}

// ---- IPv6 ----

using Ipv6 = std::array<std::uint16_t, 8>;

// The IPv4 address that ends an IPv6 address, from text[i] to its end, into the two pieces
// from address[piece]: false when it is not four decimal numbers up to 255 without leading
// zeros.
bool ParseIpv4InIpv6(View text, std::size_t i, Ipv6& address, std::size_t& piece) {
  const auto at = [&](std::size_t k) -> char32_t { return k < text.size() ? text[k] : kEof; };
  int numbersSeen = 0;
  while (at(i) != kEof) {
    if (numbersSeen > 0) {
      if (at(i) != u'.' || numbersSeen >= 4) return false;
      ++i;
    }
    if (!IsAsciiDigit(at(i))) return false;
    std::optional<unsigned> number;
    while (IsAsciiDigit(at(i))) {
      const unsigned digit = at(i) - u'0';
      if (number == 0u) return false;
      number = number.value_or(0) * 10 + digit;
      if (*number > 255) return false;
      ++i;
    }
    address[piece] = static_cast<std::uint16_t>(address[piece] * 0x100 + *number);
    ++numbersSeen;
    if (numbersSeen == 2 || numbersSeen == 4) ++piece;
  }
  return numbersSeen == 4;
}

// The pieces read after "::" (from `compress` up to `piece`) moved to the end of the address.
void MoveCompressedPieces(Ipv6& address, std::size_t compress, std::size_t piece) {
  std::size_t swaps = piece - compress;
  for (piece = 7; piece != 0 && swaps > 0; --piece, --swaps) {
    std::swap(address[piece], address[compress + swaps - 1]);
  }
}

std::optional<Ipv6> ParseIpv6(View text) {
  Ipv6 address{};
  std::size_t piece = 0;
  std::optional<std::size_t> compress;
  std::size_t i = 0;
  const auto at = [&](std::size_t k) -> char32_t { return k < text.size() ? text[k] : kEof; };
  if (at(0) == u':') {
    if (at(1) != u':') return std::nullopt;
    i = 2;
    compress = ++piece;
  }
  while (at(i) != kEof) {
    if (piece == 8) return std::nullopt;
    if (at(i) == u':') {
      if (compress) return std::nullopt;
      ++i;
      compress = ++piece;
      continue;
    }
    unsigned value = 0;
    std::size_t length = 0;
    while (length < 4 && HexValue(at(i)) >= 0) {
      value = value * 16 + HexValue(at(i));
      ++i;
      ++length;
    }
    if (at(i) == u'.') {
      // An IPv4 address in the last two pieces.
      if (length == 0 || piece > 6) return std::nullopt;
      if (!ParseIpv4InIpv6(text, i - length, address, piece)) return std::nullopt;
      break;
    }
    if (at(i) == u':') {
      ++i;
      if (at(i) == kEof) return std::nullopt;
    } else if (at(i) != kEof) {
      return std::nullopt;
    }
    address[piece++] = static_cast<std::uint16_t>(value);
  }
  if (compress) {
    MoveCompressedPieces(address, *compress, piece);
  } else if (piece != 8) {
    return std::nullopt;
  }
  return address;
}

std::u16string SerializeIpv6(const Ipv6& address) {
  // The first longest run of two or more zero pieces is written "::".
  std::size_t compress = 8;
  std::size_t longest = 1;
  for (std::size_t i = 0; i < 8;) {
    std::size_t run = 0;
    while (i + run < 8 && address[i + run] == 0) ++run;
    if (run > longest) {
      longest = run;
      compress = i;
    }
    i += std::max<std::size_t>(run, 1);
  }
  static constexpr char16_t kHex[] = u"0123456789abcdef";
  std::u16string out = u"[";
  for (std::size_t i = 0; i < 8; ++i) {
    if (i == compress) {
      out += i == 0 ? u"::" : u":";
      i += longest - 1;
      continue;
    }
    bool started = false;
    for (int shift = 12; shift >= 0; shift -= 4) {
      const unsigned digit = (address[i] >> shift) & 15;
      if (digit == 0 && !started && shift > 0) continue;
      started = true;
      out.push_back(kHex[digit]);
    }
    if (i != 7) out.push_back(u':');
  }
  out.push_back(u']');
  return out;
}

// ---- hosts ----

// `text` with its %XX read as bytes, and those read as UTF-8 (a byte that is no character as
// U+FFFD, which no domain holds).
std::u16string PercentDecoded(View text) {
  std::string bytes = Utf16ToUtf8(text);
  std::size_t kept = 0;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const bool escape = bytes[i] == '%' && i + 2 < bytes.size() &&
                        HexValue(static_cast<unsigned char>(bytes[i + 1])) >= 0 &&
                        HexValue(static_cast<unsigned char>(bytes[i + 2])) >= 0;
    if (escape) {
      bytes[kept++] = static_cast<char>(HexValue(static_cast<unsigned char>(bytes[i + 1])) * 16 +
                                        HexValue(static_cast<unsigned char>(bytes[i + 2])));
      i += 2;
    } else {
      bytes[kept++] = bytes[i];
    }
  }
  bytes.resize(kept);
  return Utf8ToUtf16(bytes);
}

// A domain as resolvers take it: ASCII in lower case, labels beyond ASCII as their A-labels.
std::optional<std::u16string> DomainToAscii(View domain) {
  if (IsAscii(domain)) {
    bool aLabel = false;
    for (std::size_t from = 0; from <= domain.size() && !aLabel;) {
      const std::size_t dot = std::min(domain.find(u'.', from), domain.size());
      aLabel = EqualsNoCase(domain.substr(from, std::min<std::size_t>(4, dot - from)), u"xn--");
      from = dot + 1;
    }
    if (!aLabel) {
      std::u16string lower(domain);
      std::transform(lower.begin(), lower.end(), lower.begin(), AsciiLower);
      return lower;
    }
  }
  auto ascii = SystemHostToAscii(domain);
  if (!ascii || ascii->empty() || !IsAscii(*ascii)) return std::nullopt;
  return ascii;
}

std::optional<std::u16string> ParseOpaqueHost(View text, UrlForm form) {
  std::u16string host;
  std::size_t length = 0;
  for (std::size_t i = 0; i < text.size(); i += length) {
    const char32_t c = CodePointAt(text, i, length);
    if (c < 0x80 && kForbiddenHost[c]) return std::nullopt;
    AppendEncoded(host, c, kC0ControlSet, form);
  }
  return host;
}

std::optional<std::u16string> ParseHost(View text, bool special, UrlForm form, UrlError& error) {
  if (text.starts_with(u'[')) {
    if (!text.ends_with(u']') || text.size() < 2) return std::nullopt;
    const auto address = ParseIpv6(text.substr(1, text.size() - 2));
    if (!address) return std::nullopt;
    return SerializeIpv6(*address);
  }
  if (!special) return ParseOpaqueHost(text, form);
  std::u16string decoded;
  View domain = text;
  if (text.find(u'%') != View::npos || !IsAscii(text)) {
    decoded = PercentDecoded(text);
    domain = decoded;
  }
  auto ascii = DomainToAscii(domain);
  if (!ascii) {
    error = UrlError::HostNotIdna;
    return std::nullopt;
  }
  if (std::any_of(ascii->begin(), ascii->end(), [](char16_t c) { return kForbiddenDomain[c]; })) {
    return std::nullopt;
  }
  if (EndsInANumber(*ascii)) {
    const auto address = ParseIpv4(*ascii);
    if (!address) return std::nullopt;
    return SerializeIpv4(*address);
  }
  if (form == UrlForm::AsWritten && !IsAscii(domain)) {
    std::u16string kept(domain);
    std::transform(kept.begin(), kept.end(), kept.begin(), AsciiLower);
    return kept;
  }
  return ascii;
}

}  // namespace

// The standard's basic URL parser: one function per state, each reading from pos_ on and
// choosing the next state; the parse ends in Done or fails.
class UrlParser {
 public:
  UrlParser(View input, const Url* base, UrlForm form) : base_(base), form_(form) {
    while (!input.empty() && input.front() <= u' ') input.remove_prefix(1);
    while (!input.empty() && input.back() <= u' ') input.remove_suffix(1);
    if (input.find_first_of(u"\t\n\r") != View::npos) {
      for (const char16_t c : input) {
        if (c != u'\t' && c != u'\n' && c != u'\r') owned_.push_back(c);
      }
      input = owned_;
    }
    in_ = input;
  }

  std::optional<Url> Run(UrlError* error);

 private:
  enum class State {
    SchemeStart,
    Scheme,
    NoScheme,
    SpecialRelativeOrAuthority,
    PathOrAuthority,
    Relative,
    RelativeSlash,
    SpecialAuthoritySlashes,
    SpecialAuthorityIgnoreSlashes,
    Authority,
    Host,
    Port,
    File,
    FileSlash,
    FileHost,
    PathStart,
    Path,
    OpaquePath,
    Query,
    Fragment,
    Done,
  };

  char32_t Current() const {
    std::size_t length;
    return CodePointAt(in_, pos_, length);
  }
  char32_t Next() const { return pos_ + 1 < in_.size() ? in_[pos_ + 1] : kEof; }
  void Advance() {
    std::size_t length;
    CodePointAt(in_, pos_, length);
    pos_ += length;
  }
  void Fail() { failed_ = true; }
  bool IsSlash(char32_t c) const { return c == u'/' || (url_.special_ && c == u'\\'); }
  // Where the authority, the host or the port ends.
  bool EndsHost(char32_t c) const { return c == kEof || IsSlash(c) || c == u'?' || c == u'#'; }
  void Encode(std::u16string& out, char32_t c, const EncodeSet& set) const {
    AppendEncoded(out, c, set, form_);
  }

  void SetScheme(View scheme) {
    url_.scheme_ = scheme;
    url_.special_ = FindSpecial(scheme) != nullptr;
  }
  void TakeAuthorityOfBase() {
    url_.username_ = base_->username_;
    url_.password_ = base_->password_;
    url_.hasHost_ = base_->hasHost_;
    url_.host_ = base_->host_;
    url_.port_ = base_->port_;
  }
  // The base's path, whole, for a reference that keeps it.
  void TakePathOfBase() {
    url_.path_ = base_->path_;
    url_.opaquePath_ = base_->opaquePath_;
  }
  // A reference that ends, or goes on to its query or fragment, where `c` stands: the base's
  // path and query stay, the reference replacing the query or adding the fragment.
  void KeepPathOfBase(char32_t c) {
    TakePathOfBase();
    url_.query_ = base_->query_;
    if (c == u'?') {
      url_.query_.emplace();
      state_ = State::Query;
    } else if (c == u'#') {
      url_.fragment_.emplace();
      state_ = State::Fragment;
    } else {
      state_ = State::Done;
    }
    ++pos_;
  }
  // The base's path without its last segment, for a reference that continues from its
  // directory. Taken lazily: only the part the reference's ".." segments leave is copied, at
  // the end.
  void ContinueFromDirectoryOfBase() {
    prefixBase_ = base_;
    Shorten();
  }
  std::size_t PrefixEnd() const { return prefixBase_ ? prefixBase_->DirectoryEnd(climbs_) : 0; }
  bool PathEmpty() const { return url_.path_.empty() && PrefixEnd() == 0; }

  // The last segment of the path taken off, except a "file:" URL's drive letter alone.
  void Shorten() {
    std::u16string& path = url_.path_;
    if (path.empty()) {
      if (prefixBase_ && prefixBase_->DirectoryEnd(climbs_ + 1) != PrefixEnd()) ++climbs_;
      return;
    }
    const std::size_t last = path.rfind(u'/');
    if (url_.scheme_ == u"file" && last == 0 && PrefixEnd() == 0 &&
        IsNormalizedDriveLetter(View(path).substr(1))) {
      return;
    }
    path.resize(last);
  }

  void SchemeStart() {
    const char32_t c = Current();
    if (IsAsciiAlpha(c)) {
      url_.scheme_.push_back(AsciiLower(static_cast<char16_t>(c)));
      Advance();
      state_ = State::Scheme;
    } else {
      state_ = State::NoScheme;
    }
  }

  void Scheme() {
    std::u16string& scheme = url_.scheme_;
    char32_t c = Current();
    while (IsAsciiAlpha(c) || IsAsciiDigit(c) || c == u'+' || c == u'-' || c == u'.') {
      scheme.push_back(AsciiLower(static_cast<char16_t>(c)));
      ++pos_;
      c = Current();
    }
    if (c != u':') {
      scheme.clear();
      pos_ = 0;
      state_ = State::NoScheme;
      return;
    }
    ++pos_;
    url_.special_ = FindSpecial(scheme) != nullptr;
    if (scheme == u"file") {
      state_ = State::File;
    } else if (url_.special_ && base_ && base_->scheme_ == scheme) {
      state_ = State::SpecialRelativeOrAuthority;
    } else if (url_.special_) {
      state_ = State::SpecialAuthoritySlashes;
    } else if (Current() == u'/') {
      ++pos_;
      state_ = State::PathOrAuthority;
    } else {
      url_.opaquePath_ = true;
      state_ = State::OpaquePath;
    }
  }

  void NoScheme() {
    const char32_t c = Current();
    if (!base_) {
      error_ = UrlError::NoBase;
      return Fail();
    }
    if (base_->opaquePath_ && c != u'#') return Fail();
    if (base_->opaquePath_) {
      SetScheme(base_->scheme_);
      TakePathOfBase();
      url_.query_ = base_->query_;
      url_.fragment_.emplace();
      ++pos_;
      state_ = State::Fragment;
    } else {
      state_ = base_->scheme_ == u"file" ? State::File : State::Relative;
    }
  }

  void SpecialRelativeOrAuthority() {
    if (Current() == u'/' && Next() == u'/') {
      pos_ += 2;
      state_ = State::SpecialAuthorityIgnoreSlashes;
    } else {
      state_ = State::Relative;
    }
  }

  void PathOrAuthority() {
    if (Current() == u'/') {
      ++pos_;
      state_ = State::Authority;
    } else {
      state_ = State::Path;
    }
  }

  void Relative() {
    SetScheme(base_->scheme_);
    const char32_t c = Current();
    if (IsSlash(c)) {
      ++pos_;
      state_ = State::RelativeSlash;
      return;
    }
    TakeAuthorityOfBase();
    if (c == u'?' || c == u'#' || c == kEof) {
      KeepPathOfBase(c);
      return;
    }
    ContinueFromDirectoryOfBase();
    state_ = State::Path;
  }

  void RelativeSlash() {
    const char32_t c = Current();
    if (url_.special_ && IsSlash(c)) {
      ++pos_;
      state_ = State::SpecialAuthorityIgnoreSlashes;
    } else if (c == u'/') {
      ++pos_;
      state_ = State::Authority;
    } else {
      TakeAuthorityOfBase();
      state_ = State::Path;
    }
  }

  void SpecialAuthoritySlashes() {
    if (Current() == u'/' && Next() == u'/') pos_ += 2;
    state_ = State::SpecialAuthorityIgnoreSlashes;
  }

  void SpecialAuthorityIgnoreSlashes() {
    while (Current() == u'/' || Current() == u'\\') ++pos_;
    state_ = State::Authority;
  }

  // The user information runs to the last "@" before the host ends; its first ":" starts the
  // password, and the other "@" and ":" are encoded.
  void Authority() {
    std::size_t end = pos_;
    while (!EndsHost(end < in_.size() ? in_[end] : kEof)) ++end;
    const std::size_t at = View(in_.data(), end).rfind(u'@');
    if (at != View::npos && at >= pos_) {
      if (at + 1 == end) return Fail();
      std::u16string* part = &url_.username_;
      std::size_t length = 0;
      for (std::size_t i = pos_; i < at; i += length) {
        const char32_t c = CodePointAt(in_, i, length);
        if (c == u':' && part == &url_.username_) {
          part = &url_.password_;
        } else {
          Encode(*part, c, kUserinfoSet);
        }
      }
      pos_ = at + 1;
    }
    state_ = State::Host;
  }

  void Host() {
    std::size_t end = pos_;
    bool insideBrackets = false;
    for (;; ++end) {
      const char32_t c = end < in_.size() ? in_[end] : kEof;
      if ((c == u':' && !insideBrackets) || EndsHost(c)) break;
      if (c == u'[') insideBrackets = true;
      if (c == u']') insideBrackets = false;
    }
    const View text = in_.substr(pos_, end - pos_);
    const bool port = end < in_.size() && in_[end] == u':';
    if (text.empty() && (port || url_.special_)) return Fail();
    auto host = ParseHost(text, url_.special_, form_, error_);
    if (!host) return Fail();
    url_.hasHost_ = true;
    url_.host_ = std::move(*host);
    pos_ = port ? end + 1 : end;
    state_ = port ? State::Port : State::PathStart;
  }

  void Port() {
    std::uint32_t value = 0;
    const std::size_t from = pos_;
    while (IsAsciiDigit(Current())) {
      value = std::min<std::uint32_t>(value * 10 + (Current() - u'0'), 65536);
      ++pos_;
    }
    if (!EndsHost(Current()) || value > 65535) return Fail();
    const SpecialScheme* scheme = FindSpecial(url_.scheme_);
    if (pos_ > from && !(scheme && value == scheme->defaultPort)) {
      url_.port_ = static_cast<std::uint16_t>(value);
    }
    state_ = State::PathStart;
  }

  void File() {
    SetScheme(u"file");
    url_.hasHost_ = true;
    url_.host_.clear();
    const char32_t c = Current();
    if (c == u'/' || c == u'\\') {
      ++pos_;
      state_ = State::FileSlash;
      return;
    }
    state_ = State::Path;
    if (!base_ || base_->scheme_ != u"file") return;
    url_.host_ = base_->host_;
    if (c == u'?' || c == u'#' || c == kEof) {
      KeepPathOfBase(c);
    } else if (!StartsWithDriveLetter(in_.substr(pos_))) {
      ContinueFromDirectoryOfBase();
    }
  }

  void FileSlash() {
    const char32_t c = Current();
    if (c == u'/' || c == u'\\') {
      ++pos_;
      state_ = State::FileHost;
      return;
    }
    state_ = State::Path;
    if (!base_ || base_->scheme_ != u"file") return;
    url_.host_ = base_->host_;
    const View basePath = base_->path_;
    if (!StartsWithDriveLetter(in_.substr(pos_)) && basePath.size() >= 3 &&
        IsNormalizedDriveLetter(basePath.substr(1, 2)) &&
        (basePath.size() == 3 || basePath[3] == u'/')) {
      url_.path_ = basePath.substr(0, 3);
    }
  }

  void FileHost() {
    std::size_t end = pos_;
    while (end < in_.size() && View(u"/\\?#").find(in_[end]) == View::npos) ++end;
    const View text = in_.substr(pos_, end - pos_);
    if (IsWindowsDriveLetter(text)) {
      // "file://C:/" names no host: the drive letter is the path's first segment.
      segmentStart_ = 0;
      url_.path_ = u"/";
      url_.path_ += text;
      segmentOpen_ = true;
      pos_ = end;
      state_ = State::Path;
      return;
    }
    if (!text.empty()) {
      auto host = ParseHost(text, true, form_, error_);
      if (!host) return Fail();
      if (*host != u"localhost") url_.host_ = std::move(*host);
    }
    pos_ = end;
    state_ = State::PathStart;
  }

  void PathStart() {
    const char32_t c = Current();
    if (url_.special_) {
      if (IsSlash(c)) ++pos_;
      state_ = State::Path;
    } else if (c == u'?') {
      ++pos_;
      url_.query_.emplace();
      state_ = State::Query;
    } else if (c == u'#') {
      ++pos_;
      url_.fragment_.emplace();
      state_ = State::Fragment;
    } else if (c != kEof) {
      if (c == u'/') ++pos_;
      state_ = State::Path;
    } else {
      state_ = State::Done;
    }
  }

  // One segment, written into the path as it is read: "." and ".." take it out again.
  void Path() {
    std::u16string& path = url_.path_;
    if (!segmentOpen_) {
      segmentStart_ = path.size();
      path.push_back(u'/');
    }
    segmentOpen_ = false;
    std::size_t length = 0;
    char32_t c = CodePointAt(in_, pos_, length);
    while (c != kEof && !IsSlash(c) && c != u'?' && c != u'#') {
      Encode(path, c, kPathSet);
      pos_ += length;
      c = CodePointAt(in_, pos_, length);
    }
    const View segment = View(path).substr(segmentStart_ + 1);
    const bool slash = IsSlash(c);
    if (IsDoubleDot(segment)) {
      path.resize(segmentStart_);
      Shorten();
      if (!slash) path.push_back(u'/');
    } else if (IsSingleDot(segment)) {
      path.resize(segmentStart_);
      if (!slash) path.push_back(u'/');
    } else if (url_.scheme_ == u"file" && segmentStart_ == 0 && PrefixEnd() == 0 &&
               IsWindowsDriveLetter(segment)) {
      path[2] = u':';
    }
    ++pos_;
    if (c == kEof) {
      state_ = State::Done;
    } else if (c == u'?') {
      url_.query_.emplace();
      state_ = State::Query;
    } else if (c == u'#') {
      url_.fragment_.emplace();
      state_ = State::Fragment;
    }
  }

  void OpaquePath() {
    std::u16string& path = url_.path_;
    std::size_t length = 0;
    for (char32_t c = CodePointAt(in_, pos_, length);; c = CodePointAt(in_, pos_, length)) {
      pos_ += length;
      if (c == kEof) {
        state_ = State::Done;
        return;
      }
      if (c == u'?') {
        url_.query_.emplace();
        state_ = State::Query;
        return;
      }
      if (c == u'#') {
        url_.fragment_.emplace();
        state_ = State::Fragment;
        return;
      }
      // A space before the query or the fragment is encoded, so that it is not cut as trailing.
      const char32_t next = Current();
      if (c == u' ' && (next == u'?' || next == u'#')) {
        AppendHexByte(path, c);
      } else {
        Encode(path, c, kC0ControlSet);
      }
    }
  }

  void Query() {
    std::u16string& query = *url_.query_;
    const EncodeSet& set = url_.special_ ? kSpecialQuerySet : kQuerySet;
    std::size_t length = 0;
    for (char32_t c = CodePointAt(in_, pos_, length); c != kEof && c != u'#';
         c = CodePointAt(in_, pos_, length)) {
      Encode(query, c, set);
      pos_ += length;
    }
    if (pos_ < in_.size()) {
      ++pos_;
      url_.fragment_.emplace();
      state_ = State::Fragment;
    } else {
      state_ = State::Done;
    }
  }

  void Fragment() {
    std::u16string& fragment = *url_.fragment_;
    std::size_t length = 0;
    for (char32_t c = CodePointAt(in_, pos_, length); c != kEof;
         c = CodePointAt(in_, pos_, length)) {
      Encode(fragment, c, kFragmentSet);
      pos_ += length;
    }
    state_ = State::Done;
  }

  // Plain functions rather than pointers to members: GCC's bounds check misreads an index into
  // an array of pointers to members. Defined after the class, which the functions need whole.
  using Handler = void (*)(UrlParser&);
  static const Handler kStates[];

  std::u16string owned_;  // the input without TAB, CR and LF, when it held any
  View in_;
  const Url* base_;
  UrlForm form_;
  Url url_;
  State state_ = State::SchemeStart;
  std::size_t pos_ = 0;
  bool failed_ = false;
  UrlError error_ = UrlError::NotAUrl;
  // The segment being read starts at path_[segmentStart_] (its "/"); open: already begun.
  std::size_t segmentStart_ = 0;
  bool segmentOpen_ = false;
  // The path continues the directory of prefixBase_'s path climbed climbs_ levels.
  const Url* prefixBase_ = nullptr;
  std::size_t climbs_ = 0;
};

const UrlParser::Handler UrlParser::kStates[] = {
    [](UrlParser& p) { p.SchemeStart(); },
    [](UrlParser& p) { p.Scheme(); },
    [](UrlParser& p) { p.NoScheme(); },
    [](UrlParser& p) { p.SpecialRelativeOrAuthority(); },
    [](UrlParser& p) { p.PathOrAuthority(); },
    [](UrlParser& p) { p.Relative(); },
    [](UrlParser& p) { p.RelativeSlash(); },
    [](UrlParser& p) { p.SpecialAuthoritySlashes(); },
    [](UrlParser& p) { p.SpecialAuthorityIgnoreSlashes(); },
    [](UrlParser& p) { p.Authority(); },
    [](UrlParser& p) { p.Host(); },
    [](UrlParser& p) { p.Port(); },
    [](UrlParser& p) { p.File(); },
    [](UrlParser& p) { p.FileSlash(); },
    [](UrlParser& p) { p.FileHost(); },
    [](UrlParser& p) { p.PathStart(); },
    [](UrlParser& p) { p.Path(); },
    [](UrlParser& p) { p.OpaquePath(); },
    [](UrlParser& p) { p.Query(); },
    [](UrlParser& p) { p.Fragment(); },
};

std::optional<Url> UrlParser::Run(UrlError* error) {
  static_assert(std::size(kStates) == static_cast<std::size_t>(State::Done));
  while (state_ != State::Done) {
    kStates[static_cast<int>(state_)](*this);
    if (failed_) {
      if (error) *error = error_;
      return std::nullopt;
    }
  }
  if (prefixBase_) {
    url_.path_.insert(0, prefixBase_->path_, 0, prefixBase_->DirectoryEnd(climbs_));
  }
  return std::move(url_);
}

std::size_t Url::DirectoryEnd(std::size_t levels) const {
  const std::size_t floor = scheme_ == u"file" && path_.size() >= 3 &&
                                    IsNormalizedDriveLetter(View(path_).substr(1, 2)) &&
                                    (path_.size() == 3 || path_[3] == u'/')
                                ? 3
                                : 0;
  while (directoryEnds_.size() < levels) {
    const std::size_t from = directoryEnds_.empty() ? path_.size() : directoryEnds_.back();
    if (from <= floor) {
      directoryEnds_.push_back(from);
      continue;
    }
    directoryEnds_.push_back(std::max(View(path_).substr(0, from).rfind(u'/'), floor));
  }
  return levels == 0 ? path_.size() : directoryEnds_[levels - 1];
}

std::u16string Url::HostName() const {
  if (host_.starts_with(u'[')) return host_.substr(1, host_.size() - 2);
  return host_;
}

std::uint16_t Url::EffectivePort() const {
  if (port_) return *port_;
  const SpecialScheme* scheme = FindSpecial(scheme_);
  return scheme ? scheme->defaultPort : 0;
}

std::u16string Url::Href(bool withFragment) const {
  std::u16string out;
  out.reserve(scheme_.size() + username_.size() + password_.size() + host_.size() + path_.size() +
              (query_ ? query_->size() : 0) + (withFragment && fragment_ ? fragment_->size() : 0) +
              16);
  out += scheme_;
  out.push_back(u':');
  if (hasHost_) {
    out += u"//";
    if (!username_.empty() || !password_.empty()) {
      out += username_;
      if (!password_.empty()) {
        out.push_back(u':');
        out += password_;
      }
      out.push_back(u'@');
    }
    out += host_;
    if (port_) {
      out.push_back(u':');
      out += DecimalText(*port_);
    }
  } else if (!opaquePath_ && path_.starts_with(u"//")) {
    // Without a host, a path starting "//" would read as one.
    out += u"/.";
  }
  out += Target();
  if (withFragment && fragment_) {
    out.push_back(u'#');
    out += *fragment_;
  }
  return out;
}

std::u16string Url::Target() const {
  std::u16string out = path_;
  if (query_) {
    out.push_back(u'?');
    out += *query_;
  }
  return out;
}

std::u16string Url::Origin() const {
  if (!special_ || scheme_ == u"file") return {};
  std::u16string out = scheme_ + u"://" + host_;
  if (port_) {
    out.push_back(u':');
    out += DecimalText(*port_);
  }
  return out;
}

std::u16string Url::WithoutCredentials() const {
  Url copy = *this;
  copy.ClearCredentials();
  return copy.Href(false);
}

std::optional<Url> ParseUrl(std::u16string_view input, const Url* base, UrlForm form,
                            UrlError* error) {
  return UrlParser(input, base, form).Run(error);
}

std::optional<Url> ParseUrlBytes(std::string_view bytes, const Url* base, UrlError* error) {
  std::u16string text;
  text.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const Utf8Step step = DecodeUtf8At(bytes, i);
    if (step.len == 0) {
      AppendHexByte(text, static_cast<unsigned char>(bytes[i]));
      ++i;
    } else {
      AppendUtf16(text, step.cp);
      i += step.len;
    }
  }
  return ParseUrl(text, base, UrlForm::Wire, error);
}

}  // namespace cardo
