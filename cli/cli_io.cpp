#include "cli/cli_io.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "app/platform/codec.h"
#include "app/platform/text.h"
#include "cli/console.h"
#include "cli/messages.h"

namespace cardo::cli {
namespace {

std::atomic<void (*)()> closedPipeCleanup{nullptr};

void Report(const Phrase& what, const std::string& name, int error, std::FILE* err) {
  Say(err, what, {name, std::strerror(error)});
}

bool IsFolder(const std::string& path) {
#ifdef _WIN32
  struct _stat64 info {};
  return _wstat64(reinterpret_cast<const wchar_t*>(Utf8ToUtf16(path).c_str()), &info) == 0 &&
         (info.st_mode & _S_IFDIR);
#else
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
#endif
}

}  // namespace

std::string_view DropBom(std::string_view bytes) {
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) bytes.remove_prefix(kUtf8Bom.size());
  return bytes;
}

std::FILE* OpenFile(const std::string& path, const char* mode) {
  return OpenStream(Utf8ToUtf16(path), mode);
}

Input::Input(const std::string& name, std::FILE* in, std::FILE* err) {
  if (name == "-") {
    file_ = in;
    name_ = Text(phrase::kStandardInput);
    return;
  }
  name_ = name;
  if (IsFolder(name)) {
    Report(phrase::kCannotRead, name, EISDIR, err);
    return;
  }
  file_ = OpenFile(name, "rb");
  owned_ = file_ != nullptr;
  if (!file_) Report(phrase::kCannotRead, name, errno, err);
  rereadable_ = owned_ && std::fseek(file_, 0, SEEK_CUR) == 0;
}

bool Input::Rewind() const {
  return rereadable_ && std::fseek(file_, 0, SEEK_SET) == 0;
}

Input::~Input() {
  if (owned_) std::fclose(file_);
}

std::optional<std::string> ReadAll(const Input& input, std::FILE* err) {
  std::string bytes;
  // A file's size known, its bytes are held once, never in a buffer that doubles.
  if (std::fseek(input.file(), 0, SEEK_END) == 0) {
    const long size = std::ftell(input.file());
    std::rewind(input.file());
    if (size > 0) bytes.reserve(static_cast<std::size_t>(size));
  }
  if (!ReadChunks(input, err, false, [&](std::string_view chunk) {
        bytes.append(chunk);
        return true;
      })) {
    return std::nullopt;
  }
  return bytes;
}

void ReportReadError(const std::string& name, std::FILE* err) {
  Report(phrase::kCannotRead, name, errno ? errno : EIO, err);
}

std::FILE* OpenOutput(const std::string& name, std::FILE* out, std::FILE* err) {
  if (name == "-") return out;
  std::FILE* file = OpenFile(name, "wb");
  if (!file) Report(phrase::kCannotWrite, name, errno, err);
  return file;
}

bool FinishOutput(std::FILE* out, bool close, const std::string& name, std::FILE* err) {
  bool ok = !std::ferror(out);
  int error = errno;  // a write that failed earlier left its reason here
  if (ok) {
    errno = 0;
    ok = std::fflush(out) == 0 && !std::ferror(out);
    error = errno;
  }
  if (!ok && WriteFoundPipeClosed()) EndAtClosedPipe();
  if (close) {
    errno = 0;
    if (std::fclose(out) != 0 && ok) {
      ok = false;
      error = errno;
    }
  }
  if (!ok) Report(phrase::kCannotWrite, name, error ? error : EIO, err);
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
  buffer_.reserve(form.flushLines ? 256 : kBlock);
}

bool TextWriter::Write(std::string_view utf8) {
  buffer_.append(utf8);
  const bool lineEnded = form_.flushLines && !utf8.empty() && utf8.back() == '\n';
  if (buffer_.size() >= kBlock || lineEnded) return Flush();
  return !failed_;
}

bool TextWriter::Line(std::string_view utf8) {
  buffer_.append(utf8);
  return Write("\n");
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
      failed_ = std::fwrite(bytes.data(), 1, bytes.size(), out_) != bytes.size() ||
                std::fflush(out_) != 0;
    }
    if (failed_ && WriteFoundPipeClosed()) EndAtClosedPipe();
  }
  buffer_.clear();
  return !failed_;
}

bool TextWriter::Finish(std::FILE* err) {
  Flush();
  const bool ok = FinishOutput(out_, false, Text(phrase::kStandardOutput), err);
  if (lost_) Say(err, phrase::kLostCharacters);
  return ok;
}

void ReportOutOfMemory(std::FILE* err) {
  Say(err, phrase::kOutOfMemory);
}

void AtClosedPipe(void (*cleanup)()) {
  closedPipeCleanup = cleanup;
}

void EndAtClosedPipe() {
  if (void (*cleanup)() = closedPipeCleanup.load()) cleanup();
  EndAsClosedPipeEnds();
}

}  // namespace cardo::cli
