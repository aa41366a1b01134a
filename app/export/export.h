#pragma once
// Export to the download managers: the list goes into the manager's import file in the
// program directory (TEMP.LST for ReGet, TEMP.IRI for Iria) and the manager is started on it.
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/list/link_pages.h"
#include "app/list/shell_context.h"
#include "app/platform/file_system.h"

namespace cardo {

// The files the program exports. ReGet and Iria have menu items of their own; the third
// manager takes any program with one of the other three, which the settings store by their
// place after Iria (0 plain, 1 aria2, 2 curl, 3 JDownloader's folder watch, 4 Metalink 4).
enum class ExportFormat { ReGet, Iria, Plain, Aria2, Curl, Crawljob, Meta4 };

struct ExportFormatRow {
  ExportFormat id;
  const char* cliName;       // cardo-cli export --format
  const char16_t* label;     // in the preferences' format list; nullptr: a manager of its own
  const char16_t* fileName;  // in the program directory
  // The manager's arguments after its quoted program, "%1" standing for the quoted file; the
  // third manager's template when it is empty ("-i" means "include headers" to curl).
  const char16_t* defaultArguments;
  const char* cliHelp;  // what cardo-cli export --help says the file holds
};

inline constexpr ExportFormatRow kExportFormats[] = {
    {ExportFormat::ReGet, "reget", nullptr, u"TEMP.LST", u"%1", "the lines joined by CR LF"},
    {ExportFormat::Iria, "iria", nullptr, u"TEMP.IRI", u"%1",
     "a header, then one \"url=\" line per line"},
    {ExportFormat::Plain, "plain", u"URLの一覧", u"TEMP.TXT", u"-i %1", "one URL per line"},
    {ExportFormat::Aria2, "aria2", u"aria2", u"TEMP.ARIA2", u"-i %1",
     "aria2's input file (aria2c -i FILE)"},
    {ExportFormat::Curl, "curl", u"curl", u"TEMP.CURL", u"-K %1",
     "curl's config file (curl -K FILE)"},
    {ExportFormat::Crawljob, "crawljob", u"JDownloader", u"TEMP.CRAWLJOB", u"%1",
     "JDownloader's folder-watch jobs, one per URL"},
    {ExportFormat::Meta4, "meta4", u"Metalink 4", u"TEMP.META4", u"%1",
     "a Metalink 4 file (RFC 5854), one <file> per URL"},
};

constexpr const ExportFormatRow& FormatRow(ExportFormat format) {
  return kExportFormats[static_cast<std::size_t>(format)];
}
constexpr bool RowsInOrder() {
  for (std::size_t i = 0; i < std::size(kExportFormats); ++i) {
    if (static_cast<std::size_t>(kExportFormats[i].id) != i) return false;
  }
  return true;
}
static_assert(RowsInOrder(), "kExportFormats holds one row per format, in the enum's order");

// The third manager's formats: the rows from plain on.
inline constexpr int kFirstOtherFormat = static_cast<int>(ExportFormat::Plain);
inline constexpr int kOtherFormatCount =
    static_cast<int>(std::size(kExportFormats)) - kFirstOtherFormat;
constexpr bool IsOtherFormat(ExportFormat format) {
  return static_cast<int>(format) >= kFirstOtherFormat;
}
// The stored format number as a format; one the program does not know (a damaged file) reads
// as plain.
constexpr ExportFormat ToOtherFormat(std::int32_t stored) {
  return static_cast<ExportFormat>(kFirstOtherFormat +
                                   (stored >= 0 && stored < kOtherFormatCount ? stored : 0));
}

// What the third manager's files say of each URL besides the address. The defaults write the
// files as they were before these options.
enum class RefererRule {
  None,      // no Referer
  Url,       // the URL itself (without its fragment, as a browser sends it)
  Folder,    // the URL up to the last "/" of its path
  SiteRoot,  // scheme, host and "/"
  Fixed,     // ExportOptions::fixedReferer
  Page,      // the page the line was found on (ExportOptions::pages); else as Folder
};
// The rules' names for cardo-cli export and the preferences, in the enum's order.
struct RuleRow {
  const char* cliName;
  const char16_t* label;
  const char* cliHelp;
};
inline constexpr RuleRow kRefererRules[] = {
    {"none", u"送らない", "no Referer (default)"},
    {"url", u"URL そのもの", "the URL itself"},
    {"folder", u"URL のフォルダ", "the URL's folder (http://h/a/b.jpg: http://h/a/)"},
    {"root", u"サイトのルート", "the site's root (http://h/)"},
    {"fixed", u"指定したアドレス", "the address --referer-url gives"},
    {"page", u"リンクのあったページ", "the page the link was found on, else the URL's folder"},
};
inline constexpr int kRefererRuleCount = static_cast<int>(std::size(kRefererRules));
enum class NameRule {
  Server,    // the server's name: the last segment of the path (DownloadFileName)
  Numbered,  // the place among the fetched URLs, zero-padded, and the server name's extension
  Folders,   // host/path/file below the download folder
};
inline constexpr RuleRow kNameRules[] = {
    {"server", u"サーバーの名前", "the server's name, cover.jpg, cover.1.jpg ... (default)"},
    {"numbered", u"リストの順に番号", "the place in the list, zero-padded to --digits: 001.jpg"},
    {"folders", u"フォルダを再現", "the URL's folders below the download folder: host/a/b.jpg"},
};
inline constexpr int kNameRuleCount = static_cast<int>(std::size(kNameRules));
inline constexpr int kDefaultNumberWidth = 3;  // 001.jpg
inline constexpr int kMaxNumberWidth = 9;
struct ExportOptions {
  RefererRule referer = RefererRule::None;
  std::u16string fixedReferer;  // written as OtherExportUrl writes a line
  // The pages the lines were found on, for RefererRule::Page; nullptr: none known.
  const LinkPages* pages = nullptr;
  NameRule names = NameRule::Server;
  int numberWidth = kDefaultNumberWidth;  // at least this many digits
  // Where the tool saves the files (aria2 dir=, curl output-dir, the job's downloadFolder);
  // empty leaves it to the tool. Written as UTF-8.
  std::u16string folder;
  // JDownloader's watch folder: when set, the crawljob file goes there under a name of its own
  // instead of into the program folder, and no program is started (the watcher reads it).
  std::u16string watchFolder;
  // The argument template curl is started with: the options around its "-K %1" go into
  // each part of the file after a "next", which the command line does not reach.
  std::u16string arguments;
};
// The stored rule numbers as rules; a number the program does not know reads as the first.
constexpr RefererRule ToRefererRule(std::int32_t stored) {
  return static_cast<RefererRule>(stored >= 0 && stored < kRefererRuleCount ? stored : 0);
}
constexpr NameRule ToNameRule(std::int32_t stored) {
  return static_cast<NameRule>(stored >= 0 && stored < kNameRuleCount ? stored : 0);
}
// False when a control character in the download folder would break the file (a line break
// starts an option of its own); such a folder is refused.
bool IsWritableFolder(std::u16string_view folder);

// The job file in JDownloader's watch folder. The watcher takes each *.crawljob file that
// appears there and moves it away once read, so a job it has not taken yet is never replaced:
// the file is the first of "cardo.crawljob", "cardo-2.crawljob" ... the folder does not hold
// ("cardo3.crawljob" ... for the instance of slot 3, so two instances never pick one name), and
// it is written whole through a temporary file whose name the watcher ignores. `error` is empty
// when `file` was written, else the message naming the folder (or the file) and the reason;
// nothing is written then.
struct WatchJob {
  std::u16string file;
  std::u16string error;
};
WatchJob WriteWatchJob(FileSystem& fs, const std::u16string& watchFolder, int slot,
                       std::string_view bytes);

// The program's version as the Iria header writes it: the major version, ".", the minor
// version with at least two digits (3.05).
std::u16string FormatAppVersion(int major, int minor);

// The import file's text: ReGet, the lines joined with CR LF; Iria, a three-line header and one
// "url=" line per list line, every line ended by CR LF.
std::u16string ExportText(ExportFormat manager, const std::vector<std::u16string>& lines,
                          const std::u16string& appVersion);

// The third manager: any program that takes the list file with arguments around its path.
// The template after the format changed from `from` to `to`: the new format's default when
// `arguments` is still the old format's default (or empty), else `arguments` untouched.
std::u16string SwitchOtherArguments(const std::u16string& arguments, ExportFormat from,
                                    ExportFormat to);

// A list line as the third manager's files hold it, trimmed of surrounding blanks (space,
// TAB, the ideographic space): the URL it is (url.h) as a browser sends it, pure ASCII (scheme
// and host in lower case, a host beyond ASCII as its A-label, "." and ".." segments applied,
// "\" as "/" for the special schemes, each part percent-encoded by its own set; a "%" already
// there stays). A line that is no URL (a host IDNA refuses, a relative path, a text) stays as
// it is, so that the manager refuses it itself: any TAB or line break inside dropped, every
// byte of its UTF-8 form outside printable ASCII and '"', "<", ">", "`", "{" and "}"
// percent-encoded. Empty for a blank line.
std::string OtherExportUrl(std::u16string_view line);
// The file's bytes, pure ASCII, one entry per non-blank list line, each line ending with CR LF;
// blank lines are left out. Plain: the URLs. The other formats: each URL the tool may fetch
// (http, https, ftp; ftps for curl) with the file it is saved to (by `options.names`, made
// unique in the file: "cover.jpg", "cover.1.jpg" ...), every other line as a comment. aria2:
// the URL, then indented " dir=", " out=" and " referer=" lines. curl: "globoff" (no globbing
// of "[]" and "{}"), "proto" and "proto-redir" limited to those schemes, "location", "fail"
// and "remove-on-error" (redirects followed, no error page saved), "output-dir" and
// "create-dirs" for a folder, then `url = "..."`, `output = "..."` and `referer = "..."` per URL
// with backslashes and quotes escaped; "next" and the header again where the Referer changes,
// as curl's options hold for a whole run up to it, with the options of `options.arguments`
// before "-K %1" after each "next" and those after it before each (an option takes the word
// after it as its value unless that word starts with "-" and is not "-" alone). crawljob: a "text="
// job per URL with "filename", "downloadFolder", "packageName" and "autoStart", blank lines
// between. meta4: XML with a <file name> and its <url> per URL (the format has no Referer).
std::string OtherExportText(ExportFormat format, const std::vector<std::u16string>& lines,
                            const ExportOptions& options = {});
// OtherExportText written as the lines come, for a list of any length: Begin, each line's
// entry (nothing for a blank line), then End give its text piece by piece. With the folders
// rule every line goes through Reserve first, as the folders are taken before any file is
// named. Memory: the file names given out, never the lines. `options` must outlive it.
class OtherExportWriter {
 public:
  OtherExportWriter(ExportFormat format, const ExportOptions& options);
  ~OtherExportWriter();
  OtherExportWriter(const OtherExportWriter&) = delete;
  OtherExportWriter& operator=(const OtherExportWriter&) = delete;

