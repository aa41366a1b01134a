#pragma once
// Export to the download managers: the list goes into the manager's import file in the
// program directory (TEMP.LST for ReGet, TEMP.IRI for Iria) and the manager is started on it.
#include <cstdint>
#include <string>
#include <string_view>
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
// after the message saying why nothing was started (manager missing, write or start failure),
// or when the user declined the loss of characters code page 932 cannot hold (the warning a
// save shows).
std::uint32_t ExportToReGet(ShellContext& shell, const std::u16string& managerPath,
                            const std::u16string& exportFile);
std::uint32_t ExportToIria(ShellContext& shell, const std::u16string& managerPath,
                           const std::u16string& appVersion, const std::u16string& exportFile);

// The third manager: any program that takes the list file with arguments around its path,
// in one of three file formats.
enum class OtherFormat { Plain = 0, Aria2 = 1, Curl = 2 };
inline constexpr const char16_t* kOtherExportFiles[] = {u"TEMP.TXT", u"TEMP.ARIA2", u"TEMP.CURL"};
// The argument template each format's manager expects ("-i" means "include headers" to curl).
inline constexpr const char16_t* kOtherDefaultArguments[] = {u"-i %1", u"-i %1", u"-K %1"};
// The stored format number; one the program does not know (a damaged file) reads as plain.
inline OtherFormat ToOtherFormat(std::int16_t stored) {
  return stored >= 0 && stored <= 2 ? static_cast<OtherFormat>(stored) : OtherFormat::Plain;
}
inline const char16_t* OtherDefaultArguments(OtherFormat format) {
  return kOtherDefaultArguments[static_cast<int>(format)];
}
// The template after the format changed from `from` to `to`: the new format's default when
// `arguments` is still the old format's default (or empty), else `arguments` untouched.
std::u16string SwitchOtherArguments(const std::u16string& arguments, OtherFormat from,
                                    OtherFormat to);

// A list line as the third manager's files hold it: trimmed of surrounding blanks (space, TAB,
// the ideographic space), then every byte of its UTF-8 form outside printable ASCII
// percent-encoded, as a browser sends a path; a "%" already there stays. Empty for a blank line.
std::string OtherExportUrl(std::u16string_view line);
// The file's bytes, pure ASCII, one line per non-blank list line, each ending with CR LF; blank
// lines are left out. Plain: the URLs. aria2 input file: the URLs, a leading "#" (a comment
// there) as %23. curl config: "globoff" (no globbing of "[]" and "{}"), then one `url = "..."`
// per URL with backslashes and quotes escaped, followed by "remote-name", or by
// `output = "index.html"` (index.1.html, ...) for a URL with no file name behind its last "/";
// a line that does not start with a scheme and "://" is written as a comment.
std::string OtherExportText(OtherFormat format, const std::vector<std::u16string>& lines);
// The program quoted, then the argument template with each "%1" replaced by the quoted file;
// an empty template stands for the format's default.
std::u16string OtherCommandLine(OtherFormat format, const std::u16string& program,
                                const std::u16string& arguments, const std::u16string& file);
// The File > Export > その他 command, with the same failure rules as the other two.
void ExportListToOther(ShellContext& shell, const std::u16string& program,
                       const std::u16string& arguments, OtherFormat format,
                       const std::u16string& appDirectory);

// The File > Export command: "リストがありません。" for an empty list, else the export into
// the program directory. The modified flag and the title do not change.
void ExportList(ShellContext& shell, Manager manager, const std::u16string& managerPath,
                const std::u16string& appDirectory, const std::u16string& appVersion);

}  // namespace cardo
