#include "app/extract/html_tokenizer.h"

#include <algorithm>
#include <array>

#include "app/extract/byte_search.h"

namespace cardo {
namespace {

// The elements whose content is never markup, and of those the two whose content is text.
constexpr std::array<std::string_view, 8> kRawTextElements = {
    "script", "style", "xmp", "iframe", "noembed", "noframes", "title", "textarea"};
constexpr std::array<std::string_view, 2> kTextElements = {"title", "textarea"};

bool IsSpace(char c) {
  return c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' ';
}
bool IsAlpha(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}
// The bytes that end a run in the states that read names and unquoted values.
struct RunEnds {
  std::array<bool, 256> tagName{}, attributeName{}, unquoted{};
  constexpr RunEnds() {
    for (const unsigned char c : {'\t', '\n', '\f', '\r', ' ', '>'}) {
      tagName[c] = attributeName[c] = unquoted[c] = true;
    }
    tagName['/'] = attributeName['/'] = attributeName['='] = true;
  }
};
constexpr RunEnds kRunEnds;

bool Holds(auto& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

void HtmlTokenizer::Feed(std::string_view bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  std::size_t i = 0;
  // The states that read long stretches jump to the byte that ends them.
  const auto until = [&](std::size_t end, State next) {
    i = end == size ? size : end + 1;
    if (end < size) state_ = next;
  };
  while (i < size) {
    switch (state_) {
      case State::Data: {
        const std::size_t lt = FindByteOf<false, '<'>(data, i, size);
        if (lt > i) handler_.Text(bytes.substr(i, lt - i));
        until(lt, State::TagOpen);
        break;
      }
      case State::AttributeValueDoubleQuoted:
      case State::AttributeValueSingleQuoted: {
        const std::size_t quote = state_ == State::AttributeValueDoubleQuoted
                                      ? FindByteOf<false, '"'>(data, i, size)
                                      : FindByteOf<false, '\''>(data, i, size);
        Current().value.append(bytes.substr(i, quote - i));
        until(quote, State::AfterAttributeValueQuoted);
        // Most tags go on with a space or end here.
        if (state_ == State::AfterAttributeValueQuoted && i < size &&
            (bytes[i] == ' ' || bytes[i] == '>') && Step(bytes[i])) {
          ++i;
        }
        break;
      }
      case State::RawText: {
        const std::size_t lt = FindByteOf<false, '<'>(data, i, size);
        if (rawIsText_ && lt > i) handler_.Text(bytes.substr(i, lt - i));
        until(lt, State::RawTextLessThan);
        break;
      }
      case State::BogusComment:
        until(FindByteOf<false, '>'>(data, i, size), State::Data);
        break;
      case State::EndTagOpen: {
        // An end tag gives nothing: when no quote stands before its ">", it ends there.
        const std::size_t end = FindByteOf<false, '>', '"', '\''>(data, i, size);
        if (i < size && IsAlpha(bytes[i]) && end < size && bytes[end] == '>') {
          i = end + 1;
          state_ = State::Data;
        } else if (Step(bytes[i])) {
          ++i;
        }
        break;
      }
      case State::TagName:
      case State::AttributeName:
      case State::AttributeValueUnquoted: {
        const std::array<bool, 256>& ends = state_ == State::TagName ? kRunEnds.tagName
                                            : state_ == State::AttributeName
                                                ? kRunEnds.attributeName
                                                : kRunEnds.unquoted;
        std::size_t end = i;
        while (end < size && !ends[data[end]]) ++end;
        std::string& run = state_ == State::TagName         ? name_
                           : state_ == State::AttributeName ? Current().name
                                                            : Current().value;
        const std::size_t from = run.size();
        run.append(bytes.substr(i, end - i));
        if (state_ != State::AttributeValueUnquoted) {
          std::transform(run.begin() + static_cast<std::ptrdiff_t>(from), run.end(),
                         run.begin() + static_cast<std::ptrdiff_t>(from), Lower);
        }
        i = end;
        if (i + 1 < size && state_ == State::AttributeName && bytes[i] == '=' &&
            (bytes[i + 1] == '"' || bytes[i + 1] == '\'')) {
          // name="value": straight to the value.
          state_ = bytes[i + 1] == '"' ? State::AttributeValueDoubleQuoted
                                       : State::AttributeValueSingleQuoted;
          i += 2;
        } else if (i < size && Step(bytes[i])) {
          ++i;
        }
        break;
      }
      case State::Comment: {
        const std::size_t next = FindByteOf<false, '-', '!', '>'>(data, i, size);
        if (next > i) {
          dashes_ = 0;
          bang_ = false;
        }
        i = next;
        if (i < size && Step(bytes[i])) ++i;
        break;
      }
      default:
        if (Step(bytes[i])) ++i;
    }
  }
}

bool HtmlTokenizer::Step(char c) {
  const bool space = IsSpace(c);
  switch (state_) {
    case State::TagOpen:
      if (c == '!') {
        state_ = State::MarkupDeclarationOpen;
        return true;
      }
      if (c == '/') {
        state_ = State::EndTagOpen;
        return true;
      }
      if (IsAlpha(c)) {
        endTag_ = false;
        name_.clear();
        count_ = 0;
        state_ = State::TagName;
        return false;
      }
      state_ = c == '?' ? State::BogusComment : State::Data;
      return false;
    case State::EndTagOpen:
      if (IsAlpha(c)) {
        endTag_ = true;
        name_.clear();
        count_ = 0;
        state_ = State::TagName;
        return false;
      }
      if (c == '>') {
        state_ = State::Data;
        return true;
      }
      state_ = State::BogusComment;
      return false;
    case State::TagName:
      if (space) {
        state_ = State::BeforeAttributeName;
      } else if (c == '/') {
        state_ = State::SelfClosingStartTag;
      } else if (c == '>') {
        EmitTag();
      } else {
        name_.push_back(Lower(c));
      }
      return true;
    case State::BeforeAttributeName:
      if (space) return true;
      if (c == '/' || c == '>') {
        state_ = State::AfterAttributeName;
        return false;
      }
      StartAttribute();
      state_ = State::AttributeName;
      if (c != '=') return false;
      Current().name.push_back(c);
      return true;
    case State::AttributeName:
      if (space || c == '/' || c == '>') {
        state_ = State::AfterAttributeName;
        return false;
      }
      if (c == '=') {
        state_ = State::BeforeAttributeValue;
      } else {
        Current().name.push_back(Lower(c));
      }
      return true;
    case State::AfterAttributeName:
      if (space) return true;
      if (c == '/') {
        state_ = State::SelfClosingStartTag;
      } else if (c == '=') {
        state_ = State::BeforeAttributeValue;
      } else if (c == '>') {
        EmitTag();
      } else {
        StartAttribute();
        state_ = State::AttributeName;
        return false;
      }
      return true;
    case State::BeforeAttributeValue:
      if (space) return true;
      if (c == '"') {
        state_ = State::AttributeValueDoubleQuoted;
      } else if (c == '\'') {
        state_ = State::AttributeValueSingleQuoted;
      } else if (c == '>') {
        EmitTag();
      } else {
        state_ = State::AttributeValueUnquoted;
        return false;
      }
      return true;
    case State::AttributeValueUnquoted:
      if (space) {
        state_ = State::BeforeAttributeName;
      } else if (c == '>') {
        EmitTag();
      } else {
        Current().value.push_back(c);
      }
      return true;
    case State::AfterAttributeValueQuoted:
      if (space) {
        state_ = State::BeforeAttributeName;
      } else if (c == '/') {
        state_ = State::SelfClosingStartTag;
      } else if (c == '>') {
        EmitTag();
      } else {
        state_ = State::BeforeAttributeName;
        return false;
      }
      return true;
    case State::SelfClosingStartTag:
      if (c == '>') {
        EmitTag();
        return true;
      }
      state_ = State::BeforeAttributeName;
      return false;
    case State::MarkupDeclarationOpen:
    case State::MarkupDeclarationDash:
      if (c != '-') {
        // A doctype, a CDATA section outside foreign content and any other "<!" end at ">".
        state_ = State::BogusComment;
        return false;
      }
      if (state_ == State::MarkupDeclarationOpen) {
        state_ = State::MarkupDeclarationDash;
      } else {
        // "<!-->" and "<!--->" end right away, as though the opening dashes closed them.
        state_ = State::Comment;
        dashes_ = 2;
        bang_ = false;
      }
      return true;
    case State::Comment:
      if (c == '>' && (dashes_ >= 2 || bang_)) {
        state_ = State::Data;
      } else if (c == '!' && dashes_ >= 2) {
        bang_ = true;
        dashes_ = 0;
      } else {
        bang_ = false;
        dashes_ = c == '-' ? std::min(dashes_ + 1, 2) : 0;
      }
      return true;
    case State::RawTextLessThan:
      state_ = c == '/' ? State::RawTextEndTagName : State::RawText;
      rawMatched_ = 0;
      return c == '/';
    case State::RawTextEndTagName:
      if (rawMatched_ < rawName_.size()) {
        if (Lower(c) != rawName_[rawMatched_]) {
          state_ = State::RawText;
          return false;
        }
        ++rawMatched_;
        return true;
      }
      if (space || c == '/' || c == '>') {
        endTag_ = true;
        name_ = rawName_;
        count_ = 0;
        state_ = State::TagName;
      } else {
        state_ = State::RawText;
      }
      return false;
    default:
      return true;
  }
}

void HtmlTokenizer::StartAttribute() {
  if (count_ == attributes_.size()) attributes_.emplace_back();
  HtmlAttribute& a = attributes_[count_++];
  a.name.clear();
  a.value.clear();
}

void HtmlTokenizer::EmitTag() {
  state_ = State::Data;
  if (endTag_) return;
  handler_.StartTag(name_, std::span<const HtmlAttribute>(attributes_.data(), count_));
  if (name_.size() >= 3 && name_.size() <= 8 && Holds(kRawTextElements, name_)) {
    state_ = State::RawText;
    rawName_ = name_;
    rawIsText_ = Holds(kTextElements, name_);
  }
}

}  // namespace cardo
