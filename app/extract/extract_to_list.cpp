#include "app/extract/extract_to_list.h"

#include <cstdio>
#include <memory>
#include <new>
#include <unordered_set>

#include "app/extract/filter_gate.h"
#include "app/extract/page_encoding.h"
#include "app/extract/wildcard_filter.h"
#include "app/list/pending_lines.h"
#include "app/platform/text.h"

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

ExtractResult ExtractUrlsToList(const std::u16string& path, const ExtractOptions& options,
                                std::u16string_view filterText, ShellContext& shell,
                                std::string_view contentType) {
  std::unique_ptr<std::FILE, FileCloser> file(OpenForReading(path));
  if (!file) return ExtractResult::Unreadable;
  std::string head(kEncodingHeadBytes, '\0');
  head.resize(std::fread(head.data(), 1, head.size(), file.get()));
  if (std::ferror(file.get()) || std::fseek(file.get(), 0, SEEK_SET) != 0) {
    return ExtractResult::Unreadable;
  }
  ExtractOptions read = options;
  read.encoding = DetectPageEncoding(contentType, head);
  const CompiledFilter filter(filterText);
  PendingLines pending(shell.list);
  ExtractResult result = ExtractResult::Done;
  {
    RedrawSuspension hidden(shell.list);
    FileLineSource source(file.get());
    try {
      ExtractUrls(source, read, [&](std::u16string_view url) {
        AddUrlIfMatched(url, filter, pending);
        if (pending.Gathered() >= kBatch) pending.Flush(shell);
      });
    } catch (const std::bad_alloc&) {
      // A 32-bit process may not find room for a line of hundreds of megabytes.
      result = ExtractResult::OutOfMemory;
    }
  }
  pending.Commit(shell);
  return result;
}

LinkPasteResult PasteLinksToList(const LinkScan& scan, std::u16string_view filterText,
                                 bool skipListed, ShellContext& shell) {
  const CompiledFilter filter(filterText);
  std::unordered_set<std::u16string> seen;
  if (skipListed) seen.insert(shell.list.LineRefs().begin(), shell.list.LineRefs().end());
  PendingLines pending(shell.list);
  LinkPasteResult result;
  {
    RedrawSuspension hidden(shell.list);
    TextLineSource source(scan.lines);
    try {
      ExtractUrls(source, scan.options, [&](std::u16string_view found) {
        std::u16string url(found);
        // A link copied twice (an image and its caption) is wanted once.
        if (pending.Full() || seen.count(url) != 0 || filter.AppendCount(url) == 0) {
          return;
        }
        pending.Add(url);
        seen.insert(std::move(url));
        if (pending.Gathered() >= kBatch) pending.Flush(shell);
      });
    } catch (const std::bad_alloc&) {
      result.outOfMemory = true;
    }
  }
  result.listFull = pending.Full();
  result.added = pending.Commit(shell);
  return result;
}

}  // namespace cardo
