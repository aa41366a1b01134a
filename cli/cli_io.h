#pragma once
// What every command of cardo-cli does with its files: an input named "-" is standard input,
// read as it arrives (a pipe's lines as they are written); an unreadable input is named with
// the system's reason; text for standard output is written in one form for every command, a
// line at a time to a pipe or terminal; a reader that closed the pipe ends the command at once
// and quietly; and output is checked to its end (the final flush and the close included), so
// that no command exits 0 after a write that failed. Paths are UTF-8; cardo-cli.exe opens them
// by their UTF-16 form, so any name works.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "app/platform/file_system.h"

namespace cardo::cli {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// The bytes text takes on standard output. UTF-8 by default: it holds every character a URL or
// a list line may hold, and it is what the native build writes, so the two give the same bytes;
// code page 932 for programs that read the Japanese system's ANSI code page.
enum class OutputEncoding { Utf8, Cp932 };

struct OutputForm {
  OutputEncoding encoding = OutputEncoding::Utf8;
  bool crlf = false;     // lines end with CR LF (cardo-cli.exe), else LF
  bool console = false;  // a console, told that the text is UTF-8: no other encoding applies
  // A pipe or a terminal: each line goes out as soon as it is written, for the reader waits
  // for it; a file gets large blocks.
  bool flushLines = false;
};

// The form of this build's standard output with the encoding the user asked for, if any.
OutputForm WithEncoding(OutputForm form, std::optional<OutputEncoding> asked);
// The encoding an --output-encoding value names: "utf-8" or "cp932".
std::optional<OutputEncoding> OutputEncodingNamed(std::string_view name);
// The help of --output-encoding, the same for every command.
inline constexpr char kOutputEncodingHelp[] =
    "the bytes of standard output (default utf-8); a console shows the text whatever this says. "
    "Lines end with LF, with CR LF in cardo-cli.exe";

// Text for standard output, gathered and written in large blocks (a million short lines would
// otherwise cost a million calls), or a line at a time when the form says so. What `Write`
// takes is UTF-8 with LF line ends, whole characters each time; it goes out in `form`. A
// character code page 932 lacks becomes "?". A write to a pipe whose reader has gone ends the
// process (EndAtClosedPipe).
class TextWriter {
 public:
  TextWriter(std::FILE* out, OutputForm form);
  ~TextWriter() { Flush(); }
  TextWriter(const TextWriter&) = delete;
  TextWriter& operator=(const TextWriter&) = delete;

  // False once a write has failed.
  bool Write(std::string_view utf8);
  bool Line(std::string_view utf8);
  bool Flush();
  bool failed() const { return failed_; }
  // True when a character was written as "?"; `Finish` says so on `err`.
  bool lost() const { return lost_; }
  // Flushes, then as FinishOutput for standard output, with one line on `err` when
  // characters were lost.
  bool Finish(std::FILE* err);

 private:
  static constexpr std::size_t kBlock = std::size_t{1} << 20;
  std::FILE* out_;
  OutputForm form_;
  std::string buffer_;
  bool failed_ = false;
  bool lost_ = false;
};

// Opens the file at the UTF-8 `path` with fopen's `mode`.
std::FILE* OpenFile(const std::string& path, const char* mode);

// `bytes` without a leading UTF-8 byte order mark.
std::string_view DropBom(std::string_view bytes);

// An input named on the command line: "-" is standard input (`in`), any other word a file.
class Input {
 public:
  // Opens it; when it cannot, one line on `err`, "cardo-cli: cannot read NAME: REASON". A
  // folder is refused here, not at the first read.
  Input(const std::string& name, std::FILE* in, std::FILE* err);
  ~Input();
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;
  explicit operator bool() const { return file_ != nullptr; }
  std::FILE* file() const { return file_; }
  // The name messages give it: the path, or "standard input".
  const std::string& name() const { return name_; }
  // A file that can be read again from its start (not standard input, nor a named pipe).
  bool rereadable() const { return rereadable_; }
  // Reads it again from its start; false when it cannot be.
  bool Rewind() const;

 private:
  std::FILE* file_ = nullptr;
  bool owned_ = false;
  bool rereadable_ = false;
  std::string name_;
};

// Calls `take(chunk)` for the bytes of `input` as they arrive (a leading UTF-8 byte order mark
// left out when `dropBom`) until the end or until `take` returns false. False after one line
// on `err` when reading failed.
template <typename Take>
bool ReadChunks(const Input& input, std::FILE* err, bool dropBom, Take&& take);
// The whole of `input`, as it is; nothing after the line of a failed read.
std::optional<std::string> ReadAll(const Input& input, std::FILE* err);

// Where --out writes: "-" is standard output (`out`, its bytes as they are), any other word a
// file made anew; nothing after one line on `err` when it cannot be made.
std::FILE* OpenOutput(const std::string& name, std::FILE* out, std::FILE* err);
// Flushes `out` and, when `close`, closes it; true when everything written reached the file.
// Otherwise one line on `err`, "cardo-cli: cannot write NAME: REASON".
bool FinishOutput(std::FILE* out, bool close, const std::string& name, std::FILE* err);

// The line for a command that ran out of memory; what was written before stays.
void ReportOutOfMemory(std::FILE* err);
// The line for a read that failed after the file was open.
void ReportReadError(const std::string& name, std::FILE* err);

// Ends the process at once and quietly, as a Unix tool ends when the reader of its output has
// gone (SIGPIPE natively): `cleanup` (set by AtClosedPipe) runs first.
[[noreturn]] void EndAtClosedPipe();
void AtClosedPipe(void (*cleanup)());

template <typename Take>
bool ReadChunks(const Input& input, std::FILE* err, bool dropBom, Take&& take) {
  std::string chunk(std::size_t{1} << 16, '\0');
  bool first = dropBom;
  long long got = 0;
  while ((got = ReadSome(input.file(), chunk.data(), chunk.size())) > 0) {
    std::string_view bytes(chunk.data(), static_cast<std::size_t>(got));
    if (first && kUtf8Bom.starts_with(bytes)) {
      // A file shorter than its mark is no mark; a pipe may give the mark in pieces.
      while (bytes.size() < kUtf8Bom.size() && kUtf8Bom.starts_with(bytes)) {
        const long long more =
            ReadSome(input.file(), chunk.data() + bytes.size(), kUtf8Bom.size() - bytes.size());
        if (more <= 0) break;
        bytes = std::string_view(chunk.data(), bytes.size() + static_cast<std::size_t>(more));
      }
    }
    if (first) bytes = DropBom(bytes);
    first = false;
    if (!take(bytes)) return true;
  }
  if (got < 0) {
    ReportReadError(input.name(), err);
    return false;
  }
  return true;
}

}  // namespace cardo::cli
