#pragma once
// frmSearch: the find window, in find or replace mode. Modeless, owned by the main window; it
// is unloaded after every find or replace and on close, and loaded afresh by the next command.
#include <windows.h>

#include "app/controls/dialog_win.h"
#include "app/editing/find_replace.h"
#include "app/settings/app_settings.h"

namespace cardo {

enum class SearchMode { Find = 0, Replace = 1 };

class frmSearch final : public DialogWindow {
 public:
  frmSearch(HINSTANCE instance, ShellContext& shell, Settings& settings, SearchRecord& state)
      : DialogWindow(shell.ui),
        instance_(instance),
        shell_(shell),
        settings_(settings),
        state_(state) {}

  // Loads the window in `mode`, or gives the open window that mode's look (so its look and
  // what its main button does never differ), and brings it to the front.
  void Show(HWND owner, SearchMode mode);
  SearchMode Mode() const { return mode_; }

  void cmdButtons_Click(int index);

 private:
  bool OnCommand(int id, int code) override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Form_Load() override;
  void ApplyMode();
  void Form_Unload();

  HINSTANCE instance_;
  ShellContext& shell_;
  Settings& settings_;
  SearchRecord& state_;
  SearchMode mode_ = SearchMode::Find;
};

}  // namespace cardo
