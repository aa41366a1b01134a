#pragma once
// frmGeneList: the regular list generator. Appends a numbered run of names made from a base
// URL to the list; remembers the base URLs in a history kept with the settings.
#include <windows.h>

#include "app/controls/dialog_win.h"
#include "app/controls/drop_target_win.h"
#include "app/controls/up_down_text_box_win.h"
#include "app/generators/regular_list.h"
#include "app/settings/tool_context_win.h"

namespace cardo {

class frmGeneList final : public DialogWindow {
 public:
  explicit frmGeneList(const ToolContext& context)
      : DialogWindow(context.shell.ui), context_(context) {}

  void Show();
  // Stores the window's state into the settings; the window stays.
  void Form_QueryUnload();
  // The preferences were confirmed: an extension list they changed (against `before`)
  // replaces the one offered, keeping the extension typed.
  void PreferencesStored(const Settings& before);

  void cmdGeneClose_Click(int index);
  void cmdShowTHelp_Click();
  void cmbUrl_KeyDown(WPARAM key) { lastKey_ = static_cast<WORD>(key); }
  void cmbUrl_Change();
  DWORD cmbUrl_OLEDragOver(const DropData& data, DWORD allowed) const;
  DWORD cmbUrl_OLEDragDrop(const DropData& data, DWORD allowed);

 private:
  bool OnCommand(int id, int code) override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Form_Load() override;
  // chkWinRar_Click and chkSetFigure_Click: the controls each check box governs.
  void ApplyEnabling();
  UpDownTextBox& Spin(int id) const;
  bool Checked(int id) const { return IsDlgButtonChecked(hwnd(), id) == BST_CHECKED; }
  RegularListOptions Options() const;
  HWND UrlEdit() const;

  const ToolContext& context_;
  WORD lastKey_ = 0;
};

}  // namespace cardo