  bool NeedsReserve() const;
  void Reserve(std::u16string_view line);
  std::string Begin();
  std::string Line(std::u16string_view line);
  std::string End();

 private:
  struct State;
  std::unique_ptr<State> state_;
};
// The program quoted, then the argument template with each "%1" replaced by the quoted file
// (quoted, so paths with spaces start correctly); an empty template stands for the format's
// default.
std::u16string ExportCommandLine(ExportFormat format, const std::u16string& program,
                                 const std::u16string& arguments, const std::u16string& file);
// The export file of `format` for the instance holding `slot` (ExportSlot): the usual name
// for 1, the number before the extension for the others (TEMP2.LST).
std::u16string ExportFileName(ExportFormat format, int slot);
// What an export did: the manager it started (its process identifier; 0 when none was) and,
// once the file was written, the status bar's note of what went where ("C:\\Cardo\\TEMP.CURL
// に 38 行を書き出し、curl.exe を起動しました。").
struct ExportDone {
  std::uint32_t processId = 0;
  std::u16string note;
};

// The File > Export > その他 command, with the same failure rules as the other two; a
// crawljob with `options.watchFolder` set goes into that folder (WriteWatchJob) and needs no
// program: a message names the job, and its 「フォルダーを開く」 opens the folder. The pages
// are the document's unless `options.pages` names others.
ExportDone ExportListToOther(ShellContext& shell, const std::u16string& program,
                             const std::u16string& arguments, ExportFormat format,
                             const std::u16string& appDirectory, int slot = 1,
                             const ExportOptions& options = {});

// The File > Export command: "リストがありません。" for an empty list, else the export into
// the program directory and the manager at `managerPath` started on it; a manager missing, a
// write or start failure, or the user declining the loss of characters code page 932 cannot
// hold (the warning a save shows) end it after the message. The file is written whole through
// a temporary file or not at all; a failed write names it. The modified flag and the title do
// not change.
ExportDone ExportList(ShellContext& shell, ExportFormat manager, const std::u16string& managerPath,
                      const std::u16string& appDirectory, const std::u16string& appVersion,
                      int slot = 1);

}  // namespace cardo
