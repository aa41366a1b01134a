#pragma once
// A page read as a browser reads it, as far as links need: the HTML standard's tokenizer over
// code page 932 bytes (every byte that shapes markup is ASCII and never a trail byte). Start
// tags come with their attributes, quoted or not; text outside tags comes as it stands. The
// content of <script>, <style>, <xmp>, <iframe>, <noembed> and <noframes> is raw text, never
// markup and never text; that of <title> and <textarea> is text without markup. Comments,
// doctypes and end tags give nothing. Character references are left for the handler to read.
//
// The page comes in pieces of any size (a line at a time); a tag may span pieces.
// Cost: time linear in the page; memory the tag being read (its attributes' bytes).
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cardo {

struct HtmlAttribute {
  std::string name;   // lower case
  std::string value;  // as written, references unread
};

class HtmlTokenHandler {
 public:
  virtual ~HtmlTokenHandler() = default;
  // A start tag, its name in lower case, its attributes in the order written (a name written
  // twice appears twice: the first one counts).
  virtual void StartTag(std::string_view name, std::span<const HtmlAttribute> attributes) = 0;
  // Text outside tags, a stretch at a time; never spans a "<" or the end of a piece.
  virtual void Text(std::string_view bytes) = 0;
};

class HtmlTokenizer {
 public:
  explicit HtmlTokenizer(HtmlTokenHandler& handler) : handler_(handler) {}
  void Feed(std::string_view bytes);

 private:
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
  // Handles `c` in the current state; false when it must be handled again in the new state.
  bool Step(char c);
  void StartAttribute();
  void EmitTag();
  HtmlAttribute& Current() { return attributes_[count_ - 1]; }

  HtmlTokenHandler& handler_;
  State state_ = State::Data;
  bool endTag_ = false;
  std::string name_;
  std::vector<HtmlAttribute> attributes_;  // the first count_ are the tag's, the rest reused
  std::size_t count_ = 0;
  // Raw text and RCDATA: the element whose end tag closes it, how much of "</name" matched.
  std::string rawName_;
  bool rawIsText_ = false;
  std::size_t rawMatched_ = 0;
  int dashes_ = 0;     // comment: "-" just before, up to 2
  bool bang_ = false;  // comment: "--!" just before
};

}  // namespace cardo
