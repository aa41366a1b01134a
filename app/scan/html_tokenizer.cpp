#include "app/scan/html_tokenizer.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "app/text/byte_search.h"

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
bool HasCapital(std::string_view name) {
  return std::any_of(name.begin(), name.end(), [](char c) { return c >= 'A' && c <= 'Z'; });
}
// What a byte is to the states that read names and unquoted values: the end of the run, or
// a capital (names are lowered only when they hold one).
constexpr std::uint8_t kEnd = 1;
constexpr std::uint8_t kCapital = 2;
struct RunBytes {
  std::array<std::uint8_t, 256> tagName{}, attributeName{}, unquoted{};
  constexpr RunBytes() {
    for (const unsigned char c : {'\t', '\n', '\f', '\r', ' ', '>'}) {
      tagName[c] = attributeName[c] = unquoted[c] = kEnd;
    }
    tagName['/'] = attributeName['/'] = attributeName['='] = kEnd;
    for (unsigned char c = 'A'; c <= 'Z'; ++c) tagName[c] = attributeName[c] = kCapital;
  }
};
constexpr RunBytes kRunBytes;

// Where the run from data[i] ends; `capitals` is set when it holds one.
std::size_t RunEnd(const std::array<std::uint8_t, 256>& kinds, const unsigned char* data,
                   std::size_t i, std::size_t size, bool& capitals) {
  unsigned seen = 0;
  for (; i < size; ++i) {
    const unsigned kind = kinds[data[i]];
    if (kind & kEnd) break;
    seen |= kind;
  }
  if (seen) capitals = true;
  return i;
}

