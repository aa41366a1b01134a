#pragma once
// frmPrefarence: the preferences dialog. Edits copies of the settings on four pages under a
// tab control; OK stores them. The main window is disabled while it is open and gets the
// focus back, with the settings re-applied, however it closes.
#include <windows.h>

#include <array>
#include <functional>

#include "app/controls/dialog_win.h"
#include "app/export/export.h"
#include "app/platform/win_handle.h"
#include "app/settings/preferences.h"
#include "app/settings/tool_context_win.h"

namespace cardo {

class frmPrefarence final : public DialogWindow {
 public:
  // `setPrefarence` re-applies the settings the main window shows; `stored` hears of an OK,
  // with the settings as they were before it.
  frmPrefarence(const ToolContext& context, std::function<void()> setPrefarence,
                std::function<void(const Settings& before)> stored)
      : DialogWindow(context.shell.ui),
        context_(context),
        setPrefarence_(std::move(setPrefarence)),
        stored_(std::move(stored)) {}

  // Loads the dialog afresh, modeless, with the main window disabled.
  void Show();
  HWND TabControl() const { return tab_; }
  HWND fraPage(int page) const { return pages_[page]; }
  // A control of the dialog or of one of its pages.
  HWND Control(int id) const;

  void cmdOkCancel_Click(int index);
  void cmdExtCmd_Click(int index);
  void cmdBrowsSoft_Click(int index);
  // A template still at the previous format's default follows the format; a typed one stays.
  void cmbOtherFormat_Click();
  // The receiver of the browser's links: turned on, its token is made when there is none;
  // コピー puts the token on the clipboard and 作り直す makes a new one.
  void chkReceive_Click();
  void cmdHelp_Click();
  void cmdShowTHelp_Click();
  void picTabControl_SelChange();

 private:
  bool OnCommand(int id, int code) override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnDpiChanged(int oldDpi) override;
  static LRESULT CALLBACK PlaceholderProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;
  static INT_PTR CALLBACK PageProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  static LRESULT CALLBACK AddExtProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;
  void Form_Load() override;
  void Unload();
  void CreatePages();
  void ShowPage(int page);
  bool OnDialogKey(const MSG& msg) override;
  void DrawBanner(const DRAWITEMSTRUCT& item) const;
  // The record as shown into the control of each setting row that names one, and back.
  void ShowSettings(const Settings& shown);
  Settings EditedSettings() const;
  static ExtListState ListState(HWND box);
  static void ShowList(HWND box, const ExtListState& list);
  // The page and the control of a text OK refused, with the focus in it.
  void ShowRefused(const PreferenceProblem& problem);

  const ToolContext& context_;
  std::function<void()> setPrefarence_;
  std::function<void(const Settings& before)> stored_;
  HWND tab_ = nullptr;
  std::array<HWND, 4> pages_{};
  UniqueGdi banner_;
  UniqueGdi tabFont_;
  ExportFormat otherFormat_ = ExportFormat::Plain;  // the format the template was last matched to
};

}  // namespace cardo
