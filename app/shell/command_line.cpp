#include "app/shell/command_line.h"

#include "app/platform/text.h"

namespace cardo {

std::vector<std::u16string> ParseCommandLine(std::u16string_view tail, const LongPathFn& longPath) {
  if (tail.empty()) return {std::u16string()};
  const auto tokens = SplitAt(tail, u" ");

  std::vector<std::u16string> args;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const auto token = tokens[i];
    if (token.empty() || token.front() != u'"') {
      args.emplace_back(token);
      continue;
    }
    if (token.size() >= 2 && token.back() == u'"') {
      args.emplace_back(token.substr(1, token.size() - 2));
      continue;
    }
    std::u16string arg(token.substr(1));
    arg += u' ';
    for (++i; i < tokens.size(); ++i) {
      const auto next = tokens[i];
      if (!next.empty() && next.back() == u'"') {
        arg += next.substr(0, next.size() - 1);
        break;
      }
      arg += next;
      arg += u' ';
    }
    args.push_back(std::move(arg));
  }

  if (longPath) {
    for (auto& arg : args) {
      if (auto longForm = longPath(arg)) arg = std::move(*longForm);
    }
  }
  return args;
}

}  // namespace cardo
