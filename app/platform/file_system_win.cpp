#include <windows.h>

#include "app/platform/file_system.h"
#include "app/platform/win_handle.h"

namespace cardo {
namespace {

const wchar_t* W(const std::u16string& s) {
  return reinterpret_cast<const wchar_t*>(s.c_str());
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
    const DWORD attrs = GetFileAttributesW(W(path));
    if (attrs == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    return (attrs & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder : PathKind::File;
  }

  std::optional<std::string> ReadAll(const std::u16string& path) override {
    UniqueFile file(CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF) return std::nullopt;
    std::string out(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t done = 0;
    while (done < out.size()) {
      DWORD got = 0;
      if (!ReadFile(file.get(), out.data() + done, static_cast<DWORD>(out.size() - done), &got,
                    nullptr))
        return std::nullopt;
      if (got == 0) break;
      done += got;
    }
    out.resize(done);
    return out;
  }

  bool WriteAll(const std::u16string& path, std::string_view bytes) override {
    UniqueFile file(CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    return WriteFully(file.get(), bytes);
  }

  bool ReplaceAll(const std::u16string& path, std::string_view bytes) override {
    // The temporary name is the target's plus a suffix, so it lies in the same folder and the
    // final move is a rename on one volume.
    const std::u16string temp = path + u".cardo-tmp";
    {
      UniqueFile file(CreateFileW(W(temp), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file) return false;
      if (!WriteFully(file.get(), bytes) || !FlushFileBuffers(file.get())) {
        file.reset();
        DeleteFileW(W(temp));
        return false;
      }
    }
    if (!MoveFileExW(W(temp), W(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      DeleteFileW(W(temp));
      return false;
    }
    return true;
  }

  bool Copy(const std::u16string& from, const std::u16string& to) override {
    return CopyFileW(W(from), W(to), FALSE) != FALSE;
  }

  bool Remove(const std::u16string& path) override { return DeleteFileW(W(path)) != FALSE; }

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
};

}  // namespace

FileSystem& SystemFileSystem() {
  static WinFileSystem instance;
  return instance;
}

char16_t PathSeparator() {
  return u'\\';
}

}  // namespace cardo
