#include "app/extract/extraction_run.h"

#include <memory>
#include <new>
#include <string>

namespace cardo {
namespace {

// The lines of another source until `keepGoing` says no; a line counts its end too.
class StoppableLines final : public LineSource {
 public:
  StoppableLines(LineSource& lines, const KeepGoing& keepGoing)
      : lines_(lines), keepGoing_(keepGoing) {}
  bool Next(std::string& line) override {
    if (!keepGoing_(bytes_) || !lines_.Next(line)) return false;
    bytes_ += static_cast<long long>(line.size()) + 1;
    return true;
  }
  bool NextText(std::u16string& text) override {
    if (!keepGoing_(bytes_) || !lines_.NextText(text)) return false;
    bytes_ += static_cast<long long>(text.size()) + 1;  // a unit for a byte: near enough
    return true;
  }
  bool NextLines(std::string& text) override {
    if (!keepGoing_(bytes_) || !lines_.NextLines(text)) return false;
    bytes_ += static_cast<long long>(text.size());
    return true;
  }
  std::uint64_t LeftOut() const override { return lines_.LeftOut(); }

 private:
  LineSource& lines_;
  const KeepGoing& keepGoing_;
  long long bytes_ = 0;
};

CandidateSink Filtered(const CompiledFilter& filter, const PassedUrlSink& sink) {
  return [&](std::u16string_view url) {
    const int appends = filter.AppendCount(url);
    if (appends > 0) sink(url, appends);
  };
}

ExtractResult ScanFile(std::FILE* file, const EncodingRule& encoding, const ExtractOptions& options,
                       const CandidateSink& sink, const KeepGoing& keepGoing,
                       std::uint64_t* leftOut, Repeats repeats) {
  bool failed = false;
  try {
    const std::unique_ptr<LineSource> lines = OpenLineSource(file, encoding);
    std::uint64_t longRuns = 0;
    if (keepGoing) {
      StoppableLines stoppable(*lines, keepGoing);
      longRuns = ExtractUrls(stoppable, options, sink, repeats);
    } else {
      longRuns = ExtractUrls(*lines, options, sink, repeats);
    }
    failed = lines->Failed();
    if (leftOut) *leftOut = longRuns;
  } catch (const std::bad_alloc&) {
    // A 32-bit process may not find room for a line of hundreds of megabytes.
    return ExtractResult::OutOfMemory;
  }
  return failed || std::ferror(file) ? ExtractResult::Unreadable : ExtractResult::Done;
}

}  // namespace

ExtractResult ExtractFromFile(std::FILE* file, const EncodingRule& encoding,
                              const ExtractOptions& options, const CompiledFilter& filter,
                              const PassedUrlSink& sink, const KeepGoing& keepGoing,
                              std::uint64_t* leftOut) {
  return ScanFile(file, encoding, options, Filtered(filter, sink), keepGoing, leftOut,
                  Repeats::Dropped);
}

ExtractResult FindUrlsInFile(std::FILE* file, const EncodingRule& encoding,
                             const ExtractOptions& options, const CandidateSink& sink,
                             const KeepGoing& keepGoing, std::uint64_t* leftOut) {
  return ScanFile(file, encoding, options, sink, keepGoing, leftOut, Repeats::Kept);
}

ExtractResult ExtractFromText(std::string_view utf8, const ExtractOptions& options,
                              const CompiledFilter& filter, const PassedUrlSink& sink) {
  TextLineSource lines(utf8);
  try {
    ExtractUrls(lines, options, Filtered(filter, sink));
  } catch (const std::bad_alloc&) {
    return ExtractResult::OutOfMemory;
  }
  return ExtractResult::Done;
}

}  // namespace cardo
