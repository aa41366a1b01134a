#include "app/list/list_file.h"

#include <algorithm>

#include "app/list/menu_history.h"
#include "app/list/messages.h"
#include "app/platform/codec.h"
#include "app/platform/lower_case.h"
#include "app/platform/text.h"

namespace cardo {

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
  try {
    ListTextReader reader(maxLines, kMaxListFileBytes);
    if (!fs.ReadChunks(path, [&](std::string_view chunk) { return reader.Feed(chunk); })) {
      return std::nullopt;
    }
    ListFileLines read = reader.Finish();
    if (read.tooLarge) return std::nullopt;
    return read;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

void ReportListReadNotes(Ui& ui, const ListReadNotes& notes) {
  WarnIfListFull(ui, notes.overLimit);
  if (notes.undecodable > 0) {
    ui.ShowMessage(msg::kUndecodableRead, msg::kWarningTitle, MessageIcon::Warning,
                   MessageButtons::Ok);
  }
}

namespace {

// Reads `path` into the list as OpenListFile does; what was read, when it was.
std::optional<ListFileLines> ReadIntoList(ShellContext& shell, const std::u16string& path,
                                          bool append, ListReadNotes* notes) {
  if (!IsExistingFile(shell.fs, path)) return std::nullopt;
  const std::size_t room =
      static_cast<std::size_t>(kMaxListLines - (append ? shell.list.Whole().Count() : 0));
  auto read = ReadListFile(shell.fs, path, room);
  if (!read) {
    ShowError(shell.ui, msg::kOpenFailed);
    return std::nullopt;
  }
  {
    RedrawSuspension hidden(shell.list);
    if (!append) shell.list.Clear();
    shell.list.AppendLines(read->lines, false);
    // The lines were handed over; only the facts about them stay.
    std::vector<std::u16string>().swap(read->lines);
  }
  shell.UpdateHorizontalExtent();
  ListReadNotes own;
  ListReadNotes& counted = notes ? *notes : own;
  counted.overLimit += read->more ? 1 : 0;
  counted.undecodable += read->undecodableLines > 0 ? 1 : 0;
  if (!notes) ReportListReadNotes(shell.ui, own);
  return read;
}

// What the list lacks of the file it was read from, one line per loss; empty when nothing.
std::u16string PartialReadText(const ListFileLines& read, std::size_t linesRead) {
  std::u16string text;
  if (read.more) {
    text += DecimalText(static_cast<long long>(linesRead) + 1) + msg::kPartialLinesNotRead;
  }
  if (read.undecodableLines > 0) {
    if (!text.empty()) text += u"\r\n";
    text += msg::kUndecodableLinesPrefix +
            DecimalText(static_cast<long long>(read.undecodableLines)) +
            msg::kUndecodableLinesMiddle +
            DecimalText(static_cast<long long>(read.firstUndecodable)) + msg::kUndecodableLinesEnd;
  }
  return text;
}

// The list now belongs to `path`, written in `format`: the title shows it unmodified and it
// heads the history.
void AdoptListPath(ShellContext& shell, const std::u16string& path,
                   const ListFileFormat& format = {}) {
  shell.document.SetPath(path);
  shell.document.SetFormat(format);
  shell.document.SetPartialRead(u"");
  shell.document.ClearModified();
  shell.recentFiles.AddItem(path);
}

bool IsDocumentFile(ShellContext& shell, const std::u16string& path) {
  const std::u16string& own = shell.document.Path();
  if (own.empty()) return false;
  // Case is ignored: on the program's system it names the same file.
  return LowerText(shell.fs.FullPath(path).value_or(path)) ==
         LowerText(shell.fs.FullPath(own).value_or(own));
}

// Whether the list may be written over `path`: true unless it is the document's file read
// only partly and the user declined to lose the rest.
bool ConfirmPartialOverwrite(ShellContext& shell, const std::u16string& path) {
  const std::u16string& lost = shell.document.PartialRead();
  if (lost.empty() || !IsDocumentFile(shell, path)) return true;
  return shell.ui.ShowMessage(PathNamePart(shell.document.Path()) + msg::kPartialReadSuffix +
                                  u"\r\n" + lost + u"\r\n" + msg::kPartialReadQuestion,
                              msg::kWarningTitle, MessageIcon::Warning,
                              MessageButtons::OkCancelSafe) == MessageAnswer::Ok;
}

}  // namespace

bool OpenListFile(ShellContext& shell, const std::u16string& path, bool append,
                  ListReadNotes* notes) {
  return ReadIntoList(shell, path, append, notes).has_value();
}

bool OpenListDocument(ShellContext& shell, const std::u16string& path) {
  const auto read = ReadIntoList(shell, path, false, nullptr);
  if (!read) return false;
  AdoptListPath(shell, path, read->format);
  shell.document.ClearHistory();
  shell.document.Pages().Clear();
  const std::u16string lost =
      PartialReadText(*read, static_cast<std::size_t>(shell.list.Whole().Count()));
  if (lost.empty()) return true;
  // The list is not the file: the title says so and a save over the file asks first.
  shell.document.SetPartialRead(lost);
  shell.document.MarkModified();
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
  return SaveListFile(shell, path, shell.document.Format());
}

bool SaveListFile(ShellContext& shell, const std::u16string& path, const ListFileFormat& format) {
  if (path.empty()) return false;
  // Every line, also while a filter shows only some.
  const auto& lines = shell.list.Whole().LineRefs();
  const std::u16string text = BuildListText(lines, format);
  const std::string bytes = ListTextBytes(text, format);
  if (format.encoding == ListEncoding::Cp932 && !ConfirmCodePageLoss(shell, lines, text, bytes)) {
    return false;
  }
  if (!ConfirmPartialOverwrite(shell, path)) return false;
  if (shell.fs.ReplaceAll(path, bytes)) {
    // The file now holds the list whole.
    if (IsDocumentFile(shell, path)) shell.document.SetPartialRead(u"");
    return true;
  }
  ShowError(shell.ui, msg::kSaveFailed + (u"\r\n" + path) + u"\r\n" + shell.fs.LastErrorText());
  return false;
}

namespace {

// The save dialogs offer kListEncodingFilters after kListFilter's three filters.
constexpr int kUtf8Filter = 4;
constexpr int kCp932Filter = 5;

FileDialogOptions ListDialog(std::u16string title, int filterIndex, bool forSave) {
  FileDialogOptions options;
  options.title = std::move(title);
  options.defaultExt = msg::kListExt;
  options.filter = msg::kListFilter;
  options.filterIndex = filterIndex;
  options.hideReadOnly = true;
  if (forSave) {
    options.filter += msg::kListEncodingFilters;
    options.overwritePrompt = true;
    options.pathMustExist = true;
  } else {
    options.createPrompt = true;
  }
  return options;
}

// The format a save dialog's answer asks for: the list's own, or the encoding of an encoding
// filter (without a byte order mark, the line ends kept).
ListFileFormat ChosenFormat(const ListFileFormat& current, int filterIndex) {
  ListFileFormat format = current;
  const ListEncoding wanted = filterIndex == kUtf8Filter    ? ListEncoding::Utf8
                              : filterIndex == kCp932Filter ? ListEncoding::Cp932
                                                            : current.encoding;
  if (wanted != current.encoding) {
    format.encoding = wanted;
    format.byteOrderMark = false;
  }
  return format;
}

// The filters the Open, Add and Save As dialogs share; an encoding filter is a choice of one
// save, not of the next dialog.
void RememberFilter(ShellContext& shell, int filterIndex) {
  if (filterIndex < kUtf8Filter) shell.lastFilterIndex = filterIndex;
}

// Saves through the save dialog showing `filterIndex` first; true when the list now belongs
// to the chosen file. The question before leaving a list keeps no filter choice.
bool SaveThroughDialog(ShellContext& shell, int filterIndex, bool rememberFilter) {
  const auto chosen = shell.ui.ShowSaveDialog(ListDialog(msg::kSaveAsTitle, filterIndex, true));
  if (!chosen) return false;
  if (rememberFilter) RememberFilter(shell, chosen->filterIndex);
  const ListFileFormat format = ChosenFormat(shell.document.Format(), chosen->filterIndex);
  if (!SaveListFile(shell, chosen->path, format)) return false;
  AdoptListPath(shell, chosen->path, format);
  return true;
}

// The list becomes the new file at `path` (no file there yet): empty, a new list's format.
void StartNewFile(ShellContext& shell, const std::u16string& path) {
  {
    RedrawSuspension hidden(shell.list);
    shell.list.Clear();
  }
  AdoptListPath(shell, path);
  shell.document.ClearHistory();
  shell.document.Pages().Clear();
  shell.UpdateHorizontalExtent();
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
  if (path.empty()) return SaveThroughDialog(shell, 0, false);
  if (!SaveListFile(shell, path)) return false;
  shell.document.ClearModified();
  return true;
}

void FileNew(ShellContext& shell) {
  if (!ConfirmSaveChanges(shell)) return;
  shell.document.SetPath(u"");
  shell.document.SetFormat({});
  shell.document.SetPartialRead(u"");
  {
    RedrawSuspension hidden(shell.list);
    shell.list.Clear();
  }
  shell.document.ClearModified();
  shell.document.ClearHistory();
  shell.document.Pages().Clear();
  shell.UpdateHorizontalExtent();
}

void FileOpen(ShellContext& shell) {
  if (!ConfirmSaveChanges(shell)) return;
  const auto chosen =
      shell.ui.ShowOpenDialog(ListDialog(msg::kOpenTitle, shell.lastFilterIndex, false));
  if (!chosen) return;
  RememberFilter(shell, chosen->filterIndex);
  // A file that cannot be read leaves the list and its path as they were.
  if (IsExistingFile(shell.fs, chosen->path)) {
    OpenListDocument(shell, chosen->path);
  } else {
    StartNewFile(shell, chosen->path);
  }
}

void FileAdd(ShellContext& shell) {
  const auto chosen =
      shell.ui.ShowOpenDialog(ListDialog(msg::kAddTitle, shell.lastFilterIndex, false));
  if (!chosen) return;
  RememberFilter(shell, chosen->filterIndex);
  {
    const ListStep step(shell.list);
    OpenListFile(shell, chosen->path, true);
    ShowLastLine(shell.list);
  }
  shell.document.MarkModified();
}

void FileSaveAs(ShellContext& shell) {
  SaveThroughDialog(shell, shell.lastFilterIndex, true);
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
      if (IsExistingFile(shell.fs, files.front()) && ConfirmSaveChanges(shell)) {
        OpenListDocument(shell, files.front());
      }
    } else {
      ListReadNotes notes;
      {
        const ListStep step(shell.list);
        for (const auto& file : files) OpenListFile(shell, file, true, &notes);
        ShowLastLine(shell.list);
      }
      ReportListReadNotes(shell.ui, notes);
      shell.document.MarkModified();
    }
  }
  shell.UpdateHorizontalExtent();
}

void OpenRecentFile(ShellContext& shell, int index) {
  if (!ConfirmSaveChanges(shell)) return;
  const std::u16string path = shell.recentFiles.MenuItem(index);
  if (path.empty()) return;
  // A file that exists but cannot be read is no new file: the read error was shown.
  if (IsExistingFile(shell.fs, path)) {
    OpenListDocument(shell, path);
    return;
  }
  const auto answer =
      shell.ui.ShowMessage(msg::kHistoryMissingPrefix + path + msg::kHistoryMissingSuffix,
                           msg::kInfoTitle, MessageIcon::Information, MessageButtons::OkCancel);
  if (answer == MessageAnswer::Ok) StartNewFile(shell, path);
}

}  // namespace cardo
