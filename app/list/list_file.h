#pragma once
// List files: one list line per text line in the ANSI code page, each ending in CR LF; the
// File menu commands that read and write them; and the save question that guards every
// replacement of the list.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/list/shell_context.h"

namespace cardo {

// Lines of a list file's text. CR LF ends a line; so do a lone LF and a lone CR, so that
// files from other systems read as lines. A line end at the very end adds no empty line.
std::vector<std::u16string> SplitListText(std::u16string_view text);
// Every line followed by CR LF, the last one too.
std::u16string BuildListText(const std::vector<std::u16string>& lines);

// The most bytes of a list file that are read; a file whose first 32767 lines hold more is
// refused as unreadable, so no file can exhaust the memory of the program.
inline constexpr std::size_t kMaxListFileBytes = std::size_t{64} << 20;

struct ListFileLines {
  std::vector<std::u16string> lines;
  bool more = false;  // the file holds lines past `maxLines`
};
// Reads a list file as a stream: at most `maxLines` lines are kept, so the cost is bounded by
// them, not by the file. Nothing when the file cannot be read, is larger than
// kMaxListFileBytes before its limit, or memory runs out.
std::optional<ListFileLines> ReadListFile(FileSystem& fs, const std::u16string& path,
                                          std::size_t maxLines);

// Reads `path` into the list (replacing or appending). False, silently, when `path` is no
// existing file; false after the error message when it cannot be read, the list unchanged.
// Lines past the list's limit are counted into `refused` when given, else reported at once.
bool OpenListFile(ShellContext& shell, const std::u16string& path, bool append,
                  int* refused = nullptr);
// Saves the list as the File commands do: the format is code page 932, so a list holding
// characters it cannot hold is saved only after the user agreed to their loss; the old file
// stays whole unless the new one was written completely, and a failed write says so with the
// path and the system's reason. False when nothing was written.
bool SaveListFile(ShellContext& shell, const std::u16string& path);
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
