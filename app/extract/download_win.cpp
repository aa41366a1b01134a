#include "app/extract/download_win.h"

#include <system_error>

namespace cardo {
namespace {

struct ModuleRelease {
  void operator()(HMODULE module) const { FreeLibrary(module); }
};

}  // namespace

DownloadBinder LibraryDownload(BoundLibrary& library) {
  return [&library]() -> BoundDownload {
    using GetHttpFn = LONG(WINAPI*)(const char* const*, const char* const*);
    const auto found = library.Proc("GetHTTP");
    if (!found.proc) return {{}, found.error};
    HMODULE held = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCWSTR>(found.proc), &held)) {
      return {{}, GetLastError()};
    }
    std::shared_ptr<HINSTANCE__> module(held, ModuleRelease{});
    const auto getHttp = reinterpret_cast<GetHttpFn>(reinterpret_cast<void*>(found.proc));
    return {[module, getHttp](const std::string& url, const std::string& path) -> long {
              const char* urlText = url.c_str();
              const char* pathText = path.c_str();
              return getHttp(&urlText, &pathText);
            },
            0};
  };
}

void BackgroundDownload::Abandon() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> hold(shared_->lock);
    shared_->notify = nullptr;
  }
  thread_.detach();
}

bool BackgroundDownload::Start(Download run, std::string url, std::string path, HWND notify,
                               UINT message) {
  shared_ = std::make_shared<Shared>();
  shared_->notify = notify;
  try {
    thread_ = std::thread([shared = shared_, run = std::move(run), url = std::move(url),
                           path = std::move(path), message]() mutable {
      const long result = run(url, path);
      run = nullptr;  // releases the library before the window hears of the end
      std::lock_guard<std::mutex> hold(shared->lock);
      if (shared->notify) {
        PostMessageW(shared->notify, message, static_cast<WPARAM>(result), 0);
      }
    });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void BackgroundDownload::Finish() {
  if (thread_.joinable()) thread_.join();
}

}  // namespace cardo
