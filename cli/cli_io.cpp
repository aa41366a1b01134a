#include "cli/cli_io.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <memory>

#include "app/platform/codec.h"
#include "app/platform/file_system.h"
#include "app/platform/text.h"
#include "cli/console.h"

namespace cardo::cli {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

void Report(const char* command, const char* what, const std::string& name, int error,
            std::FILE* err) {
  Say(err, "cardo-cli %s: %s %s: %s\n", command, what, name.c_str(), std::strerror(error));
}

}  // namespace

std::string_view DropBom(std::string_view bytes) {
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) bytes.remove_prefix(kUtf8Bom.size());
  return bytes;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
  return OpenStream(Utf8ToUtf16(path), mode);
}

std::FILE* OpenInput(const std::string& path, const char* command, std::FILE* err) {
#ifdef _WIN32
  struct _stat64 info {};
  const bool folder =
      _wstat64(reinterpret_cast<const wchar_t*>(Utf8ToUtf16(path).c_str()), &info) == 0 &&
      (info.st_mode & _S_IFDIR);
#else
  struct stat info {};
  const bool folder = ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
#endif
  if (folder) {
    Report(command, "cannot read", path, EISDIR, err);
    return nullptr;
  }
  std::FILE* in = OpenFile(path, "rb");
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

OutputForm WithEncoding(OutputForm form, std::optional<OutputEncoding> asked) {
  if (asked && !form.console) form.encoding = *asked;
  return form;
}

std::optional<OutputEncoding> OutputEncodingNamed(std::string_view name) {
  if (name == "utf-8") return OutputEncoding::Utf8;
  if (name == "cp932") return OutputEncoding::Cp932;
  return std::nullopt;
}

TextWriter::TextWriter(std::FILE* out, OutputForm form) : out_(out), form_(form) {
  buffer_.reserve(kBlock);
}

bool TextWriter::Write(std::string_view utf8) {
  buffer_.append(utf8);
  if (buffer_.size() >= kBlock) return Flush();
  return !failed_;
}

bool TextWriter::Line(std::string_view utf8) {
  return Write(utf8) && Write("\n");
}

bool TextWriter::Flush() {
  std::string converted;
  std::string_view bytes = buffer_;
  const auto ascii = [](std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; });
  };
  if (form_.encoding == OutputEncoding::Cp932 && !ascii(bytes)) {
    const std::u16string wide = Utf8ToUtf16(bytes);
    converted = WideToAnsi(wide);
    lost_ = lost_ || std::count(converted.begin(), converted.end(), '?') >
                         std::count(wide.begin(), wide.end(), u'?');
    bytes = converted;
  }
  if (form_.crlf) {
    // No byte of a multi-byte character in either encoding is an LF.
    std::string ends;
    ends.reserve(bytes.size() + bytes.size() / 16);
    for (char c : bytes) {
      if (c == '\n') ends += '\r';
      ends += c;
    }
    converted = std::move(ends);
    bytes = converted;
  }
  if (!failed_ && !bytes.empty()) {
    if (form_.console) {
      failed_ = std::fflush(out_) != 0 || !WriteToConsole(out_, bytes);
    } else {
      failed_ = std::fwrite(bytes.data(), 1, bytes.size(), out_) != bytes.size();
    }
  }
  buffer_.clear();
  return !failed_;
}

bool TextWriter::Finish(const char* command, std::FILE* err) {
  Flush();
  const bool ok = FinishOutput(out_, false, "standard output", command, err);
  if (lost_) {
    std::fprintf(err, "cardo-cli %s: characters code page 932 cannot hold were written as \"?\"\n",
                 command);
  }
  return ok;
}

void Say(std::FILE* err, const char* format, ...) {
  std::string text(256, '\0');
  for (;;) {
    std::va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(text.data(), text.size(), format, args);
    va_end(args);
    if (n >= 0 && static_cast<std::size_t>(n) < text.size()) {
      text.resize(n);
      break;
    }
    // A C library that says only that the text did not fit gets room until it does.
    text.resize(n >= 0 ? n + 1 : text.size() * 2);
  }
  if (IsConsole(err) && std::fflush(err) == 0 && WriteToConsole(err, text)) return;
  std::fputs(text.c_str(), err);
}

void ReportOutOfMemory(const char* command, std::FILE* err) {
  std::fprintf(err, "cardo-cli %s: out of memory; the output stops here (what was written stays)\n",
               command);
}

}  // namespace cardo::cli
