#include "cli/export_command.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>

#include "app/export/aria2_rpc.h"
#include "app/export/export.h"
#include "app/list/list_file.h"
#include "app/list/messages.h"
#include "app/platform/codec.h"
#include "app/platform/file_system.h"
#include "app/platform/text.h"
#include "app/resources/version.h"
#include "cli/cli_io.h"
#include "app/net/http_post.h"

namespace cardo::cli {
namespace {

// The export's text as UTF-8 lines, each ending with LF, for standard output.
std::string AsLines(std::string_view crlfText) {
  std::string lines;
  lines.reserve(crlfText.size());
  for (std::size_t i = 0; i < crlfText.size(); ++i) {
    if (crlfText[i] == '\r' && i + 1 < crlfText.size() && crlfText[i + 1] == '\n') continue;
    lines += crlfText[i];
  }
  if (!lines.empty() && lines.back() != '\n') lines += '\n';
  return lines;
}

// The rows' names joined by "|", and their help lines.
template <std::size_t N>
std::string RuleNames(const RuleRow (&rows)[N]) {
  std::string names;
  for (const RuleRow& row : rows) names += (names.empty() ? "" : "|") + std::string(row.cliName);
  return names;
}
template <std::size_t N>
std::string RuleHelp(const RuleRow (&rows)[N], const std::string& option) {
  std::string help;
  for (const RuleRow& row : rows) {
    std::string name = row.cliName;
    name.resize(std::max<std::size_t>(name.size(), 9), ' ');
    help += "    " + option + " " + name + row.cliHelp + "\n";
  }
  return help;
}
template <std::size_t N>
std::optional<int> RuleNamed(const RuleRow (&rows)[N], const std::string& name) {
  for (std::size_t i = 0; i < N; ++i) {
    if (name == rows[i].cliName) return static_cast<int>(i);
  }
  return std::nullopt;
}

std::string Usage() {
  std::string names;
  std::string formats;
  for (const ExportFormatRow& row : kExportFormats) {
    names += (names.empty() ? "" : "|") + std::string(row.cliName);
    std::string name = row.cliName;
    name.resize(std::max<std::size_t>(name.size(), 9), ' ');
    formats += "  --format " + name + Utf16ToUtf8(row.fileName) + ": " + row.cliHelp + "\n";
  }
  return "usage: cardo-cli export --format " + names +
         " [--out FILE]\n"
         "         [--input-encoding auto|cp932|utf-8] [--output-encoding utf-8|cp932]\n"
         "         [--referer " +
         RuleNames(kRefererRules) +
         "] [--referer-url ADDRESS]\n"
         "         [--names " +
         RuleNames(kNameRules) +
         "] [--digits N] [--folder DIR]\n"
         "         [--watch-folder DIR] [--rpc [ADDRESS] [--rpc-secret TOKEN]] LIST\n"
         "  Writes the import file a download manager reads for the list file LIST (\"-\" reads\n"
         "  standard input; with --out, byte for byte what the program writes):\n" +
         formats +
         "  --out FILE       write the file itself to FILE, in its format's encoding with CR LF\n"
         "                   whatever --output-encoding says; on standard output the same text\n"
         "                   is lines in the output's form:\n" +
         kOutputEncodingHelp +
         "  --input-encoding the encoding of LIST, as the program reads a list file: auto\n"
         "                   (default) takes a UTF-8 or UTF-16 byte order mark, else UTF-8\n"
         "                   when the file is valid UTF-8 holding non-ASCII, else cp932;\n"
         "                   cp932 or utf-8 force one (a UTF-8 byte order mark is dropped)\n"
         "  The other formats' files are ASCII (a --folder beyond it as UTF-8): each URL as a\n"
         "  browser sends it, trimmed of surrounding blanks (blank lines left out), TABs and\n"
         "  line breaks dropped, scheme and host in lower case, a host beyond ASCII as its\n"
         "  A-label (xn--...; kept as it was when it is no valid internationalized name), every\n"
         "  byte outside printable ASCII percent-encoded from its UTF-8 form. The tools fetch\n"
         "  only http, https, ftp (and ftps with curl), other lines are comments, and each URL\n"
         "  gets a file of its own (cover.jpg, cover.1.jpg ...). reget and iria keep the host as\n"
         "  the list has it and lose characters code page 932 cannot hold (a warning says so).\n"
         "  The curl file follows redirects (location, proto-redir) and fails an HTTP error\n"
         "  without keeping its page (fail, remove-on-error); curl exits with the status of its\n"
         "  last URL. Where the Referer changes from URL to URL the file has parts joined by\n"
         "  \"next\", and curl gives the options of its command line to one part only (those\n"
         "  after -K FILE to the last): options for every URL go into the file, on a line after\n"
         "  each \"next\" (proxy = \"http://p:8080\"); the program writes those of its argument\n"
         "  template there itself.\n"
         "  What aria2, curl, crawljob and meta4 files say of each URL (the preferences'\n"
         "  defaults are the first of each):\n"
         "  --referer RULE   the Referer each request sends (crawljob and meta4 have none:\n"
         "                   their formats hold no Referer, and none is written):\n" +
         RuleHelp(kRefererRules, "--referer") +
         "                   (only the program knows where a link was found: a list file\n"
         "                   holds no pages, so page gives each URL its folder here)\n"
         "  --referer-url ADDRESS  the fixed Referer (and --referer fixed when none is given)\n"
         "  --names RULE     the file each URL is saved to:\n" +
         RuleHelp(kNameRules, "--names") +
         "  --digits N       the numbered names' least digits, 1 to 9 (default 3)\n"
         "  --folder DIR     the download folder the file names (aria2 dir=, curl output-dir,\n"
         "                   the job's downloadFolder); empty (default) leaves it to the tool\n"
         "  --watch-folder DIR  with --format crawljob (not with --out): the job goes into\n"
         "                   JDownloader's watch folder DIR as the first of cardo.crawljob,\n"
         "                   cardo-2.crawljob ... that DIR does not hold, so a job the watcher\n"
         "                   has not taken yet stays; its path is written on standard output\n"
         "  --rpc [ADDRESS]  with --format aria2 (not with --out): no file; the URLs go to a\n"
         "                   running aria2 over its JSON-RPC interface (aria2.addUri with the\n"
         "                   dir, out and referer above), at ADDRESS when the next word holds\n"
         "                   \"://\", else at " +
         Utf16ToUtf8(kDefaultRpcAddress) +
         "; prints how many aria2\n"
         "                   accepted and refused (exit status 1 unless it took them all).\n"
         "                   Straight to ADDRESS, never through a proxy, and a redirect is\n"
         "                   a failure: the token and the URLs go nowhere else\n"
         "  --rpc-secret TOKEN  aria2's --rpc-secret, sent as \"token:TOKEN\"\n"
         "  Example: start aria2 with\n"
         "    aria2c --enable-rpc --rpc-secret=s3cret --dir=/dl\n"
         "  then cardo-cli export --format aria2 --rpc --rpc-secret s3cret list.txt prints\n"
         "    12 accepted by aria2 at http://localhost:6800/jsonrpc\n"
         "  Example: --format aria2 --referer folder --names numbered --folder /dl writes\n"
         "    http://h/a/b.jpg\n"
         "     dir=/dl\n"
         "     out=001.jpg\n"
         "     referer=http://h/a/\n";
}

int Bad(std::FILE* err, const std::string& what) {
  Say(err, "cardo-cli export: %s (see cardo-cli export --help)\n", what.c_str());
  return 2;
}

// The list handed to the aria2 at `address`; 0 when it accepted every URL sent.
int SendList(const std::vector<std::u16string>& lines, const ExportOptions& options,
             const std::string& address, const std::string& secret, std::FILE* out, std::FILE* err,
             OutputForm form) {
  const HttpClient client(SystemHttpStack());
  const Aria2Handover handover = SendToAria2(lines, options, secret, [&](const std::string& body) {
    return PostJson(client, Utf8ToUtf16(address), body);
  });
  TextWriter writer(out, form);
  writer.Write(std::to_string(handover.accepted) + " accepted by aria2 at " + address + "\n");
  if (handover.refused > 0) {
    writer.Write(std::to_string(handover.refused) + " refused: " + handover.refusal + "\n");
    for (const RpcRefusal& refusal : handover.refusals) {
      writer.Write("  " + refusal.url +
                   (refusal.message == handover.refusal ? "" : " (" + refusal.message + ")") +
                   "\n");
    }
    if (handover.refused > handover.refusals.size()) {
      writer.Write("  ... and " + std::to_string(handover.refused - handover.refusals.size()) +
                   " more\n");
    }
  }
  if (handover.skipped > 0) {
    writer.Write(std::to_string(handover.skipped) +
                 " skipped (aria2 fetches http, https and ftp only)\n");
  }
  if (handover.unsent > 0) {
    writer.Write(std::to_string(handover.unsent) + " not sent or not known to be accepted\n");
  }
  const bool written = writer.Finish("export", err);
  const std::string reason = Utf16ToUtf8(handover.reason);
  switch (handover.stopped) {
    case Aria2Handover::Stop::None:
      break;
    case Aria2Handover::Stop::NotConnected:
      Say(err,
          "cardo-cli export: cannot reach aria2 at %s (is it running with --enable-rpc?): %s\n",
          address.c_str(), reason.c_str());
      break;
    case Aria2Handover::Stop::Redirected:
      Say(err,
          "cardo-cli export: %s answered with a redirect, which is not followed (the token and "
          "the URLs go to no other address): %s\n",
          address.c_str(), reason.c_str());
      break;
    case Aria2Handover::Stop::Closed:
      Say(err,
          "cardo-cli export: aria2 at %s closed the connection without an answer (is a request "
          "of up to 1 MiB past its --rpc-max-request-size?): %s\n",
          address.c_str(), reason.c_str());
      break;
    case Aria2Handover::Stop::NoAnswer:
      Say(err,
          "cardo-cli export: the answer of aria2 at %s did not come whole, so which URLs it "
          "took is not known: %s\n",
          address.c_str(), reason.c_str());
      break;
    case Aria2Handover::Stop::BadAnswer:
      Say(err, "cardo-cli export: %s answered with no aria2 reply (%s)\n", address.c_str(),
          reason.c_str());
      break;
    case Aria2Handover::Stop::Refused:
      Say(err, "cardo-cli export: aria2 refused the request: %s\n", reason.c_str());
      break;
  }
  if (handover.stopped == Aria2Handover::Stop::None && handover.accepted == 0 &&
      handover.refused == 0) {
    Say(err, "cardo-cli export: the list holds no URL aria2 fetches\n");
  }
  return written && handover.Succeeded() ? 0 : 1;
}

}  // namespace

int RunExport(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
              OutputForm form) {
  std::optional<std::string> format, outFile, list, watchFolder, rpc, secret;
  std::optional<OutputEncoding> asked;
  std::optional<ListEncoding> forced;
  ExportOptions options;
  std::optional<RefererRule> referer;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      TextWriter help(out, form);
      help.Write(Usage());
      return help.Finish("export", err) ? 0 : 1;
    }
    if (a == "--format" || a == "--out" || a == "--input-encoding" || a == "--output-encoding" ||
        a == "--referer" || a == "--referer-url" || a == "--names" || a == "--digits" ||
        a == "--folder" || a == "--watch-folder" || a == "--rpc-secret") {
      if (i + 1 >= args.size()) return Bad(err, a + " needs a value");
      const std::string& v = args[++i];
      if (a == "--referer") {
        const auto rule = RuleNamed(kRefererRules, v);
        if (!rule) return Bad(err, "--referer is " + RuleNames(kRefererRules));
        referer = ToRefererRule(*rule);
      } else if (a == "--referer-url") {
        options.fixedReferer = Utf8ToUtf16(v);
      } else if (a == "--names") {
        const auto rule = RuleNamed(kNameRules, v);
        if (!rule) return Bad(err, "--names is " + RuleNames(kNameRules));
        options.names = ToNameRule(*rule);
      } else if (a == "--digits") {
        if (v.size() != 1 || v[0] < '1' || v[0] > '0' + kMaxNumberWidth) {
          return Bad(err, "--digits is a number from 1 to " + std::to_string(kMaxNumberWidth));
        }
        options.numberWidth = v[0] - '0';
      } else if (a == "--folder") {
        options.folder = Utf8ToUtf16(v);
        if (!IsWritableFolder(options.folder)) {
          return Bad(err, "--folder holds a control character (a line break among them)");
        }
      } else if (a == "--rpc-secret") {
        secret = v;
      } else if (a == "--watch-folder") {
        watchFolder = v;
      } else if (a == "--format") {
        format = v;
      } else if (a == "--output-encoding") {
        asked = OutputEncodingNamed(v);
        if (!asked) return Bad(err, "--output-encoding is utf-8 or cp932");
      } else if (a == "--out") {
        outFile = v;
      } else if (v == "utf-8" || v == "cp932" || v == "auto") {
        forced = v == "auto"    ? std::nullopt
                 : v == "utf-8" ? std::optional(ListEncoding::Utf8)
                                : std::optional(ListEncoding::Cp932);
      } else {
        return Bad(err, "--input-encoding is auto, cp932 or utf-8");
      }
      continue;
    }
    if (a == "--rpc") {
      const bool named = i + 1 < args.size() && args[i + 1].find("://") != std::string::npos;
      rpc = named ? args[++i] : Utf16ToUtf8(kDefaultRpcAddress);
      continue;
    }
    if (a.size() > 1 && a[0] == '-') return Bad(err, "unknown option " + a);  // "-": stdin
    if (list) return Bad(err, "one LIST only");
    list = a;
  }
  if (!format) return Bad(err, "--format is missing");
  options.referer =
      referer.value_or(options.fixedReferer.empty() ? RefererRule::None : RefererRule::Fixed);
  if (options.referer == RefererRule::Fixed && options.fixedReferer.empty()) {
    return Bad(err, "--referer fixed needs --referer-url");
  }
  if (!list) return Bad(err, "LIST is missing");
  const auto row = std::find_if(std::begin(kExportFormats), std::end(kExportFormats),
                                [&](const ExportFormatRow& r) { return *format == r.cliName; });
  if (row == std::end(kExportFormats)) return Bad(err, "unknown format " + *format);
  if (options.referer != RefererRule::None &&
      (row->id == ExportFormat::Crawljob || row->id == ExportFormat::Meta4)) {
    Say(err, "cardo-cli export: the %s format holds no Referer: none is written\n", row->cliName);
  }
  if (watchFolder && (row->id != ExportFormat::Crawljob || outFile || watchFolder->empty())) {
    return Bad(err, "--watch-folder takes a folder, with --format crawljob and without --out");
  }

  if ((rpc || secret) && (row->id != ExportFormat::Aria2 || outFile || !rpc)) {
    return Bad(err, "--rpc (and --rpc-secret with it) goes with --format aria2, without --out");
  }

  std::optional<std::string> bytes;
  if (*list == "-") {
    bytes.emplace();
    if (!ReadChunks(stdin, "standard input", "export", err, [&](std::string_view chunk) {
          bytes->append(chunk);
          return true;
        })) {
      return 1;
    }
  } else {
    bytes = ReadInput(*list, "export", err);
  }
  if (!bytes) return 1;
  const ListFileLines decoded = DecodeListText(*bytes, forced);
  if (decoded.undecodableLines > 0) {
    // As the program says when it opens such a file: the lines are not what the file holds.
    Say(err,
        "cardo-cli export: %lu line(s) of %s hold bytes that are no characters of its encoding "
        "(the first: line %lu); they are exported as read\n",
        static_cast<unsigned long>(decoded.undecodableLines),
        *list == "-" ? "standard input" : list->c_str(),
        static_cast<unsigned long>(decoded.firstUndecodable));
  }
  const auto& lines = decoded.lines;
  if (rpc) return SendList(lines, options, *rpc, secret.value_or(""), out, err, form);
  std::string written;
  if (IsOtherFormat(row->id)) {
    written = OtherExportText(row->id, lines, options);  // ASCII but for the folder's UTF-8
  } else {
    const std::u16string text =
        ExportText(row->id, lines,
                   row->id == ExportFormat::ReGet
                       ? u""
                       : FormatAppVersion(CARDO_VERSION_MAJOR, CARDO_VERSION_MINOR));
    if (!outFile) {
      written = Utf16ToUtf8(text);
    } else {
      written = WideToAnsi(text);
      if (AnsiToWide(written) != text) {
        Say(err, "cardo-cli export: %s\n", Utf16ToUtf8(msg::kNotInCodePage).c_str());
      }
    }
  }
  if (watchFolder) {
    const WatchJob job = WriteWatchJob(SystemFileSystem(), Utf8ToUtf16(*watchFolder), 1, written);
    if (!job.error.empty()) {
      Say(err, "cardo-cli export: %s", AsLines(Utf16ToUtf8(job.error)).c_str());
      return 1;
    }
    TextWriter writer(out, WithEncoding(form, asked));
    writer.Write(Utf16ToUtf8(job.file) + "\n");
    return writer.Finish("export", err) ? 0 : 1;
  }
  if (!outFile) {
    TextWriter writer(out, WithEncoding(form, asked));
    writer.Write(AsLines(written));
    return writer.Finish("export", err) ? 0 : 1;
  }
  std::FILE* to = OpenFile(*outFile, "wb");
  if (!to) {
    Say(err, "cardo-cli export: cannot write %s: %s\n", outFile->c_str(), std::strerror(errno));
    return 1;
  }
  std::fwrite(written.data(), 1, written.size(), to);
  return FinishOutput(to, true, *outFile, "export", err) ? 0 : 1;
}

}  // namespace cardo::cli
