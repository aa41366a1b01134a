#include "app/extract/download_win.h"

#include <new>
#include <system_error>

namespace cardo {

void BackgroundDownload::Cancel() {
  if (!thread_.joinable()) return;
  shared_->control.Cancel();
  {
    std::lock_guard<std::mutex> hold(shared_->lock);
    shared_->notify = nullptr;
  }
  thread_.detach();
}

bool BackgroundDownload::Start(Download run, std::u16string url, std::u16string path, HWND notify,
                               UINT message) {
  shared_ = std::make_shared<Shared>();
  shared_->notify = notify;
  ++number_;
  try {
    thread_ = std::thread([shared = shared_, run = std::move(run), url = std::move(url),
                           path = std::move(path), message, number = number_]() {
      DownloadOutcome outcome;
      try {
        outcome = run(url, path, shared->control);
      } catch (const std::bad_alloc&) {
        outcome = {DownloadStatus::Failed, u"メモリが足りません。", {}, {}};
      }
      std::lock_guard<std::mutex> hold(shared->lock);
      shared->outcome = std::move(outcome);
      if (shared->notify) PostMessageW(shared->notify, message, number, 0);
    });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

DownloadOutcome BackgroundDownload::Finish() {
  if (!thread_.joinable()) return {};
  thread_.join();
  return std::move(shared_->outcome);
}

}  // namespace cardo
