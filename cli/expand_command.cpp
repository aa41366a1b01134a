#include "cli/expand_command.h"

#include <cstring>
#include <new>

#include "cli/cli_io.h"

namespace cardo::cli {
namespace {

// Output is gathered in a large buffer and written in big blocks: a million short lines
// would otherwise cost a million calls.
class BlockWriter {
 public:
  explicit BlockWriter(std::FILE* out) : out_(out) { buffer_.reserve(kBlock); }
  ~BlockWriter() { Flush(); }
  BlockWriter(const BlockWriter&) = delete;
  BlockWriter& operator=(const BlockWriter&) = delete;

  bool Line(std::string_view line) {
    buffer_.append(line);
    buffer_.push_back('\n');
    if (buffer_.size() >= kBlock) return Flush();
    return true;
  }
  bool Flush() {
    if (!buffer_.empty() && std::fwrite(buffer_.data(), 1, buffer_.size(), out_) != buffer_.size())
      failed_ = true;
    buffer_.clear();
    return !failed_;
  }
  bool failed() const { return failed_; }

 private:
  static constexpr std::size_t kBlock = 1 << 20;
  std::FILE* out_;
  std::string buffer_;
  bool failed_ = false;
};

// Drops the line end (LF, CR LF) that reading left on a line.
std::string_view Chomp(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

}  // namespace

const char* PatternMessage(fnc::PatternCode code) {
  switch (code) {
    case fnc::kNoOpenBracket:
      return "文字列内に[が見つかりません。";
    case fnc::kNoCloseBracket:
      return "文字列内の[以降に]が見つかりません。";
    case fnc::kNoSeparator:
      return "文字列の[]内に「-」が見つかりません。";
    case fnc::kEmptyBound:
    case fnc::kBadBound:
      return "[]内の構文が不正です。";
    case fnc::kPatternOk:
      break;
  }
  return "";
}

int RunExpand(const std::vector<std::string>& lines, bool fromStdin, std::FILE* in, std::FILE* out,
              std::FILE* err, fnc::LeadByteTest isLead) {
  BlockWriter writer(out);
  int status = 0;
  auto expandOne = [&](std::string_view line) {
    if (line.empty()) return;  // blank pieces are skipped, as the expansion window skips them
    const auto expansion = fnc::Expansion::Parse(line, isLead);
    if (!expansion) {
      const auto code = fnc::CheckPattern(line, isLead);
      // Everything produced so far goes out first, so a shared stream keeps the order.
      writer.Flush();
      std::fflush(out);
      std::fprintf(err, "%.*s - %s (%d)\n", static_cast<int>(line.size()), line.data(),
                   PatternMessage(code), static_cast<int>(code));
      status = 1;
      return;
    }
    expansion->ForEachLine([&](std::string_view produced) { return writer.Line(produced); });
  };

  bool readFailed = false;
  try {
    if (fromStdin) {
      // Read as bytes: a NUL is part of its line, not its end.
      std::string line;
      readFailed = !ReadChunks(in, "standard input", "expand", err, [&](std::string_view rest) {
        for (std::size_t end;
             (end = rest.find('\n')) != std::string_view::npos && !writer.failed();) {
          line.append(rest.substr(0, end + 1));
          expandOne(Chomp(line));
          line.clear();
          rest.remove_prefix(end + 1);
        }
        line.append(rest);
        return !writer.failed();
      });
      if (!line.empty() && !writer.failed()) expandOne(Chomp(line));
    } else {
      for (const auto& line : lines) {
        expandOne(line);
        if (writer.failed()) break;
      }
    }
  } catch (const std::bad_alloc&) {
    writer.Flush();
    if (!FinishOutput(out, false, "standard output", "expand", err)) return 1;
    ReportOutOfMemory("expand", err);
    return 1;
  }
  writer.Flush();
  if (!FinishOutput(out, false, "standard output", "expand", err)) return 1;
  return readFailed ? 1 : status;
}

}  // namespace cardo::cli
