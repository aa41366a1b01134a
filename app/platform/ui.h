#pragma once
// The user-interface seam: every question the program asks a person goes through here, so a
// test can answer it. The Win32 implementation uses message boxes, the common dialogs and
// the clipboard.
#include <cstdint>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

namespace cardo {

enum class MessageIcon { None, Warning, Information, Question };
// OkCancelSafe: キャンセル is the default button, for a question whose OK loses data (Enter
// must not be the way to lose it). OkOpenFolder: OK and 「フォルダーを開く」, after a file was
// written into a folder the user chose.
enum class MessageButtons { Ok, OkCancel, OkCancelSafe, YesNoCancel, OkOpenFolder };
enum class MessageAnswer { Ok, Cancel, Yes, No, OpenFolder };

struct FileDialogOptions {
  std::u16string title;
  std::u16string defaultExt;
  std::u16string filter;  // "description|pattern|description|pattern..."
  int filterIndex = 0;    // 1-based; 0 shows the first filter
  bool overwritePrompt = false;
  bool hideReadOnly = false;
  bool pathMustExist = false;
  bool createPrompt = false;
  std::u16string initialDir;
  std::u16string initialFile;
  std::uint32_t extraFlags = 0;  // further file-dialog option bits, passed through
  std::uintptr_t owner = 0;      // the owner window; 0 for the program's main window
};

// A program started by the Ui: its process identifier, or 0 and the system's reason.
struct StartResult {
  std::uint32_t processId = 0;
  std::u16string error;
};

struct FileDialogResult {
  std::u16string path;
  int filterIndex = 1;
};

// What a paste of links reads from the clipboard in one look.
struct ClipboardContent {
  std::optional<std::string> html;  // the "HTML Format" bytes (UTF-8), up to their first NUL
  std::u16string text;              // the Unicode text; empty when there is none
  bool fromThisProgram = false;     // put there by this process (its own copy)
};

class Ui {
 public:
  virtual ~Ui() = default;
  virtual MessageAnswer ShowMessage(std::u16string_view text, std::u16string_view title,
                                    MessageIcon icon, MessageButtons buttons) = 0;
  // Nothing when the user cancels.
  virtual std::optional<FileDialogResult> ShowOpenDialog(const FileDialogOptions& options) = 0;
  virtual std::optional<FileDialogResult> ShowSaveDialog(const FileDialogOptions& options) = 0;
  virtual bool ClipboardHasText() = 0;
  // Empty when the clipboard holds no text.
  virtual std::u16string ClipboardText() = 0;
  virtual void SetClipboardText(std::u16string_view text) = 0;
  // The clipboard's HTML Format and text; nothing of either when the clipboard is busy.
  virtual ClipboardContent ReadClipboard() = 0;
  // The system's standard beep.
  virtual void Beep() = 0;
  // Starts a program from a full command line, in a normal activated window; does not wait.
  virtual StartResult StartProgram(const std::u16string& commandLine) = 0;
  // The shell's "open" on a file or web address, `directory` as the working folder (its final
  // separator dropped), owned by `owner` (0: the main window). Empty on success, else the
  // system's reason.
  virtual std::u16string OpenWithShell(const std::u16string& target,
                                       const std::u16string& directory,
                                       std::uintptr_t owner = 0) = 0;
};

// The failure message every subsystem uses: title "エラー", warning icon, OK.
void ShowError(Ui& ui, std::u16string_view text);
// Called in a catch block of a window's procedure: tells the user that the operation failed,
// naming a want of memory. One at a time: a failure while its message is shown (the message
// box runs the window's messages) is not shown again. Nothing escapes, not even a want of
// memory for the message itself.
void ShowUnexpectedFailure(Ui& ui) noexcept;
// The same message's text for `failure`: a want of memory named, any other the general one.
const char16_t* UnexpectedFailureText(const std::exception_ptr& failure) noexcept;

}  // namespace cardo
