#pragma once
// A page fetched over the system's HTTP stack (WinHTTP): http and https with the system's
// certificate validation and proxy settings, redirections followed by the download itself,
// gzip and deflate bodies decoded, the body alone streamed into the page file.
#include <string>

#include "app/net/page_download.h"

namespace cardo {

// Fails when the server stays silent for the control's silence limit (connecting, before the
// headers are whole, or within the body). Blocks; Cancel on `control` takes effect when the
// call under way returns.
DownloadOutcome WebDownload(const std::u16string& url, const std::u16string& path,
                            DownloadControl& control);

// The system's text for a WinHTTP error (or, when `certificateFlags` holds any, for the
// certificate's failures), with its number; ours where the system has none.
std::u16string WinHttpFailureReason(unsigned long error, unsigned long certificateFlags);

}  // namespace cardo
