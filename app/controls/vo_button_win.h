#pragma once
// VoButton ("Cardo.VoButton"): a push or toggle button that draws itself in the system
// colours. Click comes from the left button, from Space when it is released, from Enter and
// from the access key in its caption; a toggle button flips Value on the left-button press
// (on the click for keys) and is drawn sunk while Value is true. In a dialog it answers the
// dialog manager as a push button does, default-button handling included.
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
  // The mouse buttons' and the keys' messages.
  LRESULT OnMouse(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnKey(UINT message, WPARAM wParam, LPARAM lParam);
  // A click by key or by the dialog manager: the toggle flips, then Click.
  void KeyClick();
  bool PointerInside(LPARAM lParam) const;
  void Fire(const std::function<void()>& event) {
    if (event) event();
  }

  ButtonStyle style_ = ButtonStyle::Push;
  bool value_ = false;
  bool pressed_ = false;  // left button held down on the button
  bool rightDown_ = false;
  bool spaceDown_ = false;
  bool default_ = false;  // the dialog's default button, drawn with a dark frame
  bool dropMode_ = false;
  // The font it was given (WM_SETFONT), which the giver keeps; else the parent's.
  HFONT font_ = nullptr;
};

// For a dialog procedure: the dialog manager reports Enter on a focused VoButton, or on a
// VoButton that is the default button, as WM_COMMAND; this turns it into the button's click
// (a VoButton never sends WM_COMMAND itself). True when the command was a VoButton's.
bool VoButtonDialogCommand(WPARAM wParam, LPARAM lParam);

}  // namespace cardo