bool Holds(auto& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

void HtmlTokenizer::Feed(std::string_view piece) {
  const auto* data = reinterpret_cast<const unsigned char*>(piece.data());
  const std::size_t size = piece.size();
  // Each state reads the byte at i, and the states of long stretches jump to the byte that
  // ends them; a state that leaves i as it is has the byte read again in the new state.
  for (std::size_t i = 0; i < size;) {
    const char c = piece[i];
    switch (state_) {
      case State::Data: {
        const std::size_t lt = FindByteOf<false, '<'>(data, i, size);
        if (lt > i) handler_.Text(piece.substr(i, lt - i));
        i = lt + 1;
        if (lt == size) break;
        // Most "<" open a start tag.
        if (i < size && IsAlpha(piece[i])) {
          BeginTag(false, i);
        } else {
          state_ = State::TagOpen;
        }
        break;
      }
      case State::TagOpen:
        if (c == '!') {
          state_ = State::MarkupDeclarationOpen;
          ++i;
        } else if (c == '/') {
          state_ = State::EndTagOpen;
          ++i;
        } else if (IsAlpha(c)) {
          BeginTag(false, i);
        } else {
          state_ = c == '?' ? State::BogusComment : State::Data;
        }
        break;
      case State::EndTagOpen: {
        // An end tag gives nothing: when no quote stands before its ">", it ends there.
        const std::size_t end = FindByteOf<false, '>', '"', '\''>(data, i, size);
        if (IsAlpha(c) && end < size && piece[end] == '>') {
          state_ = State::Data;
          i = end + 1;
        } else if (IsAlpha(c)) {
          BeginTag(true, i);
        } else if (c == '>') {
          state_ = State::Data;
          ++i;
        } else {
          state_ = State::BogusComment;
        }
        break;
      }
      case State::TagName: {
        const std::size_t end = RunEnd(kRunBytes.tagName, data, i, size, capitals_);
        Extend(name_, i, end - i);
        i = end;
        if (i == size) break;
        if (piece[i] == '>') {
          EmitTag(piece, i);
        } else {
          state_ = piece[i] == '/' ? State::SelfClosingStartTag : State::BeforeAttributeName;
        }
        ++i;
        break;
      }
      case State::BeforeAttributeName:
        if (IsSpace(c)) {
          ++i;
          break;
        }
        if (c == '/' || c == '>') {
          state_ = State::AfterAttributeName;
          break;
        }
        StartAttribute();
        state_ = State::AttributeName;
        if (c == '=') Extend(Current().name, i++, 1);
        [[fallthrough]];
      case State::AttributeName: {
        const std::size_t end = RunEnd(kRunBytes.attributeName, data, i, size, capitals_);
        Extend(Current().name, i, end - i);
        i = end;
        if (i == size) break;
        if (piece[i] != '=') {
          state_ = State::AfterAttributeName;
        } else if (i + 1 < size && (piece[i + 1] == '"' || piece[i + 1] == '\'')) {
          // name="value": straight to the value.
          state_ = piece[i + 1] == '"' ? State::AttributeValueDoubleQuoted
                                       : State::AttributeValueSingleQuoted;
          i += 2;
        } else {
          state_ = State::BeforeAttributeValue;
          ++i;
        }
        break;
      }
      case State::AfterAttributeName:
        if (c == '>') {
          EmitTag(piece, i++);
        } else if (IsSpace(c) || c == '/' || c == '=') {
          if (c == '/') state_ = State::SelfClosingStartTag;
          if (c == '=') state_ = State::BeforeAttributeValue;
          ++i;
        } else {
          StartAttribute();
          state_ = State::AttributeName;
        }
        break;
      case State::BeforeAttributeValue:
        if (c == '"') {
          state_ = State::AttributeValueDoubleQuoted;
        } else if (c == '\'') {
          state_ = State::AttributeValueSingleQuoted;
        } else if (c == '>') {
          EmitTag(piece, i);
        } else if (!IsSpace(c)) {
          state_ = State::AttributeValueUnquoted;
          break;
        }
        ++i;
        break;
      case State::AttributeValueDoubleQuoted:
      case State::AttributeValueSingleQuoted: {
        const std::size_t quote = state_ == State::AttributeValueDoubleQuoted
                                      ? FindByteOf<false, '"'>(data, i, size)
                                      : FindByteOf<false, '\''>(data, i, size);
        Extend(Current().value, i, quote - i);
        i = quote + 1;
        if (quote == size) break;
        state_ = State::AfterAttributeValueQuoted;
        if (i == size) break;
        [[fallthrough]];
      }
      case State::AfterAttributeValueQuoted: {
        const char d = piece[i];  // after the value's quote, i has moved past `c`
        if (d == '>') {
          EmitTag(piece, i++);
        } else if (d == '/') {
          state_ = State::SelfClosingStartTag;
          ++i;
        } else {
          state_ = State::BeforeAttributeName;
          if (IsSpace(d)) ++i;
        }
        break;
      }
      case State::AttributeValueUnquoted: {
        bool ignored = false;
        const std::size_t end = RunEnd(kRunBytes.unquoted, data, i, size, ignored);
        Extend(Current().value, i, end - i);
        i = end;
        if (i == size) break;
        if (piece[i] == '>') {
          EmitTag(piece, i);
        } else {
          state_ = State::BeforeAttributeName;
        }
        ++i;
        break;
      }
      case State::SelfClosingStartTag:
        if (c == '>') {
          EmitTag(piece, i++);
        } else {
          state_ = State::BeforeAttributeName;
        }
        break;
      case State::MarkupDeclarationOpen:
      case State::MarkupDeclarationDash:
        if (c != '-') {
          // A doctype, a CDATA section outside foreign content and any other "<!" end at ">".
          state_ = State::BogusComment;
        } else if (state_ == State::MarkupDeclarationOpen) {
          state_ = State::MarkupDeclarationDash;
          ++i;
        } else {
          // "<!-->" and "<!--->" end right away, as though the opening dashes closed them.
          state_ = State::Comment;
          dashes_ = 2;
          bang_ = false;
          ++i;
        }
        break;
      case State::Comment: {
        const std::size_t next = FindByteOf<false, '-', '!', '>'>(data, i, size);
        if (next > i) {
          dashes_ = 0;
          bang_ = false;
        }
        i = next;
        if (i == size) break;
        const char d = piece[i++];
        if (d == '>' && (dashes_ >= 2 || bang_)) {
          state_ = State::Data;
        } else if (d == '!' && dashes_ >= 2) {
          bang_ = true;
          dashes_ = 0;
        } else {
          bang_ = false;
          dashes_ = d == '-' ? std::min(dashes_ + 1, 2) : 0;
        }
        break;
      }
      case State::BogusComment: {
        const std::size_t gt = FindByteOf<false, '>'>(data, i, size);
        if (gt < size) state_ = State::Data;
        i = gt + 1;
        break;
      }
      case State::RawText: {
        const std::size_t lt = FindByteOf<false, '<'>(data, i, size);
        if (rawIsText_ && lt > i) handler_.Text(piece.substr(i, lt - i));
        if (rawIsStyle_ && lt > i) handler_.StyleText(piece.substr(i, lt - i));
        if (lt < size) state_ = State::RawTextLessThan;
        i = lt + 1;
        break;
      }
      case State::RawTextLessThan:
        state_ = c == '/' ? State::RawTextEndTagName : State::RawText;
        rawMatched_ = 0;
        if (c == '/') ++i;
        break;
      case State::RawTextEndTagName:
        if (rawMatched_ < rawName_.size()) {
          if (Lower(c) != rawName_[rawMatched_]) {
            state_ = State::RawText;
          } else {
            ++rawMatched_;
            ++i;
          }
        } else if (IsSpace(c) || c == '/' || c == '>') {
          BeginTag(true, i);
        } else {
          state_ = State::RawText;
        }
        break;
    }
  }
  // A start tag that goes on in the next piece keeps its bytes so far; one too long for that
  // keeps its name alone.
  if (InTag() && !endTag_ && !overlong_) {
    if (tagStart_ >= fed_) {
      held_.assign(piece.substr(static_cast<std::size_t>(tagStart_ - fed_)));
    } else {
      held_.append(piece);
    }
    if (held_.size() > kMaxTagBytes) {
      overlong_ = true;
      held_.resize(std::min(held_.size(), name_.size));
    }
  }
  fed_ += size;
}

void HtmlTokenizer::BeginTag(bool endTag, std::size_t i) {
  state_ = State::TagName;
  endTag_ = endTag;
  tagStart_ = fed_ + i;
  capitals_ = false;
  overlong_ = false;
  name_ = {};
  count_ = 0;
}

void HtmlTokenizer::EmitTag(std::string_view piece, std::size_t i) {
  state_ = State::Data;
  if (endTag_) return;
  // The tag's bytes, from its name up to its ">".
  const char* bytes = nullptr;
  if (tagStart_ >= fed_) {
    bytes = piece.data() + static_cast<std::size_t>(tagStart_ - fed_);
  } else {
    if (!overlong_) held_.append(piece.substr(0, i));
    bytes = held_.data();
  }
  if (overlong_) {
    // Its attributes are gone: the element still counts (a <script> still starts raw text).
    ++overlongTags_;
    count_ = 0;
    name_.size = std::min(name_.size, held_.size());
  }
  const auto view = [&](Extent e) { return std::string_view(bytes + e.at, e.size); };
  if (attributes_.size() < count_) attributes_.resize(count_);
  std::string_view name = view(name_);
  for (std::size_t k = 0; k < count_; ++k) {
    attributes_[k] = {view(extents_[k].name), view(extents_[k].value)};
  }
  // Names are compared in lower case: the few written with capitals are lowered into a copy.
  if (capitals_) {
    std::size_t capitals = HasCapital(name) ? name.size() : 0;
    for (std::size_t k = 0; k < count_; ++k) {
      if (HasCapital(attributes_[k].name)) capitals += attributes_[k].name.size();
    }
    lowered_.resize(capitals);
    std::size_t at = 0;
    const auto lower = [&](std::string_view& text) {
      if (!HasCapital(text)) return;
      std::transform(text.begin(), text.end(), lowered_.begin() + static_cast<std::ptrdiff_t>(at),
                     Lower);
      text = std::string_view(lowered_).substr(at, text.size());
      at += text.size();
    };
    lower(name);
    for (std::size_t k = 0; k < count_; ++k) lower(attributes_[k].name);
  }
  handler_.StartTag(name, std::span<const HtmlAttribute>(attributes_.data(), count_));
  if (name.size() >= 3 && name.size() <= 8 && Holds(kRawTextElements, name)) {
    state_ = State::RawText;
    rawName_ = name;
    rawIsText_ = Holds(kTextElements, name);
    rawIsStyle_ = name == "style";
  }
  held_.clear();
}

}  // namespace cardo
