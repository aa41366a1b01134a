#pragma once
// A long job of a window (a download, a file's extraction) off the window's thread
// (background_work_win.h), driven through a DownloadControl: the job sees the window's cancel
// through it and reports the bytes it has done, which the window reads while it runs.
#include <windows.h>

#include <functional>
#include <memory>
#include <utility>

#include "app/net/page_download.h"
#include "app/platform/background_work_win.h"

namespace cardo {

// One job at a time, as BackgroundWork runs it; Cancel cancels its control before it returns,
// so a cancelled download writes nothing more into its file.
template <typename Outcome>
class BackgroundJob {
 public:
  using Job = std::function<Outcome(DownloadControl& control)>;

  // False when no thread could be started. `failed` is the outcome when the job runs out of
  // memory; `limits` are those of the control the job is given.
  bool Start(Job job, Outcome failed, HWND notify, UINT message, DownloadLimits limits = {}) {
    auto control = std::make_shared<DownloadControl>(limits);
    const bool started =
        work_.Start([control, job = std::move(job)](WorkerLink&) { return job(*control); },
                    std::move(failed), notify, message, [control] { control->Cancel(); });
    if (started) control_ = std::move(control);
    return started;
  }
  bool Running() const { return work_.Running(); }
  WorkNotice Read(WPARAM number, LPARAM notice) { return work_.Read(number, notice); }
  // The bytes the running job has reported so far.
  long long Bytes() const { return control_ ? control_->Bytes() : 0; }
  Outcome Finish() { return work_.Finish(); }
  void Cancel() { work_.Cancel(); }

 private:
  BackgroundWork<Outcome> work_;
  std::shared_ptr<DownloadControl> control_;
};

}  // namespace cardo
