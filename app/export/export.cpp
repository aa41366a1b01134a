#include "app/export/export.h"

#include "app/export/messages.h"
#include "app/list/list_file.h"
#include "app/platform/codec.h"
#include "app/platform/text.h"
#include "app/platform/ui_messages.h"
#include "fnc/home_page.h"

namespace cardo {

std::u16string FormatAppVersion(int major, int minor) {
  std::u16string minorText = DecimalText(minor);
  if (minorText.size() < 2) minorText.insert(0, 2 - minorText.size(), u'0');
  return DecimalText(major) + u"." + minorText;
}
namespace {

std::u16string Ascii(const char* text) {
  std::u16string out;
  for (; *text; ++text) out.push_back(static_cast<char16_t>(*text));
  return out;
}

bool ManagerFound(ShellContext& shell, const std::u16string& managerPath,
                  const std::u16string& notFound) {
  if (IsExistingFile(shell.fs, managerPath)) return true;
  ShowError(shell.ui, notFound + u"\r\n" + managerPath);
  return false;
}

// "<file> に <n> 行を書き出し" and the rest of the note.
std::u16string WrittenNote(ShellContext& shell, const std::u16string& file) {
  return file + msg::kExportNoteTo + DecimalText(shell.list.Whole().Count()) +
         msg::kExportNoteLines;
}

// The file goes through a temporary file beside it, so a manager never reads a file cut short
// by a full disk: it is whole, or the one before it still is.
ExportDone WriteAndStart(ShellContext& shell, const std::string& bytes,
                         const std::u16string& exportFile, const std::u16string& program,
                         const std::u16string& commandLine) {
  if (!shell.fs.ReplaceAll(exportFile, bytes)) {
    ShowError(shell.ui, msg::kExportWriteFailed + (u"\r\n" + exportFile) + u"\r\n" +
                            shell.fs.LastErrorText());
    return {};
  }
  const StartResult started = shell.ui.StartProgram(commandLine);
  if (started.processId == 0) {
    ShowError(shell.ui, started.error);
    return {0, WrittenNote(shell, exportFile) + msg::kExportNoteWritten};
  }
  const std::size_t slash = program.find_last_of(u"\\/");
  const std::u16string name = slash == std::u16string::npos ? program : program.substr(slash + 1);
  return {started.processId,
          WrittenNote(shell, exportFile) + msg::kExportNoteStarted + name + msg::kExportNoteEnd};
}

}  // namespace

std::u16string ExportText(ExportFormat manager, const std::vector<std::u16string>& lines,
                          const std::u16string& appVersion) {
  std::u16string text;
  if (manager == ExportFormat::ReGet) {
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (i > 0) text += u"\r\n";
      text += lines[i];
    }
    return text;
  }
  text = msg::kIriaHeader + appVersion + u"\r\n" + msg::kIriaNote + Ascii(kHomePage) + u"\r\n";
  for (const auto& line : lines) text += u"\r\nurl=" + line + u"\r\n";
  return text;
}

std::u16string SwitchOtherArguments(const std::u16string& arguments, ExportFormat from,
                                    ExportFormat to) {
  if (!arguments.empty() && arguments != FormatRow(from).defaultArguments) return arguments;
  return FormatRow(to).defaultArguments;
}

std::u16string ExportCommandLine(ExportFormat format, const std::u16string& program,
                                 const std::u16string& arguments, const std::u16string& file) {
  const std::u16string pattern = arguments.empty() ? FormatRow(format).defaultArguments : arguments;
  std::u16string line = u"\"" + program + u"\" ";
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (pattern.compare(i, 2, u"%1") == 0) {
      line += u"\"" + file + u"\"";
      ++i;
    } else {
      line.push_back(pattern[i]);
    }
  }
  return line;
}

