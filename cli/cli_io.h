#pragma once
// What every command of cardo-cli does with its files: input read whole or in chunks with a
// leading UTF-8 byte order mark dropped, an unreadable input named with the system's reason,
// text for standard output written in one form for every command, and output checked to its
// end (the final flush and the close included), so that no command exits 0 after a write that
// failed. Paths are UTF-8; cardo-cli.exe opens them by their UTF-16 form, so any name works.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

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
};

// The form of this build's standard output with the encoding the user asked for, if any.
OutputForm WithEncoding(OutputForm form, std::optional<OutputEncoding> asked);
// The encoding an --output-encoding value names: "utf-8" or "cp932".
std::optional<OutputEncoding> OutputEncodingNamed(std::string_view name);
// The help lines of --output-encoding, the same for every command.
inline constexpr char kOutputEncodingHelp[] =
    "  --output-encoding utf-8|cp932\n"
    "                    the bytes of standard output (default utf-8); a console shows the\n"
    "                    text whatever this says. Lines end with LF, with CR LF in\n"
    "                    cardo-cli.exe\n";

// Text for standard output, gathered and written in large blocks (a million short lines would
// otherwise cost a million calls). What `Write` takes is UTF-8 with LF line ends, whole
// characters each time; it goes out in `form`. A character code page 932 lacks becomes "?".
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
  bool Finish(const char* command, std::FILE* err);

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

// Opens `path` for reading; nothing after one line on `err`, "cardo-cli COMMAND: cannot read
// PATH: REASON". A folder is refused here, not at the first read.
std::FILE* OpenInput(const std::string& path, const char* command, std::FILE* err);
// The whole of `path` without its byte order mark; nothing after the line of OpenInput.
std::optional<std::string> ReadInput(const std::string& path, const char* command, std::FILE* err);
// Calls `take(chunk)` for the bytes of `in` (the byte order mark left out) until the end or
// until `take` returns false. False after one line on `err` when reading failed.
template <typename Take>
bool ReadChunks(std::FILE* in, const std::string& name, const char* command, std::FILE* err,
                Take&& take);

// Flushes `out` and, when `close`, closes it; true when everything written reached the file.
// Otherwise one line on `err`, "cardo-cli COMMAND: cannot write NAME: REASON".
bool FinishOutput(std::FILE* out, bool close, const std::string& name, const char* command,
                  std::FILE* err);

// A message for standard error, printf's `format` giving UTF-8 text: a console window is shown
// it as characters (cardo-cli.exe), anything else gets the bytes.
[[gnu::format(printf, 2, 3)]] void Say(std::FILE* err, const char* format, ...);

// The line for a command that ran out of memory; what was written before stays.
void ReportOutOfMemory(const char* command, std::FILE* err);
// The line for a read that failed after the file was open.
void ReportReadError(const std::string& name, const char* command, std::FILE* err);

template <typename Take>
bool ReadChunks(std::FILE* in, const std::string& name, const char* command, std::FILE* err,
                Take&& take) {
  std::string chunk(std::size_t{1} << 16, '\0');
  bool first = true;
  std::size_t got = 0;
  while ((got = std::fread(chunk.data(), 1, chunk.size(), in)) > 0) {
    std::string_view bytes(chunk.data(), got);
    if (first) {
      // A file shorter than its mark is no mark.
      while (bytes.size() < kUtf8Bom.size() && !std::feof(in) && !std::ferror(in)) {
        const std::size_t more =
            std::fread(chunk.data() + bytes.size(), 1, kUtf8Bom.size() - bytes.size(), in);
        if (more == 0) break;
        bytes = std::string_view(chunk.data(), bytes.size() + more);
      }
      bytes = DropBom(bytes);
      first = false;
    }
    if (!take(bytes)) return true;
  }
  if (std::ferror(in)) {
    ReportReadError(name, command, err);
    return false;
  }
  return true;
}

}  // namespace cardo::cli
