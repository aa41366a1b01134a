#include "cli/console.h"

namespace cardo::cli {

bool IsConsole(std::FILE*) {
  return false;
}

bool WriteToConsole(std::FILE*, std::string_view) {
  return false;
}

}  // namespace cardo::cli
