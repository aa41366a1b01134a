#include "app/controls/register_controls_win.h"

#include "app/controls/up_down_text_box_win.h"
#include "app/controls/vo_button_win.h"
#include "app/controls/vo_panel_win.h"

namespace cardo {

bool RegisterCustomControls() {
  const bool upDown = UpDownTextBox::RegisterClass();
  const bool button = VoButton::RegisterClass();
  const bool panel = VoPanel::RegisterClass();
  return upDown && button && panel;
}

}  // namespace cardo
