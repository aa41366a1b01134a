#pragma once
// A long job of a window (a download, a file's extraction) on a worker thread, so that the
// program keeps painting and the window can cancel it at once.
#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#include "app/net/page_download.h"

namespace cardo {

// One job on a worker thread, given a control through which it sees a cancel and reports the
// bytes it has done. When it ends, `message` is posted to `notify` with the job's number in
// wParam; Finish joins the worker and gives the outcome. Cancel (or destroying the object)
// while it runs posts nothing and leaves the worker to end on its own once the job sees the
// cancel; a process that exits ends the worker with it. The job must touch nothing the window
// owns: what it works on is its own, moved into it.
template <typename Outcome>
class BackgroundJob {
 public:
  using Work = std::function<Outcome(DownloadControl& control)>;

  BackgroundJob() = default;
  ~BackgroundJob() { Cancel(); }
  BackgroundJob(const BackgroundJob&) = delete;
  BackgroundJob& operator=(const BackgroundJob&) = delete;

  // False when no thread could be started. `outOfMemory` is the outcome when the job runs out
  // of memory; `limits` are those of the control the job is given.
  bool Start(Work work, Outcome outOfMemory, HWND notify, UINT message,
             DownloadLimits limits = {}) {
    shared_ = std::make_shared<Shared>(limits);
    shared_->notify = notify;
    ++number_;
    try {
      thread_ =
          std::thread([shared = shared_, work = std::move(work),
                       outOfMemory = std::move(outOfMemory), message, number = number_]() mutable {
            Outcome outcome;
            try {
              outcome = work(shared->control);
            } catch (const std::bad_alloc&) {
              outcome = std::move(outOfMemory);
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
  bool Running() const { return thread_.joinable(); }
  // Whether a posted end is this job's, not one cancelled before it.
  bool Ended(WPARAM number) const { return Running() && number == number_; }
  // The bytes the job has reported so far.
  long long Bytes() const { return shared_ ? shared_->control.Bytes() : 0; }
  Outcome Finish() {
    if (!thread_.joinable()) return {};
    thread_.join();
    return std::move(shared_->outcome);
  }
  void Cancel() {
    if (!thread_.joinable()) return;
    shared_->control.Cancel();
    {
      std::lock_guard<std::mutex> hold(shared_->lock);
      shared_->notify = nullptr;
    }
    thread_.detach();
  }

 private:
  struct Shared {
    explicit Shared(DownloadLimits limits) : control(limits) {}
    DownloadControl control;
    std::mutex lock;
    HWND notify = nullptr;
    Outcome outcome;
  };
  std::shared_ptr<Shared> shared_;
  std::thread thread_;
  WPARAM number_ = 0;
};

}  // namespace cardo
