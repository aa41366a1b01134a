#pragma once
// VoPanel ("Cardo.VoPanel"): a container that paints a one-pixel raised or sunken border, with
// mouse events and, when OLEDropMode is on, the drag events of dropped text and files.
#include <windows.h>

#include <functional>

#include "app/controls/control_window_win.h"
#include "app/controls/drop_target_win.h"

namespace cardo {

class VoPanel final : public ControlWindow<VoPanel> {
 public:
  static constexpr wchar_t kClassName[] = L"Cardo.VoPanel";
  enum class View { Raised = 0, Sunken = 1 };
  enum class Appearance { Flat = 0, ThreeD = 1 };

  static bool RegisterClass() { return Register(kClassName); }

  View GetView() const { return view_; }
  void SetView(View view);
  Appearance GetAppearance() const { return appearance_; }
  void SetAppearance(Appearance appearance);
  COLORREF BackColor() const { return backColor_; }
  void SetBackColor(COLORREF color);
  bool Paneling() const { return paneling_; }
  void SetPaneling(bool on);
  bool OLEDropMode() const { return dropMode_; }
  void SetOLEDropMode(bool accepts);

  struct MouseEvent {
    int button;  // 1 left, 2 right, 4 middle
    int shift;   // 1 Shift, 2 Ctrl, 4 Alt
    int x, y;    // pixels in the panel
  };
  std::function<void()> Click;
  std::function<void()> DblClick;
  std::function<void(const MouseEvent&)> MouseDown, MouseMove, MouseUp;
  // Return the drop effect to show or to perform.
  DropTarget::Handler OLEDragOver;
  DropTarget::Handler OLEDragDrop;

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint(HDC dc);
  MouseEvent Mouse(WPARAM keys, LPARAM lParam, int button) const;
  bool Inside(LPARAM lParam) const;

  View view_ = View::Raised;
  Appearance appearance_ = Appearance::ThreeD;
  COLORREF backColor_ = GetSysColor(COLOR_BTNFACE);
  bool paneling_ = false;
  bool dropMode_ = false;
  bool leftDown_ = false;
};

}  // namespace cardo
