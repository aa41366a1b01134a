#include "cli/export_command.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "app/export/export.h"
#include "app/list/list_file.h"
#include "app/list/messages.h"
#include "app/platform/codec.h"
#include "app/platform/text.h"
#include "app/resources/version.h"
#include "cli/cli_io.h"

namespace cardo::cli {
namespace {

std::string Usage() {
  std::string names;
  std::string formats;
  for (const ExportFormatRow& row : kExportFormats) {
    names += (names.empty() ? "" : "|") + std::string(row.cliName);
    std::string name = row.cliName;
    name.resize(std::max<std::size_t>(name.size(), 8), ' ');
    formats += "  --format " + name + Utf16ToUtf8(row.fileName) + ": " + row.cliHelp + "\n";
  }
  return "usage: cardo-cli export --format " + names +
         " [--out FILE]\n"
         "         [--input-encoding cp932|utf-8] LIST\n"
         "  Writes the import file a download manager reads for the list file LIST, byte for\n"
         "  byte what the program writes:\n" +
         formats +
         "  --out FILE       write to FILE instead of standard output\n"
         "  --input-encoding the encoding of LIST: cp932 (default) or utf-8 (a byte order\n"
         "                   mark is dropped)\n"
         "  plain, aria2 and curl files are pure ASCII: each URL as a browser sends it, trimmed\n"
         "  of surrounding blanks (blank lines left out), TABs and line breaks dropped, scheme\n"
         "  and host in lower case, every byte outside printable ASCII percent-encoded from its\n"
         "  UTF-8 form. aria2 and curl fetch only http, https, ftp (and ftps with curl), other\n"
         "  lines are comments, and each URL gets a file of its own (cover.jpg, cover.1.jpg ...).\n"
         "  reget and iria lose characters code page 932 cannot hold (a warning says so).\n";
}

int Bad(std::FILE* err, const std::string& what) {
  std::fprintf(err, "cardo-cli export: %s (see cardo-cli export --help)\n", what.c_str());
  return 2;
}

}  // namespace

int RunExport(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
  std::optional<std::string> format, outFile, list;
  bool utf8 = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      std::fputs(Usage().c_str(), out);
      return 0;
    }
    if (a == "--format" || a == "--out" || a == "--input-encoding") {
      if (i + 1 >= args.size()) return Bad(err, a + " needs a value");
      const std::string& v = args[++i];
      if (a == "--format") {
        format = v;
      } else if (a == "--out") {
        outFile = v;
      } else if (v == "utf-8" || v == "cp932") {
        utf8 = v == "utf-8";
      } else {
        return Bad(err, "--input-encoding is cp932 or utf-8");
      }
      continue;
    }
    if (a.size() > 1 && a[0] == '-') return Bad(err, "unknown option " + a);
    if (list) return Bad(err, "one LIST only");
    list = a;
  }
  if (!format) return Bad(err, "--format is missing");
  if (!list) return Bad(err, "LIST is missing");
  const auto row = std::find_if(std::begin(kExportFormats), std::end(kExportFormats),
                                [&](const ExportFormatRow& r) { return *format == r.cliName; });
  if (row == std::end(kExportFormats)) return Bad(err, "unknown format " + *format);

  const auto bytes = ReadInput(*list, "export", err);
  if (!bytes) return 1;
  const auto lines = SplitListText(utf8 ? Utf8ToUtf16(*bytes) : AnsiToWide(*bytes));
  std::string written;
  if (IsOtherFormat(row->id)) {
    written = OtherExportText(row->id, lines);
  } else {
    const std::u16string text =
        ExportText(row->id, lines,
                   row->id == ExportFormat::ReGet
                       ? u""
                       : FormatAppVersion(CARDO_VERSION_MAJOR, CARDO_VERSION_MINOR));
    written = WideToAnsi(text);
    if (AnsiToWide(written) != text) {
      std::fprintf(err, "cardo-cli export: %s\n", Utf16ToUtf8(msg::kNotInCodePage).c_str());
    }
  }
  std::FILE* to = out;
  if (outFile) to = std::fopen(outFile->c_str(), "wb");
  if (!to) {
    std::fprintf(err, "cardo-cli export: cannot write %s: %s\n", outFile->c_str(),
                 std::strerror(errno));
    return 1;
  }
  std::fwrite(written.data(), 1, written.size(), to);
  return FinishOutput(to, outFile.has_value(), outFile.value_or("standard output"), "export", err)
             ? 0
             : 1;
}

}  // namespace cardo::cli
