#include "app/text/page_encoding.h"

#include <algorithm>
#include <cctype>
#include <utility>

#include "app/platform/lower_case.h"
#include "app/platform/text.h"

namespace cardo {
namespace {

// The labels a browser gives the encodings this program reads.
constexpr struct {
  std::string_view label;
  PageEncoding encoding;
} kLabels[] = {
    {"utf-8", PageEncoding::Utf8},
    {"utf8", PageEncoding::Utf8},
    {"unicode-1-1-utf-8", PageEncoding::Utf8},
    {"unicode11utf8", PageEncoding::Utf8},
    {"unicode20utf8", PageEncoding::Utf8},
    {"x-unicode20utf8", PageEncoding::Utf8},
    {"shift_jis", PageEncoding::CodePage932},
    {"shift-jis", PageEncoding::CodePage932},
    {"sjis", PageEncoding::CodePage932},
    {"windows-31j", PageEncoding::CodePage932},
    {"x-sjis", PageEncoding::CodePage932},
    {"ms_kanji", PageEncoding::CodePage932},
    {"ms932", PageEncoding::CodePage932},
    {"cp932", PageEncoding::CodePage932},
    {"csshiftjis", PageEncoding::CodePage932},
    {"euc-jp", PageEncoding::EucJp},
    {"x-euc-jp", PageEncoding::EucJp},
    {"cseucpkdfmtjapanese", PageEncoding::EucJp},
    {"iso-2022-jp", PageEncoding::Iso2022Jp},
    {"csiso2022jp", PageEncoding::Iso2022Jp},
    {"utf-16", PageEncoding::Utf16Le},
    {"utf-16le", PageEncoding::Utf16Le},
    {"unicode", PageEncoding::Utf16Le},
    {"ucs-2", PageEncoding::Utf16Le},
    {"csunicode", PageEncoding::Utf16Le},
    {"iso-10646-ucs-2", PageEncoding::Utf16Le},
    {"unicodefeff", PageEncoding::Utf16Le},
    {"utf-16be", PageEncoding::Utf16Be},
    {"unicodefffe", PageEncoding::Utf16Be},
    {"windows-1252", PageEncoding::Windows1252},
    {"cp1252", PageEncoding::Windows1252},
    {"x-cp1252", PageEncoding::Windows1252},
    {"iso-8859-1", PageEncoding::Windows1252},
    {"iso8859-1", PageEncoding::Windows1252},
    {"iso88591", PageEncoding::Windows1252},
    {"iso_8859-1", PageEncoding::Windows1252},
    {"iso_8859-1:1987", PageEncoding::Windows1252},
    {"iso-ir-100", PageEncoding::Windows1252},
    {"latin1", PageEncoding::Windows1252},
    {"l1", PageEncoding::Windows1252},
    {"csisolatin1", PageEncoding::Windows1252},
    {"ibm819", PageEncoding::Windows1252},
    {"cp819", PageEncoding::Windows1252},
    {"us-ascii", PageEncoding::Windows1252},
    {"ascii", PageEncoding::Windows1252},
    {"ansi_x3.4-1968", PageEncoding::Windows1252},
};

// Byte order marks, the longest first where one starts another.
constexpr struct {
  std::string_view mark;
  PageEncoding encoding;
} kMarks[] = {
    {"\xEF\xBB\xBF", PageEncoding::Utf8},
    {"\xFF\xFE", PageEncoding::Utf16Le},
    {"\xFE\xFF", PageEncoding::Utf16Be},
};

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

// The encoding named after "charset=" in `lower`, when one names a known encoding.
std::optional<PageEncoding> CharsetIn(std::string_view lower) {
  for (std::size_t at = lower.find("charset"); at != std::string_view::npos;
       at = lower.find("charset", at + 1)) {
    std::size_t i = at + 7;
    while (i < lower.size() && IsBlank(lower[i])) ++i;
    if (i >= lower.size() || lower[i] != '=') continue;
    ++i;
    while (i < lower.size() && (IsBlank(lower[i]) || lower[i] == '"' || lower[i] == '\'')) ++i;
    std::size_t end = i;
    while (end < lower.size() &&
           (std::isalnum(static_cast<unsigned char>(lower[end])) || lower[end] == '-' ||
            lower[end] == '_' || lower[end] == ':' || lower[end] == '.')) {
      ++end;
    }
    if (end > i) {
      if (const auto named = EncodingNamed(lower.substr(i, end - i))) return named;
    }
  }
  return std::nullopt;
}

std::optional<PageEncoding> MarkedEncoding(std::string_view head) {
  for (const auto& m : kMarks) {
    if (head.starts_with(m.mark)) return m.encoding;
  }
  return std::nullopt;
}

// The first <meta> outside a comment that names a known charset.
std::optional<PageEncoding> MetaEncoding(std::string_view head) {
  const std::string lower = AsciiLower(head);
  for (std::size_t at = lower.find('<'); at != std::string::npos; at = lower.find('<', at + 1)) {
    if (lower.compare(at, 4, "<!--") == 0) {
      at = lower.find("-->", at + 4);
      if (at == std::string::npos) return std::nullopt;
      continue;
    }
    if (lower.compare(at, 5, "<meta") != 0 ||
        (at + 5 < lower.size() && !IsBlank(lower[at + 5]) && lower[at + 5] != '/')) {
      continue;
    }
    const std::size_t end = lower.find('>', at);
    const auto named =
        CharsetIn(std::string_view(lower).substr(at, end == std::string::npos ? end : end - at));
    if (!named) continue;
    return *named == PageEncoding::Utf16Le || *named == PageEncoding::Utf16Be ? PageEncoding::Utf8
                                                                              : *named;
  }
  return std::nullopt;
}

// How the bytes beyond ASCII of a sample read in one encoding: whether every one stands in a
// character, and how many characters take two bytes and how many one (half-width katakana).
struct JapaneseReading {
  bool valid = true;
  std::size_t doubles = 0;
  std::size_t singles = 0;
};

bool IsEucByte(unsigned char b) {
  return b >= 0xA1 && b <= 0xFE;
}

JapaneseReading ReadAsEucJp(std::string_view sample, bool cutOff) {
  JapaneseReading r;
  const auto* b = reinterpret_cast<const unsigned char*>(sample.data());
  const std::size_t n = sample.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (b[i] < 0x80) continue;
    // A three-byte JIS X 0212 character, a half-width katakana, or a JIS X 0208 pair.
    const std::size_t length = b[i] == 0x8F ? 3 : 2;
    if (i + length > n) {
      r.valid = r.valid && cutOff;
      break;
    }
    const bool pair = b[i] == 0x8E ? b[i + 1] >= 0xA1 && b[i + 1] <= 0xDF
                                   : (b[i] == 0x8F || IsEucByte(b[i])) && IsEucByte(b[i + 1]) &&
                                         (length == 2 || IsEucByte(b[i + 2]));
    if (!pair) {
      r.valid = false;
      break;
    }
    ++(b[i] == 0x8E ? r.singles : r.doubles);
    i += length - 1;
  }
  return r;
}

JapaneseReading ReadAsShiftJis(std::string_view sample, bool cutOff) {
  JapaneseReading r;
  const auto* b = reinterpret_cast<const unsigned char*>(sample.data());
  const std::size_t n = sample.size();
  for (std::size_t i = 0; i < n; ++i) {
    if (b[i] < 0x80) continue;
    if (b[i] >= 0xA1 && b[i] <= 0xDF) {
      ++r.singles;
      continue;
    }
    const bool lead = (b[i] >= 0x81 && b[i] <= 0x9F) || (b[i] >= 0xE0 && b[i] <= 0xFC);
    if (lead && i + 1 == n) {
      r.valid = r.valid && cutOff;
      break;
    }
    if (!lead || b[i + 1] < 0x40 || b[i + 1] == 0x7F || b[i + 1] > 0xFC) {
      r.valid = false;
      break;
    }
    ++r.doubles;
    ++i;
  }
  return r;
}

// Whether an undeclared sample that is no UTF-8 reads as EUC-JP rather than code page 932, as
// a browser's Japanese detection judges: EUC-JP when only it reads the sample, or when both
// do and code page 932 would read it mostly as half-width katakana (EUC-JP's kana and kanji
// bytes, 0xA1 to 0xFE, are half-width katakana in pairs to code page 932).
bool LooksLikeEucJp(std::string_view sample, bool cutOff) {
  const JapaneseReading euc = ReadAsEucJp(sample, cutOff);
  if (!euc.valid || euc.doubles == 0) return false;
  const JapaneseReading sjis = ReadAsShiftJis(sample, cutOff);
  return !sjis.valid || sjis.singles > sjis.doubles;
}

// The encoding an XML declaration at the very start names (<?xml version="1.0"
// encoding="EUC-JP"?>), as an XML page declares its own.
std::optional<PageEncoding> XmlDeclaredEncoding(std::string_view head) {
  if (!head.starts_with("<?xml") || head.size() < 6 || !IsBlank(head[5])) return std::nullopt;
  const std::string lower = AsciiLower(head.substr(0, head.find("?>")));
  const std::size_t at = lower.find("encoding");
  if (at == std::string::npos) return std::nullopt;
  std::size_t i = at + 8;
  while (i < lower.size() && IsBlank(lower[i])) ++i;
  if (i >= lower.size() || lower[i] != '=') return std::nullopt;
  ++i;
  while (i < lower.size() && IsBlank(lower[i])) ++i;
  if (i >= lower.size() || (lower[i] != '"' && lower[i] != '\'')) return std::nullopt;
  const std::size_t close = lower.find(lower[i], i + 1);
  if (close == std::string::npos) return std::nullopt;
  const auto named = EncodingNamed(std::string_view(lower).substr(i + 1, close - i - 1));
  if (named == PageEncoding::Utf16Le || named == PageEncoding::Utf16Be) return PageEncoding::Utf8;
  return named;
}

// Whether a Content-Type names an XML page ("application/xhtml+xml", "text/xml"): its
// declaration, not a <meta>, names its encoding.
bool IsXmlType(std::string_view contentType) {
  const std::string type = AsciiLower(contentType.substr(0, contentType.find(';')));
  return type.find("xml") != std::string::npos;
}

// A page that declares nothing: ASCII reads the same in every encoding it may be in, so it goes
// across as it comes until the first byte beyond it (or an escape); from there up to
// kSniffBytes wait for the decision.
class SniffingDecoder final : public BlockConverter {
 public:
  void Convert(std::string_view block, bool final, std::string& out) override {
    if (decoder_) {
      decoder_->Convert(block, final, out);
      return;
    }
    if (waiting_.empty()) {
      // ISO-2022-JP's escapes are ASCII bytes: the first escape waits for the decision too.
      const auto beyond = std::find_if(block.begin(), block.end(),
                                       [](char c) { return (c & 0x80) != 0 || c == '\x1B'; });
      const auto ascii = static_cast<std::size_t>(beyond - block.begin());
      out.append(block.substr(0, ascii));
      block.remove_prefix(ascii);
    }
    waiting_.append(block);
    if (!final && (waiting_.empty() || waiting_.size() < kSniffBytes)) return;
    decoder_ = MakePageDecoder(SniffedEncoding(waiting_, !final), false);
    const std::string waited = std::move(waiting_);
    waiting_.clear();
    Convert(waited, final, out);
  }

