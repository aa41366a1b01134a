// cardo-cli: the program's engines on the command line.
#include <cstdio>
#include <cstring>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif
#include <new>
#include <string>
#include <vector>

#include "cli/cli_io.h"
#include "cli/expand_command.h"
#include "cli/export_command.h"
#include "cli/extract_command.h"
#include "cli/fetch_command.h"
#include "cli/generate_command.h"

namespace {

constexpr char kExpandUsage[] =
    "usage: cardo-cli expand [LINE...]\n"
    "  Expands bracket ranges such as http://host/img[001-120].jpg, one output line per\n"
    "  produced line. With no LINE, reads lines from standard input (empty lines are\n"
    "  skipped). A line without a valid range is reported on standard error and makes the\n"
    "  exit status 1.\n";
constexpr char kFetchUsage[] =
    "usage: cardo-cli fetch URL FILE\n"
    "  Saves everything an http:// server sends (status line and headers included) to\n"
    "  FILE, each LF written as CR LF, as the library's GetHTTP does; progress on\n"
    "  standard error; the exit status is the result code (0: done).\n";
constexpr char kExtractUsage[] =
    "usage: cardo-cli extract [--mode text|html|url] [--protocol P] [--full-width]\n"
    "         [--no-line-break] [--filter F] [--base URL] [--page-url URL]\n"
    "         [--input-encoding cp932|utf-8] FILE\n"
    "       cardo-cli extract [options] --url URL [--ca-file FILE] [--max-page-mib N]\n"
    "  Prints every URL of FILE that the filter lets through, one per line (UTF-8):\n"
    "  --mode            text (the protocol text and what follows), html (absolute and\n"
    "                    relative URLs) or url (html, for a downloaded page); default text\n"
    "  --protocol P      text mode: the text a URL starts with (default http://)\n"
    "  --full-width      text mode: double-byte characters may be part of a URL\n"
    "  --no-line-break   text mode: a URL never continues on the next line\n"
    "  --filter F        wildcard patterns separated by \";\", \"!\" to exclude (default *.*)\n"
    "  --base URL        html mode: the base for relative URLs\n"
    "  --page-url URL    url mode: the address the page came from\n"
    "  --input-encoding  the encoding of FILE: cp932 or utf-8; by default utf-8 when FILE\n"
    "                    says so (a byte order mark or a <meta> charset in its first\n"
    "                    4 KB), else cp932, as the program reads it\n"
    "  --url URL         downloads the page (http or https, redirections followed) and\n"
    "                    scans it in url mode with the address it came from; UTF-8 when\n"
    "                    the page says so (--input-encoding forces one); a page cut\n"
    "                    short, or a server silent for 30 s, is a failure\n"
    "  --ca-file FILE    with --url, natively: trust the certificate authorities in FILE\n"
    "                    (PEM) instead of the system's, for a server with a private CA\n"
    "  --max-page-mib N  with --url: stop a page past N MiB, decoded (default 1024)\n";
constexpr char kGenerateSummary[] =
    "usage: cardo-cli generate [options] BASE   (cardo-cli generate --help)\n"
    "  Prints the regular list generator's numbered or WinRAR volume names.\n";
constexpr char kExportSummary[] =
    "usage: cardo-cli export --format reget|iria|plain|aria2|curl [--out FILE] LIST\n"
    "  Writes a download manager's import file for a list file (cardo-cli export --help).\n";

void Usage(std::FILE* to) {
  for (const char* text :
       {kExpandUsage, kFetchUsage, kExtractUsage, kGenerateSummary, kExportSummary}) {
    std::fputs(text, to);
  }
}

bool AsksForHelp(int argc, char** argv) {
  return argc > 2 && (std::strcmp(argv[2], "--help") == 0 || std::strcmp(argv[2], "-h") == 0);
}

int Run(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    Usage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  const std::string command = argv[1];
  const std::vector<std::string> args(argv + 2, argv + argc);
  if (command == "expand") {
    if (AsksForHelp(argc, argv)) {
      std::fputs(kExpandUsage, stdout);
      return 0;
    }
    for (const auto& a : args) {
      if (a.rfind("--", 0) == 0) {
        std::fprintf(stderr, "cardo-cli expand: unknown option %s (see cardo-cli expand --help)\n",
                     a.c_str());
        return 2;
      }
    }
#ifdef _WIN32
    // Windows passes arguments in the ANSI code page, double-byte text included.
    const auto isLead = cardo::fnc::Cp932LeadByte;
#else
    // UTF-8: no ASCII byte occurs inside a multi-byte character.
    const auto isLead = cardo::fnc::NoLeadBytes;
#endif
    return cardo::cli::RunExpand(args, args.empty(), stdin, stdout, stderr, isLead);
  }
  if (command == "extract") {
    if (AsksForHelp(argc, argv)) {
      std::fputs(kExtractUsage, stdout);
      return 0;
    }
    return cardo::cli::RunExtract(args, stdout, stderr);
  }
  if (command == "generate") {
#ifdef _WIN32
    constexpr bool kAnsi = true;  // Windows passes arguments in the ANSI code page
#else
    constexpr bool kAnsi = false;
#endif
    return cardo::cli::RunGenerate(args, stdout, stderr, kAnsi);
  }
  if (command == "export") return cardo::cli::RunExport(args, stdout, stderr);
  if (command == "fetch") {
    if (AsksForHelp(argc, argv)) {
      std::fputs(kFetchUsage, stdout);
      return 0;
    }
    if (argc != 4) {
      std::fputs("cardo-cli fetch: needs URL and FILE (see cardo-cli fetch --help)\n", stderr);
      return 2;
    }
    return cardo::cli::RunFetch(argv[2], argv[3],
                                [](const std::string& line) { std::fputs(line.c_str(), stderr); });
  }
  std::fprintf(stderr, "cardo-cli: unknown command \"%s\" (see cardo-cli --help)\n",
               command.c_str());
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  // The streams carry bytes: in text mode every LF written would gain a CR (CR CR LF after the
  // files' own CR LF) and a read would lose the CRs.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  try {
    return Run(argc, argv);
  } catch (const std::bad_alloc&) {
    // What was written stays: the commands write as they go.
    std::fflush(stdout);
    cardo::cli::ReportOutOfMemory(argc > 1 ? argv[1] : "", stderr);
    return 1;
  }
}
