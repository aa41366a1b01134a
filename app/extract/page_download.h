#pragma once
// What a page download shares with the window that waits for it, whichever HTTP stack runs
// it: the outcome, and the control through which the window cancels it and reads how far it
// got while the body is written to the page file as it arrives.
#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

namespace cardo {

enum class DownloadStatus { Done, Cancelled, Failed };

struct DownloadOutcome {
  DownloadStatus status = DownloadStatus::Failed;
  std::u16string reason;    // Failed: the status line or the system's reason, for the user
  std::u16string finalUrl;  // Done: the address the page came from, after redirections
  std::string contentType;  // Done: the Content-Type header as sent
};

// Shared by the download and its window. Once Cancel returns, the download writes nothing more
// into the page file, so a new download may take the file over at once.
class DownloadControl {
 public:
  void Cancel() {
    std::lock_guard<std::mutex> hold(lock_);
    cancelled_ = true;
  }
  bool Cancelled() const { return cancelled_; }
  // The bytes written so far.
  long long Bytes() const { return bytes_; }

  // Runs `write` (which says whether it succeeded) unless the download is cancelled; false
  // when it did not run or failed.
  template <typename Write>
  bool Guarded(std::size_t size, Write&& write) {
    std::lock_guard<std::mutex> hold(lock_);
    if (cancelled_ || !write()) return false;
    bytes_ += static_cast<long long>(size);
    return true;
  }

 private:
  std::mutex lock_;
  std::atomic<bool> cancelled_{false};
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

// Fetches `url` into the file `path` and blocks until it ends, is cancelled or fails.
using Download = std::function<DownloadOutcome(
    const std::u16string& url, const std::u16string& path, DownloadControl& control)>;

}  // namespace cardo
