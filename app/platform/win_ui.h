#pragma once
// The Ui services on Windows: message boxes, the common file dialogs and the clipboard, all
// owned by the window that `owner` returns at the time of the call.
#include <windows.h>

#include <functional>

#include "app/platform/ui.h"

namespace cardo {

class WinUi final : public Ui {
 public:
  explicit WinUi(std::function<HWND()> owner) : owner_(std::move(owner)) {}

  MessageAnswer ShowMessage(std::u16string_view text, std::u16string_view title, MessageIcon icon,
                            MessageButtons buttons) override;
  std::optional<FileDialogResult> ShowOpenDialog(const FileDialogOptions& options) override;
  std::optional<FileDialogResult> ShowSaveDialog(const FileDialogOptions& options) override;
  bool ClipboardHasText() override;
  std::u16string ClipboardText() override;
  void SetClipboardText(std::u16string_view text) override;
  ClipboardContent ReadClipboard() override;
  void Beep() override { MessageBeep(MB_OK); }
  StartResult StartProgram(const std::u16string& commandLine) override;
  std::u16string OpenWithShell(const std::u16string& target, const std::u16string& directory,
                               std::uintptr_t owner) override;

 private:
  std::optional<FileDialogResult> ShowFileDialog(const FileDialogOptions& options, bool save);
  HWND Owner() const { return owner_ ? owner_() : nullptr; }
  // Whether the clipboard holds this process's copy: its owner window is ours, or nothing
  // changed it since our last copy.
  bool ClipboardFromThisProcess() const;
  std::function<HWND()> owner_;
  DWORD ownSequence_ = 0;
};

}  // namespace cardo
