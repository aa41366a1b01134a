#include "cli/messages.h"

#include <atomic>

#include "cli/console.h"

namespace cardo::cli {
namespace {

std::atomic<Language> language{Language::Japanese};

}  // namespace

Language LanguageOfLocale(std::string_view name) {
  const std::string_view base = name.substr(0, name.find_first_of(".@"));
  const bool english = base == "C" || base == "POSIX" || name.starts_with("en");
  return english ? Language::English : Language::Japanese;
}

void SetLanguage(Language chosen) {
  language = chosen;
}

Language CurrentLanguage() {
  return language;
}

std::string Text(const Phrase& phrase, std::initializer_list<std::string_view> words) {
  const std::string_view pattern =
      CurrentLanguage() == Language::English ? phrase.english : phrase.japanese;
  std::string text;
  text.reserve(pattern.size());
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const bool mark = pattern[i] == '{' && i + 2 < pattern.size() && pattern[i + 2] == '}' &&
                      pattern[i + 1] >= '1' && pattern[i + 1] <= '9';
    const std::size_t word = mark ? static_cast<std::size_t>(pattern[i + 1] - '1') : 0;
    if (!mark || word >= words.size()) {
      text += pattern[i];
      continue;
    }
    text += words.begin()[word];
    i += 2;
  }
  return text;
}

void Say(std::FILE* err, std::string_view text) {
  std::string line = "cardo-cli: ";
  line += text;
  line += '\n';
  if (IsConsole(err) && std::fflush(err) == 0 && WriteToConsole(err, line)) return;
  std::fwrite(line.data(), 1, line.size(), err);
  std::fflush(err);
}

void Say(std::FILE* err, const Phrase& phrase, std::initializer_list<std::string_view> words) {
  Say(err, Text(phrase, words));
}

int Refuse(std::FILE* err, std::string_view command, std::string_view complaint) {
  const std::string where = command.empty() ? std::string() : std::string(command) + " ";
  Say(err, phrase::kSeeHelp, {complaint, where});
  return 2;
}

}  // namespace cardo::cli
