#pragma once
// A page read as a browser reads it, as far as links need: the HTML standard's tokenizer over
// UTF-8 (every byte that shapes markup is ASCII, and in UTF-8 an ASCII byte is a character). Start
// tags come with their attributes, quoted or not; text outside tags comes as it stands. The
// content of <script>, <style>, <xmp>, <iframe>, <noembed> and <noframes> is raw text, never
// markup and never text (a style sheet's is handed over apart); that of <title> and <textarea>
// is text without markup. Comments, doctypes and end tags give nothing. Character references
// are left for the handler to read.
//
// The page comes in pieces of any size (a block of lines at a time); a tag may span pieces. A tag
// read within one piece is handed over as views of that piece, nothing copied; only a tag that
// spans pieces is held, from its name on, until it ends.
// A tag longer than kMaxTagBytes that spans pieces is handed over without its attributes
// (OverlongTags counts them). Cost: time linear in the page; memory the tag being read (its
// bytes, at most kMaxTagBytes).
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cardo {

// Views that hold until StartTag returns.
struct HtmlAttribute {
  std::string_view name;   // lower case
  std::string_view value;  // as written, references unread
};

class HtmlTokenHandler {
 public:
  virtual ~HtmlTokenHandler() = default;
  // A start tag, its name in lower case, its attributes in the order written (a name written
  // twice appears twice: the first one counts).
  virtual void StartTag(std::string_view name, std::span<const HtmlAttribute> attributes) = 0;
  // Text outside tags, a stretch at a time; never spans a "<" or the end of a piece.
  virtual void Text(std::string_view bytes) = 0;
  // The content of a <style> element, a stretch at a time; never spans a "<" or the end of a
  // piece, and a "<" itself is left out.
  virtual void StyleText(std::string_view) {}
};

inline constexpr std::size_t kMaxTagBytes = std::size_t{2} << 20;

class HtmlTokenizer {
 public:
  explicit HtmlTokenizer(HtmlTokenHandler& handler) : handler_(handler) {}
  void Feed(std::string_view bytes);
  // The tags handed over without their attributes for their length.
  std::uint64_t OverlongTags() const { return overlongTags_; }

 private:
  // From TagName to SelfClosingStartTag the states read a tag (InTag relies on the order).
  enum class State {
    Data,
    TagOpen,
    EndTagOpen,
    TagName,
    BeforeAttributeName,
    AttributeName,
    AfterAttributeName,
    BeforeAttributeValue,
    AttributeValueDoubleQuoted,
    AttributeValueSingleQuoted,
    AttributeValueUnquoted,
    AfterAttributeValueQuoted,
    SelfClosingStartTag,
    MarkupDeclarationOpen,
    MarkupDeclarationDash,
    Comment,
    BogusComment,
    RawText,
    RawTextLessThan,
    RawTextEndTagName,
  };
  static constexpr std::size_t kStateCount = static_cast<std::size_t>(State::RawTextEndTagName) + 1;
  // A state's handler reads piece[i] (and, for long stretches, the bytes after it) and returns
  // where the next state reads; returning i unchanged has the byte read again in the new state.
  using StateHandler = std::size_t (HtmlTokenizer::*)(std::string_view piece, std::size_t i);
  std::size_t OnData(std::string_view piece, std::size_t i);
  std::size_t OnTagOpen(std::string_view piece, std::size_t i);
  std::size_t OnEndTagOpen(std::string_view piece, std::size_t i);
  std::size_t OnTagName(std::string_view piece, std::size_t i);
  std::size_t OnBeforeAttributeName(std::string_view piece, std::size_t i);
  std::size_t OnAttributeName(std::string_view piece, std::size_t i);
  std::size_t OnAfterAttributeName(std::string_view piece, std::size_t i);
  std::size_t OnBeforeAttributeValue(std::string_view piece, std::size_t i);
  std::size_t OnAttributeValueQuoted(std::string_view piece, std::size_t i);
  std::size_t OnAttributeValueUnquoted(std::string_view piece, std::size_t i);
  std::size_t OnAfterAttributeValueQuoted(std::string_view piece, std::size_t i);
  std::size_t OnSelfClosingStartTag(std::string_view piece, std::size_t i);
  std::size_t OnMarkupDeclaration(std::string_view piece, std::size_t i);
  std::size_t OnComment(std::string_view piece, std::size_t i);
  std::size_t OnBogusComment(std::string_view piece, std::size_t i);
  std::size_t OnRawText(std::string_view piece, std::size_t i);
  std::size_t OnRawTextLessThan(std::string_view piece, std::size_t i);
  std::size_t OnRawTextEndTagName(std::string_view piece, std::size_t i);
  // Each state's handler, indexed by the state (gumbo's tokenizer is laid out alike).
  static const std::array<StateHandler, kStateCount> kStateHandlers;

  // A name or value being read: where it starts, counted from the tag name's first byte, and
  // its length. Each grows by the bytes that follow it, never with a gap.
  struct Extent {
    std::size_t at = 0;
    std::size_t size = 0;
  };
  struct AttributeExtents {
    Extent name, value;
  };
  bool InTag() const { return state_ >= State::TagName && state_ <= State::SelfClosingStartTag; }
  // A tag whose name starts at piece[i].
  void BeginTag(bool endTag, std::size_t i);
  void StartAttribute() {
    if (count_ == extents_.size()) extents_.emplace_back();
    extents_[count_++] = {};
  }
  // `e` grown by piece[i, i + length).
  void Extend(Extent& e, std::size_t i, std::size_t length) const {
    if (e.size == 0) e.at = static_cast<std::size_t>(fed_ + i - tagStart_);
    e.size += length;
  }
  // A start tag still open at the piece's end: its bytes kept for the next piece.
  void HoldTagSpanningPieces(std::string_view piece);
  // The tag whose ">" stands at piece[i].
  void EmitTag(std::string_view piece, std::size_t i);
  AttributeExtents& Current() { return extents_[count_ - 1]; }

  HtmlTokenHandler& handler_;
  State state_ = State::Data;
  std::uint64_t fed_ = 0;       // the bytes of the pieces before this one
  std::uint64_t tagStart_ = 0;  // where the tag's name starts, counted as fed_ counts
  std::string held_;            // a tag spanning pieces: its bytes from tagStart_ on, so far
  bool endTag_ = false;
  bool overlong_ = false;  // the tag passed kMaxTagBytes: only its name is held
  std::uint64_t overlongTags_ = 0;
  bool capitals_ = false;  // a name of the tag holds one of "A" to "Z"
  Extent name_;
  std::vector<AttributeExtents> extents_;  // the first count_ are the tag's, the rest reused
  std::size_t count_ = 0;
  std::vector<HtmlAttribute> attributes_;  // the views StartTag gets
  std::string lowered_;                    // the names written with capitals, in lower case
  // Raw text and RCDATA: the element whose end tag closes it, how much of "</name" matched.
  std::string rawName_;
  bool rawIsText_ = false;
  bool rawIsStyle_ = false;
  std::size_t rawMatched_ = 0;
  int dashes_ = 0;     // comment: "-" just before, up to 2
  bool bang_ = false;  // comment: "--!" just before
};

}  // namespace cardo