 private:
  std::unique_ptr<BlockConverter> decoder_;  // once decided
  std::string waiting_;                      // from the first byte beyond ASCII
};

// Whether `head` may yet be the start of a byte order mark.
bool MayBeMark(std::string_view head) {
  return std::any_of(std::begin(kMarks), std::end(kMarks), [&](const auto& m) {
    return head.size() < m.mark.size() && m.mark.starts_with(head);
  });
}

// The decision DecideEncoding makes, from the same first kEncodingHeadBytes, without waiting for
// them while they are ASCII: what comes before the first byte beyond ASCII (or ESC, which
// ISO-2022-JP gives a meaning) reads the same in every encoding the page may declare, and
// UTF-16 is chosen only by a mark or the user (a <meta> naming it means UTF-8). A rule that
// needs no <meta> decides once a mark is ruled in or out.
class DecidingDecoder final : public BlockConverter {
 public:
  explicit DecidingDecoder(const EncodingRule& rule)
      : forced_(rule.forced), contentType_(rule.contentType) {
    known_ = forced_ || DetectPageEncoding(contentType_, {});
  }
  void Convert(std::string_view block, bool final, std::string& out) override {
    if (decoder_) {
      decoder_->Convert(block, final, out);
      return;
    }
    head_.append(block.substr(0, kEncodingHeadBytes - std::min(kEncodingHeadBytes, head_.size())));
    waiting_.append(block);
    const bool marked = MarkedEncoding(head_).has_value();
    if (!final && !marked && (known_ ? MayBeMark(head_) : head_.size() < kEncodingHeadBytes)) {
      if (!known_) PassAscii(out);
      return;
    }
    const EncodingRule rule{forced_, contentType_};
    const std::optional<PageEncoding> decided = DecideEncoding(rule, head_);
    if (decided) {
      decoder_ = MakePageDecoder(*decided, passed_ == 0);
    } else {
      decoder_ = std::make_unique<SniffingDecoder>();
    }
    const std::string waited = std::move(waiting_);
    waiting_.clear();
    decoder_->Convert(waited, final, out);
  }

