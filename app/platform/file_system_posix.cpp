#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "app/platform/file_system.h"
#include "app/platform/text.h"

namespace cardo {
namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_;
};

bool WriteFully(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

class PosixFileSystem final : public FileSystem {
 public:
  PathKind Probe(const std::u16string& path) override {
    struct stat st {};
    if (path.empty() || ::stat(Utf16ToUtf8(path).c_str(), &st) != 0) return PathKind::Missing;
    if (S_ISDIR(st.st_mode)) return PathKind::Folder;
    return PathKind::File;
  }

  bool ReadChunks(const std::u16string& path, const ChunkSink& sink) override {
    Fd fd(::open(Utf16ToUtf8(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) return Failed();
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0) return Failed();
    if (S_ISDIR(st.st_mode)) {
      errno = EISDIR;
      return Failed();
    }
    std::string buffer(1u << 20, '\0');
    for (;;) {
      const ssize_t n = ::read(fd.get(), buffer.data(), buffer.size());
      if (n < 0) {
        if (errno == EINTR) continue;
        return Failed();
      }
      if (n == 0 || !sink(std::string_view(buffer.data(), static_cast<std::size_t>(n)))) {
        return true;
      }
    }
  }

  bool WriteAll(const std::u16string& path, std::string_view bytes) override {
    Fd fd(::open(Utf16ToUtf8(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (fd.get() < 0) return Failed();
    const bool ok = WriteFully(fd.get(), bytes);
    return (::close(fd.release()) == 0 && ok) || Failed();
  }

  bool ReplaceAll(const std::u16string& path, std::string_view bytes) override {
    const std::string target = Utf16ToUtf8(path);
    std::string temp = target + ".XXXXXX";
    Fd fd(::mkstemp(temp.data()));
    if (fd.get() < 0) return WriteInPlace(target, bytes);
    bool ok = WriteFully(fd.get(), bytes) && ::fsync(fd.get()) == 0;
    ok = ::close(fd.release()) == 0 && ok;
    if (ok) {
      struct stat st {};
      // Keep the permissions of a file we replace; a new one gets the usual mode.
      ::chmod(temp.c_str(), ::stat(target.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0644);
      ok = ::rename(temp.c_str(), target.c_str()) == 0;
    }
    if (!ok) {
      const int failure = errno;
      ::unlink(temp.c_str());
      errno = failure;
      return Failed();
    }
    return true;
  }

  bool CanReplace(const std::u16string& path) override {
    const std::string target = Utf16ToUtf8(path);
    std::string temp = target + ".XXXXXX";
    Fd probe(::mkstemp(temp.data()));
    if (probe.get() >= 0) {
      ::unlink(temp.c_str());
      return true;
    }
    const int refused = errno;
    Fd existing(::open(target.c_str(), O_WRONLY | O_CLOEXEC));
    if (existing.get() >= 0) return true;
    // A missing file says nothing: why the folder refused the new one does.
    error_ = errno == ENOENT ? refused : errno;
    return false;
  }

  bool Copy(const std::u16string& from, const std::u16string& to) override {
    auto bytes = ReadAll(from);
    return bytes && WriteAll(to, *bytes);
  }

  bool Remove(const std::u16string& path) override {
    return ::unlink(Utf16ToUtf8(path).c_str()) == 0 || Failed();
  }

  std::optional<std::u16string> FullPath(const std::u16string& path) override {
    if (path.empty()) return std::nullopt;
    std::string p = Utf16ToUtf8(path);
    if (p[0] != '/') {
      char cwd[PATH_MAX];
      if (!::getcwd(cwd, sizeof cwd)) return std::nullopt;
      p = std::string(cwd) + "/" + p;
    }
    return Utf8ToUtf16(p);
  }

  std::u16string LastErrorText() override { return Utf8ToUtf16(std::strerror(error_)); }

 private:
  bool Failed() {
    error_ = errno;
    return false;
  }
  // A folder that takes no new files: the target is overwritten directly, after the room for
  // the whole text is reserved, so a full disk fails with the old content untouched.
  bool WriteInPlace(const std::string& target, std::string_view bytes) {
    Fd fd(::open(target.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666));
    if (fd.get() < 0) return Failed();
    const int reserved = ::posix_fallocate(fd.get(), 0, static_cast<off_t>(bytes.size()));
    if (reserved == ENOSPC || reserved == EFBIG) {
      errno = reserved;
      return Failed();
    }
    bool ok =
        WriteFully(fd.get(), bytes) && ::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) == 0;
    ok = ::close(fd.release()) == 0 && ok;
    return ok || Failed();
  }

  int error_ = 0;
};

}  // namespace

FileSystem& SystemFileSystem() {
  static PosixFileSystem instance;
  return instance;
}

std::FILE* OpenStream(const std::u16string& path, const char* mode) {
  return std::fopen(Utf16ToUtf8(path).c_str(), mode);
}

char16_t PathSeparator() {
  return u'/';
}

long long ReadSome(std::FILE* file, char* to, std::size_t size) {
  struct stat st {};
  const int fd = ::fileno(file);
  if (fd < 0 || ::fstat(fd, &st) != 0 || S_ISREG(st.st_mode)) {
    const std::size_t n = std::fread(to, 1, size, file);
    return n == 0 && std::ferror(file) ? -1 : static_cast<long long>(n);
  }
  for (;;) {
    const ssize_t n = ::read(fd, to, size);
    if (n >= 0 || errno != EINTR) return n;
  }
}

}  // namespace cardo
