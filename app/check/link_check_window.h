#pragma once
// frmLinkCheck: the link check of the main list's lines. Modeless, owned by the main window.
// While the check runs on worker threads the window shows how far it got (done / total,
// alive, dead, errors) and each URL's row as its answer comes; 中止 stops it at once. The rows
// (status, URL, reason, final URL, size, type) sort by any column, copy to the clipboard and
// save as TAB-separated text; the failed ones can be checked again. The actions change the
// main list only when the user asks: remove the dead lines, replace redirected lines with their
// final URL, select the failed lines. The window is resizable; its size, its columns' widths,
// the time-out and the per-host limit are kept in the settings.
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/controls/dialog_win.h"
#include "app/check/link_check.h"
#include "app/check/link_check_list.h"
#include "app/controls/anchor_layout_win.h"
#include "app/list/shell_context.h"
#include "app/platform/background_work_win.h"
#include "app/settings/app_settings.h"

namespace cardo {

class frmLinkCheck final : public DialogWindow {
 public:
  // `transports` gives each check its HTTP stack, made when the check starts.
  frmLinkCheck(HINSTANCE instance, ShellContext& shell, Settings& settings,
               std::function<LinkTransportFactory()> transports)
      : DialogWindow(shell.ui),
        instance_(instance),
        shell_(shell),
        settings_(settings),
        transports_(std::move(transports)) {}
  ~frmLinkCheck() override;

  // Checks `urls` (the main list's lines) in the window, opened over `owner`. A check still
  // running in the open window is only brought to the front.
  void Check(HWND owner, std::vector<std::u16string> urls);
  bool Running() const { return check_.Running(); }

  void cmdStop_Click();
  void cmdRemoveDead_Click();
  void cmdReplaceRedirected_Click();
  void cmdSelectFailed_Click();
  void cmdRecheckFailed_Click();
  void cmdCopyResults_Click();
  void cmdSaveResults_Click();
  void lvwResults_ColumnClick(int column);
  // The rows as shown, in the list view's order: each row's texts, column by column.
  std::vector<std::vector<std::u16string>> Rows() const;
  // The whole text of a row's tip: its URL, status and reason, each on a line.
  std::u16string RowTip(int shownRow) const;
  // Keeps the window's size, the columns' widths and the limits in the settings record.
  void StoreSettings();

 private:
  struct Run;
  struct Row {
    bool done = false;
    LinkResult result;
  };

  void Form_Load() override;
  bool OnCommand(int id, int code) override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  INT_PTR OnNotify(LPARAM lParam);
  void OnDpiChanged(int oldDpi) override;
  // Checks the rows `indices` again (every row on a new check); the others keep their answers.
  void Start(std::vector<std::size_t> indices);
  LinkCheckLimits Limits();
  void Place(HWND owner);
  void EnableActions(bool enabled);
  void TakeResults(WorkNotice notice);
  void Stop();
  void ShowProgress();
  void Ended(const std::u16string& note);
  std::u16string CellText(int row, int column) const;

  HINSTANCE instance_;
  ShellContext& shell_;
  Settings& settings_;
  std::function<LinkTransportFactory()> transports_;
  AnchorLayout layout_;
  CheckedLinks checked_;
  std::vector<Row> rows_;
  std::vector<std::size_t> running_;  // the rows the running check asks for, by its index
  std::vector<int> order_;            // the rows in the list view's order
  int sortColumn_ = -1;
  bool sortDown_ = false;
  std::shared_ptr<Run> run_;
  BackgroundWork<bool> check_;
  bool finished_ = false;
  std::u16string note_;  // what the last action or the end of the check says
};

}  // namespace cardo
