#pragma once
// Export to the download managers: the list goes into the manager's import file in the
// program directory (TEMP.LST for ReGet, TEMP.IRI for Iria) and the manager is started on it.
#include <cstdint>
#include <string>
#include <vector>

#include "app/list/shell_context.h"

namespace cardo {

enum class Manager { ReGet, Iria };

inline constexpr char16_t kReGetExportFile[] = u"TEMP.LST";
inline constexpr char16_t kIriaExportFile[] = u"TEMP.IRI";

// The program's version as the Iria header writes it: the major version, ".", the minor
// version with at least two digits (3.05).
std::u16string FormatAppVersion(int major, int minor);

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

// The third manager: any program that takes the list file with arguments around its path,
// in one of three file formats.
enum class OtherFormat { Plain = 0, Aria2 = 1, Curl = 2 };
inline constexpr const char16_t* kOtherExportFiles[] = {u"TEMP.TXT", u"TEMP.ARIA2", u"TEMP.CURL"};
inline constexpr char16_t kOtherDefaultArguments[] = u"-i %1";
// The stored format number; one the program does not know (a damaged file) reads as plain.
inline OtherFormat ToOtherFormat(std::int16_t stored) {
  return stored >= 0 && stored <= 2 ? static_cast<OtherFormat>(stored) : OtherFormat::Plain;
}

// Plain: one URL per line. aria2 input file: one URL per line, a TAB (which separates mirrors
// there) written as %09. curl config: "remote-name-all", then one `url = "..."` per line with
// backslashes and quotes escaped. Every line ends with CR LF.
std::u16string OtherExportText(OtherFormat format, const std::vector<std::u16string>& lines);
// The program quoted, then the argument template with each "%1" replaced by the quoted file;
// an empty template stands for the default "-i %1".
std::u16string OtherCommandLine(const std::u16string& program, const std::u16string& arguments,
                                const std::u16string& file);
// The File > Export > その他 command, with the same failure rules as the other two.
void ExportListToOther(ShellContext& shell, const std::u16string& program,
                       const std::u16string& arguments, OtherFormat format,
                       const std::u16string& appDirectory);

// The File > Export command: "リストがありません。" for an empty list, else the export into
// the program directory. The modified flag and the title do not change.
void ExportList(ShellContext& shell, Manager manager, const std::u16string& managerPath,
                const std::u16string& appDirectory, const std::u16string& appVersion);

}  // namespace cardo
