#include "cli/expand_command.h"

#include <cstring>
#include <new>
#include <optional>

#include "app/platform/codec.h"
#include "app/platform/text.h"
#include "cli/cli_io.h"
#include "fnc/extended_pattern.h"

namespace cardo::cli {
namespace {

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

int Bad(std::FILE* err, const std::string& what) {
  Say(err, "cardo-cli expand: %s (see cardo-cli expand --help)\n", what.c_str());
  return 2;
}

}  // namespace

const char* PatternMessage(fnc::PatternCode code) {
  switch (code) {
    case fnc::kNoOpenBracket:
      return "文字列内に[が見つかりません。";
    case fnc::kNoCloseBracket:
      return "文字列内の[以降に]が見つかりません。";
    case fnc::kNoSeparator:
      return "文字列の[]内に「-」が見つかりません。";
    case fnc::kEmptyBound:
    case fnc::kBadBound:
      return "[]内の構文が不正です。";
    case fnc::kPatternOk:
      break;
  }
  return "";
}

std::string ExtendedFailureText(std::string_view line, const fnc::PatternError& error,
                                fnc::LeadByteTest isLead) {
  return std::to_string(fnc::CharacterColumn(line, error.offset, isLead)) +
         " 文字目: " + fnc::PatternErrorText(error);
}

int RunExpand(const std::vector<std::string>& args, std::FILE* in, std::FILE* out, std::FILE* err,
              OutputForm form) {
  std::vector<std::string_view> lines;
  std::optional<OutputEncoding> asked;
  // Standard input's encoding: forced, or decided by the first bytes beyond ASCII.
  std::optional<OutputEncoding> input;
  bool extended = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--extended") {
      extended = true;
    } else if (a == "--output-encoding" || a == "--input-encoding") {
      if (i + 1 >= args.size()) return Bad(err, a + " needs a value");
      const auto named = OutputEncodingNamed(args[++i]);
      if (!named) return Bad(err, a + " is utf-8 or cp932");
      (a == "--input-encoding" ? input : asked) = named;
    } else if (a.rfind("--", 0) == 0) {
      return Bad(err, "unknown option " + a);
    } else {
      lines.push_back(a);
    }
  }
  TextWriter writer(out, WithEncoding(form, asked));
  int status = 0;
  // Arguments are UTF-8 (cardo-cli.exe converts its Unicode ones), where no ASCII byte occurs
  // inside a multi-byte character; code page 932 has lead bytes to skip.
  auto expandOne = [&](std::string_view line, bool cp932) {
    if (line.empty()) return;  // blank pieces are skipped, as the expansion window skips them
    const auto isLead = cp932 ? fnc::Cp932LeadByte : fnc::NoLeadBytes;
    const auto utf8 = [cp932](std::string_view text) {
      return cp932 && !IsAscii(text) ? Utf16ToUtf8(AnsiToWide(text)) : std::string(text);
    };
    const auto emit = [&](std::string_view produced) {
      return cp932 ? writer.Line(utf8(produced)) : writer.Line(produced);
    };
    // Everything produced so far goes out before a message, so a shared stream keeps the order.
    const auto refuse = [&](const std::string& reason) {
      writer.Flush();
      std::fflush(out);
      const std::string shown = utf8(line);
      Say(err, "%.*s - %s\n", static_cast<int>(shown.size()), shown.data(), reason.c_str());
      status = 1;
    };
    if (extended) {
      const auto parsed = fnc::ExtendedExpansion::Parse(line, isLead);
      if (const auto* error = std::get_if<fnc::PatternError>(&parsed)) {
        refuse(ExtendedFailureText(line, *error, isLead));
        return;
      }
      std::get<fnc::ExtendedExpansion>(parsed).ForEachLine(emit);
      return;
    }
    const auto expansion = fnc::Expansion::Parse(line, isLead);
    if (!expansion) {
      const auto code = fnc::CheckPattern(line, isLead);
      refuse(std::string(PatternMessage(code)) + " (" + std::to_string(code) + ")");
      return;
    }
    expansion->ForEachLine(emit);
  };

  bool readFailed = false;
  try {
    if (lines.empty()) {
      // Read as bytes: a NUL is part of its line, not its end.
      std::string line;
      readFailed = !ReadChunks(in, "standard input", "expand", err, [&](std::string_view rest) {
        if (!input) {
          const Utf8Shape shape = ScanUtf8(rest, true);
          if (!shape.valid) input = OutputEncoding::Cp932;
          if (shape.valid && shape.multibyte) input = OutputEncoding::Utf8;
        }
        const bool cp932 = input == OutputEncoding::Cp932;
        for (std::size_t end;
             (end = rest.find('\n')) != std::string_view::npos && !writer.failed();) {
          line.append(rest.substr(0, end + 1));
          expandOne(Chomp(line), cp932);
          line.clear();
          rest.remove_prefix(end + 1);
        }
        line.append(rest);
        return !writer.failed();
      });
      if (!line.empty() && !writer.failed()) {
        expandOne(Chomp(line), input == OutputEncoding::Cp932);
      }
    } else {
      for (const auto& line : lines) {
        expandOne(line, false);
        if (writer.failed()) break;
      }
    }
  } catch (const std::bad_alloc&) {
    if (!writer.Finish("expand", err)) return 1;
    ReportOutOfMemory("expand", err);
    return 1;
  }
  if (!writer.Finish("expand", err)) return 1;
  return readFailed ? 1 : status;
}

}  // namespace cardo::cli
