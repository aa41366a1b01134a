// cardo-cli: the program's engines on the command line.
#include <cstdio>
#include <initializer_list>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif
#include <new>
#include <string>
#include <vector>

#include "app/platform/text.h"
#include "cli/check_command.h"
#include "cli/cli_io.h"
#include "cli/console.h"
#include "cli/expand_command.h"
#include "cli/export_command.h"
#include "cli/extract_command.h"
#include "cli/fetch_command.h"
#include "cli/generate_command.h"
#include "cli/receive_command.h"

namespace {

constexpr char kExpandUsage[] =
    "usage: cardo-cli expand [--extended] [--input-encoding cp932|utf-8]\n"
    "         [--output-encoding utf-8|cp932] [LINE...]\n"
    "  Expands bracket ranges such as http://host/img[001-120].jpg, one output line per\n"
    "  produced line. With no LINE, reads lines from standard input (empty lines are\n"
    "  skipped). A line without a valid range is reported on standard error and makes the\n"
    "  exit status 1.\n"
    "  --extended        the extended syntax: steps [1-100:10], descending runs [10-1],\n"
    "                    lists [jpg,png], escapes \\[ \\] \\, \\= \\\\, named counters\n"
    "                    [y=2020-2024] repeated as [=y] or moving together when two\n"
    "                    groups share a name; a fault is reported with its column\n"
    "  --input-encoding  standard input's: by default utf-8 when its first bytes beyond\n"
    "                    ASCII are valid UTF-8, else cp932\n";
constexpr char kFetchUsage[] =
    "usage: cardo-cli fetch URL FILE\n"
    "  Saves everything an http:// server sends (status line and headers included) to\n"
    "  FILE, each LF written as CR LF, as the library's GetHTTP does; progress on\n"
    "  standard error; the exit status is the result code (0: done).\n";
constexpr char kExtractUsage[] =
    "usage: cardo-cli extract [--mode text|html|url|parsed] [--protocol P] [--full-width]\n"
    "         [--no-line-break] [--filter F] [--base URL] [--page-url URL]\n"
    "         [--input-encoding auto|CHARSET] [--output-encoding utf-8|cp932] FILE\n"
    "       cardo-cli extract [options] --url URL [--url URL...] [--depth 0|1]\n"
    "         [--max-pages N] [--ca-file FILE] [--max-page-mib N]\n"
    "  Prints every URL of FILE that the filter lets through, one per line:\n"
    "  --mode            text (the protocol text and what follows), html (absolute and\n"
    "                    relative URLs), url (html, for a downloaded page) or parsed (the\n"
    "                    page tokenized: its link attributes, refresh targets and the\n"
    "                    URLs of its text, resolved as a browser does); default text\n"
    "  --protocol P      text mode: the text a URL starts with (default http://)\n"
    "  --full-width      text mode: double-byte characters may be part of a URL\n"
    "  --no-line-break   text mode: a URL never continues on the next line\n"
    "  --filter F        wildcard patterns separated by \";\", \"!\" to exclude (default *.*)\n"
    "  --base URL        html and parsed modes: the base for relative URLs\n"
    "  --page-url URL    url mode: the address the page came from\n"
    "  --input-encoding  the encoding of FILE: auto (the default) reads it as a browser\n"
    "                    does: a byte order mark, the server's charset (--url), a <meta>\n"
    "                    charset in its first 4 KB, else utf-8 when its text is valid\n"
    "                    UTF-8, else cp932. A charset forces one (a byte order mark still\n"
    "                    decides): cp932 (shift_jis, windows-31j...), utf-8, euc-jp,\n"
    "                    iso-2022-jp, utf-16le, utf-16be, windows-1252 (iso-8859-1,\n"
    "                    us-ascii...); a character cp932 lacks comes percent-encoded\n"
    "  --url URL         downloads the page (http or https, redirections followed with\n"
    "                    the cookies they set, user:pass@ sent as Basic to that server\n"
    "                    only, through the system's proxy) and scans it in url mode\n"
    "                    with the address it came from; a page cut short, or a server\n"
    "                    silent for 30 s, is a failure. Given more\n"
    "                    than once, every page is downloaded (four at a time) and their\n"
    "                    URLs printed in the order of the pages, each URL once\n"
    "  --depth 1         with --url: also the pages of the same site (scheme, host and\n"
    "                    port) that the given pages link to, but no image, archive or\n"
    "                    other file that is no page; each page once, the found URLs of\n"
    "                    all through the filter (default 0: the given pages only)\n"
    "  --max-pages N     with --depth 1: download at most N pages in all, counting the\n"
    "                    given ones, which are always downloaded (default 200)\n"
    "  --ca-file FILE    with --url, natively: trust the certificate authorities in FILE\n"
    "                    (PEM) instead of the system's, for a server with a private CA\n"
    "  --max-page-mib N  with --url: stop a page past N MiB, decoded (default 1024)\n";
constexpr char kCheckSummary[] =
    "usage: cardo-cli check [--jobs N] [--per-host N] [--timeout SECONDS] FILE|-\n"
    "  Asks each URL's server whether it answers, how big it is and where it leads\n"
    "  (cardo-cli check --help).\n";
constexpr char kReceiveSummary[] =
    "usage: cardo-cli receive [--port N] [--token T|--token-file FILE] [--with-page]\n"
    "  Prints each URL the browser extension sends, as it arrives (cardo-cli receive --help).\n";
// What every command's standard output is, and what cardo-cli.exe does with its arguments.
constexpr char kOutputRule[] =
    "Every command prints UTF-8 lines ending with LF; cardo-cli.exe the same with CR LF, and\n"
    "text in Unicode to a console window. --output-encoding cp932 (expand, extract, generate,\n"
    "export) gives code page 932 instead (for PowerShell 5, which reads programs in the\n"
    "console's code page), characters it lacks as \"?\". export --out FILE writes its\n"
    "format's own bytes; fetch writes FILE as the server sent it.\n"
    "cardo-cli.exe takes its arguments in Unicode: Japanese URLs and paths work as typed.\n";
constexpr char kGenerateSummary[] =
    "usage: cardo-cli generate [options] BASE   (cardo-cli generate --help)\n"
    "  Prints the regular list generator's numbered or WinRAR volume names.\n";
constexpr char kExportSummary[] =
    "usage: cardo-cli export --format reget|iria|plain|aria2|curl [--out FILE] LIST\n"
    "  Writes a download manager's import file for a list file (cardo-cli export --help).\n";

using cardo::cli::OutputForm;

// Help texts go out in the form of the command's own output.
int Print(std::FILE* to, OutputForm form, std::initializer_list<const char*> texts) {
  cardo::cli::TextWriter writer(to, form);
  for (const char* text : texts) writer.Write(text);
  return writer.Finish("--help", stderr) ? 0 : 1;
}

bool AsksForHelp(const std::vector<std::string>& argv) {
  return argv.size() > 2 && (argv[2] == "--help" || argv[2] == "-h");
}

// `argv` as UTF-8, the program's name first.
int Run(const std::vector<std::string>& argv, OutputForm form) {
  if (argv.size() < 2 || argv[1] == "--help" || argv[1] == "-h") {
    const OutputForm to = argv.size() < 2 ? OutputForm{} : form;
    const int printed = Print(argv.size() < 2 ? stderr : stdout, to,
                              {kExpandUsage, kFetchUsage, kExtractUsage, kGenerateSummary,
                               kExportSummary, kCheckSummary, kReceiveSummary, kOutputRule});
    return argv.size() < 2 ? 2 : printed;
  }
  const std::string& command = argv[1];
  const std::vector<std::string> args(argv.begin() + 2, argv.end());
  if (command == "expand") {
    if (AsksForHelp(argv)) {
      return Print(stdout, form, {kExpandUsage, cardo::cli::kOutputEncodingHelp});
    }
    return cardo::cli::RunExpand(args, stdin, stdout, stderr, form);
  }
  if (command == "extract") {
    if (AsksForHelp(argv)) {
      return Print(stdout, form, {kExtractUsage, cardo::cli::kOutputEncodingHelp});
    }
    return cardo::cli::RunExtract(args, stdout, stderr, form);
  }
  if (command == "generate") return cardo::cli::RunGenerate(args, stdout, stderr, form);
  if (command == "export") return cardo::cli::RunExport(args, stdout, stderr, form);
  if (command == "check") {
    if (AsksForHelp(argv)) return Print(stdout, form, {cardo::cli::kCheckUsage});
    return cardo::cli::RunCheck(args, stdin, stdout, stderr, form);
  }
  if (command == "receive") return cardo::cli::RunReceive(args, stdout, stderr, form);
  if (command == "fetch") {
    // The response goes to FILE as the server sent it; standard output carries nothing.
    if (AsksForHelp(argv)) return Print(stdout, form, {kFetchUsage});
    if (argv.size() != 4) {
      std::fputs("cardo-cli fetch: needs URL and FILE (see cardo-cli fetch --help)\n", stderr);
      return 2;
    }
    return cardo::cli::RunFetch(argv[2], argv[3], [](const std::string& line) {
      cardo::cli::Say(stderr, "%s", line.c_str());
    });
  }
  cardo::cli::Say(stderr, "cardo-cli: unknown command \"%s\" (see cardo-cli --help)\n",
                  command.c_str());
  return 2;
}

int Main(const std::vector<std::string>& argv, OutputForm form) {
  try {
    return Run(argv, form);
  } catch (const std::bad_alloc&) {
    // What was written stays: the commands write as they go.
    std::fflush(stdout);
    cardo::cli::ReportOutOfMemory(argv.size() > 1 ? argv[1].c_str() : "", stderr);
    return 1;
  }
}

}  // namespace

#ifdef _WIN32
// The arguments in UTF-16, as typed in cmd.exe or PowerShell: the ANSI ones would have lost
// every character code page 932 lacks, and their bytes are not the UTF-8 the commands read.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) {
    args.push_back(cardo::Utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
  }
  // The streams carry bytes: in text mode every LF written would gain a CR (CR CR LF after the
  // files' own CR LF) and a read would lose the CRs. Lines end with CR LF as Windows text does.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  return Main(args, {cardo::cli::OutputEncoding::Utf8, true, cardo::cli::IsConsole(stdout)});
}
#else
int main(int argc, char** argv) {
  return Main(std::vector<std::string>(argv, argv + argc), {});
}
#endif
