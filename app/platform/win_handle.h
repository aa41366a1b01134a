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
// Memory the system hands over: LocalFree for FormatMessage's buffer and CommandLineToArgvW's
// array, GlobalFree for the proxy texts of WinHTTP.
using UniqueLocal = UniqueHandle<NullableTraits<HLOCAL, &LocalFree>>;
using UniqueGlobal = UniqueHandle<NullableTraits<HGLOBAL, &GlobalFree>>;

// A window's device context (the screen's for nullptr) from GetDC, released with it.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC get() const { return dc_; }
  explicit operator bool() const { return dc_ != nullptr; }

 private:
  HWND window_;
  HDC dc_;
};

// The painting context of WM_PAINT, from BeginPaint to EndPaint.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~PaintDc() { EndPaint(window_, &paint_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// A GDI object selected into a device context while this lives; the one it replaced is
// selected back. Nothing happens for a missing context or object.
class ScopedSelect {
 public:
  ScopedSelect(HDC dc, HGDIOBJ object)
      : dc_(dc), old_(dc && object ? SelectObject(dc, object) : nullptr) {}
  ~ScopedSelect() {
    if (old_) SelectObject(dc_, old_);
  }
  ScopedSelect(const ScopedSelect&) = delete;
  ScopedSelect& operator=(const ScopedSelect&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

}  // namespace cardo
