#pragma once
// The images a style sheet names: the url(...) values of the properties that draw one
// (background, list-style, border-image, content, cursor, mask), in a style attribute or a
// <style> element. An @import or a font's src names no image and gives nothing.
//
// The text comes in pieces of any size; a value may span pieces. Cost: time linear in the
// text; memory the value being read, at most kMaxCssUrlBytes (a longer one is dropped).
#include <functional>
#include <string>
#include <string_view>

namespace cardo {

inline constexpr std::size_t kMaxCssUrlBytes = 1 << 21;

class CssImageUrls {
 public:
  // `url` is the value as written (quotes and blanks around it gone, escapes unread).
  using Sink = std::function<void(std::string_view url)>;
  void Feed(std::string_view text, const Sink& sink);
  // A new sheet (the next style attribute) starts from nothing.
  void Reset() { *this = CssImageUrls(); }

 private:
  enum class State { Normal, Comment, String, UrlStart, UrlQuoted, UrlBare, UrlRest };
  void Normal(char c);
  void Give(const Sink& sink);

  State state_ = State::Normal;
  std::string word_;      // the identifier being read, lower-cased, at most a few bytes
  bool inValue_ = false;  // after a property's ":", before its ";"
  bool image_ = false;    // that property draws an image
  bool slash_ = false;    // "/" just before (a comment may start)
  bool star_ = false;     // in a comment, "*" just before
  bool escaped_ = false;  // in a string, "\" just before
  char quote_ = 0;
  std::string url_;
};

}  // namespace cardo
