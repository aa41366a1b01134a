#include "cli/options.h"

#include <algorithm>

#include "app/resources/version.h"
#include "cli/messages.h"

namespace cardo::cli {
namespace {

// Where an option's help starts: its name and value before it, or on a line of their own.
constexpr std::size_t kHelpColumn = 20;

// The rows every command has, after its own.
constexpr OptionShape kCommonRows[] = {
    {"--help", Takes::Nothing, {}, "this help (also -h)", nullptr},
    {"--version", Takes::Nothing, {}, "the program's version", nullptr},
};

// "--name VALUE", "--name [VALUE]" or "--name".
std::string Named(const OptionShape& row) {
  std::string text(row.name);
  if (row.takes == Takes::Value) text += " " + std::string(row.value);
  if (row.takes == Takes::AddressIfGiven) text += " [" + std::string(row.value) + "]";
  return text;
}

// The value an option at words[at] takes, moving `at` past a value in the next word; nothing
// after the complaint when a value is missing or unwanted.
std::optional<std::string_view> ValueOf(const OptionShape& row,
                                        const std::vector<std::string>& words, std::size_t& at,
                                        std::string& complaint) {
  const std::string& word = words[at];
  const std::size_t equals = word.find('=');
  if (equals != std::string::npos) {
    if (row.takes != Takes::Nothing) return std::string_view(word).substr(equals + 1);
    complaint = Text(phrase::kTakesNoValue, {row.name});
    return std::nullopt;
  }
  const bool next = at + 1 < words.size();
  switch (row.takes) {
    case Takes::Nothing:
      return std::string_view();
    case Takes::Value:
      if (next) return words[++at];
      complaint = Text(phrase::kNeedsValue, {row.name});
      return std::nullopt;
    case Takes::AddressIfGiven:
      if (next && words[at + 1].find("://") != std::string::npos) return words[++at];
      return std::string_view();
  }
  return std::nullopt;
}

std::string OptionHelp(const OptionShape& row) {
  std::string text = "  " + Named(row);
  const bool beside = text.size() + 2 <= kHelpColumn;
  if (beside) {
    text.resize(kHelpColumn, ' ');
  } else {
    text += '\n';
  }
  text += Wrapped(row.help, kHelpColumn, beside);
  if (row.more) text += Wrapped(row.more(), kHelpColumn);
  return text;
}

}  // namespace

ParsedWords ParseWords(std::span<const OptionShape> rows, const std::vector<std::string>& words,
                       const TakeValue& take) {
  ParsedWords parsed;
  bool options = true;
  for (std::size_t at = 0; at < words.size(); ++at) {
    const std::string& word = words[at];
    if (!options || word == "-" || !word.starts_with("-")) {
      parsed.operands.push_back(word);
      continue;
    }
    if (word == "--") {
      options = false;
      continue;
    }
    if (word == "--help" || word == "-h" || word == "--version") {
      parsed.asked = word == "--version" ? Asked::Version : Asked::Help;
      return parsed;
    }
    const std::string_view name = std::string_view(word).substr(0, word.find('='));
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [&](const OptionShape& r) { return r.name == name; });
    if (row == rows.end() || !word.starts_with("--")) {
      parsed.complaint = Text(phrase::kUnknownOption, {word});
      return parsed;
    }
    const std::optional<std::string_view> value = ValueOf(*row, words, at, parsed.complaint);
    if (!value) return parsed;
    parsed.complaint = take(static_cast<std::size_t>(row - rows.begin()), *value);
    if (!parsed.complaint.empty()) return parsed;
  }
  return parsed;
}

std::string OneOf(std::string_view option, std::string_view choices) {
  return Text(phrase::kOneOf, {option, choices});
}

std::string WholeNumber(std::string_view option, long long low, long long high) {
  return Text(phrase::kWholeNumber, {option, std::to_string(low), std::to_string(high)});
}

std::string Wrapped(std::string_view text, std::size_t indent, bool started) {
  std::string out;
  for (std::size_t from = 0; from <= text.size();) {
    std::size_t end = text.find('\n', from);
    if (end == std::string_view::npos) end = text.size();
    std::string_view paragraph = text.substr(from, end - from);
    from = end + 1;
    const std::size_t lead = paragraph.find_first_not_of(' ');
    if (lead == std::string_view::npos) continue;
    const std::size_t margin = indent + lead;
    // An item of a list (a paragraph set in) hangs: its later lines stand under its text.
    const std::size_t hang = margin + (lead > 0 ? 2 : 0);
    paragraph.remove_prefix(lead);
    std::size_t column = margin;
    if (!started) out.append(margin, ' ');
    started = false;
    bool first = true;
    for (std::size_t at = 0; at < paragraph.size();) {
      std::size_t space = paragraph.find(' ', at);
      if (space == std::string_view::npos) space = paragraph.size();
      const std::string_view word = paragraph.substr(at, space - at);
      at = space + 1;
      if (word.empty()) continue;
      if (!first && column + 1 + word.size() > kHelpWidth) {
        out += '\n';
        out.append(hang, ' ');
        column = hang;
        first = true;
      }
      if (!first) out += ' ';
      out += word;
      column += word.size() + (first ? 0 : 1);
      first = false;
    }
    out += '\n';
  }
  return out;
}

std::string UsageText(const CommandHelp& help, std::span<const OptionShape> rows) {
  std::string text;
  std::string line = "usage: cardo-cli " + std::string(help.command);
  const auto add = [&](const std::string& piece) {
    if (line.size() + 1 + piece.size() > kHelpWidth) {
      text += line + '\n';
      line = std::string(9, ' ') + piece;
    } else {
      line += ' ' + piece;
    }
  };
  for (const OptionShape& row : rows) add("[" + Named(row) + "]");
  if (!help.operands.empty()) add(std::string(help.operands));
  return text + line + '\n';
}

std::string HelpText(const CommandHelp& help, std::span<const OptionShape> rows) {
  std::string text = UsageText(help, rows) + Wrapped(help.summary, 2);
  for (const OptionShape& row : rows) text += OptionHelp(row);
  for (const OptionShape& row : kCommonRows) text += OptionHelp(row);
  return text + std::string(help.notes);
}

std::string VersionText() {
  return "cardo-cli " CARDO_VERSION_TEXT;
}

std::optional<int> Answered(const ParsedWords& parsed, const CommandHelp& help,
                            std::span<const OptionShape> rows, std::FILE* out, std::FILE* err,
                            OutputForm form) {
  if (!parsed.complaint.empty()) return Refuse(err, help.command, parsed.complaint);
  if (parsed.asked == Asked::Run) return std::nullopt;
  TextWriter writer(out, form);
  writer.Write(parsed.asked == Asked::Help ? HelpText(help, rows) : VersionText() + "\n");
  return writer.Finish(err) ? 0 : 1;
}

}  // namespace cardo::cli
