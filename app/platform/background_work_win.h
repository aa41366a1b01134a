#pragma once
// Work of a window off the window's thread, the one way the program runs it: the work gets
// its own copies of what it works on, tells the window of progress and of its end by posted
// messages, is stopped at once from the window, and every worker is joined before its owner
// is gone, so no thread outlives the object that started it.
#include <windows.h>

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace cardo {

// The message a work posts, in its lParam; wParam carries the work's number.
enum class WorkNotice { Stale, Progress, Ended };

// What the worker side sees of its window.
class WorkerLink {
 public:
  // True once the window stopped the work: it should return soon, and what it returns is
  // dropped. A work that blocks is woken by the `stop` it was started with.
  const std::atomic<bool>& StopFlag() const { return stopped_; }
  // Tells the window there is progress to read; while one such notice is on its way, another
  // is not posted, so a fast worker cannot flood the window's queue.
  void Progress() { Post(WorkNotice::Progress); }

 private:
  template <typename>
  friend class BackgroundWork;

  void Post(WorkNotice notice) {
    std::lock_guard<std::mutex> hold(lock_);
    if (!notify_) return;
    if (notice == WorkNotice::Progress && progressPosted_) return;
    if (PostMessageW(notify_, message_, number_, static_cast<LPARAM>(notice)) &&
        notice == WorkNotice::Progress) {
      progressPosted_ = true;
    }
  }

  std::atomic<bool> stopped_{false};
  std::atomic<bool> returned_{false};
  std::mutex lock_;
  HWND notify_ = nullptr;  // none once the window let the work go
  UINT message_ = 0;
  WPARAM number_ = 0;
  bool progressPosted_ = false;
};

// One work at a time on a worker thread. Start runs `work`; its end is posted to `notify` as
// `message` with WorkNotice::Ended, its progress (WorkerLink::Progress) as Progress. Cancel
// stops it: the link says Stopped, `stop` (the work's own cancel) runs on the window's
// thread, and nothing more reaches the window. A stopped worker is joined at the next Start
// if it has returned, and at the latest when the object is destroyed, which therefore waits
// as long as a stopped work takes to return. The work touches nothing the window owns.
template <typename Outcome>
class BackgroundWork {
 public:
  using Work = std::function<Outcome(WorkerLink& link)>;

  BackgroundWork() = default;
  ~BackgroundWork() {
    Cancel();
    for (Worker& worker : stopped_) worker.thread.join();
  }
  BackgroundWork(const BackgroundWork&) = delete;
  BackgroundWork& operator=(const BackgroundWork&) = delete;

  // False when no thread could be started. `failed` is the outcome of a work that throws
  // (running out of memory above all): nothing leaves the worker, and Failure says what it was.
  bool Start(Work work, Outcome failed, HWND notify, UINT message,
             std::function<void()> stop = {}) {
    Cancel();
    JoinReturned();
    auto link = std::make_shared<WorkerLink>();
    link->notify_ = notify;
    link->message_ = message;
    link->number_ = ++number_;
    auto outcome = std::make_shared<Ending>();
    failure_ = nullptr;
    try {
      current_.thread = std::thread(
          [link, outcome, work = std::move(work), failed = std::move(failed)]() mutable noexcept {
            try {
              outcome->value = work(*link);
            } catch (...) {
              outcome->value = std::move(failed);
              outcome->failure = std::current_exception();
            }
            link->returned_ = true;
            link->Post(WorkNotice::Ended);
          });
    } catch (const std::system_error&) {
      return false;
    }
    current_.link = std::move(link);
    current_.stop = std::move(stop);
    outcome_ = std::move(outcome);
    return true;
  }

  bool Running() const { return current_.thread.joinable(); }

  // What a posted notice says: Stale when it is not the running work's (one stopped or
  // finished before it was read). Reading a Progress lets the next one be posted.
  WorkNotice Read(WPARAM number, LPARAM notice) {
    if (!Running() || number != number_) return WorkNotice::Stale;
    const auto read = static_cast<WorkNotice>(notice);
    if (read == WorkNotice::Progress) {
      std::lock_guard<std::mutex> hold(current_.link->lock_);
      current_.link->progressPosted_ = false;
    }
    return read;
  }

  // Joins a work that has ended (its Ended notice read) and gives its outcome.
  Outcome Finish() {
    if (!Running()) return {};
    current_.thread.join();
    current_ = {};
    failure_ = outcome_->failure;
    return std::move(outcome_->value);
  }

  // What the work Finish last gave threw, or nothing when it returned.
  std::exception_ptr Failure() const { return failure_; }

  void Cancel() {
    if (!Running()) return;
    current_.link->stopped_ = true;
    {
      std::lock_guard<std::mutex> hold(current_.link->lock_);
      current_.link->notify_ = nullptr;
    }
    if (current_.stop) current_.stop();
    stopped_.push_back(std::move(current_));
    current_ = {};
  }

 private:
  struct Worker {
    std::thread thread;
    std::shared_ptr<WorkerLink> link;
    std::function<void()> stop;
  };

  void JoinReturned() {
    std::erase_if(stopped_, [](Worker& worker) {
      if (!worker.link->returned_) return false;
      worker.thread.join();
      return true;
    });
  }

  struct Ending {
    Outcome value;
    std::exception_ptr failure;
  };

  Worker current_;
  std::vector<Worker> stopped_;  // stopped, perhaps still returning
  std::shared_ptr<Ending> outcome_;
  std::exception_ptr failure_;
  WPARAM number_ = 0;
};

}  // namespace cardo
