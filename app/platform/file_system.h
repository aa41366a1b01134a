#pragma once
// The file-system seam. The program reaches files only through this interface, so tests can
// make any operation fail (a full disk, a read-only file) without depending on the machine.
#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace cardo {

enum class PathKind { Missing, File, Folder };

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  virtual PathKind Probe(const std::u16string& path) = 0;
  // The whole file, or nothing when it cannot be opened or read.
  std::optional<std::string> ReadAll(const std::u16string& path) {
    std::string out;
    if (!ReadChunks(path, [&out](std::string_view chunk) {
          out.append(chunk);
          return true;
        })) {
      return std::nullopt;
    }
    return out;
  }
  // Hands the file to `sink` piece by piece, in order, so that a file of any size can be read
  // in bounded memory; `sink` returns false to stop early. False when the file cannot be
  // opened or a read fails.
  using ChunkSink = std::function<bool(std::string_view)>;
  virtual bool ReadChunks(const std::u16string& path, const ChunkSink& sink) = 0;
  // Creates or truncates `path` and writes `bytes`; false on any failure.
  virtual bool WriteAll(const std::u16string& path, std::string_view bytes) = 0;
  // Writes a temporary file beside `path` (a name of this process's own, so two instances
  // never share one) and replaces `path` with it only after a complete write; on failure `path`
  // is untouched and the temporary file is gone. A replaced file keeps its attributes (and on
  // Windows its security). Where no temporary file can be made or the replacement is refused,
  // `path` is written in place instead, after the room for all of `bytes` has been reserved:
  // a full disk then fails before the old content is touched.
  virtual bool ReplaceAll(const std::u16string& path, std::string_view bytes) = 0;
  // Whether ReplaceAll could write `path` now: a new file can be made beside it, or it exists
  // and opens for writing. Changes nothing; LastErrorText says why not.
  virtual bool CanReplace(const std::u16string& path) = 0;
  // Copies, replacing an existing target.
  virtual bool Copy(const std::u16string& from, const std::u16string& to) = 0;
  virtual bool Remove(const std::u16string& path) = 0;
  // Absolute form of `path`, or nothing when the system cannot form one.
  virtual std::optional<std::u16string> FullPath(const std::u16string& path) = 0;
  // The system's description of why the last failed operation failed.
  virtual std::u16string LastErrorText() = 0;
};

// The platform's implementation (Win32 W functions, or POSIX natively).
FileSystem& SystemFileSystem();

// Opens `path` as fopen does with `mode` "rb", "wb" or "ab" (binary). The file can be deleted while
// the stream is open (on Windows it shares deletion), so a process that ends on a console event
// can remove a file it is still reading or writing.
std::FILE* OpenStream(const std::u16string& path, const char* mode);

// Reads at most `size` bytes of `file` into `to` and returns how many, as soon as there are
// any: a pipe or a terminal gives its lines as they are written, where fread would wait for a
// whole block. A file on disk is read as fread reads it. 0 at the end, -1 when the read failed.
// A stream read so is read so throughout: what stdio held back would be skipped.
long long ReadSome(std::FILE* file, char* to, std::size_t size);

// The path separator of the platform: "\" on Windows, "/" natively.
char16_t PathSeparator();

}  // namespace cardo
