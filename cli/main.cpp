// cardo-cli: the program's engines on the command line.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/expand_command.h"
#include "cli/extract_command.h"
#include "cli/fetch_command.h"
#include "cli/generate_command.h"

namespace {

void Usage(std::FILE* to) {
  std::fprintf(to,
               "usage: cardo-cli expand [LINE...]\n"
               "  Expands bracket ranges such as http://host/img[001-120].jpg, one output line\n"
               "  per produced line. With no LINE, reads lines from standard input.\n"
               "usage: cardo-cli fetch URL FILE\n"
               "  Saves everything an http:// server sends (status line and headers included)\n"
               "  to FILE; progress on standard error; the exit status is the result code.\n"
               "usage: cardo-cli extract [--mode text|html|url] [--protocol P] [--full-width]\n"
               "         [--no-line-break] [--filter F] [--base URL] [--page-url URL]\n"
               "         [--input-encoding cp932|utf-8] FILE\n"
               "  Prints every URL of FILE that the filter lets through, one per line.\n"
               "usage: cardo-cli generate [options] BASE   (cardo-cli generate --help)\n"
               "  Prints the regular list generator's numbered or WinRAR volume names.\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    Usage(argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  const std::string command = argv[1];
  if (command == "expand") {
    std::vector<std::string> lines(argv + 2, argv + argc);
#ifdef _WIN32
    // Windows passes arguments in the ANSI code page, double-byte text included.
    const auto isLead = cardo::fnc::Cp932LeadByte;
#else
    // UTF-8: no ASCII byte occurs inside a multi-byte character.
    const auto isLead = cardo::fnc::NoLeadBytes;
#endif
    return cardo::cli::RunExpand(lines, lines.empty(), stdin, stdout, stderr, isLead);
  }
  if (command == "extract") {
    return cardo::cli::RunExtract(std::vector<std::string>(argv + 2, argv + argc), stdout, stderr);
  }
  if (command == "generate") {
#ifdef _WIN32
    constexpr bool kAnsi = true;  // Windows passes arguments in the ANSI code page
#else
    constexpr bool kAnsi = false;
#endif
    return cardo::cli::RunGenerate(std::vector<std::string>(argv + 2, argv + argc), stdout, stderr,
                                   kAnsi);
  }
  if (command == "fetch") {
    if (argc != 4) {
      Usage(stderr);
      return 2;
    }
    return cardo::cli::RunFetch(argv[2], argv[3],
                                [](const std::string& line) { std::fputs(line.c_str(), stderr); });
  }
  std::fprintf(stderr, "cardo-cli: unknown command \"%s\"\n", command.c_str());
  Usage(stderr);
  return 2;
}
