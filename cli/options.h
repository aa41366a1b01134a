#pragma once
// A command's options as one table, as 7-Zip's switch table: each row names an option, the
// value it takes, its help and what it does with the value, so that the same rows parse the
// words, write the usage line and print the help, and no help can leave an option out. Every
// table gets the conventions a Unix user tries first: --help (or -h) and --version, "--"
// ending the options, "--name=value" read as "--name value", and "-" as an operand (standard
// input or output, as the command says).
#include <cstddef>
#include <cstdio>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_io.h"

namespace cardo::cli {

// The columns every help line fits in: the manual page sets them 7 columns in, within 80.
inline constexpr std::size_t kHelpWidth = 72;

enum class Takes {
  Nothing,
  Value,           // the next word whatever it holds, or what follows "="
  AddressIfGiven,  // the next word only when it holds "://" (else nothing), or what follows "="
};

template <typename Request>
struct Option {
  std::string_view name;  // "--format"
  Takes takes = Takes::Nothing;
  std::string_view value;  // what the help calls the value: "N", "FILE", "utf-8|cp932"
  std::string_view help;   // wrapped to kHelpWidth; "\n" starts a paragraph
  // Takes the value into the request: empty when taken, else the complaint (messages.h).
  std::string (*take)(Request& request, std::string_view value) = nullptr;
  // More help made from another table (the formats an export writes), or nullptr.
  std::string (*more)() = nullptr;
};

// The complaints the values of most options get (messages.h).
std::string OneOf(std::string_view option, std::string_view choices);
std::string WholeNumber(std::string_view option, long long low, long long high);

// The --output-encoding every printing command takes, into its request's `output`.
template <typename Request>
std::string TakeOutputEncoding(Request& request, std::string_view value) {
  request.output = OutputEncodingNamed(value);
  return request.output ? std::string() : OneOf("--output-encoding", "utf-8, cp932");
}
template <typename Request>
inline constexpr Option<Request> kOutputEncodingOption{"--output-encoding", Takes::Value,
                                                       "utf-8|cp932", kOutputEncodingHelp,
                                                       &TakeOutputEncoding<Request>};

// A row without its request, for what needs no request: the parse of the words, the help.
struct OptionShape {
  std::string_view name;
  Takes takes;
  std::string_view value, help;
  std::string (*more)();
};

template <typename Request, std::size_t N>
std::vector<OptionShape> Shapes(const Option<Request> (&table)[N]) {
  std::vector<OptionShape> shapes;
  for (const Option<Request>& row : table) {
    shapes.push_back({row.name, row.takes, row.value, row.help, row.more});
  }
  return shapes;
}

enum class Asked { Run, Help, Version };

struct ParsedWords {
  Asked asked = Asked::Run;
  std::vector<std::string> operands;  // in order; "-" among them
  std::string complaint;              // not empty: the command line is wrong, and this says why
};

// Reads `words` (the words after the command) against `rows`, handing each option's value to
// `take(row, value)`, which answers as Option::take does. Stops at the first complaint, and
// at --help or --version.
using TakeValue = std::function<std::string(std::size_t row, std::string_view value)>;
ParsedWords ParseWords(std::span<const OptionShape> rows, const std::vector<std::string>& words,
                       const TakeValue& take);

template <typename Request, std::size_t N>
ParsedWords ParseOptions(const Option<Request> (&table)[N], const std::vector<std::string>& words,
                         Request& request) {
  return ParseWords(Shapes(table), words, [&](std::size_t row, std::string_view value) {
    return table[row].take(request, value);
  });
}

// What a command's help says besides its options.
struct CommandHelp {
  std::string_view command;   // "expand"
  std::string_view operands;  // "[LINE|-]..."
  std::string_view summary;   // after the usage line, wrapped; "\n" starts a paragraph
  std::string_view notes;     // after the options, as written (examples); fits kHelpWidth
};

// "usage: cardo-cli COMMAND [--name VALUE]... OPERANDS", continued on lines 9 columns in.
std::string UsageText(const CommandHelp& help, std::span<const OptionShape> rows);
// The usage, the summary, every option with its help (--help and --version too), the notes.
std::string HelpText(const CommandHelp& help, std::span<const OptionShape> rows);
// `text` wrapped to kHelpWidth, each line `indent` columns in ("\n" starts a paragraph; one
// set in by spaces is an item, its later lines two columns further in); the first line's
// indent is written by the caller when `started` (an option's name stands before it).
std::string Wrapped(std::string_view text, std::size_t indent, bool started = false);
// "cardo-cli 3.00": the version resource's text.
std::string VersionText();

// Answers what the words asked besides a run: a complaint (on `err`, status 2), the help or the
// version (on `out` in `form`, status 0, or 1 when that write failed). Nothing for a run.
std::optional<int> Answered(const ParsedWords& parsed, const CommandHelp& help,
                            std::span<const OptionShape> rows, std::FILE* out, std::FILE* err,
                            OutputForm form);

}  // namespace cardo::cli
