#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "app/platform/file_system.h"
#include "app/platform/win_check.h"
#include "app/platform/win_handle.h"
#include "app/platform/wide_text_win.h"

namespace cardo {
namespace {

// Paths that reach MAX_PATH (with room for a temporary suffix) go to the file system with the
// \\?\ prefix, which lifts the limit; it takes absolute paths only.
std::u16string Extended(const std::u16string& path) {
  constexpr std::size_t kRoomForSuffix = 12;
  if (path.size() + kRoomForSuffix < MAX_PATH || path.starts_with(u"\\\\?\\")) return path;
  if (path.size() > 2 && path[1] == u':' && path[2] == u'\\') return u"\\\\?\\" + path;
  if (path.starts_with(u"\\\\")) return u"\\\\?\\UNC\\" + path.substr(2);
  return path;
}

// The temporary file beside `path`: the target's name plus a suffix of this process's own, so
// it lies in the same folder (the final step is a rename on one volume) and two instances
// saving the same file never write into one temporary file.
std::u16string TemporaryBeside(const std::u16string& path) {
  static constexpr char16_t kHex[] = u"0123456789abcdef";
  std::u16string suffix = u".~";
  const DWORD id = GetCurrentProcessId();
  for (int shift = 28; shift >= 0; shift -= 4) suffix.push_back(kHex[(id >> shift) & 0xF]);
  return path + suffix;
}

bool WriteFully(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 24));
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

class WinFileSystem final : public FileSystem {
 public:
  PathKind Probe(const std::u16string& path) override {
    if (path.empty()) return PathKind::Missing;
    const DWORD attrs = GetFileAttributesW(W(Extended(path)));
    if (attrs == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    return (attrs & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder : PathKind::File;
  }

  bool ReadChunks(const std::u16string& path, const ChunkSink& sink) override {
    // Sharing deletion too lets another instance replace the file while this one reads it.
    UniqueFile file(CreateFileW(W(Extended(path)), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return Failed();
    std::string buffer(1u << 20, '\0');
    for (;;) {
      DWORD got = 0;
      if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr)) {
        return Failed();
      }
      if (got == 0 || !sink(std::string_view(buffer.data(), got))) return true;
    }
  }

  bool WriteAll(const std::u16string& path, std::string_view bytes) override {
    UniqueFile file(CreateFileW(W(Extended(path)), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || !WriteFully(file.get(), bytes)) return Failed();
    return true;
  }

  bool ReplaceAll(const std::u16string& relativeOrFull, std::string_view bytes) override {
    // ReplaceFileW refuses a relative path (ERROR_DIRECTORY under Wine): a list opened by its
    // bare name from the command line must still save.
    const std::u16string path = FullPath(relativeOrFull).value_or(relativeOrFull);
    const std::u16string target = Extended(path);
    const std::u16string temp = Extended(TemporaryBeside(path));
    UniqueFile file(CreateFileW(W(temp), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return WriteInPlace(target, bytes);
    if (!WriteFully(file.get(), bytes) || !FlushFileBuffers(file.get())) {
      Failed();
      file.reset();
      // The write's own failure is what the caller hears; a temporary file left over is named
      // as such and harms nothing.
      CARDO_CHECK_WIN32(DeleteFileW(W(temp)));
      return false;
    }
    file.reset();
    const DWORD attrs = GetFileAttributesW(W(target));
    bool replaced = false;
    // Another process with the target open (a second instance reading its settings, a virus
    // scanner) refuses the replacement for a moment: a few short tries outlast it.
    for (int attempt = 0; attempt < 10 && !replaced; ++attempt) {
      if (attempt > 0) Sleep(50);
      if (attrs == INVALID_FILE_ATTRIBUTES) {
        replaced =
            MoveFileExW(W(temp), W(target), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
      } else {
        // ReplaceFile keeps the target's attributes and security, which a rename would drop.
        replaced = ReplaceFileW(W(target), W(temp), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                                nullptr, nullptr);
      }
      const DWORD error = replaced ? ERROR_SUCCESS : GetLastError();
      if (error != ERROR_SHARING_VIOLATION && error != ERROR_UNABLE_TO_REMOVE_REPLACED &&
          error != ERROR_LOCK_VIOLATION) {
        break;
      }
    }
    if (replaced && attrs != INVALID_FILE_ATTRIBUTES && GetFileAttributesW(W(target)) != attrs) {
      CARDO_CHECK_WIN32(SetFileAttributesW(W(target), attrs));
    }
    if (replaced) return true;
    const DWORD refused = GetLastError();
    CARDO_CHECK_WIN32(DeleteFileW(W(temp)));  // as above: the refusal is what matters
    if (refused == ERROR_ACCESS_DENIED && attrs != INVALID_FILE_ATTRIBUTES &&
        !(attrs & FILE_ATTRIBUTE_READONLY)) {
      return WriteInPlace(target, bytes);
    }
    error_ = refused;
    return false;
  }

  bool CanReplace(const std::u16string& path) override {
    UniqueFile probe(CreateFileW(W(Extended(TemporaryBeside(path))), GENERIC_WRITE, 0, nullptr,
                                 CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (probe) return true;
    const DWORD refused = GetLastError();
    UniqueFile existing(CreateFileW(W(Extended(path)), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (existing) return true;
    // A missing file says nothing: why the folder refused the new one does.
    const DWORD error = GetLastError();
    error_ = error == ERROR_FILE_NOT_FOUND ? refused : error;
    return false;
  }

  bool Copy(const std::u16string& from, const std::u16string& to) override {
    return CopyFileW(W(Extended(from)), W(Extended(to)), FALSE) || Failed();
  }

  bool Remove(const std::u16string& path) override {
    return DeleteFileW(W(Extended(path))) || Failed();
  }

  std::optional<std::u16string> FullPath(const std::u16string& path) override {
    if (path.empty()) return std::nullopt;
    const DWORD n = GetFullPathNameW(W(path), 0, nullptr, nullptr);
    if (n == 0) return std::nullopt;
    std::u16string out(n, u'\0');
    const DWORD got = GetFullPathNameW(W(path), n, reinterpret_cast<wchar_t*>(out.data()), nullptr);
    if (got == 0 || got >= n) return std::nullopt;
    out.resize(got);
    return out;
  }

  std::u16string LastErrorText() override { return SystemErrorText(error_); }

 private:
  bool Failed() {
    error_ = GetLastError();
    return false;
  }

  // The fallback where the folder takes no new files or refuses the rename: the target is
  // overwritten directly. The room for the whole text is reserved first, so a full disk fails
  // with the old content untouched; only a failure of the write itself can leave it short.
  bool WriteInPlace(const std::u16string& target, std::string_view bytes) {
    UniqueFile file(CreateFileW(W(target), GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return Failed();
    FILE_ALLOCATION_INFO room{};
    room.AllocationSize.QuadPart = static_cast<LONGLONG>(bytes.size());
    if (!SetFileInformationByHandle(file.get(), FileAllocationInfo, &room, sizeof room)) {
      const DWORD error = GetLastError();
      if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) return Failed();
    }
    if (!WriteFully(file.get(), bytes) || !SetEndOfFile(file.get())) return Failed();
    return true;
  }

  DWORD error_ = ERROR_SUCCESS;
};

// errno for a failed open, as the C library's own open would set it: its callers report it.
int OpenErrno(DWORD error) {
  static constexpr struct {
    DWORD error;
    int code;
  } kCodes[] = {
      {ERROR_FILE_NOT_FOUND, ENOENT},    {ERROR_PATH_NOT_FOUND, ENOENT},
      {ERROR_INVALID_NAME, ENOENT},      {ERROR_ACCESS_DENIED, EACCES},
      {ERROR_SHARING_VIOLATION, EACCES}, {ERROR_WRITE_PROTECT, EACCES},
      {ERROR_DISK_FULL, ENOSPC},         {ERROR_TOO_MANY_OPEN_FILES, EMFILE},
  };
  for (const auto& c : kCodes) {
    if (c.error == error) return c.code;
  }
  return EINVAL;
}

}  // namespace

FileSystem& SystemFileSystem() {
  static WinFileSystem instance;
  return instance;
}

std::FILE* OpenStream(const std::u16string& path, const char* mode) {
  const bool read = mode[0] == 'r';
  const bool append = mode[0] == 'a';
  UniqueFile file(CreateFileW(W(path), read ? GENERIC_READ : GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              read     ? OPEN_EXISTING
                              : append ? OPEN_ALWAYS
                                       : CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    errno = OpenErrno(GetLastError());
    return nullptr;
  }
  const int fd =
      _open_osfhandle(reinterpret_cast<intptr_t>(file.get()), _O_BINARY | (read     ? _O_RDONLY
                                                                           : append ? _O_APPEND
                                                                                    : 0));
  if (fd < 0) return nullptr;
  file.release();  // the descriptor owns the handle now
  std::FILE* stream = _fdopen(fd, mode);
  if (!stream) _close(fd);
  return stream;
}

char16_t PathSeparator() {
  return u'\\';
}

long long ReadSome(std::FILE* file, char* to, std::size_t size) {
  const int fd = _fileno(file);
  const DWORD type =
      fd < 0 ? FILE_TYPE_UNKNOWN : GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(fd)));
  if (type != FILE_TYPE_PIPE && type != FILE_TYPE_CHAR) {
    const std::size_t n = std::fread(to, 1, size, file);
    return n == 0 && std::ferror(file) ? -1 : static_cast<long long>(n);
  }
  // _read gives what one ReadFile gives, and reads a pipe whose writer is gone as its end.
  const unsigned most = static_cast<unsigned>(std::min<std::size_t>(size, 1u << 30));
  return _read(fd, to, most);
}

}  // namespace cardo
