#pragma once
// The URL scanner: reads a file line by line in code page 932 and hands every URL it finds, in
// order, to a sink (the filter gate). Text mode looks for the protocol text, the next one from
// where the last URL stopped; HTML and download modes take every run of URL characters around
// "://" as an absolute URL and every run around "." as a relative reference, resolved against
// the current base. In those two modes a character beyond ASCII is a URL character inside a
// quoted attribute value (unless it is a space), and character references ended by ";" are
// read as the characters they stand for.
//
// Cost: time grows with the file, memory with its longest line: in HTML and download modes
// about the line's bytes and two bytes for each character beyond ASCII inside a quoted value
// (three times the bytes for a line with "<base", which is read as codes); in text mode the
// line as codes, which a URL filling it takes over.
//
// Lines are handled as code page character codes: one code per character (a double-byte
// character is lead byte x 256 + trail byte), so positions count characters.
#include <array>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace cardo {

using CodeText = std::u16string;  // code page 932 character codes, not UTF-16

enum class ExtractMode { Text = 0, Html = 1, Download = 2 };
enum class PageEncoding { CodePage932, Utf8 };  // page_encoding.h decides

// Everything a run needs, as the extraction dialog (or the command line) sets it.
struct ExtractOptions {
  ExtractMode mode = ExtractMode::Text;
  std::u16string protocol = u"http://";
  bool fullWidth = false;        // text mode: double-byte URL characters allowed
  bool notReturnSearch = false;  // text mode: a URL never continues on the next line
  std::u16string baseUrlBox;     // HTML mode: the base-URL box
  std::u16string pageUrl;        // download mode: the address the page came from
  PageEncoding encoding = PageEncoding::CodePage932;  // how the file's bytes are read
};

// The lines of a file, without their ends. Lines end at CR or CR LF; a lone LF is an ordinary
// character.
class LineSource {
 public:
  virtual ~LineSource() = default;
  virtual bool Next(std::string& line) = 0;
  // The next line decoded into `codes` (its memory reused).
  virtual bool NextCodes(CodeText& codes);
};

class TextLineSource final : public LineSource {
 public:
  explicit TextLineSource(std::string_view text) : text_(text) {}
  bool Next(std::string& line) override;

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

// Reads a file in blocks, never whole.
class FileLineSource final : public LineSource {
 public:
  explicit FileLineSource(std::FILE* file) : file_(file) {}
  bool Next(std::string& line) override;
  // Decodes as it reads, so that a long line is held once, as codes.
  bool NextCodes(CodeText& codes) override;

 private:
  bool Fill();
  // Makes room for `more` units; a long line gets room for the rest of the file at once, so
  // that it is never held in two buffers while one grows.
  template <typename Buffer>
  void Reserve(Buffer& buffer, std::size_t more);
  long Remaining();
  // Hands over buffer_[at_, end) as the line; the next line starts at `next`.
  void Take(std::string& line, std::size_t end, std::size_t next);
  std::FILE* file_;
  std::string buffer_;
  std::size_t at_ = 0;
  bool eof_ = false;
};

// A URL found; the text may be a view into the line, valid only during the call.
using CandidateSink = std::function<void(std::u16string_view url)>;

namespace detail {
extern const std::array<bool, 256> kSingleByteUrlChar;
bool IsFullWidthUrlChar(char16_t code);
}  // namespace detail

// The letters, digits and ! # $ % & * + - . / : ; = ? @ ^ _ | ~; double-byte characters of the
// listed ranges only when allowed.
inline bool IsUrlChar(char16_t code, bool allowFullWidth) {
  if (code < 0x100) return detail::kSingleByteUrlChar[code];
  return allowFullWidth && detail::IsFullWidthUrlChar(code);
}
// The first `unit` of `text` at or after `from`, or npos: four units at a time.
std::size_t FindUnit(std::u16string_view text, char16_t unit, std::size_t from = 0);
// The first "://" of `text` at or after `from`, or npos.
std::size_t FindSeparator(std::u16string_view text, std::size_t from = 0);
// Every occurrence of `what` removed from `line`, left to right, in one linear pass.
void DeleteAll(CodeText& line, const CodeText& what);
void DeleteAll(std::string& line, const std::string& what);
CodeText DecodeCodePage(std::string_view bytes);
std::string EncodeCodePage(const CodeText& codes);
// The value after the first "href=" of the line: quoted (up to the next quote, or the rest of
// the line when none follows) or a run of URL characters.
CodeText GetHrefValue(const CodeText& line);
// The reference joined to the base; "不正" when it climbs above the root.
std::u16string ResolveRelativeUrl(std::u16string_view base, std::u16string_view relative);

// A base taken apart once: its root (up to the first "/" after the host) and its directory.
struct BaseParts {
  std::u16string root;
  std::u16string directory;
};
BaseParts SplitBase(std::u16string_view base);
std::u16string ResolveRelativeUrl(const BaseParts& base, std::u16string_view relative);

void ExtractUrls(LineSource& source, const ExtractOptions& options, const CandidateSink& sink);

}  // namespace cardo
