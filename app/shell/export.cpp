#include "app/shell/export.h"

#include "app/platform/codec.h"
#include "app/shell/list_file.h"
#include "app/shell/messages.h"
#include "fnc/home_page.h"

namespace cardo {
namespace {

std::u16string Ascii(const char* text) {
  std::u16string out;
  for (; *text; ++text) out.push_back(static_cast<char16_t>(*text));
  return out;
}

std::uint32_t Export(ShellContext& shell, const std::u16string& managerPath,
                     const std::u16string& notFound, const std::u16string& text,
                     const std::u16string& exportFile) {
  if (!IsExistingFile(shell.fs, managerPath)) {
    ShowError(shell.ui, notFound + u"\r\n" + managerPath);
    return 0;
  }
  if (!shell.fs.WriteAll(exportFile, WideToAnsi(text))) {
    ShowError(shell.ui, shell.fs.LastErrorText());
    return 0;
  }
  const StartResult started = shell.ui.StartProgram(ManagerCommandLine(managerPath, exportFile));
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
                ExportText(Manager::ReGet, shell.list.LineRefs(), u""), exportFile);
}

std::uint32_t ExportToIria(ShellContext& shell, const std::u16string& managerPath,
                           const std::u16string& appVersion, const std::u16string& exportFile) {
  return Export(shell, managerPath, msg::kIriaNotFound,
                ExportText(Manager::Iria, shell.list.LineRefs(), appVersion), exportFile);
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
