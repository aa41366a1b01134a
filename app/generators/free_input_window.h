#pragma once
// frmFreeInput: free input. Text typed, pasted or dropped (files too) into the box is added to
// the list line by line. The window stays open after an add; "入力後テキストクリア" decides
// whether the text stays in the box.
#include <windows.h>

#include "app/controls/dialog_win.h"
#include "app/controls/drop_target_win.h"
#include "app/settings/tool_context_win.h"

namespace cardo {

class frmFreeInput final : public DialogWindow {
 public:
  explicit frmFreeInput(const ToolContext& context)
      : DialogWindow(context.shell.ui), context_(context) {}

  void Show();
  // Stores the check box into the settings; the window stays.
  void Form_QueryUnload();

  void cmdInput_Click();
  void cmdClose_Click();
  DWORD txtFreeInput_OLEDragOver(const DropData& data, DWORD allowed) const;
  DWORD txtFreeInput_OLEDragDrop(const DropData& data, DWORD allowed);

 private:
  bool OnCommand(int id, int code) override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Form_Load() override;

  const ToolContext& context_;
};

}  // namespace cardo
