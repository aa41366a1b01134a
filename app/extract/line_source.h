#pragma once
// The lines of a file or of text in memory, without their ends, for the scanner. Lines end at
// CR or CR LF; a lone LF is an ordinary character.
#include <cstdio>
#include <string>
#include <string_view>

#include "app/extract/code_page_codes.h"

namespace cardo {

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

}  // namespace cardo
