#include "app/list/list_file.h"

#include <algorithm>

#include "app/list/menu_history.h"
#include "app/list/messages.h"
#include "app/platform/codec.h"

namespace cardo {

std::vector<std::u16string> SplitListText(std::u16string_view text) {
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c != u'\r' && c != u'\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::u16string BuildListText(const std::vector<std::u16string>& lines) {
  std::size_t size = 0;
  for (const auto& line : lines) size += line.size() + 2;
  std::u16string text;
  text.reserve(size);
  for (const auto& line : lines) {
    text += line;
    text += u"\r\n";
  }
  return text;
}

bool IsExistingFile(FileSystem& fs, const std::u16string& path) {
  return fs.Probe(path) == PathKind::File;
}

std::u16string ContainingFolder(FileSystem& fs, const std::u16string& path) {
  const char16_t sep = PathSeparator();
  if (fs.Probe(path) == PathKind::Missing) return std::u16string(1, sep);
  std::u16string full = fs.FullPath(path).value_or(path);
  while (full.size() > 1 && full.back() == sep) full.pop_back();
  const auto pos = full.find_last_of(sep);
  if (pos == std::u16string::npos) return std::u16string(1, sep);
  return full.substr(0, pos + 1);
}

std::optional<ListFileLines> ReadListFile(FileSystem& fs, const std::u16string& path,
                                          std::size_t maxLines) {
  ListFileLines out;
  std::string line;
  std::size_t kept = 0;
  bool afterCr = false;  // an LF right after a CR ends nothing more
  bool tooLarge = false;
  // Shift-JIS trail bytes are never CR or LF, so lines can be cut on bytes.
  auto take = [&](std::string_view chunk) {
    for (std::size_t i = 0; i < chunk.size();) {
      if (afterCr && chunk[i] == '\n') {
        afterCr = false;
        ++i;
        continue;
      }
      afterCr = false;
      if (out.lines.size() == maxLines) {
        out.more = true;
        return false;
      }
      const std::size_t end = chunk.find_first_of("\r\n", i);
      const std::size_t stop = end == std::string_view::npos ? chunk.size() : end;
      line.append(chunk.substr(i, stop - i));
      kept += stop - i;
      if (kept > kMaxListFileBytes) {
        tooLarge = true;
        return false;
      }
      if (end == std::string_view::npos) return true;
      out.lines.push_back(AnsiToWide(line));
      line.clear();
      afterCr = chunk[end] == '\r';
      i = end + 1;
    }
    return true;
  };
  try {
    if (!fs.ReadChunks(path, take) || tooLarge) return std::nullopt;
    if (!line.empty()) {
      if (out.lines.size() == maxLines) {
        out.more = true;
      } else {
        out.lines.push_back(AnsiToWide(line));
      }
    }
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  return out;
}

bool OpenListFile(ShellContext& shell, const std::u16string& path, bool append, int* refused) {
  if (!IsExistingFile(shell.fs, path)) return false;
  const std::size_t room =
      static_cast<std::size_t>(kMaxListLines - (append ? shell.list.Count() : 0));
  auto read = ReadListFile(shell.fs, path, room);
  if (!read) {
    ShowError(shell.ui, msg::kOpenFailed);
    return false;
  }
  {
    RedrawSuspension hidden(shell.list);
    if (!append) shell.list.Clear();
    shell.list.AppendLines(read->lines, false);
  }
  shell.UpdateHorizontalExtent();
  const int over = read->more ? 1 : 0;
  if (refused) {
    *refused += over;
  } else {
    WarnIfListFull(shell.ui, over);
  }
  return true;
}

bool ConfirmCodePageLoss(ShellContext& shell, const std::vector<std::u16string>& lines,
                         const std::u16string& text, const std::string& bytes) {
  if (AnsiToWide(bytes) == text) return true;
  const auto lost = std::find_if(lines.begin(), lines.end(), [](const std::u16string& line) {
    return AnsiToWide(WideToAnsi(line)) != line;
  });
  const std::u16string shown = lost == lines.end() ? std::u16string() : *lost;
  return shell.ui.ShowMessage(std::u16string(msg::kNotInCodePage) + u"\r\n" + shown + u"\r\n" +
                                  msg::kNotInCodePageQuestion,
                              msg::kWarningTitle, MessageIcon::Warning,
                              MessageButtons::OkCancel) == MessageAnswer::Ok;
}

bool SaveListFile(ShellContext& shell, const std::u16string& path) {
  if (path.empty()) return false;
  const auto& lines = shell.list.LineRefs();
  const std::u16string text = BuildListText(lines);
  const std::string bytes = WideToAnsi(text);
  if (!ConfirmCodePageLoss(shell, lines, text, bytes)) return false;
  if (shell.fs.ReplaceAll(path, bytes)) return true;
  ShowError(shell.ui, msg::kSaveFailed + (u"\r\n" + path) + u"\r\n" + shell.fs.LastErrorText());
  return false;
}

namespace {

FileDialogOptions ListDialog(std::u16string title, int filterIndex, bool forSave) {
  FileDialogOptions options;
  options.title = std::move(title);
  options.defaultExt = msg::kListExt;
  options.filter = msg::kListFilter;
  options.filterIndex = filterIndex;
  options.hideReadOnly = true;
  if (forSave) {
    options.overwritePrompt = true;
    options.pathMustExist = true;
  } else {
    options.createPrompt = true;
  }
  return options;
}

// The list now belongs to `path`: the title shows it unmodified and it heads the history.
void AdoptListPath(ShellContext& shell, const std::u16string& path) {
  shell.document.SetPath(path);
  shell.document.ClearModified();
  shell.recentFiles.AddItem(path);
}

}  // namespace

bool ConfirmSaveChanges(ShellContext& shell) {
  if (!shell.document.Modified()) return true;
  const std::u16string& path = shell.document.Path();
  const std::u16string name = path.empty() ? std::u16string(msg::kUntitled) : PathNamePart(path);
  const auto answer = shell.ui.ShowMessage(name + msg::kSaveQuestion, msg::kQuestionTitle,
                                           MessageIcon::Question, MessageButtons::YesNoCancel);
  if (answer == MessageAnswer::Cancel) return false;
  if (answer == MessageAnswer::No) return true;
  if (!path.empty()) {
    if (!SaveListFile(shell, path)) return false;
    shell.document.ClearModified();
    return true;
  }
  const auto chosen = shell.ui.ShowSaveDialog(ListDialog(msg::kSaveAsTitle, 0, true));
  if (!chosen) return false;
  if (!SaveListFile(shell, chosen->path)) return false;
  AdoptListPath(shell, chosen->path);
  return true;
}

void FileNew(ShellContext& shell) {
  if (!ConfirmSaveChanges(shell)) return;
  shell.document.SetPath(u"");
  {
    RedrawSuspension hidden(shell.list);
    shell.list.Clear();
  }
  shell.document.ClearModified();
  shell.UpdateHorizontalExtent();
}

void FileOpen(ShellContext& shell) {
  if (!ConfirmSaveChanges(shell)) return;
  const auto chosen =
      shell.ui.ShowOpenDialog(ListDialog(msg::kOpenTitle, shell.lastFilterIndex, false));
  if (!chosen) return;
  shell.lastFilterIndex = chosen->filterIndex;
  if (IsExistingFile(shell.fs, chosen->path)) {
    // A file that cannot be read leaves the list and its path as they were.
    if (!OpenListFile(shell, chosen->path, false)) return;
  } else {
    RedrawSuspension hidden(shell.list);
    shell.list.Clear();
  }
  AdoptListPath(shell, chosen->path);
  shell.UpdateHorizontalExtent();
}

void FileAdd(ShellContext& shell) {
  const auto chosen =
      shell.ui.ShowOpenDialog(ListDialog(msg::kAddTitle, shell.lastFilterIndex, false));
  if (!chosen) return;
  shell.lastFilterIndex = chosen->filterIndex;
  OpenListFile(shell, chosen->path, true);
  shell.document.MarkModified();
}

void FileSaveAs(ShellContext& shell) {
  const auto chosen =
      shell.ui.ShowSaveDialog(ListDialog(msg::kSaveAsTitle, shell.lastFilterIndex, true));
  if (!chosen) return;
  shell.lastFilterIndex = chosen->filterIndex;
  if (SaveListFile(shell, chosen->path)) AdoptListPath(shell, chosen->path);
}

void FileSave(ShellContext& shell) {
  if (shell.document.Path().empty()) {
    FileSaveAs(shell);
    return;
  }
  if (SaveListFile(shell, shell.document.Path())) shell.document.ClearModified();
}

void DropFilesOnList(ShellContext& shell, const std::vector<std::u16string>& files, bool shift,
                     bool otherModifiers) {
  if (!files.empty() && !otherModifiers) {
    if (!shift) {
      // A folder is no list: taking its name as the list's would leave a list that cannot be
      // saved under it, so such a drop changes nothing.
      if (IsExistingFile(shell.fs, files.front()) && ConfirmSaveChanges(shell) &&
          OpenListFile(shell, files.front(), false)) {
        AdoptListPath(shell, files.front());
      }
    } else {
      int refused = 0;
      for (const auto& file : files) OpenListFile(shell, file, true, &refused);
      WarnIfListFull(shell.ui, refused);
      shell.document.MarkModified();
    }
  }
  shell.UpdateHorizontalExtent();
}

void OpenRecentFile(ShellContext& shell, int index) {
  if (!ConfirmSaveChanges(shell)) return;
  const std::u16string path = shell.recentFiles.MenuItem(index);
  if (path.empty()) return;
  if (IsExistingFile(shell.fs, path)) {
    // A file that exists but cannot be read is no new file: the read error was shown.
    if (!OpenListFile(shell, path, false)) return;
  } else {
    const auto answer =
        shell.ui.ShowMessage(msg::kHistoryMissingPrefix + path + msg::kHistoryMissingSuffix,
                             msg::kInfoTitle, MessageIcon::Information, MessageButtons::OkCancel);
    if (answer != MessageAnswer::Ok) return;
    RedrawSuspension hidden(shell.list);
    shell.list.Clear();
  }
  AdoptListPath(shell, path);
  shell.UpdateHorizontalExtent();
}

}  // namespace cardo
