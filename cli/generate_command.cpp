#include "cli/generate_command.h"

#include <cstdlib>
#include <optional>

#include "app/generators/regular_list.h"
#include "app/platform/text.h"
#include "cli/cli_io.h"

namespace cardo::cli {
namespace {

constexpr char kUsage[] =
    "usage: cardo-cli generate [--start N] [--end N] [--step N] [--pad WIDTH] [--ext E]\n"
    "         [--mode extension|filename] [--volumes r98-s01] [--with-rar] BASE\n"
    "  Prints the regular list generator's names for BASE, one per line:\n"
    "  --mode extension  the number is the extension: BASE.1, BASE.2 ... (default)\n"
    "  --mode filename   the number follows BASE, then \".E\" when --ext is given\n"
    "  --start, --end    the run, 0-32767 (default 0 and 0); nothing when start > end\n"
    "  --step N          every N-th number (or volume), 1-32767 (default 1)\n"
    "  --pad WIDTH       zero-pad the number to WIDTH digits\n"
    "  --volumes A-B     WinRAR volume names from A to B (a letter and two digits each,\n"
    "                    letters in the order r..z, a..q); --start and --end are not used\n"
    "  --with-rar        with --volumes, one more name ending in \"rar\"\n";

std::string Usage() {
  return std::string(kUsage) + kOutputEncodingHelp;
}

std::optional<std::int32_t> Number(const std::string& text, std::int32_t low, std::int32_t high) {
  if (text.empty() || text.size() > 6) return std::nullopt;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  const long value = std::strtol(text.c_str(), nullptr, 10);
  if (value < low || value > high) return std::nullopt;
  return static_cast<std::int32_t>(value);
}

// "r98" -> letter index 0 and number 98.
bool Volume(const std::string& text, int& letter, std::int32_t& number) {
  if (text.size() != 3 || text[0] < 'a' || text[0] > 'z') return false;
  const auto n = Number(text.substr(1), 0, 99);
  if (!n) return false;
  letter = text[0] >= 'r' ? text[0] - 'r' : text[0] - 'a' + 9;
  number = *n;
  return true;
}

int Bad(std::FILE* err, const std::string& what) {
  Say(err, "cardo-cli generate: %s (see cardo-cli generate --help)\n", what.c_str());
  return 2;
}

}  // namespace

int RunGenerate(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
                OutputForm form) {
  RegularListOptions options;
  std::optional<OutputEncoding> asked;
  std::optional<std::string> base;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      TextWriter help(out, form);
      help.Write(Usage());
      return help.Finish("generate", err) ? 0 : 1;
    }
    if (a == "--with-rar") {
      options.withRar = true;
      continue;
    }
    const bool takesValue = a == "--start" || a == "--end" || a == "--step" || a == "--pad" ||
                            a == "--ext" || a == "--mode" || a == "--volumes" ||
                            a == "--output-encoding";
    if (takesValue) {
      if (i + 1 >= args.size()) return Bad(err, a + " needs a value");
      const std::string& v = args[++i];
      if (a == "--start" || a == "--end") {
        const auto n = Number(v, 0, 32767);
        if (!n) return Bad(err, a + " takes a number from 0 to 32767");
        (a == "--start" ? options.start : options.end) = *n;
      } else if (a == "--step") {
        // Any number is taken, so that a bad step gets the generator's own message.
        const auto n = Number(v, 0, 999999);
        if (!n) return Bad(err, "--step takes a number");
        options.step = *n;
      } else if (a == "--pad") {
        const auto n = Number(v, 1, 32767);
        if (!n) return Bad(err, "--pad takes a width from 1 to 32767");
        options.pad = true;
        options.padWidth = *n;
      } else if (a == "--output-encoding") {
        asked = OutputEncodingNamed(v);
        if (!asked) return Bad(err, "--output-encoding is utf-8 or cp932");
      } else if (a == "--ext") {
        options.extension = Utf8ToUtf16(v);
      } else if (a == "--mode") {
        if (v != "extension" && v != "filename") return Bad(err, "--mode is extension or filename");
        options.numberInFileName = v == "filename";
      } else {
        const auto dash = v.find('-');
        if (dash == std::string::npos ||
            !Volume(v.substr(0, dash), options.startLetter, options.start) ||
            !Volume(v.substr(dash + 1), options.endLetter, options.end)) {
          return Bad(err, "--volumes takes two volume names such as r98-s01");
        }
        options.winRar = true;
      }
      continue;
    }
    if (a.size() > 1 && a[0] == '-' && a[1] == '-') return Bad(err, "unknown option " + a);
    if (base) return Bad(err, "one BASE only");
    base = a;
  }
  if (!base) return Bad(err, "BASE is missing");
  if (options.withRar && !options.winRar) return Bad(err, "--with-rar goes with --volumes");
  options.base = Utf8ToUtf16(*base);
  if (const auto error = CheckRegularList(options); error != RegularListError::None) {
    Say(err, "%s\n", Utf16ToUtf8(RegularListMessage(error)).c_str());
    return 1;
  }
  TextWriter writer(out, WithEncoding(form, asked));
  GenerateRegularList(options,
                      [&](const std::u16string& name) { return writer.Line(Utf16ToUtf8(name)); });
  return writer.Finish("generate", err) ? 0 : 1;
}

}  // namespace cardo::cli
