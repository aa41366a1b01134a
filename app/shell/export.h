#pragma once
// Export to the download managers: the list goes into the manager's import file in the
// program directory (TEMP.LST for ReGet, TEMP.IRI for Iria) and the manager is started on it.
#include <cstdint>
#include <string>
#include <vector>

#include "app/shell/shell_context.h"

namespace cardo {

enum class Manager { ReGet, Iria };

inline constexpr char16_t kReGetExportFile[] = u"TEMP.LST";
inline constexpr char16_t kIriaExportFile[] = u"TEMP.IRI";

// The import file's text: ReGet, the lines joined with CR LF; Iria, a three-line header and one
// "url=" line per list line, every line ended by CR LF.
std::u16string ExportText(Manager manager, const std::vector<std::u16string>& lines,
                          const std::u16string& appVersion);
// "\"program\" \"file\"": both quoted, so paths with spaces start correctly.
std::u16string ManagerCommandLine(const std::u16string& program, const std::u16string& file);

// Write `exportFile` and start the manager at `managerPath` on it. The process identifier, or 0
// after the message saying why nothing was started (manager missing, write or start failure).
std::uint32_t ExportToReGet(ShellContext& shell, const std::u16string& managerPath,
                            const std::u16string& exportFile);
std::uint32_t ExportToIria(ShellContext& shell, const std::u16string& managerPath,
                           const std::u16string& appVersion, const std::u16string& exportFile);

// The File > Export command: "リストがありません。" for an empty list, else the export into
// the program directory. The modified flag and the title do not change.
void ExportList(ShellContext& shell, Manager manager, const std::u16string& managerPath,
                const std::u16string& appDirectory, const std::u16string& appVersion);

}  // namespace cardo
