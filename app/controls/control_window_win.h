#pragma once
// The link between a control's window and its C++ object. Each control class is registered
// under its own class name, so dialog templates can place it; the window makes its object at
// WM_NCCREATE and releases it at WM_NCDESTROY. The window procedure never lets an exception
// escape into the system.
#include <windows.h>

#include <memory>

namespace cardo {

template <typename T>
class ControlWindow {
 public:
  HWND hwnd() const { return hwnd_; }

  // The object of a window of this class, or nullptr.
  static T* From(HWND hwnd) {
    return hwnd ? reinterpret_cast<T*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)) : nullptr;
  }

  static bool Register(const wchar_t* className, UINT style = CS_DBLCLKS) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }

 protected:
  virtual ~ControlWindow() = default;
  virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) = 0;
  LRESULT Default(UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(hwnd_, message, wParam, lParam);
  }

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (message == WM_NCCREATE) {
      auto* object = new (std::nothrow) T();
      if (!object) return FALSE;
      object->hwnd_ = hwnd;
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    }
    T* self = From(hwnd);
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
      std::unique_ptr<T> owned(self);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    try {
      return static_cast<ControlWindow*>(self)->OnMessage(message, wParam, lParam);
    } catch (...) {
      return DefWindowProcW(hwnd, message, wParam, lParam);
    }
  }

  HWND hwnd_ = nullptr;
};

}  // namespace cardo
