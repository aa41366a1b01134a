#pragma once
// Owning wrappers for Win32 handles: each closes its handle exactly once.
#include <windows.h>

#include <utility>

namespace cardo {

template <typename H, H Invalid, typename Closer>
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(H h) : h_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Invalid)) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, Invalid));
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  H get() const { return h_; }
  explicit operator bool() const { return h_ != Invalid && h_ != H{}; }
  H release() { return std::exchange(h_, Invalid); }
  void reset(H h = Invalid) {
    if (h_ != Invalid && h_ != H{}) Closer{}(h_);
    h_ = h;
  }

 private:
  H h_ = Invalid;
};

struct FileCloser {
  void operator()(HANDLE h) const { CloseHandle(h); }
};
struct WindowDestroyer {
  void operator()(HWND h) const { DestroyWindow(h); }
};
struct MenuDestroyer {
  void operator()(HMENU h) const { DestroyMenu(h); }
};
struct GdiDeleter {
  void operator()(HGDIOBJ h) const { DeleteObject(h); }
};

using UniqueFile = UniqueHandle<HANDLE, INVALID_HANDLE_VALUE, FileCloser>;
using UniqueWindow = UniqueHandle<HWND, nullptr, WindowDestroyer>;
using UniqueMenu = UniqueHandle<HMENU, nullptr, MenuDestroyer>;
using UniqueGdi = UniqueHandle<HGDIOBJ, nullptr, GdiDeleter>;

}  // namespace cardo
