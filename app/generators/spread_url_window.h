#pragma once
// frmSpreadUrl: the bracket expansion dialog. Each source line goes to the library's
// SpreadURL; the lines it produces are appended to the list. With "拡張構文" checked the
// lines are read in the extended syntax by the program itself, counted before anything is
// made, and their faults listed below the text.
#include <windows.h>

#include <vector>

#include "app/controls/dialog_win.h"
#include "app/controls/drop_target_win.h"
#include "app/generators/generator_text.h"
#include "app/generators/spread_library_win.h"
#include "app/settings/tool_context_win.h"

namespace cardo {

class frmSpreadUrl final : public DialogWindow {
 public:
  frmSpreadUrl(const ToolContext& context, SpreadFunction spread)
      : DialogWindow(context.shell.ui), context_(context), spread_(std::move(spread)) {}

  void Show();

  void cmdSpread_Click();
  // The syntax check box: stored at once in the settings, the count and faults redone.
  void chkExtended_Click();
  // Selects the character of the fault at `index` of the error list in the text.
  void lstSpreadErrors_DblClick(int index);
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
  bool Extended() const;
  void SpreadExtended();
  void ShowFaults(std::vector<SpreadFault> faults);

  const ToolContext& context_;
  SpreadFunction spread_;
  std::vector<SpreadFault> faults_;  // as the error list shows them
};

}  // namespace cardo
