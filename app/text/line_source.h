#pragma once
// The lines of a file or of text in memory, without their ends, for the scanner: UTF-8 text.
// Lines end at CR LF, LF or CR, whichever a page or file uses (servers and Unix tools write LF).
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace cardo {

class LineSource {
 public:
  virtual ~LineSource() = default;
  virtual bool Next(std::string& line) = 0;
  // The next line in UTF-16 (its memory reused).
  virtual bool NextText(std::u16string& text);
  // The lines that follow, as many as come at once (a block of a file), each with its end
  // (CR LF, LF or CR; a last line without one gets LF): for a reader to whom a line end is a
  // blank, as to a browser, and who needs no lines.
  virtual bool NextLines(std::string& text);
  // Whether reading the source failed: the lines given are those before the failed read.
  virtual bool Failed() const { return false; }
};

class TextLineSource final : public LineSource {
 public:
  explicit TextLineSource(std::string_view text) : text_(text) {}
  bool Next(std::string& line) override;

 private:
  std::string_view text_;
  std::size_t at_ = 0;
};

// Turns a file's bytes, a block at a time, into UTF-8: the step every file takes before its
// lines are split (page_encoding.h makes them).
class BlockConverter {
 public:
  virtual ~BlockConverter() = default;
  // Appends what `block` converts to; bytes that need what follows (an unfinished character)
  // wait for the next block, unless `final`: then nothing follows and everything is converted.
  virtual void Convert(std::string_view block, bool final, std::string& out) = 0;
};

// Reads a file in blocks, never whole, a pipe's lines as they arrive (ReadSome). `head` holds
// bytes already read from the file (its first ones): the lines start with them. Without a
// converter the file's bytes are taken as UTF-8 as they are.
class FileLineSource final : public LineSource {
 public:
  explicit FileLineSource(std::FILE* file, std::string_view head = {},
                          std::unique_ptr<BlockConverter> converter = nullptr);
  bool Next(std::string& line) override;
  // Decodes as it reads, so that a long line is held once, in UTF-16.
  bool NextText(std::u16string& text) override;
  // The whole lines the buffer holds, their ends as written.
  bool NextLines(std::string& text) override;
  bool Failed() const override { return failed_; }

 private:
  bool Fill();
  // Appends bytes read, converted.
  void Append(std::string_view bytes);
  // Makes room for `more` units; a long line gets room for the rest of the file at once, so
  // that it is never held in two buffers while one grows.
  template <typename Buffer>
  void Reserve(Buffer& buffer, std::size_t more);
  // What the rest of the file gives: its bytes, or for a converted file about what they
  // convert to.
  std::size_t Remaining();
  // Whether the line end at `end` is known whole (a CR may yet be followed by its LF).
  bool Complete(std::size_t end) const;
  // Hands over buffer_[at_, end) as the line; the next line starts at `next`. When the text
  // starts the buffer and is at least `whole` bytes, the buffer itself is handed over and
  // only what follows is copied back.
  void Take(std::string& line, std::size_t end, std::size_t next, std::size_t whole = 1u << 20);
  std::FILE* file_;
  std::unique_ptr<BlockConverter> converter_;
  std::string buffer_;  // UTF-8
  std::size_t at_ = 0;
  bool eof_ = false;
  bool failed_ = false;
  std::size_t read_ = 0;       // bytes converted so far
  std::size_t converted_ = 0;  // and what they gave
};

}  // namespace cardo
