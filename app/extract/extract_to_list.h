#pragma once
// One extraction run into the URL list: the file scanned in the chosen mode, every candidate
// through the filter gate, the list drawn once at the end and the list-full message said once.
#include <string>
#include <string_view>

#include "app/extract/clipboard_links.h"
#include "app/extract/extraction_run.h"
#include "app/extract/page_crawl.h"
#include "app/list/pending_lines.h"
#include "app/list/shell_context.h"

namespace cardo {

// The extraction run (extraction_run.h) over a file, each URL the filter passes gathered into
// `pending` once per matching pattern; the run stops once `pending` is full or `keepGoing`
// says no. Touches nothing but its arguments, so it may run on a worker thread while the list
// is changed on its own. The file is read as UTF-8 when it declares so, or when `contentType`
// (a server's, for a downloaded page) does (page_encoding.h); otherwise in code page 932. The
// lines gathered have `options.pageUrl` as their page (PendingLines::SetPage): none for a file.
// Unreadable: the file could not be opened or read (the URLs before a failed read are
// gathered); OutOfMemory: a line too long for the memory left (the URLs before it are
// gathered).
// `leftOut`, when given, gets the count of stretches too long for a URL (ExtractUrls).
ExtractResult GatherUrlsFromFile(const std::u16string& path, const ExtractOptions& options,
                                 std::u16string_view filterText, PendingLines& pending,
                                 std::string_view contentType = {}, const KeepGoing& keepGoing = {},
                                 std::uint64_t* leftOut = nullptr);
// What the user is told of `count` stretches too long for a URL that a run left out (no final
// "。": the caller ends the sentence as its message does).
std::u16string LeftOutNote(std::uint64_t count);
// The gathered lines at the end of the list as it is now (the lines that no longer fit are
// refused), drawn once, with the list-full message once. Returns the number added.
int AddGatheredToList(PendingLines& pending, ShellContext& shell);

// A page of a run over several pages, downloaded by `outcome` into `path`: once `links` wants
// it scanned (PageLinks::Begin), its URLs handed to `links` as one download's extraction finds
// them (the download mode, or the parsed one, with the address the page came from),
// unfiltered, until `links` wants no more. A file that cannot be read whole is a failure.
// `forced`, when set, is the encoding to read the page in (a byte order mark still decides).
FetchedLinks ScanFetchedPage(DownloadOutcome outcome, const std::u16string& path,
                             ExtractOptions options, const DownloadControl& control,
                             PageLinks& links, std::optional<PageEncoding> forced = std::nullopt);

struct LinkPasteResult {
  int added = 0;
  bool listFull = false;     // lines were refused; the list-full message has been shown
  bool outOfMemory = false;  // the scan stopped for want of memory; the URLs before it were added
};
// The URLs of a paste of links at the end of the list, each at most once and only those that
// `filterText` passes; with `skipListed` none the list already holds either; their page is the
// scan's page address (the SourceURL). Costs a copy of the list's lines when `skipListed`.
LinkPasteResult PasteLinksToList(const LinkScan& scan, std::u16string_view filterText,
                                 bool skipListed, ShellContext& shell);

}  // namespace cardo
