#include "cli/generate_command.h"

#include <cstdlib>
#include <optional>

#include "app/generators/regular_list.h"
#include "app/platform/text.h"
#include "cli/cli_io.h"
#include "cli/messages.h"
#include "cli/options.h"

namespace cardo::cli {
namespace {

struct GenerateRequest {
  RegularListOptions options;
  std::optional<OutputEncoding> output;
};

std::optional<std::int32_t> Number(std::string_view text, std::int32_t low, std::int32_t high) {
  if (text.empty() || text.size() > 6) return std::nullopt;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  const long value = std::strtol(std::string(text).c_str(), nullptr, 10);
  if (value < low || value > high) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

// "r98" -> letter index 0 and number 98.
bool Volume(std::string_view text, int& letter, std::int32_t& number) {
  if (text.size() != 3 || text[0] < 'a' || text[0] > 'z') return false;
  const auto n = Number(text.substr(1), 0, 99);
  if (!n) return false;
  letter = text[0] >= 'r' ? text[0] - 'r' : text[0] - 'a' + 9;
  number = *n;
  return true;
}

template <std::int32_t RegularListOptions::*Field>
std::string TakeBound(GenerateRequest& r, std::string_view v) {
  const auto n = Number(v, 0, 32767);
  if (!n) return WholeNumber(Field == &RegularListOptions::start ? "--start" : "--end", 0, 32767);
  r.options.*Field = *n;
  return {};
}

constexpr Phrase kVolumes{"--volumes takes two volume names such as r98-s01",
                          "--volumes には r98-s01 のように巻の名前を二つ指定します"};

std::string TakeVolumes(GenerateRequest& r, std::string_view v) {
  const auto dash = v.find('-');
  if (dash == std::string_view::npos ||
      !Volume(v.substr(0, dash), r.options.startLetter, r.options.start) ||
      !Volume(v.substr(dash + 1), r.options.endLetter, r.options.end)) {
    return Text(kVolumes);
  }
  r.options.winRar = true;
  return {};
}

constexpr Option<GenerateRequest> kOptions[] = {
    {"--start", Takes::Value, "N", "the first number, 0-32767 (default 0)",
     TakeBound<&RegularListOptions::start>},
    {"--end", Takes::Value, "N",
     "the last number, 0-32767 (default 0); nothing when the start is past it",
     TakeBound<&RegularListOptions::end>},
    {"--step", Takes::Value, "N", "every N-th number (or volume), 1-32767 (default 1)",
     [](GenerateRequest& r, std::string_view v) {
       // Any number is taken, so that a bad step gets the generator's own message.
       const auto n = Number(v, 0, 999999);
       if (!n) return WholeNumber("--step", 0, 999999);
       r.options.step = *n;
       return std::string();
     }},
    {"--pad", Takes::Value, "WIDTH", "zero-pad the number to WIDTH digits",
     [](GenerateRequest& r, std::string_view v) {
       const auto n = Number(v, 1, 32767);
       if (!n) return WholeNumber("--pad", 1, 32767);
       r.options.pad = true;
       r.options.padWidth = *n;
       return std::string();
     }},
    {"--ext", Takes::Value, "E", "with --mode filename: \".E\" after the number",
     [](GenerateRequest& r, std::string_view v) {
       r.options.extension = Utf8ToUtf16(v);
       return std::string();
     }},
    {"--mode", Takes::Value, "extension|filename",
     "extension: the number is the extension, BASE.1, BASE.2 ... (default); filename: the "
     "number follows BASE, then \".E\" when --ext is given",
     [](GenerateRequest& r, std::string_view v) {
       if (v != "extension" && v != "filename") return OneOf("--mode", "extension, filename");
       r.options.numberInFileName = v == "filename";
       return std::string();
     }},
    {"--volumes", Takes::Value, "A-B",
     "WinRAR volume names from A to B (a letter and two digits each, letters in the order "
     "r..z, a..q, as r98-s01); --start and --end are not used",
     TakeVolumes},
    {"--with-rar",
     Takes::Nothing,
     {},
     "with --volumes, one more name ending in \"rar\"",
     [](GenerateRequest& r, std::string_view) {
       r.options.withRar = true;
       return std::string();
     }},
    kOutputEncodingOption<GenerateRequest>,
};

constexpr CommandHelp kHelp{
    "generate", "BASE", "Prints the regular list generator's names for BASE, one per line.", ""};

}  // namespace

std::string GenerateUsage() {
  return UsageText(kHelp, Shapes(kOptions));
}

int RunGenerate(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
                OutputForm form) {
  GenerateRequest request;
  ParsedWords parsed = ParseOptions(kOptions, args, request);
  if (parsed.complaint.empty() && parsed.asked == Asked::Run) {
    if (parsed.operands.size() != 1) {
      parsed.complaint =
          Text(parsed.operands.empty() ? phrase::kMissing : phrase::kOneOperand, {"BASE"});
    } else if (request.options.withRar && !request.options.winRar) {
      parsed.complaint = Text(phrase::kGoesWith, {"--with-rar", "--volumes"});
    }
  }
  if (const auto done = Answered(parsed, kHelp, Shapes(kOptions), out, err, form)) return *done;
  RegularListOptions& options = request.options;
  options.base = Utf8ToUtf16(parsed.operands.front());
  if (const auto error = CheckRegularList(options); error != RegularListError::None) {
    Say(err, Utf16ToUtf8(RegularListMessage(error)));
    return 1;
  }
  TextWriter writer(out, WithEncoding(form, request.output));
  GenerateRegularList(options,
                      [&](const std::u16string& name) { return writer.Line(Utf16ToUtf8(name)); });
  return writer.Finish(err) ? 0 : 1;
}

}  // namespace cardo::cli
