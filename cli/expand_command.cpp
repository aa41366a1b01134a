#include "cli/expand_command.h"

#include <new>
#include <optional>

#include "app/platform/codec.h"
#include "app/platform/text.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "fnc/extended_pattern.h"

namespace cardo::cli {
namespace {

struct ExpandRequest {
  bool extended = false;
  // Standard input's encoding: forced, or decided by the first bytes beyond ASCII.
  std::optional<OutputEncoding> input;
  std::optional<OutputEncoding> output;
};

constexpr Option<ExpandRequest> kOptions[] = {
    {"--extended",
     Takes::Nothing,
     {},
     "the extended syntax: steps [1-100:10], descending runs [10-1], lists [jpg,png], escapes "
     "\\[ \\] \\, \\= \\\\, named counters [y=2020-2024] repeated as [=y] or moving together "
     "when two groups share a name; a fault is reported with its column",
     [](ExpandRequest& r, std::string_view) {
       r.extended = true;
       return std::string();
     }},
    {"--input-encoding", Takes::Value, "cp932|utf-8",
     "standard input's: by default utf-8 when its first bytes beyond ASCII are valid UTF-8, "
     "else cp932",
     [](ExpandRequest& r, std::string_view v) {
       r.input = OutputEncodingNamed(v);
       return r.input ? std::string() : OneOf("--input-encoding", "cp932, utf-8");
     }},
    kOutputEncodingOption<ExpandRequest>,
};

constexpr CommandHelp kHelp{
    "expand", "[LINE|-]...",
    "Expands bracket ranges such as http://host/img[001-120].jpg, one output line per produced "
    "line. With no LINE, or for \"-\", reads the lines of standard input (empty lines are "
    "skipped) and expands each as it arrives. A line without a valid range is reported on "
    "standard error and makes the exit status 1.",
    ""};

constexpr Phrase kRefused{"{1} - {2}", "{1} - {2}"};
constexpr Phrase kColumn{"column {1}: {2}", "{1} 文字目: {2}"};
constexpr Phrase kPatternMessages[] = {
    {"", ""},
    {"no [ in the line", "文字列内に[が見つかりません。"},
    {"no ] after the [", "文字列内の[以降に]が見つかりません。"},
    {"no \"-\" inside the []", "文字列の[]内に「-」が見つかりません。"},
    {"the syntax inside the [] is wrong", "[]内の構文が不正です。"},
};

// Drops the line end (LF, CR LF) that reading left on a line.
std::string_view Chomp(std::string_view line) {
  if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

bool IsAscii(std::string_view bytes) {
  for (char c : bytes) {
    if (c & 0x80) return false;
  }
  return true;
}

// The lines of one run, each expanded and written as it comes.
class Expander {
 public:
  Expander(const ExpandRequest& request, TextWriter& writer, std::FILE* err)
      : request_(request), writer_(writer), err_(err) {}

  // Arguments are UTF-8 (cardo-cli.exe converts its Unicode ones), where no ASCII byte occurs
  // inside a multi-byte character; code page 932 has lead bytes to skip.
  void One(std::string_view line, bool cp932) {
    if (line.empty()) return;  // blank pieces are skipped, as the expansion window skips them
    const auto isLead = cp932 ? fnc::Cp932LeadByte : fnc::NoLeadBytes;
    const auto emit = [&](std::string_view produced) {
      return writer_.Line(cp932 ? Utf8(produced, true) : std::string(produced));
    };
    if (request_.extended) {
      const auto parsed = fnc::ExtendedExpansion::Parse(line, isLead);
      if (const auto* error = std::get_if<fnc::PatternError>(&parsed)) {
        return Refuse(line, cp932, ExtendedFailureText(line, *error, isLead));
      }
      std::get<fnc::ExtendedExpansion>(parsed).ForEachLine(emit);
      return;
    }
    const auto expansion = fnc::Expansion::Parse(line, isLead);
    if (!expansion) {
      const auto code = fnc::CheckPattern(line, isLead);
      return Refuse(line, cp932,
                    std::string(PatternMessage(code)) + " (" + std::to_string(code) + ")");
    }
    expansion->ForEachLine(emit);
  }

  // The lines of `input` as they arrive. False when reading failed.
  bool Read(const Input& input) {
    std::string line;  // read as bytes: a NUL is part of its line, not its end
    std::optional<OutputEncoding>& encoding = request_.input;
    const bool read = ReadChunks(input, err_, true, [&](std::string_view rest) {
      if (!encoding) {
        const Utf8Shape shape = ScanUtf8(rest, true);
        if (!shape.valid) encoding = OutputEncoding::Cp932;
        if (shape.valid && shape.multibyte) encoding = OutputEncoding::Utf8;
      }
      const bool cp932 = encoding == OutputEncoding::Cp932;
      for (std::size_t end;
           (end = rest.find('\n')) != std::string_view::npos && !writer_.failed();) {
        line.append(rest.substr(0, end + 1));
        One(Chomp(line), cp932);
        line.clear();
        rest.remove_prefix(end + 1);
      }
      line.append(rest);
      return !writer_.failed();
    });
    if (!line.empty() && !writer_.failed()) One(Chomp(line), encoding == OutputEncoding::Cp932);
    return read;
  }

  int status() const { return status_; }

 private:
  static std::string Utf8(std::string_view text, bool cp932) {
    return cp932 && !IsAscii(text) ? Utf16ToUtf8(AnsiToWide(text)) : std::string(text);
  }
  // Everything produced so far goes out before a message, so a shared stream keeps the order.
  void Refuse(std::string_view line, bool cp932, const std::string& reason) {
    writer_.Flush();
    Say(err_, kRefused, {Utf8(line, cp932), reason});
    status_ = 1;
  }

  ExpandRequest request_;
  TextWriter& writer_;
  std::FILE* err_;
  int status_ = 0;
};

}  // namespace

const char* PatternMessage(fnc::PatternCode code) {
  const auto index = static_cast<std::size_t>(code == fnc::kBadBound ? fnc::kEmptyBound : code);
  if (index >= std::size(kPatternMessages)) return "";
  const Phrase& phrase = kPatternMessages[index];
  return (CurrentLanguage() == Language::English ? phrase.english : phrase.japanese).data();
}

std::string ExtendedFailureText(std::string_view line, const fnc::PatternError& error,
                                fnc::LeadByteTest isLead) {
  return Text(kColumn, {std::to_string(fnc::CharacterColumn(line, error.offset, isLead)),
                        fnc::PatternErrorText(error)});
}

std::string ExpandUsage() {
  return UsageText(kHelp, Shapes(kOptions));
}

int RunExpand(const std::vector<std::string>& args, std::FILE* in, std::FILE* out, std::FILE* err,
              OutputForm form) {
  ExpandRequest request;
  const ParsedWords parsed = ParseOptions(kOptions, args, request);
  if (const auto done = Answered(parsed, kHelp, Shapes(kOptions), out, err, form)) return *done;
  TextWriter writer(out, WithEncoding(form, request.output));
  Expander expander(request, writer, err);
  const std::vector<std::string> lines =
      parsed.operands.empty() ? std::vector<std::string>{"-"} : parsed.operands;
  bool readFailed = false;
  try {
    for (const std::string& line : lines) {
      if (line != "-") {
        expander.One(line, false);
      } else {
        const Input input(line, in, err);
        readFailed = !expander.Read(input) || readFailed;
      }
      if (writer.failed()) break;
    }
  } catch (const std::bad_alloc&) {
    if (writer.Finish(err)) ReportOutOfMemory(err);
    return 1;
  }
  if (!writer.Finish(err)) return 1;
  return readFailed ? 1 : expander.status();
}

}  // namespace cardo::cli
