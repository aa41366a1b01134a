#include "cli/cli_io.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <memory>

namespace cardo::cli {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

void Report(const char* command, const char* what, const std::string& name, int error,
            std::FILE* err) {
  std::fprintf(err, "cardo-cli %s: %s %s: %s\n", command, what, name.c_str(), std::strerror(error));
}

}  // namespace

std::string_view DropBom(std::string_view bytes) {
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) bytes.remove_prefix(kUtf8Bom.size());
  return bytes;
}

std::FILE* OpenInput(const std::string& path, const char* command, std::FILE* err) {
  struct stat info {};
  if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    Report(command, "cannot read", path, EISDIR, err);
    return nullptr;
  }
  std::FILE* in = std::fopen(path.c_str(), "rb");
  if (!in) Report(command, "cannot read", path, errno, err);
  return in;
}

std::optional<std::string> ReadInput(const std::string& path, const char* command, std::FILE* err) {
  std::unique_ptr<std::FILE, FileCloser> in(OpenInput(path, command, err));
  if (!in) return std::nullopt;
  std::string bytes;
  if (!ReadChunks(in.get(), path, command, err, [&](std::string_view chunk) {
        bytes.append(chunk);
        return true;
      })) {
    return std::nullopt;
  }
  return bytes;
}

void ReportReadError(const std::string& name, const char* command, std::FILE* err) {
  Report(command, "cannot read", name, errno ? errno : EIO, err);
}

bool FinishOutput(std::FILE* out, bool close, const std::string& name, const char* command,
                  std::FILE* err) {
  bool ok = !std::ferror(out);
  int error = errno;  // a write that failed earlier left its reason here
  if (ok) {
    errno = 0;
    ok = std::fflush(out) == 0 && !std::ferror(out);
    error = errno;
  }
  if (close) {
    errno = 0;
    if (std::fclose(out) != 0 && ok) {
      ok = false;
      error = errno;
    }
  }
  if (!ok) Report(command, "cannot write", name, error ? error : EIO, err);
  return ok;
}

void ReportOutOfMemory(const char* command, std::FILE* err) {
  std::fprintf(err, "cardo-cli %s: out of memory; the output stops here (what was written stays)\n",
               command);
}

}  // namespace cardo::cli
