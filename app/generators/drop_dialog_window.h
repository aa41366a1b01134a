#pragma once
// frmDropDialog: a small floating drop target. The URL panel appends dropped URL text to the
// list, the LIST panel appends the lines of dropped list files; the window moves when its
// surface, a panel or a label is dragged.
#include <windows.h>

#include "app/controls/dialog_win.h"
#include "app/controls/drop_target_win.h"
#include "app/settings/tool_context_win.h"

namespace cardo {

class frmDropDialog final : public DialogWindow {
 public:
  explicit frmDropDialog(const ToolContext& context)
      : DialogWindow(context.shell.ui), context_(context) {}

  void Show();

  // Panel 0 is URL, panel 1 is LIST.
  DWORD vopDropPanell_OLEDragOver(int index, const DropData& data, DWORD allowed) const;
  DWORD vopDropPanell_OLEDragDrop(int index, const DropData& data, DWORD allowed);
  // Presses, moves and releases on the form, a panel or a label, at a point on the screen.
  void Form_MouseDown(POINT screen);
  void Form_MouseMove(POINT screen);
  void Form_MouseUp();

 private:
  bool OnCommand(int id, int code) override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnDpiChanged(int oldDpi) override;
  void Form_Load() override;
  void PlaceByTwips();
  POINT ScreenPoint(HWND from, int x, int y) const;

  const ToolContext& context_;
  POINT pressedAt_{};
  bool dragging_ = false;
};

}  // namespace cardo
