// cardo-cli: the program's engines on the command line.
#include <cstdio>
#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <signal.h>
#endif
#include <algorithm>
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
#include "cli/messages.h"
#include "cli/options.h"
#include "cli/receive_command.h"

namespace {

using cardo::cli::OutputForm;
using Words = std::vector<std::string>;

// The commands: each one's name, what it does and how it runs.
struct Command {
  std::string_view name;
  std::string_view summary;
  std::string (*usage)();
  int (*run)(const Words& args, std::FILE* in, std::FILE* out, std::FILE* err, OutputForm form);
};

constexpr Command kCommands[] = {
    {"expand", "Expands bracket ranges, one line per URL.", cardo::cli::ExpandUsage,
     cardo::cli::RunExpand},
    {"fetch", "Saves what an http:// server sends, as the library's GetHTTP does.",
     cardo::cli::FetchUsage,
     [](const Words& args, std::FILE*, std::FILE* out, std::FILE* err, OutputForm form) {
       return cardo::cli::RunFetch(args, out, err, form);
     }},
    {"extract", "Prints every URL of a file or of downloaded pages that the filter lets through.",
     cardo::cli::ExtractUsage, cardo::cli::RunExtract},
    {"generate", "Prints the regular list generator's numbered or WinRAR volume names.",
     cardo::cli::GenerateUsage,
     [](const Words& args, std::FILE*, std::FILE* out, std::FILE* err, OutputForm form) {
       return cardo::cli::RunGenerate(args, out, err, form);
     }},
    {"export", "Writes a download manager's import file for a list file.", cardo::cli::ExportUsage,
     cardo::cli::RunExport},
    {"check", "Asks each URL's server whether it answers, how big it is and where it leads.",
     cardo::cli::CheckUsage, cardo::cli::RunCheck},
    {"receive", "Prints each URL the browser extension sends, as it arrives.",
     cardo::cli::ReceiveUsage,
     [](const Words& args, std::FILE*, std::FILE* out, std::FILE* err, OutputForm form) {
       return cardo::cli::RunReceive(args, out, err, form);
     }},
};

// What every command does alike, and what cardo-cli.exe does with its arguments.
constexpr char kConventions[] =
    "Every command answers --help and --version; \"--\" ends its options, --name=value is "
    "--name value, and \"-\" is standard input for a file read, standard output for a file "
    "written (export --out, fetch's FILE). "
    "Lines are read and written as they come: a pipe's reader gets each line as soon as it is "
    "known, and a reader that leaves (| head) ends the command at once.\n"
    "Every command prints UTF-8 lines ending with LF; cardo-cli.exe the same with CR LF, and "
    "text in Unicode to a console window. --output-encoding cp932 (expand, extract, generate, "
    "export) gives code page 932 instead (for PowerShell 5, which reads programs in the "
    "console's code page), characters it lacks as \"?\". export --out FILE writes its format's "
    "own bytes; fetch writes FILE as the server sent it. cardo-cli.exe takes its arguments in "
    "Unicode: Japanese URLs and paths work as typed.\n"
    "Messages on standard error start with \"cardo-cli: \" and are in English where the "
    "locale's language is (LC_ALL, LC_MESSAGES, LANG; C and POSIX among them; the user's "
    "interface language on Windows), else in Japanese.";

std::string TopHelp() {
  std::string text;
  for (const Command& command : kCommands) {
    text += command.usage() + cardo::cli::Wrapped(command.summary, 2);
  }
  return text + cardo::cli::Wrapped(kConventions, 0);
}

int Print(const std::string& text, OutputForm form) {
  cardo::cli::TextWriter writer(stdout, form);
  writer.Write(text);
  return writer.Finish(stderr) ? 0 : 1;
}

// `argv` as UTF-8, the program's name first.
int Run(const Words& argv, OutputForm form) {
  using namespace cardo::cli;
  if (argv.size() < 2) return Refuse(stderr, "", Text(phrase::kMissing, {"COMMAND"}));
  const std::string& name = argv[1];
  if (name == "--help" || name == "-h") return Print(TopHelp(), form);
  if (name == "--version") return Print(VersionText() + "\n", form);
  const auto command = std::find_if(std::begin(kCommands), std::end(kCommands),
                                    [&](const Command& c) { return c.name == name; });
  if (command == std::end(kCommands)) {
    const bool option = name.starts_with("-");
    return Refuse(stderr, "",
                  Text(option ? phrase::kUnknownOption : phrase::kUnknownCommand, {name}));
  }
  return command->run(Words(argv.begin() + 2, argv.end()), stdin, stdout, stderr, form);
}

int Main(const Words& argv, OutputForm form) {
  cardo::cli::SetLanguage(cardo::cli::LocaleLanguage());
  form.flushLines = cardo::cli::IsPipeOrTerminal(stdout);
  try {
    return Run(argv, form);
  } catch (const std::bad_alloc&) {
    // What was written stays: the commands write as they go.
    std::fflush(stdout);
    cardo::cli::ReportOutOfMemory(stderr);
    return 1;
  }
}

}  // namespace

#ifdef _WIN32
// The arguments in UTF-16, as typed in cmd.exe or PowerShell: the ANSI ones would have lost
// every character code page 932 lacks, and their bytes are not the UTF-8 the commands read.
int wmain(int argc, wchar_t** argv) {
  Words args;
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
  // A reader that closed the pipe ends the command as it ends any Unix tool, whatever the
  // parent left SIGPIPE at.
  signal(SIGPIPE, SIG_DFL);
  return Main(Words(argv, argv + argc), {});
}
#endif
