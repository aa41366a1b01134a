#pragma once
// frmSmplViewer ("SimpleViewer"): shows one topic of the topic file as plain text, with Save
// and Copy. One instance for the program, modeless, owned by the window whose help button
// opened it; a request while it is open only brings it to the front.
#include <windows.h>

#include <string>

#include "app/controls/dialog_win.h"
#include "app/platform/file_system.h"
#include "app/platform/ui.h"
#include "app/platform/win_handle.h"

namespace cardo {

class frmSmplViewer final : public DialogWindow {
 public:
  frmSmplViewer(HINSTANCE instance, Ui& ui, FileSystem& fs, std::u16string appDirectory)
      : DialogWindow(ui),
        instance_(instance),
        ui_(ui),
        fs_(fs),
        appDirectory_(std::move(appDirectory)) {}

  // Set before the window is shown: the topic and the file (relative to the program folder).
  std::u16string Key;
  std::u16string LoadFile;

  // Opens the window on Key and LoadFile, or brings the open one to the front.
  void Show(HWND owner);
  std::u16string Text() const;

  void mnuFileSub_Click(int index);
  void mnuEditSub_Click(int index);

 private:
  bool OnInit() override;
  bool OnCommand(int id, int code) override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnDpiChanged(int oldDpi) override;
  void SetTextFont();
  void Form_Load() override;
  void Form_Resize();

  HINSTANCE instance_;
  Ui& ui_;
  FileSystem& fs_;
  std::u16string appDirectory_;
  UniqueGdi font_;
};

}  // namespace cardo
