#pragma once
// List files (their bytes: app/list/list_text.h); the File menu commands that read and write
// them; and the questions that guard every replacement of the list and of its file.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/list/list_text.h"
#include "app/list/shell_context.h"

namespace cardo {

// The most bytes of a list file that are read; a file whose first 32767 lines hold more is
// refused as unreadable, so no file can exhaust the memory of the program.
inline constexpr std::size_t kMaxListFileBytes = std::size_t{64} << 20;

// Reads a list file as a stream: at most `maxLines` lines are kept, so the cost is bounded by
// them, not by the file. Nothing when the file cannot be read, is larger than
// kMaxListFileBytes before its limit, or memory runs out.
std::optional<ListFileLines> ReadListFile(FileSystem& fs, const std::u16string& path,
                                          std::size_t maxLines);

// What reading files into the list left out, told to the user once per operation.
struct ListReadNotes {
  int overLimit = 0;    // files with lines past the list's limit
  int undecodable = 0;  // files with lines that hold bytes which are no characters
};
void ReportListReadNotes(Ui& ui, const ListReadNotes& notes);

// Reads `path` into the list (replacing or appending); the document's file stays as it was.
// False, silently, when `path` is no existing file; false after the error message when it
// cannot be read, the list unchanged. What was left out is counted into `notes` when given,
// else reported at once.
bool OpenListFile(ShellContext& shell, const std::u16string& path, bool append,
                  ListReadNotes* notes = nullptr);
// Opens `path` as the list's file: the list, the file's format, the title and the recent files.
// A file read only partly opens modified, and a save over it asks first (SaveListFile). False
// as OpenListFile, the list and its file unchanged.
bool OpenListDocument(ShellContext& shell, const std::u16string& path);
// Saves the list as the File commands do, in `format` (the document's when not given). A
// code page 932 list holding characters it cannot hold is saved only after the user agreed to
// their loss; a save over the document's file that was read only partly, only after the user
// agreed to lose the rest. The old file stays whole unless the new one was written completely,
// and a failed write says so with the path and the system's reason. False when nothing was
// written.
bool SaveListFile(ShellContext& shell, const std::u16string& path);
bool SaveListFile(ShellContext& shell, const std::u16string& path, const ListFileFormat& format);
// Whether `bytes`, the code page 932 form of `text` (built from `lines`), may be written: true
// when the conversion kept every character, else only after the user agreed to the loss in the
// warning, which shows the first line that loses characters. Save and the exports ask this.
bool ConfirmCodePageLoss(ShellContext& shell, const std::vector<std::u16string>& lines,
                         const std::u16string& text, const std::string& bytes);
// Asks whether to save a modified list. True when the caller may go on.
bool ConfirmSaveChanges(ShellContext& shell);

// The folder that holds `path` (made absolute), ending with the separator; the separator
// alone when `path` does not exist.
std::u16string ContainingFolder(FileSystem& fs, const std::u16string& path);
bool IsExistingFile(FileSystem& fs, const std::u16string& path);

// The File menu.
void FileNew(ShellContext& shell);
void FileOpen(ShellContext& shell);
void FileAdd(ShellContext& shell);
void FileSave(ShellContext& shell);
void FileSaveAs(ShellContext& shell);
// Files dropped onto the list; `shift` and `otherModifiers` are the keys held.
void DropFilesOnList(ShellContext& shell, const std::vector<std::u16string>& files, bool shift,
                     bool otherModifiers);
// A recent-files entry chosen from the menu (1-based place).
void OpenRecentFile(ShellContext& shell, int index);

}  // namespace cardo
