#pragma once
// The extraction dialog's download, run on a worker thread so that the program keeps painting
// while a server is slow, and cancelled from the window at once.
#include <windows.h>

#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "app/extract/page_download.h"

namespace cardo {

// One download on a worker thread. When it ends, `message` is posted to `notify` with the
// download's number in wParam; Finish joins the worker and gives the outcome. Cancel (or destroying
// the object) while it runs stops every write into the page file before it returns, posts nothing
// and leaves the worker to end on its own when its call under way returns (within the download's
// time-outs); a process that exits ends the worker with it.
class BackgroundDownload {
 public:
  BackgroundDownload() = default;
  ~BackgroundDownload() { Cancel(); }
  BackgroundDownload(const BackgroundDownload&) = delete;
  BackgroundDownload& operator=(const BackgroundDownload&) = delete;

  // False when no thread could be started.
  bool Start(Download run, std::u16string url, std::u16string path, HWND notify, UINT message);
  bool Running() const { return thread_.joinable(); }
  // Whether a posted end is this download's, not one cancelled before it.
  bool Ended(WPARAM number) const { return Running() && number == number_; }
  // The bytes written into the page file so far.
  long long Bytes() const { return shared_ ? shared_->control.Bytes() : 0; }
  DownloadOutcome Finish();
  void Cancel();

 private:
  struct Shared {
    DownloadControl control;
    std::mutex lock;
    HWND notify = nullptr;
    DownloadOutcome outcome;
  };
  std::shared_ptr<Shared> shared_;
  std::thread thread_;
  WPARAM number_ = 0;
};

}  // namespace cardo
