#pragma once
// frmEditDlg: edits the text of the list's focus line in place, modal over the main window.
// The text goes back into the line when the window closes, and only when it changed.
#include <windows.h>

#include <string>

#include "app/controls/cls_sizing_win.h"
#include "app/controls/dialog_win.h"
#include "app/list/shell_context.h"

namespace cardo {

class frmEditDlg final : public DialogWindow {
 public:
  frmEditDlg(HINSTANCE instance, ShellContext& shell)
      : DialogWindow(shell.ui), instance_(instance), shell_(shell) {}

  // The line's text as it was when the window opened.
  std::u16string lPrevText;

  // Opens the window on the focus line and returns when it closes. With no focus line (an
  // empty list) it does not open.
  void EditFocusLine(HWND owner);

 private:
  bool OnCommand(int id, int code) override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnDpiChanged(int oldDpi) override;
  void PlaceByTwips();
  void Form_Load() override;
  void Form_Activate();
  void SelectFromStart();
  void Form_Resize();
  void Form_Unload();

  HINSTANCE instance_;
  ShellContext& shell_;
  int line_ = -1;
  clsSizing mclsSiz;
};

// A list line holds no line break: typed or pasted CR and LF are taken out, the rest kept.
std::u16string WithoutLineBreaks(std::u16string text);

}  // namespace cardo
