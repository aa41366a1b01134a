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

// A page that declares nothing: ASCII reads the same in either encoding, so it goes across as
// it comes until the first byte beyond it; from there up to kSniffBytes wait for the decision.
class SniffingDecoder final : public BlockConverter {
 public:
  void Convert(std::string_view block, bool final, std::string& out) override {
    if (decoder_) {
      decoder_->Convert(block, final, out);
      return;
    }
    if (waiting_.empty()) {
      const auto beyond =
          std::find_if(block.begin(), block.end(), [](char c) { return (c & 0x80) != 0; });
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
  return MetaEncoding(head);
}

PageEncoding SniffedEncoding(std::string_view sample, bool cutOff) {
  const Utf8Shape shape = ScanUtf8(sample, cutOff);
  return shape.valid && shape.multibyte ? PageEncoding::Utf8 : PageEncoding::CodePage932;
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
