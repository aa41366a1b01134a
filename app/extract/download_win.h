#pragma once
// The extraction dialog's download, run on a worker thread (background_job_win.h) so that the
// program keeps painting while a server is slow, and cancelled from the window at once.
#include <windows.h>

#include <string>

#include "app/extract/background_job_win.h"
#include "app/net/page_download.h"

namespace cardo {

// One download on a worker thread, as BackgroundJob runs it. Cancel (or destroying the object)
// while it runs also stops every write into the page file before it returns; the worker ends
// as soon as the HTTP client sees the cancel, and is joined by the object.
class BackgroundDownload {
 public:
  // False when no thread could be started.
  bool Start(Download run, std::u16string url, std::u16string path, HWND notify, UINT message,
             DownloadLimits limits);
  bool Running() const { return job_.Running(); }
  WorkNotice Read(WPARAM number, LPARAM notice) { return job_.Read(number, notice); }
  // The bytes written into the page file so far.
  long long Bytes() const { return job_.Bytes(); }
  DownloadOutcome Finish() { return job_.Finish(); }
  void Cancel() { job_.Cancel(); }

 private:
  BackgroundJob<DownloadOutcome> job_;
};

}  // namespace cardo