 private:
  void PassAscii(std::string& out) {
    const auto beyond = std::find_if(waiting_.begin(), waiting_.end(),
                                     [](char c) { return (c & 0x80) != 0 || c == '\x1B'; });
    const auto ascii = static_cast<std::size_t>(beyond - waiting_.begin());
    out.append(waiting_, 0, ascii);
    waiting_.erase(0, ascii);
    passed_ += ascii;
  }

  std::optional<PageEncoding> forced_;
  std::string contentType_;
  bool known_ = false;   // the user or the server named the encoding: no <meta> is looked for
  std::string head_;     // the first kEncodingHeadBytes
  std::string waiting_;  // read and not yet handed on
  std::size_t passed_ = 0;
  std::unique_ptr<BlockConverter> decoder_;  // once decided
};

}  // namespace

std::optional<PageEncoding> EncodingNamed(std::string_view label) {
  while (!label.empty() && IsBlank(label.front())) label.remove_prefix(1);
  while (!label.empty() && IsBlank(label.back())) label.remove_suffix(1);
  const std::string lower = AsciiLower(label);
  for (const auto& l : kLabels) {
    if (l.label == lower) return l.encoding;
  }
  return std::nullopt;
}

std::optional<PageEncoding> DetectPageEncoding(std::string_view contentType,
                                               std::string_view head) {
  head = head.substr(0, kEncodingHeadBytes);
  if (const auto marked = MarkedEncoding(head)) return marked;
  if (const auto declared = CharsetIn(AsciiLower(contentType))) return declared;
  // An HTML page's XML declaration names nothing, as a browser reads it (a page converted to
  // another charset often keeps it); an XML page's names its encoding.
  if (IsXmlType(contentType)) {
    if (const auto declared = XmlDeclaredEncoding(head)) return declared;
  }
  return MetaEncoding(head);
}

