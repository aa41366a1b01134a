#pragma once
// What an export tells a download tool of each list line: the address, whether the tool may
// fetch it, the file it is saved to and the Referer it sends. The files of the third manager
// and the hand-over to a running aria2 write the same plan.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/export/download_names.h"
#include "app/export/export.h"
#include "app/export/export_url.h"

namespace cardo {

struct PlannedDownload {
  std::string url;   // as OtherExportUrl writes it
  bool fetched;      // false: the tool must not fetch it (the files write it as a comment)
  std::string name;  // relative to the download folder, "/" between folders; empty if not fetched
  std::string referer;  // empty: none
};

// The plan made a line at a time, for a list of any length: with the folders rule every line
// goes through Reserve first (the folders are taken before any file is named), then each
// through Plan in the list's order. Memory: the names given out (download_names.h).
class DownloadPlanner {
 public:
  DownloadPlanner(ExportFormat format, const ExportOptions& options);
  bool NeedsReserve() const { return options_.names == NameRule::Folders; }
  void Reserve(std::u16string_view line);
  // The entry for `line`; nothing for a blank line.
  std::optional<PlannedDownload> Plan(std::u16string_view line);

 private:
  bool Fetched(const ExportLine& read) const;

  const bool curl_;
  const ExportOptions& options_;
  UniqueNames names_;
  int place_ = 0;
};

// One entry per non-blank line, in the list's order. The tool of `format` (curl, or aria2 for
// the others) fetches http, https and ftp (and ftps with curl); each fetched URL gets a file
// of its own by `options.names` ("cover.jpg", "cover.1.jpg" ...; with the folder rule no file
// takes a name a folder of another needs) and the Referer `options.referer` gives.
std::vector<PlannedDownload> PlanDownloads(ExportFormat format,
                                           const std::vector<std::u16string>& lines,
                                           const ExportOptions& options);

}  // namespace cardo
