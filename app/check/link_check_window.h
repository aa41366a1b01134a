#pragma once
// frmLinkCheck: the link check of the main list's lines. Modeless, owned by the main window.
// While the check runs on worker threads the window shows how far it got (done / total,
// alive, dead, errors) and each URL's row as its answer comes; 中止 stops it at once. The rows
// (status, size, type, final URL, URL, reason) sort by any column; the actions change the main
// list only when the user asks: remove the dead lines, replace redirected lines with their
// final URL, select the failed lines.
#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/controls/dialog_win.h"
#include "app/check/link_check.h"
#include "app/check/link_check_list.h"
#include "app/list/shell_context.h"

namespace cardo {

class frmLinkCheck final : public DialogWindow {
 public:
  // `transports` gives each check its HTTP stack, made when the check starts.
  frmLinkCheck(HINSTANCE instance, ShellContext& shell,
               std::function<LinkTransportFactory()> transports, LinkCheckLimits limits = {})
      : instance_(instance), shell_(shell), transports_(std::move(transports)), limits_(limits) {}
  ~frmLinkCheck() override;

  // Checks `urls` (the main list's lines) in the window, opened over `owner`. A check still
  // running in the open window is only brought to the front.
  void Check(HWND owner, std::vector<std::u16string> urls);
  bool Running() const { return run_ != nullptr && !finished_; }

  void cmdStop_Click();
  void cmdRemoveDead_Click();
  void cmdReplaceRedirected_Click();
  void cmdSelectFailed_Click();
  void lvwResults_ColumnClick(int column);
  // The rows as shown, in the list view's order: each row's texts, column by column.
  std::vector<std::vector<std::u16string>> Rows() const;

 private:
  struct Run;
  struct Row {
    bool done = false;
    LinkResult result;
  };

  void Form_Load() override;
  bool OnCommand(int id, int code) override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Start();
  void TakeResults();
  void Stop();
  void ShowProgress();
  void Ended(const std::u16string& note);
  std::u16string CellText(int row, int column) const;

  HINSTANCE instance_;
  ShellContext& shell_;
  std::function<LinkTransportFactory()> transports_;
  LinkCheckLimits limits_;
  CheckedLinks checked_;
  std::vector<Row> rows_;
  std::vector<int> order_;  // the rows in the list view's order
  int sortColumn_ = -1;
  bool sortDown_ = false;
  std::shared_ptr<Run> run_;
  std::thread worker_;
  bool finished_ = false;
  std::u16string note_;  // what the last action or the end of the check says
};

}  // namespace cardo
