#include "app/extract/extract_to_list.h"

#include <cstdio>
#include <memory>

#include "app/extract/filter_gate.h"
#include "app/platform/text.h"
#include "app/shell/pending_lines.h"

namespace cardo {
namespace {

// Lines gathered before they go to the list, so that the gathered copies stay small.
constexpr std::size_t kBatch = 4096;

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

bool ExtractUrlsToList(const std::u16string& path, const ExtractOptions& options,
                       std::u16string_view filterText, ShellContext& shell) {
  std::unique_ptr<std::FILE, FileCloser> file(OpenForReading(path));
  if (!file) return false;
  PendingLines pending(shell.list);
  {
    RedrawSuspension hidden(shell.list);
    FileLineSource source(file.get());
    ExtractUrls(source, options, [&](const std::u16string& url) {
      AddUrlIfMatched(url, filterText, pending);
      if (pending.Gathered() >= kBatch) pending.Flush(shell);
    });
  }
  pending.Commit(shell);
  return true;
}

}  // namespace cardo
