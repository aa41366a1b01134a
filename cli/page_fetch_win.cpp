#include "app/net/web_download_win.h"
#include "cli/page_fetch.h"

namespace cardo::cli {

DownloadOutcome DownloadWithSystemStack(const std::u16string& url, const std::u16string& path,
                                        const std::string& caFile, DownloadControl& control) {
  // The system's certificate store decides here; a private CA goes into it.
  if (!caFile.empty()) {
    return {DownloadStatus::Failed,
            u"--ca-file is for the native build; cardo-cli.exe trusts the system's "
            u"certificate store",
            {},
            {}};
  }
  return WebDownload(url, path, control);
}

}  // namespace cardo::cli