PageEncoding SniffedEncoding(std::string_view sample, bool cutOff) {
  const bool eightBit =
      std::any_of(sample.begin(), sample.end(), [](char c) { return (c & 0x80) != 0; });
  // ISO-2022-JP is seven-bit and shows itself by the escapes that switch to JIS X 0208.
  if (!eightBit && (sample.find("\x1B$B") != std::string_view::npos ||
                    sample.find("\x1B$@") != std::string_view::npos)) {
    return PageEncoding::Iso2022Jp;
  }
  const Utf8Shape shape = ScanUtf8(sample, cutOff);
  if (shape.valid && shape.multibyte) return PageEncoding::Utf8;
  return LooksLikeEucJp(sample, cutOff) ? PageEncoding::EucJp : PageEncoding::CodePage932;
}

std::optional<PageEncoding> DecideEncoding(const EncodingRule& rule, std::string_view head) {
  // A mark beats even the user's choice: bytes that start with one are plainly that encoding,
  // and UTF-16 read as any other gives no URL at all.
  if (const auto marked = MarkedEncoding(head)) return marked;
  if (rule.forced) return rule.forced;
  return DetectPageEncoding(rule.contentType, head);
}

std::unique_ptr<LineSource> OpenLineSource(std::FILE* file, const EncodingRule& rule) {
  return std::make_unique<FileLineSource>(file, std::string_view(),
                                          std::make_unique<DecidingDecoder>(rule));
}

std::unique_ptr<LineSource> OpenLineSource(std::FILE* file, std::string_view head,
                                           std::optional<PageEncoding> encoding) {
  if (!encoding)
    return std::make_unique<FileLineSource>(file, head, std::make_unique<SniffingDecoder>());
  return std::make_unique<FileLineSource>(file, head, MakePageDecoder(*encoding, true));
}

}  // namespace cardo
