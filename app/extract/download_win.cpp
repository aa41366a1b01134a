#include "app/extract/download_win.h"

namespace cardo {

bool BackgroundDownload::Start(Download run, std::u16string url, std::u16string path, HWND notify,
                               UINT message, DownloadLimits limits) {
  return job_.Start(
      [run = std::move(run), url = std::move(url),
       path = std::move(path)](DownloadControl& control) { return run(url, path, control); },
      {DownloadStatus::Failed, u"メモリが足りません。", {}, {}}, notify, message, limits);
}

}  // namespace cardo
