#pragma once
// The extraction dialog's download: the library's GetHTTP, bound on the user-interface thread
// and run on a worker thread, so that the program keeps painting while a server is slow.
#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "app/platform/bound_library_win.h"

namespace cardo {

// Fetches `url` into the file `path` (both in the system code page) and blocks until the
// transfer ends; 0 on success. Safe to run on any thread.
using Download = std::function<long(const std::string& url, const std::string& path)>;

struct BoundDownload {
  Download run;             // empty when the library or its function is missing
  unsigned long error = 0;  // the system's reason then
};
using DownloadBinder = std::function<BoundDownload()>;

// GetHTTP of `library`. The function it hands out keeps the library loaded while it exists,
// so a download that outlives the program's windows never runs in an unloaded module.
DownloadBinder LibraryDownload(BoundLibrary& library);

// One download on a worker thread. When it ends, `message` is posted to `notify` with the
// result in wParam; then Finish joins the worker. Abandoning the download (or destroying the
// object) while it runs leaves the worker to end on its own and post nothing: GetHTTP cannot
// be interrupted, and a process that exits ends the worker with it.
class BackgroundDownload {
 public:
  BackgroundDownload() = default;
  ~BackgroundDownload() { Abandon(); }
  BackgroundDownload(const BackgroundDownload&) = delete;
  BackgroundDownload& operator=(const BackgroundDownload&) = delete;

  // False when no thread could be started.
  bool Start(Download run, std::string url, std::string path, HWND notify, UINT message);
  bool Running() const { return thread_.joinable(); }
  void Finish();
  void Abandon();

 private:
  struct Shared {
    std::mutex lock;
    HWND notify = nullptr;
  };
  std::shared_ptr<Shared> shared_;
  std::thread thread_;
};

}  // namespace cardo
