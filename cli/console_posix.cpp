#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "cli/console.h"
#include "cli/messages.h"

namespace cardo::cli {

bool IsConsole(std::FILE*) {
  return false;
}

bool WriteToConsole(std::FILE*, std::string_view) {
  return false;
}

bool IsPipeOrTerminal(std::FILE* stream) {
  struct stat info {};
  const int fd = ::fileno(stream);
  if (fd < 0) return false;
  return ::isatty(fd) ||
         (::fstat(fd, &info) == 0 && (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)));
}

bool WriteFoundPipeClosed() {
  return errno == EPIPE;
}

void EndAsClosedPipeEnds() {
  ::signal(SIGPIPE, SIG_DFL);
  ::raise(SIGPIPE);
  ::_exit(128 + SIGPIPE);  // blocked: the status the shell would show
}

Language LocaleLanguage() {
  // The order in which the C library looks for the messages' locale.
  for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value && *value) return LanguageOfLocale(value);
  }
  return Language::English;  // no locale set: the C locale
}

}  // namespace cardo::cli
