#pragma once
// frmSpreadUrl: the bracket expansion dialog. Each source line goes to the library's
// SpreadURL; the lines it produces are appended to the list.
#include <windows.h>

#include "app/controls/dialog_win.h"
#include "app/controls/drop_target_win.h"
#include "app/generators/spread_library_win.h"
#include "app/settings/tool_context_win.h"

namespace cardo {

class frmSpreadUrl final : public DialogWindow {
 public:
  frmSpreadUrl(const ToolContext& context, SpreadFunction spread)
      : context_(context), spread_(std::move(spread)) {}

  void Show();

  void cmdSpread_Click();
  void cmdClose_Click() { Close(IDCANCEL); }
  void cmdShowTHelp_Click();
  DWORD txtSource_OLEDragOver(const DropData& data, DWORD allowed) const;
  DWORD txtSource_OLEDragDrop(const DropData& data, DWORD allowed);
  // The text box's right-click menu at `screen` (-1, -1: under the caret's line).
  void ShowRightClickMenu(POINT screen);
  void mnuRMnuSub_Click(int index);
  // Shows below the text how many lines it will make and how many the list can still take.
  void UpdateCount();

 private:
  bool OnCommand(int id, int code) override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Form_Load() override;

  const ToolContext& context_;
  SpreadFunction spread_;
};

}  // namespace cardo