WatchJob WriteWatchJob(FileSystem& fs, const std::u16string& watchFolder, int slot,
                       std::string_view bytes) {
  if (watchFolder.empty() || fs.Probe(watchFolder) != PathKind::Folder) {
    return {{}, msg::kWatchFolderMissing + (u"\r\n" + watchFolder)};
  }
  std::u16string stem = watchFolder;
  if (stem.back() != u'/' && stem.back() != PathSeparator()) stem += PathSeparator();
  stem += slot > 1 ? u"cardo" + DecimalText(slot) : u"cardo";
  // A folder holds finitely many names, so a free one comes.
  std::u16string file = stem + u".crawljob";
  for (int n = 2; fs.Probe(file) != PathKind::Missing; ++n) {
    file = stem + u"-" + DecimalText(n) + u".crawljob";
  }
  if (!fs.ReplaceAll(file, bytes)) {
    return {file, msg::kWatchJobWriteFailed + (u"\r\n" + file) + u"\r\n" + fs.LastErrorText()};
  }
  return {file, {}};
}

std::u16string ExportFileName(ExportFormat format, int slot) {
  std::u16string name = FormatRow(format).fileName;
  if (slot > 1) name.insert(name.rfind(u'.'), DecimalText(slot));
  return name;
}

ExportDone ExportListToOther(ShellContext& shell, const std::u16string& program,
                             const std::u16string& arguments, ExportFormat format,
                             const std::u16string& appDirectory, int slot,
                             const ExportOptions& options) {
  if (shell.list.Whole().Count() == 0) {
    ShowError(shell.ui, msg::kNoList);
    return {};
  }
  ExportOptions withPages = options;
  if (withPages.pages == nullptr) withPages.pages = &shell.document.Pages();
  withPages.arguments = arguments.empty() ? FormatRow(format).defaultArguments : arguments;
  const bool toWatchFolder = format == ExportFormat::Crawljob && !options.watchFolder.empty();
  if (!toWatchFolder && !ManagerFound(shell, program, msg::kOtherNotFound)) return {};
  if (!IsWritableFolder(options.folder)) {
    ShowError(shell.ui, msg::kBadExportFolder + (u"\r\n" + options.folder));
    return {};
  }
  if (toWatchFolder) {
    const WatchJob job =
        WriteWatchJob(shell.fs, options.watchFolder, slot,
                      OtherExportText(format, shell.list.Whole().LineRefs(), withPages));
    if (!job.error.empty()) {
      ShowError(shell.ui, job.error);
      return {};
    }
    // No program starts to show that anything happened: the message says where the job went.
    const ExportDone done{0, WrittenNote(shell, job.file) + msg::kExportNoteWritten};
    const MessageAnswer answer =
        shell.ui.ShowMessage(msg::kWatchJobWritten + (u"\r\n" + done.note), msg::kInfoTitle,
                             MessageIcon::Information, MessageButtons::OkOpenFolder);
    if (answer == MessageAnswer::OpenFolder) {
      const std::u16string failure =
          shell.ui.OpenWithShell(options.watchFolder, options.watchFolder);
      if (!failure.empty()) ShowError(shell.ui, failure + (u"\r\n" + options.watchFolder));
    }
    return done;
  }
  const std::u16string file = appDirectory + ExportFileName(format, slot);
  return WriteAndStart(shell, OtherExportText(format, shell.list.Whole().LineRefs(), withPages),
                       file, program, ExportCommandLine(format, program, arguments, file));
}

ExportDone ExportList(ShellContext& shell, ExportFormat manager, const std::u16string& managerPath,
                      const std::u16string& appDirectory, const std::u16string& appVersion,
                      int slot) {
  if (shell.list.Whole().Count() == 0) {
    ShowError(shell.ui, msg::kNoList);
    return {};
  }
  const bool reget = manager == ExportFormat::ReGet;
  if (!ManagerFound(shell, managerPath, reget ? msg::kReGetNotFound : msg::kIriaNotFound)) {
    return {};
  }
  // ReGet and Iria read code page 932: a list it cannot hold whole is written only after the
  // same warning a save shows.
  const std::u16string text =
      ExportText(manager, shell.list.Whole().LineRefs(), reget ? std::u16string() : appVersion);
  const std::string bytes = WideToAnsi(text);
  if (!ConfirmCodePageLoss(shell, shell.list.Whole().LineRefs(), text, bytes)) return {};
  const std::u16string file = appDirectory + ExportFileName(manager, slot);
  return WriteAndStart(shell, bytes, file, managerPath,
                       ExportCommandLine(manager, managerPath, u"", file));
}

}  // namespace cardo
