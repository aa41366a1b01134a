// Any text as a command-line tail: the parser never crashes and always gives an argument.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/shell/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string tail;
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    tail.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
  }
  const auto args = cardo::ParseCommandLine(tail, nullptr);
  if (args.empty()) std::abort();
  std::size_t total = 0;
  for (const auto& arg : args) total += arg.size();
  if (total > tail.size() * 2 + 1) std::abort();
  return 0;
}
