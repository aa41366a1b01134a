#include "app/extract/extract_to_list.h"

#include <cstdio>
#include <memory>
#include <string>
#include <unordered_set>

#include "app/extract/filter_gate.h"
#include "app/list/pending_lines.h"
#include "app/platform/text.h"
#include "app/text/line_source.h"

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

std::u16string LeftOutNote(std::uint64_t count) {
  return u"URL にしては長すぎる " + Utf8ToUtf16(std::to_string(count)) + u" か所 (" +
         Utf8ToUtf16(std::to_string(kLinePieceBytes / 2048)) + u" KiB 超) は抜き出しませんでした";
}

ExtractResult GatherUrlsFromFile(const std::u16string& path, const ExtractOptions& options,
                                 std::u16string_view filterText, PendingLines& pending,
                                 std::string_view contentType, const KeepGoing& keepGoing,
                                 std::uint64_t* leftOut) {
  std::unique_ptr<std::FILE, FileCloser> file(OpenForReading(path));
  if (!file) return ExtractResult::Unreadable;
  const CompiledFilter filter(filterText);
  // A downloaded page's links were found on it: its address is theirs to send as Referer.
  pending.SetPage(options.pageUrl);
  return ExtractFromFile(
      file.get(), {std::nullopt, contentType}, options, filter,
      [&](std::u16string_view url, int appends) {
        AddOncePerMatchingPattern(url, appends, pending);
      },
      [&](long long bytesRead) { return !pending.Full() && (!keepGoing || keepGoing(bytesRead)); },
      leftOut);
}

int AddGatheredToList(PendingLines& pending, ShellContext& shell) {
  pending.Recheck(shell.list);
  RedrawSuspension hidden(shell.list);
  return pending.Commit(shell);
}

FetchedLinks ScanFetchedPage(DownloadOutcome outcome, const std::u16string& path,
                             ExtractOptions options, const DownloadControl& control,
                             PageLinks& links, std::optional<PageEncoding> forced) {
  FetchedLinks fetched;
  fetched.status = outcome.status;
  fetched.reason = std::move(outcome.reason);
  if (outcome.status != DownloadStatus::Done) return fetched;
  if (!links.Begin(outcome.finalUrl, outcome.contentType)) return fetched;
  if (options.mode != ExtractMode::Parsed) options.mode = ExtractMode::Download;
  options.pageUrl = outcome.finalUrl;
  std::unique_ptr<std::FILE, FileCloser> file(OpenForReading(path));
  bool wanted = true;
  const ExtractResult result =
      !file ? ExtractResult::Unreadable
            : FindUrlsInFile(
                  file.get(), {forced, outcome.contentType}, options,
                  [&](std::u16string_view url) { wanted = wanted && links.Found(url); },
                  [&](long long) { return wanted && !control.Cancelled(); }, &fetched.leftOut);
  if (control.Cancelled()) {
    fetched.status = DownloadStatus::Cancelled;
  } else if (result != ExtractResult::Done) {
    // What the scan found before it failed went on already, as an extraction whose file fails
    // part-way keeps what came before.
    fetched.status = DownloadStatus::Failed;
    fetched.reason = result == ExtractResult::Unreadable
                         ? u"ダウンロードしたページを読み取れませんでした。"
                         : u"行が長すぎてメモリが足りないため、ページを抜き出せませんでした。";
  }
  return fetched;
}

LinkPasteResult PasteLinksToList(const LinkScan& scan, std::u16string_view filterText,
                                 bool skipListed, ShellContext& shell) {
  const CompiledFilter filter(filterText);
  std::unordered_set<std::u16string> seen;
  // A line the filter hides is still listed.
  const auto& listed = shell.list.Whole().LineRefs();
  if (skipListed) seen.insert(listed.begin(), listed.end());
  const ListStep step(shell.list);  // the batches of one paste are one undo step
  PendingLines pending(shell.list);
  // The page the links were copied from, when the clipboard names it (an HTML Format's
  // SourceURL); plain text names none.
  pending.SetPage(scan.options.pageUrl);
  LinkPasteResult result;
  {
    RedrawSuspension hidden(shell.list);
    // Each URL once a paste, whatever the filter's patterns say: a link copied twice (an image
    // and its caption) is wanted once.
    const auto eachUrlOnce = [&](std::u16string_view found, int) {
      if (pending.Full()) return;
      std::u16string url(found);
      if (seen.count(url) != 0) return;
      pending.Add(url);
      seen.insert(std::move(url));
      if (pending.Gathered() >= kBatch) pending.Flush(shell);
    };
    result.outOfMemory =
        ExtractFromText(scan.text, scan.options, filter, eachUrlOnce) == ExtractResult::OutOfMemory;
  }
  result.listFull = pending.Full();
  result.added = pending.Commit(shell);
  return result;
}

}  // namespace cardo
