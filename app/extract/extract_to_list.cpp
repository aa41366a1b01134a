#include "app/extract/extract_to_list.h"

#include <cstdio>
#include <memory>

#include "app/extract/filter_gate.h"
#include "app/platform/text.h"

namespace cardo {
namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

std::FILE* OpenForReading(const std::u16string& path) {
#ifdef _WIN32
  return _wfopen(reinterpret_cast<const wchar_t*>(path.c_str()), L"rb");
#else
  return std::fopen(Utf16ToUtf8(path).c_str(), "rb");
#endif
}

}  // namespace

ExtractOutcome ExtractUrlsToList(const std::u16string& path, const ExtractOptions& options,
                                 std::u16string_view filterText, UrlList& list,
                                 ListDocument& document) {
  ExtractOutcome outcome;
  std::unique_ptr<std::FILE, FileCloser> file(OpenForReading(path));
  if (!file) return outcome;
  outcome.opened = true;
  RedrawSuspension hidden(list);
  FileLineSource source(file.get());
  ExtractUrls(source, options, [&](const std::u16string& url) {
    outcome.refused += AddUrlIfMatched(url, filterText, list, document);
  });
  return outcome;
}

}  // namespace cardo
