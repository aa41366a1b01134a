#pragma once
// What every command of cardo-cli does with its files: input read whole or in chunks with a
// leading UTF-8 byte order mark dropped, an unreadable input named with the system's reason,
// and output checked to its end (the final flush and the close included), so that no command
// exits 0 after a write that failed.
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace cardo::cli {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

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
