#pragma once
// What an export tells a download tool of each list line: the address, whether the tool may
// fetch it, the file it is saved to and the Referer it sends. The files of the third manager
// and the hand-over to a running aria2 write the same plan.
#include <string>
#include <vector>

#include "app/export/export.h"

namespace cardo {

struct PlannedDownload {
  std::string url;   // as OtherExportUrl writes it
  bool fetched;      // false: the tool must not fetch it (the files write it as a comment)
  std::string name;  // relative to the download folder, "/" between folders; empty if not fetched
  std::string referer;  // empty: none
};

// One entry per non-blank line, in the list's order. The tool of `format` (curl, or aria2 for
// the others) fetches http, https and ftp (and ftps with curl); each fetched URL gets a file
// of its own by `options.names` ("cover.jpg", "cover.1.jpg" ...; with the folder rule no file
// takes a name a folder of another needs) and the Referer `options.referer` gives.
std::vector<PlannedDownload> PlanDownloads(ExportFormat format,
                                           const std::vector<std::u16string>& lines,
                                           const ExportOptions& options);

}  // namespace cardo
