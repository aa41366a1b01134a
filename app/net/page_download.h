#pragma once
// The download of a page, as every face runs it over the HTTP client (http_client.h): the
// outcome, and the control through which a window cancels it and reads how far it got while
// the body is written to the page file as it arrives.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "app/net/http_client.h"
#include "app/net/http_failure.h"

namespace cardo {

enum class DownloadStatus { Done, Cancelled, Failed };

struct DownloadOutcome {
  DownloadStatus status = DownloadStatus::Failed;
  std::u16string reason;  // Failed: the status line or the failure's reason, for the user
  // Done: the address the page came from, after redirections and without a fragment: the
  // base its relative links resolve against.
  std::u16string finalUrl;
  std::string contentType;                  // Done: the Content-Type header as sent
  HttpFailure failure = HttpFailure::None;  // Failed: which failure
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
  }
  bool Cancelled() const { return cancelled_; }
  const std::atomic<bool>& CancelFlag() const { return cancelled_; }
  // The bytes written so far.
  long long Bytes() const { return bytes_; }
  // `gate` is asked before a redirect leads to a page (its address without a fragment): false
  // ends the download there, failed, and RefusedRedirect names that page. Set before the
  // download starts; unset, every redirect is followed.
  void GateRedirects(std::function<bool(const std::u16string& page)> gate) {
    gate_ = std::move(gate);
  }
  bool MayFollow(const std::u16string& page) {
    if (!gate_ || gate_(page)) return true;
    refused_ = page;
    return false;
  }
  const std::u16string& RefusedRedirect() const { return refused_; }

  // Runs `write` (which says whether it succeeded) unless the download is cancelled or `size`
  // more would pass the page limit; false when it did not run or failed.
  template <typename Write>
  bool Guarded(std::size_t size, Write&& write) {
    std::lock_guard<std::mutex> hold(lock_);
    if (cancelled_) return false;
    if (bytes_ + static_cast<long long>(size) > limits_.pageBytes) return false;
    if (!write()) return false;
    bytes_ += static_cast<long long>(size);
    return true;
  }

 private:
  const DownloadLimits limits_;
  std::function<bool(const std::u16string&)> gate_;
  std::u16string refused_;  // written and read on the download's thread
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

// The page at `url` (an http or https address as typed, "http://" already in front) into the
// file `path`, emptied once the answer is a success: GET with gzip and deflate, redirects
// followed, the control's limits kept. An answer other than 2xx fails with its status line,
// a 204 as no page; a body cut short, silence, a page past its limit and every failure of the
// client fail with the client's reason, and nothing is kept of the page.
DownloadOutcome DownloadPage(const HttpClient& client, const std::u16string& url,
                             const std::u16string& path, DownloadControl& control);
// The download of every face: DownloadPage over `stack`.
Download PageDownload(std::shared_ptr<HttpStack> stack);

}  // namespace cardo
