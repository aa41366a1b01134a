#pragma once
// What a page download shares with the window that waits for it, whichever HTTP stack runs
// it: the outcome, and the control through which the window cancels it and reads how far it
// got while the body is written to the page file as it arrives.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "app/net/content_decoder.h"
#include "app/net/http_failure.h"

namespace cardo {

enum class DownloadStatus { Done, Cancelled, Failed };

struct DownloadOutcome {
  DownloadStatus status = DownloadStatus::Failed;
  std::u16string reason;    // Failed: the status line or the system's reason, for the user
  std::u16string finalUrl;  // Done: the address the page came from, after redirections
  std::string contentType;  // Done: the Content-Type header as sent
};

// The page limit unless one is set: the extraction dialog's setting starts at it too.
inline constexpr int kDefaultPageMiB = 1024;

// What one download may take. A server that sends nothing for `silence` (connecting, before
// the headers are whole, or within the body) has failed; a live server however slow has not.
// A page whose decoded body passes `pageBytes` is stopped there: a page of links is far
// smaller, and a compressed body can unpack to more than a 32-bit process holds.
struct DownloadLimits {
  std::chrono::milliseconds silence{30 * 1000};
  long long pageBytes = static_cast<long long>(kDefaultPageMiB) << 20;
};

// Shared by the download and its window. Once Cancel returns, the download writes nothing more
// into the page file, so a new download may take the file over at once.
class DownloadControl {
 public:
  using Clock = std::chrono::steady_clock;

  explicit DownloadControl(DownloadLimits limits = {}) : limits_(limits) {}
  const DownloadLimits& Limits() const { return limits_; }
  void Cancel() {
    std::lock_guard<std::mutex> hold(lock_);
    cancelled_ = true;
    std::lock_guard<std::mutex> follow(followLock_);
    if (follower_) follower_->Cancel();
  }
  bool Cancelled() const { return cancelled_; }
  // Whether a write was refused for the page limit.
  bool TooLarge() const {
    std::lock_guard<std::mutex> follow(followLock_);
    return follower_ ? follower_->TooLarge() : tooLarge_.load();
  }
  // The bytes written so far.
  long long Bytes() const {
    std::lock_guard<std::mutex> follow(followLock_);
    return follower_ ? follower_->Bytes() : bytes_.load();
  }
  // Hands the download over to `follower`, which a worker of this download's own runs: this
  // control's Cancel reaches it, and its bytes are this one's.
  void Follow(std::shared_ptr<DownloadControl> follower) {
    std::lock_guard<std::mutex> hold(lock_);
    std::lock_guard<std::mutex> follow(followLock_);
    follower_ = std::move(follower);
    if (cancelled_) follower_->Cancel();
  }

  // The server was heard from (a byte came, or a new request went out).
  void Heard() { heard_ = Clock::now().time_since_epoch().count(); }
  Clock::duration Silence() const {
    return Clock::now().time_since_epoch() - Clock::duration(heard_.load());
  }

  // Runs `write` (which says whether it succeeded) unless the download is cancelled or `size`
  // more would pass the page limit (then TooLarge()); false when it did not run or failed.
  template <typename Write>
  bool Guarded(std::size_t size, Write&& write) {
    std::lock_guard<std::mutex> hold(lock_);
    if (cancelled_) return false;
    if (bytes_ + static_cast<long long>(size) > limits_.pageBytes) {
      tooLarge_ = true;
      return false;
    }
    if (!write()) return false;
    bytes_ += static_cast<long long>(size);
    return true;
  }

 private:
  const DownloadLimits limits_;
  std::mutex lock_;
  mutable std::mutex followLock_;
  std::shared_ptr<DownloadControl> follower_;
  std::atomic<Clock::rep> heard_{Clock::now().time_since_epoch().count()};
  std::atomic<bool> cancelled_{false};
  std::atomic<bool> tooLarge_{false};
  std::atomic<long long> bytes_{0};
};

// The page file of one download, emptied when opened; every write checked, and the close too.
// A cancelled download's worker may still hold its file while the next download writes the
// same path: the file is opened, and each write goes out to it, only under `control` while the
// download is not cancelled, so nothing it did stays buffered for the close to write later.
class PageFile {
 public:
  PageFile(const std::u16string& path, DownloadControl& control);
  ~PageFile();
  PageFile(const PageFile&) = delete;
  PageFile& operator=(const PageFile&) = delete;

  // False when the file could not be opened or the download was cancelled first.
  bool IsOpen() const { return file_ != nullptr; }
  // Appends `bytes`; false when cancelled or the write failed (Failed() then).
  bool Write(std::string_view bytes);
  // False when a write or the close failed, or the file was never opened.
  [[nodiscard]] bool Close();
  bool Failed() const { return failed_; }

 private:
  DownloadControl& control_;
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

// The body of a successful answer on its way into the page file, whichever stack receives it:
// undone from its content coding, held to the page limit, and checked at its end against the
// length the server announced, so that a body cut short is a failure and never a page.
class PageBody {
 public:
  // `contentEncoding` as the Content-Encoding header says it.
  PageBody(const std::u16string& path, DownloadControl& control, std::string_view contentEncoding);
  PageBody(const PageBody&) = delete;
  PageBody& operator=(const PageBody&) = delete;

  // Takes the next bytes received; false when the download must stop (Outcome() says why).
  [[nodiscard]] bool Feed(std::string_view received);
  // How the answer said where its body ends, besides a Content-Length (announced >= 0).
  static constexpr long long kFramed = -1;      // chunks or a length the stack itself checked
  static constexpr long long kUntilClose = -2;  // the close: a body of no byte is no answer
  // After the last byte; `announced` is the Content-Length or one of the two above. False on
  // failure.
  [[nodiscard]] bool Finish(long long announced);
  // A failure or cancel, once Feed or Finish said false.
  DownloadOutcome Outcome() const;

 private:
  bool Fail(std::u16string reason);
  const std::u16string& path_;
  DownloadControl& control_;
  ContentDecoder decoder_;
  PageFile file_;
  std::u16string encoding_;
  long long received_ = 0;
  std::u16string reason_;
};

// Fetches `url` into the file `path` and blocks until it ends, is cancelled or fails.
using Download = std::function<DownloadOutcome(
    const std::u16string& url, const std::u16string& path, DownloadControl& control)>;

}  // namespace cardo
