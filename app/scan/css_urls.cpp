#include "app/scan/css_urls.h"

#include <algorithm>
#include <array>

namespace cardo {
namespace {

constexpr std::size_t kMaxWord = 24;  // longer than any property below

constexpr std::array<std::string_view, 13> kImageProperties = {"background",
                                                               "background-image",
                                                               "list-style",
                                                               "list-style-image",
                                                               "border-image",
                                                               "border-image-source",
                                                               "content",
                                                               "cursor",
                                                               "mask",
                                                               "mask-image",
                                                               "-webkit-mask-image",
                                                               "-webkit-mask",
                                                               "-webkit-border-image"};

bool IsWordByte(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '_';
}
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}

}  // namespace

void CssImageUrls::Normal(char c) {
  if (IsWordByte(c)) {
    if (word_.size() <= kMaxWord) word_.push_back(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
    return;
  }
  if (c == ':' && !inValue_) {
    inValue_ = true;
    image_ = std::find(kImageProperties.begin(), kImageProperties.end(), word_) !=
             kImageProperties.end();
  } else if (c == '(' && inValue_ && image_ && word_ == "url") {
    state_ = State::UrlStart;
    url_.clear();
  } else if (c == ';' || c == '{' || c == '}') {
    inValue_ = false;
  } else if (c == '"' || c == '\'') {
    state_ = State::String;
    quote_ = c;
  }
  word_.clear();
}

void CssImageUrls::Give(const Sink& sink) {
  while (!url_.empty() && IsBlank(url_.back())) url_.pop_back();
  if (!url_.empty() && url_.size() <= kMaxCssUrlBytes) sink(url_);
  url_.clear();
}

void CssImageUrls::Feed(std::string_view text, const Sink& sink) {
  for (const char c : text) {
    switch (state_) {
      case State::Normal:
        if (slash_ && c == '*') {
          state_ = State::Comment;
          star_ = false;
          slash_ = false;
          word_.clear();
          break;
        }
        slash_ = c == '/';
        Normal(c);
        break;
      case State::Comment:
        if (star_ && c == '/') state_ = State::Normal;
        star_ = c == '*';
        break;
      case State::String:
        if (escaped_) {
          escaped_ = false;
        } else if (c == '\\') {
          escaped_ = true;
        } else if (c == quote_ || c == '\n') {
          state_ = State::Normal;
        }
        break;
      case State::UrlStart:
        if (IsBlank(c)) break;
        if (c == '"' || c == '\'') {
          quote_ = c;
          state_ = State::UrlQuoted;
          break;
        }
        state_ = State::UrlBare;
        [[fallthrough]];
      case State::UrlBare:
        if (c == ')') {
          state_ = State::Normal;
          Give(sink);
        } else if (url_.size() <= kMaxCssUrlBytes) {
          url_.push_back(c);
        }
        break;
      case State::UrlQuoted:
        if (c == quote_ || c == '\n') {
          state_ = State::UrlRest;
          Give(sink);
        } else if (url_.size() <= kMaxCssUrlBytes) {
          url_.push_back(c);
        }
        break;
      case State::UrlRest:
        if (c == ')') state_ = State::Normal;
        break;
    }
  }
}

}  // namespace cardo
