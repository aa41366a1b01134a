#pragma once
// VoButton ("Cardo.VoButton"): a push or toggle button that draws itself in the system
// colours. Click comes from the left button, Space and Enter; a toggle button flips Value on
// the left-button press and is drawn sunk while Value is true.
#include <windows.h>

#include <functional>
#include <string>

#include "app/controls/control_window_win.h"
#include "app/controls/drop_target_win.h"

namespace cardo {

class VoButton final : public ControlWindow<VoButton> {
 public:
  static constexpr wchar_t kClassName[] = L"Cardo.VoButton";
  enum class ButtonStyle { Push = 0, Toggle = 1 };

  static bool RegisterClass() { return Register(kClassName); }

  std::wstring Caption() const;
  void SetCaption(const std::wstring& caption);
  ButtonStyle Style() const { return style_; }
  void SetStyle(ButtonStyle style);
  bool Value() const { return value_; }
  void SetValue(bool value);
  bool OLEDropMode() const { return dropMode_; }
  void SetOLEDropMode(bool accepts);

  std::function<void()> Click;
  std::function<void()> RClick;
  std::function<void()> DblClick;
  std::function<void()> RDblClick;
  // Return the drop effect to show or to perform.
  DropTarget::Handler OLEDragOver;
  DropTarget::Handler OLEDragDrop;

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void Paint(HDC dc);
  bool PointerInside(LPARAM lParam) const;
  void Fire(const std::function<void()>& event) {
    if (event) event();
  }

  ButtonStyle style_ = ButtonStyle::Push;
  bool value_ = false;
  bool pressed_ = false;  // left button held down on the button
  bool rightDown_ = false;
  bool dropMode_ = false;
};

}  // namespace cardo
