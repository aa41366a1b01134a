#pragma once
// Owning wrappers for Win32 handles: each closes its handle exactly once.
#include <windows.h>

#include <utility>

namespace cardo {

// Traits: the handle type, its invalid value(s) and how to close it.
template <typename Traits>
class UniqueHandle {
 public:
  using H = typename Traits::Handle;
  UniqueHandle() = default;
  explicit UniqueHandle(H h) : h_(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) reset(o.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  H get() const { return h_; }
  explicit operator bool() const { return Traits::Valid(h_); }
  H release() { return std::exchange(h_, Traits::Invalid()); }
  void reset(H h = Traits::Invalid()) {
    const H old = std::exchange(h_, h);
    if (Traits::Valid(old)) Traits::Close(old);
  }

 private:
  H h_ = Traits::Invalid();
};

struct FileTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static bool Valid(Handle h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
  static void Close(Handle h) { CloseHandle(h); }
};

template <typename T, auto CloseFn>
struct NullableTraits {
  using Handle = T;
  static Handle Invalid() { return nullptr; }
  static bool Valid(Handle h) { return h != nullptr; }
  static void Close(Handle h) { CloseFn(h); }
};

using UniqueFile = UniqueHandle<FileTraits>;
using UniqueWindow = UniqueHandle<NullableTraits<HWND, &DestroyWindow>>;
using UniqueMenu = UniqueHandle<NullableTraits<HMENU, &DestroyMenu>>;
using UniqueGdi = UniqueHandle<NullableTraits<HGDIOBJ, &DeleteObject>>;
using UniqueDc = UniqueHandle<NullableTraits<HDC, &DeleteDC>>;

}  // namespace cardo
