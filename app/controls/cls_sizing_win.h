#pragma once
// clsSizing: watches one top-level window's sizing, moving and size limits through its
// messages, in twips. Setting Target stops watching the previous window; releasing the object
// stops watching, and the window's own handling is back.
#include <windows.h>

#include <functional>

namespace cardo {

class clsSizing {
 public:
  clsSizing() = default;
  ~clsSizing() { SetTarget(nullptr); }
  clsSizing(const clsSizing&) = delete;
  clsSizing& operator=(const clsSizing&) = delete;

  HWND Target() const { return target_; }
  void SetTarget(HWND target);

  // The desktop work area (the screen less the taskbar), in twips.
  int WorkAreaLeft() const;
  int WorkAreaTop() const;
  int WorkAreaWidth() const;
  int WorkAreaHeight() const;

  // side: 0 left, 1 right, 2 top, 3 top-left, 4 top-right, 5 bottom, 6 bottom-left,
  // 7 bottom-right; the proposed outer size in twips, which the handler may change.
  std::function<void(int side, int& width, int& height)> Sizing;
  // The proposed window rectangle in twips while the window is moved.
  std::function<void(RECT& rect)> Moving;
  // The maximized size and position in twips when the system asks for the limits.
  std::function<void(POINT& size, POINT& position)> MaxSize;

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  // The handlers' twips in and out of the pixels the system moves the window by.
  void OnSizing(WPARAM edge, RECT& r);
  void OnMoving(RECT& r);
  void OnGetMinMaxInfo(MINMAXINFO& info);
  HWND target_ = nullptr;
};

}  // namespace cardo
