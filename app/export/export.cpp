#include "app/export/export.h"

#include "app/export/messages.h"
#include "app/list/list_file.h"
#include "app/platform/codec.h"
#include "app/platform/text.h"
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

std::uint32_t Export(ShellContext& shell, const std::u16string& managerPath,
                     const std::u16string& notFound, const std::u16string& text,
                     const std::u16string& exportFile, const std::u16string& commandLine) {
  if (!IsExistingFile(shell.fs, managerPath)) {
    ShowError(shell.ui, notFound + u"\r\n" + managerPath);
    return 0;
  }
  if (!shell.fs.WriteAll(exportFile, WideToAnsi(text))) {
    ShowError(shell.ui, shell.fs.LastErrorText());
    return 0;
  }
  const StartResult started = shell.ui.StartProgram(commandLine);
  if (started.processId == 0) ShowError(shell.ui, started.error);
  return started.processId;
}

}  // namespace

std::u16string ExportText(Manager manager, const std::vector<std::u16string>& lines,
                          const std::u16string& appVersion) {
  std::u16string text;
  if (manager == Manager::ReGet) {
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

std::u16string ManagerCommandLine(const std::u16string& program, const std::u16string& file) {
  return u"\"" + program + u"\" \"" + file + u"\"";
}

std::uint32_t ExportToReGet(ShellContext& shell, const std::u16string& managerPath,
                            const std::u16string& exportFile) {
  return Export(shell, managerPath, msg::kReGetNotFound,
                ExportText(Manager::ReGet, shell.list.LineRefs(), u""), exportFile,
                ManagerCommandLine(managerPath, exportFile));
}

std::uint32_t ExportToIria(ShellContext& shell, const std::u16string& managerPath,
                           const std::u16string& appVersion, const std::u16string& exportFile) {
  return Export(shell, managerPath, msg::kIriaNotFound,
                ExportText(Manager::Iria, shell.list.LineRefs(), appVersion), exportFile,
                ManagerCommandLine(managerPath, exportFile));
}

std::u16string OtherExportText(OtherFormat format, const std::vector<std::u16string>& lines) {
  std::u16string text;
  if (format == OtherFormat::Curl) text = u"remote-name-all\r\n";
  for (const auto& line : lines) {
    if (format == OtherFormat::Plain) {
      text += line;
    } else if (format == OtherFormat::Aria2) {
      for (const char16_t c : line) {
        if (c == u'\t') {
          text += u"%09";
        } else {
          text.push_back(c);
        }
      }
    } else {
      text += u"url = \"";
      for (const char16_t c : line) {
        if (c == u'\\' || c == u'"') text.push_back(u'\\');
        text.push_back(c);
      }
      text += u"\"";
    }
    text += u"\r\n";
  }
  return text;
}

std::u16string OtherCommandLine(const std::u16string& program, const std::u16string& arguments,
                                const std::u16string& file) {
  const std::u16string& pattern = arguments.empty() ? kOtherDefaultArguments : arguments;
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

void ExportListToOther(ShellContext& shell, const std::u16string& program,
                       const std::u16string& arguments, OtherFormat format,
                       const std::u16string& appDirectory) {
  if (shell.list.Count() == 0) {
    ShowError(shell.ui, msg::kNoList);
    return;
  }
  const std::u16string file = appDirectory + kOtherExportFiles[static_cast<int>(format)];
  Export(shell, program, msg::kOtherNotFound, OtherExportText(format, shell.list.LineRefs()), file,
         OtherCommandLine(program, arguments, file));
}

void ExportList(ShellContext& shell, Manager manager, const std::u16string& managerPath,
                const std::u16string& appDirectory, const std::u16string& appVersion) {
  if (shell.list.Count() == 0) {
    ShowError(shell.ui, msg::kNoList);
    return;
  }
  if (manager == Manager::ReGet) {
    ExportToReGet(shell, managerPath, appDirectory + kReGetExportFile);
  } else {
    ExportToIria(shell, managerPath, appVersion, appDirectory + kIriaExportFile);
  }
}

}  // namespace cardo
