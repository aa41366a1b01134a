#pragma once
// The lines of a file or of text in memory, without their ends, for the scanner: UTF-8 text.
// Lines end at CR LF, LF or CR, whichever a page or file uses (servers and Unix tools write LF).
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace cardo {

// A line longer than this comes in pieces, each cut after a byte that ends a URL in every
// mode (a ">", else a blank, "<" or a quote) within its last half, so that a URL of up to half
// a piece comes whole and a line of any length is never held whole. A run of half a piece or
// more without such a byte (a URL of more than 512 KiB, which no server takes) is left out,
// and counted (LineSource::LeftOut).
inline constexpr std::size_t kLinePieceBytes = std::size_t{1} << 20;

class LineSource {
 public:
  virtual ~LineSource() = default;
  // The runs left out so far for their length (kLinePieceBytes).
  virtual std::uint64_t LeftOut() const { return 0; }
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

// Reads a file in blocks, never whole, a pipe's lines as they arrive (ReadSome), and a long
// line in pieces (kLinePieceBytes). `head` holds bytes already read from the file (its first
// ones, read to decide its encoding): the lines start with them. Without a converter the
// file's bytes are taken as UTF-8 as they are. Memory: about two pieces.
class FileLineSource final : public LineSource {
 public:
  explicit FileLineSource(std::FILE* file, std::string_view head = {},
                          std::unique_ptr<BlockConverter> converter = nullptr);
  bool Next(std::string& line) override;
  // The whole lines the buffer holds, their ends as written, or a piece of a long line.
  bool NextLines(std::string& text) override;
  std::uint64_t LeftOut() const override { return leftOut_; }
  bool Failed() const override { return failed_; }

 private:
  bool Fill();
  // Appends bytes read, converted.
  void Append(std::string_view bytes);
  // Whether the line end at `end` is known whole (a CR may yet be followed by its LF).
  bool Complete(std::size_t end) const;
  // Hands over buffer_[at_, end) as the line; the next line starts at `next`.
  void Take(std::string& line, std::size_t end, std::size_t next);
  // A piece of the long line at at_ (the buffer holds a whole piece of it): false when none
  // is handed over, its run being left out. `skipRuns`: a run longer than half a piece is left
  // out; otherwise it goes, cut, to a reader that holds what spans pieces (the tokenizer).
  bool TakePiece(std::string& piece, bool skipRuns);
  // Passes over the rest of a run left out, up to the byte that ends it.
  void SkipRun();
  std::FILE* file_;
  std::unique_ptr<BlockConverter> converter_;
  std::string buffer_;  // UTF-8
  std::size_t at_ = 0;
  bool eof_ = false;
  bool failed_ = false;
  bool skipping_ = false;  // at_ stands within a run left out
  std::uint64_t leftOut_ = 0;
};

}  // namespace cardo
