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

const unsigned char* Bytes(std::string_view piece) {
  return reinterpret_cast<const unsigned char*>(piece.data());
}

bool Holds(auto& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

// One row per state, so that the table cannot fall out of the enum's order.
const std::array<HtmlTokenizer::StateHandler, HtmlTokenizer::kStateCount>
    HtmlTokenizer::kStateHandlers = [] {
      std::array<StateHandler, kStateCount> table{};
      const auto row = [&](State state, StateHandler handler) {
        table[static_cast<std::size_t>(state)] = handler;
      };
      using T = HtmlTokenizer;
      row(State::Data, &T::OnData);
      row(State::TagOpen, &T::OnTagOpen);
      row(State::EndTagOpen, &T::OnEndTagOpen);
      row(State::TagName, &T::OnTagName);
      row(State::BeforeAttributeName, &T::OnBeforeAttributeName);
      row(State::AttributeName, &T::OnAttributeName);
      row(State::AfterAttributeName, &T::OnAfterAttributeName);
      row(State::BeforeAttributeValue, &T::OnBeforeAttributeValue);
      row(State::AttributeValueDoubleQuoted, &T::OnAttributeValueQuoted);
      row(State::AttributeValueSingleQuoted, &T::OnAttributeValueQuoted);
      row(State::AttributeValueUnquoted, &T::OnAttributeValueUnquoted);
      row(State::AfterAttributeValueQuoted, &T::OnAfterAttributeValueQuoted);
      row(State::SelfClosingStartTag, &T::OnSelfClosingStartTag);
      row(State::MarkupDeclarationOpen, &T::OnMarkupDeclaration);
      row(State::MarkupDeclarationDash, &T::OnMarkupDeclaration);
      row(State::Comment, &T::OnComment);
      row(State::BogusComment, &T::OnBogusComment);
      row(State::RawText, &T::OnRawText);
      row(State::RawTextLessThan, &T::OnRawTextLessThan);
      row(State::RawTextEndTagName, &T::OnRawTextEndTagName);
      return table;
    }();

void HtmlTokenizer::Feed(std::string_view piece) {
  // Each state reads the byte at i, and the states of long stretches jump to the byte that
  // ends them; a state that leaves i as it is has the byte read again in the new state.
  for (std::size_t i = 0; i < piece.size();) {
    i = (this->*kStateHandlers[static_cast<std::size_t>(state_)])(piece, i);
  }
  HoldTagSpanningPieces(piece);
  fed_ += piece.size();
}

std::size_t HtmlTokenizer::OnData(std::string_view piece, std::size_t i) {
  const std::size_t lt = FindByteOf<false, '<'>(Bytes(piece), i, piece.size());
  if (lt > i) handler_.Text(piece.substr(i, lt - i));
  i = lt + 1;
  if (lt == piece.size()) return i;
  // Most "<" open a start tag.
  if (i < piece.size() && IsAlpha(piece[i])) {
    BeginTag(false, i);
    return OnTagName(piece, i);
  }
  state_ = State::TagOpen;
  return i < piece.size() ? OnTagOpen(piece, i) : i;
}

std::size_t HtmlTokenizer::OnTagOpen(std::string_view piece, std::size_t i) {
  const char c = piece[i];
  if (c == '!') {
    state_ = State::MarkupDeclarationOpen;
    return i + 1;
  }
  if (c == '/') {
    state_ = State::EndTagOpen;
    return i + 1 < piece.size() ? OnEndTagOpen(piece, i + 1) : i + 1;
  }
  if (IsAlpha(c)) {
    BeginTag(false, i);
  } else {
    state_ = c == '?' ? State::BogusComment : State::Data;
  }
  return i;
}

std::size_t HtmlTokenizer::OnEndTagOpen(std::string_view piece, std::size_t i) {
  const char c = piece[i];
  // An end tag gives nothing: when no quote stands before its ">", it ends there.
  const std::size_t end = FindByteOf<false, '>', '"', '\''>(Bytes(piece), i, piece.size());
  if (IsAlpha(c) && end < piece.size() && piece[end] == '>') {
    state_ = State::Data;
    return end + 1;
  }
  if (IsAlpha(c)) {
    BeginTag(true, i);
  } else if (c == '>') {
    state_ = State::Data;
    return i + 1;
  } else {
    state_ = State::BogusComment;
  }
  return i;
}

std::size_t HtmlTokenizer::OnTagName(std::string_view piece, std::size_t i) {
  const std::size_t end = RunEnd(kRunBytes.tagName, Bytes(piece), i, piece.size(), capitals_);
  Extend(name_, i, end - i);
  i = end;
  if (i == piece.size()) return i;
  if (piece[i] == '>') {
    EmitTag(piece, i);
  } else {
    state_ = piece[i] == '/' ? State::SelfClosingStartTag : State::BeforeAttributeName;
  }
  ++i;
  // Most tags go on with an attribute.
  return state_ == State::BeforeAttributeName && i < piece.size() ? OnBeforeAttributeName(piece, i)
                                                                  : i;
}

std::size_t HtmlTokenizer::OnBeforeAttributeName(std::string_view piece, std::size_t i) {
  const char c = piece[i];
  if (IsSpace(c)) return i + 1;
  if (c == '/' || c == '>') {
    state_ = State::AfterAttributeName;
    return i;
  }
  StartAttribute();
  state_ = State::AttributeName;
  if (c == '=') Extend(Current().name, i++, 1);
  return OnAttributeName(piece, i);
}

std::size_t HtmlTokenizer::OnAttributeName(std::string_view piece, std::size_t i) {
  const std::size_t size = piece.size();
  const std::size_t end = RunEnd(kRunBytes.attributeName, Bytes(piece), i, size, capitals_);
  Extend(Current().name, i, end - i);
  i = end;
  if (i == size) return i;
  if (piece[i] != '=') {
    state_ = State::AfterAttributeName;
    return i;
  }
  if (i + 1 < size && (piece[i + 1] == '"' || piece[i + 1] == '\'')) {
    // name="value": straight to the value.
    state_ =
        piece[i + 1] == '"' ? State::AttributeValueDoubleQuoted : State::AttributeValueSingleQuoted;
    return i + 2 < size ? OnAttributeValueQuoted(piece, i + 2) : i + 2;
  }
  state_ = State::BeforeAttributeValue;
  return i + 1;
}

std::size_t HtmlTokenizer::OnAfterAttributeName(std::string_view piece, std::size_t i) {
  const char c = piece[i];
  if (c == '>') {
    EmitTag(piece, i);
    return i + 1;
  }
  if (IsSpace(c) || c == '/' || c == '=') {
    if (c == '/') state_ = State::SelfClosingStartTag;
    if (c == '=') state_ = State::BeforeAttributeValue;
    return i + 1;
  }
  StartAttribute();
  state_ = State::AttributeName;
  return i;
}

std::size_t HtmlTokenizer::OnBeforeAttributeValue(std::string_view piece, std::size_t i) {
  const char c = piece[i];
  if (c == '"') {
    state_ = State::AttributeValueDoubleQuoted;
  } else if (c == '\'') {
    state_ = State::AttributeValueSingleQuoted;
  } else if (c == '>') {
    EmitTag(piece, i);
  } else if (!IsSpace(c)) {
    state_ = State::AttributeValueUnquoted;
    return i;
  }
  return i + 1;
}

std::size_t HtmlTokenizer::OnAttributeValueQuoted(std::string_view piece, std::size_t i) {
  const std::size_t size = piece.size();
  const std::size_t quote = state_ == State::AttributeValueDoubleQuoted
                                ? FindByteOf<false, '"'>(Bytes(piece), i, size)
                                : FindByteOf<false, '\''>(Bytes(piece), i, size);
  Extend(Current().value, i, quote - i);
  i = quote + 1;
  if (quote == size) return i;
  state_ = State::AfterAttributeValueQuoted;
  if (i == size) return i;
  return OnAfterAttributeValueQuoted(piece, i);
}

std::size_t HtmlTokenizer::OnAfterAttributeValueQuoted(std::string_view piece, std::size_t i) {
  const char c = piece[i];
  if (c == '>') {
    EmitTag(piece, i);
    return i + 1;
  }
  if (c == '/') {
    state_ = State::SelfClosingStartTag;
    return i + 1;
  }
  state_ = State::BeforeAttributeName;
  return IsSpace(c) ? i + 1 : i;
}

std::size_t HtmlTokenizer::OnAttributeValueUnquoted(std::string_view piece, std::size_t i) {
  bool ignored = false;
  const std::size_t end = RunEnd(kRunBytes.unquoted, Bytes(piece), i, piece.size(), ignored);
  Extend(Current().value, i, end - i);
  i = end;
  if (i == piece.size()) return i;
  if (piece[i] == '>') {
    EmitTag(piece, i);
  } else {
    state_ = State::BeforeAttributeName;
  }
  return i + 1;
}

std::size_t HtmlTokenizer::OnSelfClosingStartTag(std::string_view piece, std::size_t i) {
  if (piece[i] == '>') {
    EmitTag(piece, i);
    return i + 1;
  }
  state_ = State::BeforeAttributeName;
  return i;
}

std::size_t HtmlTokenizer::OnMarkupDeclaration(std::string_view piece, std::size_t i) {
  if (piece[i] != '-') {
    // A doctype, a CDATA section outside foreign content and any other "<!" end at ">".
    state_ = State::BogusComment;
    return i;
  }
  if (state_ == State::MarkupDeclarationOpen) {
    state_ = State::MarkupDeclarationDash;
    return i + 1;
  }
  // "<!-->" and "<!--->" end right away, as though the opening dashes closed them.
  state_ = State::Comment;
  dashes_ = 2;
  bang_ = false;
  return i + 1;
}

std::size_t HtmlTokenizer::OnComment(std::string_view piece, std::size_t i) {
  const std::size_t next = FindByteOf<false, '-', '!', '>'>(Bytes(piece), i, piece.size());
  if (next > i) {
    dashes_ = 0;
    bang_ = false;
  }
  i = next;
  if (i == piece.size()) return i;
  const char c = piece[i++];
  if (c == '>' && (dashes_ >= 2 || bang_)) {
    state_ = State::Data;
  } else if (c == '!' && dashes_ >= 2) {
    bang_ = true;
    dashes_ = 0;
  } else {
    bang_ = false;
    dashes_ = c == '-' ? std::min(dashes_ + 1, 2) : 0;
  }
  return i;
}

std::size_t HtmlTokenizer::OnBogusComment(std::string_view piece, std::size_t i) {
  const std::size_t gt = FindByteOf<false, '>'>(Bytes(piece), i, piece.size());
  if (gt < piece.size()) state_ = State::Data;
  return gt + 1;
}

std::size_t HtmlTokenizer::OnRawText(std::string_view piece, std::size_t i) {
  const std::size_t lt = FindByteOf<false, '<'>(Bytes(piece), i, piece.size());
  if (rawIsText_ && lt > i) handler_.Text(piece.substr(i, lt - i));
  if (rawIsStyle_ && lt > i) handler_.StyleText(piece.substr(i, lt - i));
  if (lt < piece.size()) state_ = State::RawTextLessThan;
  return lt + 1;
}

std::size_t HtmlTokenizer::OnRawTextLessThan(std::string_view piece, std::size_t i) {
  const bool slash = piece[i] == '/';
  state_ = slash ? State::RawTextEndTagName : State::RawText;
  rawMatched_ = 0;
  return slash ? i + 1 : i;
}

std::size_t HtmlTokenizer::OnRawTextEndTagName(std::string_view piece, std::size_t i) {
  const char c = piece[i];
  if (rawMatched_ < rawName_.size()) {
    if (Lower(c) != rawName_[rawMatched_]) {
      state_ = State::RawText;
      return i;
    }
    ++rawMatched_;
    return i + 1;
  }
  if (IsSpace(c) || c == '/' || c == '>') {
    BeginTag(true, i);
  } else {
    state_ = State::RawText;
  }
  return i;
}

void HtmlTokenizer::HoldTagSpanningPieces(std::string_view piece) {
  // A start tag that goes on in the next piece keeps its bytes so far; one too long for that
  // keeps its name alone.
  if (!InTag() || endTag_ || overlong_) return;
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
