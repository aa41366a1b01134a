#include "cli/export_command.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>

#include "app/export/aria2_rpc.h"
#include "app/export/export.h"
#include "app/list/list_text.h"
#include "app/list/messages.h"
#include "app/net/http_post.h"
#include "app/platform/codec.h"
#include "app/platform/file_system.h"
#include "app/platform/text.h"
#include "app/resources/version.h"
#include "cli/cli_io.h"
#include "cli/messages.h"
#include "cli/options.h"

namespace cardo::cli {
namespace {

struct ExportRequest {
  const ExportFormatRow* format = nullptr;
  std::optional<std::string> out, watchFolder, rpc, secret;
  std::optional<OutputEncoding> output;
  std::optional<ListEncoding> forced;
  ExportOptions options;
  std::optional<RefererRule> referer;
};

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

// The rows' names joined by ", ", and their help, one paragraph each.
template <std::size_t N>
std::string RuleNames(const RuleRow (&rows)[N]) {
  std::string names;
  for (const RuleRow& row : rows) names += (names.empty() ? "" : ", ") + std::string(row.cliName);
  return names;
}
template <std::size_t N>
std::string RuleHelp(const RuleRow (&rows)[N]) {
  std::string help;
  for (const RuleRow& row : rows)
    help += "  " + std::string(row.cliName) + ": " + row.cliHelp + "\n";
  return help;
}
template <std::size_t N>
std::optional<int> RuleNamed(const RuleRow (&rows)[N], std::string_view name) {
  for (std::size_t i = 0; i < N; ++i) {
    if (name == rows[i].cliName) return static_cast<int>(i);
  }
  return std::nullopt;
}

std::string FormatNames() {
  std::string names;
  for (const ExportFormatRow& row : kExportFormats) {
    names += (names.empty() ? "" : ", ") + std::string(row.cliName);
  }
  return names;
}

std::string FormatHelp() {
  std::string help;
  for (const ExportFormatRow& row : kExportFormats) {
    help += "  " + std::string(row.cliName) + ": " + Utf16ToUtf8(row.fileName) + ", " +
            row.cliHelp + "\n";
  }
  return help;
}

std::string TakeFormat(ExportRequest& r, std::string_view v) {
  const auto row = std::find_if(std::begin(kExportFormats), std::end(kExportFormats),
                                [&](const ExportFormatRow& f) { return v == f.cliName; });
  if (row == std::end(kExportFormats)) return OneOf("--format", FormatNames());
  r.format = row;
  return {};
}

std::string TakeInputEncoding(ExportRequest& r, std::string_view v) {
  if (v != "auto" && v != "utf-8" && v != "cp932") {
    return OneOf("--input-encoding", "auto, cp932, utf-8");
  }
  r.forced = v == "auto"    ? std::nullopt
             : v == "utf-8" ? std::optional(ListEncoding::Utf8)
                            : std::optional(ListEncoding::Cp932);
  return {};
}

constexpr Phrase kFolderControl{"--folder holds a control character (a line break among them)",
                                "--folder に制御文字(改行など)が含まれています"};

std::string TakeFolder(ExportRequest& r, std::string_view v) {
  r.options.folder = Utf8ToUtf16(v);
  return IsWritableFolder(r.options.folder) ? std::string() : Text(kFolderControl);
}

template <auto Field>
std::string TakeText(ExportRequest& r, std::string_view v) {
  r.*Field = std::string(v);
  return {};
}

constexpr Option<ExportRequest> kOptions[] = {
    {"--format", Takes::Value, "FORMAT", "the file to write, one of:", TakeFormat, FormatHelp},
    {"--out", Takes::Value, "FILE|-",
     "write the file itself to FILE (\"-\": standard output), byte for byte what the program "
     "writes: its format's encoding with CR LF, whatever --output-encoding says. Without it, "
     "standard output gets the same text as lines in the output's form",
     TakeText<&ExportRequest::out>},
    {"--input-encoding", Takes::Value, "auto|cp932|utf-8",
     "the encoding of LIST, as the program reads a list file: auto (default) takes a UTF-8 or "
     "UTF-16 byte order mark, else UTF-8 when the file is valid UTF-8 holding non-ASCII "
     "(standard input, read as it comes: when its first line beyond ASCII is), else cp932; "
     "cp932 or utf-8 force one (a UTF-8 byte order mark is dropped)",
     TakeInputEncoding},
    kOutputEncodingOption<ExportRequest>,
    {"--referer", Takes::Value, "RULE",
     "the Referer each request sends (crawljob and meta4 have none: their formats hold no "
     "Referer, and none is written); only the program knows where a link was found, so page "
     "gives each URL of a list file its folder here:",
     [](ExportRequest& r, std::string_view v) {
       const auto rule = RuleNamed(kRefererRules, v);
       if (!rule) return OneOf("--referer", RuleNames(kRefererRules));
       r.referer = ToRefererRule(*rule);
       return std::string();
     },
     [] { return RuleHelp(kRefererRules); }},
    {"--referer-url", Takes::Value, "ADDRESS",
     "the fixed Referer (and --referer fixed when none is given)",
     [](ExportRequest& r, std::string_view v) {
       r.options.fixedReferer = Utf8ToUtf16(v);
       return std::string();
     }},
    {"--names", Takes::Value, "RULE", "the file each URL is saved to:",
     [](ExportRequest& r, std::string_view v) {
       const auto rule = RuleNamed(kNameRules, v);
       if (!rule) return OneOf("--names", RuleNames(kNameRules));
       r.options.names = ToNameRule(*rule);
       return std::string();
     },
     [] { return RuleHelp(kNameRules); }},
    {"--digits", Takes::Value, "N", "the numbered names' least digits, 1 to 9 (default 3)",
     [](ExportRequest& r, std::string_view v) {
       if (v.size() != 1 || v[0] < '1' || v[0] > '0' + kMaxNumberWidth) {
         return WholeNumber("--digits", 1, kMaxNumberWidth);
       }
       r.options.numberWidth = v[0] - '0';
       return std::string();
     }},
    {"--folder", Takes::Value, "DIR",
     "the download folder the file names (aria2 dir=, curl output-dir, the job's "
     "downloadFolder); empty (default) leaves it to the tool",
     TakeFolder},
    {"--watch-folder", Takes::Value, "DIR",
     "with --format crawljob (not with --out): the job goes into JDownloader's watch folder "
     "DIR as the first of cardo.crawljob, cardo-2.crawljob ... that DIR does not hold, so a "
     "job the watcher has not taken yet stays; its path is written on standard output",
     TakeText<&ExportRequest::watchFolder>},
    {"--rpc", Takes::AddressIfGiven, "ADDRESS",
     "with --format aria2 (not with --out): no file; the URLs go to a running aria2 over its "
     "JSON-RPC interface (aria2.addUri with the dir, out and referer above), at ADDRESS when "
     "the next word holds \"://\", else at the default below; prints how many aria2 "
     "accepted and refused (exit status 1 unless it took them all). Straight to ADDRESS, "
     "never through a proxy, and a redirect is a failure: the token and the URLs go nowhere "
     "else:",
     [](ExportRequest& r, std::string_view v) {
       r.rpc = v.empty() ? Utf16ToUtf8(kDefaultRpcAddress) : std::string(v);
       return std::string();
     },
     [] { return "  " + Utf16ToUtf8(kDefaultRpcAddress); }},
    {"--rpc-secret", Takes::Value, "TOKEN", "aria2's --rpc-secret, sent as \"token:TOKEN\"",
     TakeText<&ExportRequest::secret>},
};

constexpr CommandHelp kHelp{
    "export", "LIST|-",
    "Writes the import file a download manager reads for the list file LIST (\"-\": standard "
    "input), read as the program reads a list file. plain, aria2, curl, crawljob and meta4 "
    "are written as the list is decoded, in memory bounded for a list of any length.\n"
    "Their files are ASCII (a --folder beyond it as UTF-8): each URL as a browser sends it, "
    "trimmed of surrounding blanks (blank lines left out), TABs and line breaks dropped, "
    "scheme and host in lower case, a host beyond ASCII as its A-label (xn--...; kept as it "
    "was when it is no valid internationalized name), every byte outside printable ASCII "
    "percent-encoded from its UTF-8 form. The tools fetch only http, https, ftp (and ftps "
    "with curl), other lines are comments, and each URL gets a file of its own (cover.jpg, "
    "cover.1.jpg ...). reget and iria keep the host as the list has it and lose characters "
    "code page 932 cannot hold (a warning says so).\n"
    "The curl file follows redirects (location, proto-redir) and fails an HTTP error without "
    "keeping its page (fail, remove-on-error); curl exits with the status of its last URL. "
    "Where the Referer changes from URL to URL the file has parts joined by \"next\", and curl "
    "gives the options of its command line to one part only (those after -K FILE to the "
    "last): options for every URL go into the file, on a line after each \"next\" (proxy = "
    "\"http://p:8080\"); the program writes those of its argument template there itself.\n"
    "What aria2, curl, crawljob and meta4 files say of each URL is set by --referer, "
    "--names, --digits and --folder (the preferences' defaults are the first of each).",
    "  Example: start aria2 with\n"
    "    aria2c --enable-rpc --rpc-secret=s3cret --dir=/dl\n"
    "  then\n"
    "    cardo-cli export --format aria2 --rpc --rpc-secret s3cret list.txt\n"
    "  prints\n"
    "    12 accepted by aria2 at http://localhost:6800/jsonrpc\n"
    "  Example: --format aria2 --referer folder --names numbered --folder /dl\n"
    "  writes\n"
    "    http://h/a/b.jpg\n"
    "     dir=/dl\n"
    "     out=001.jpg\n"
    "     referer=http://h/a/\n"};

constexpr Phrase kNoReferer{"the {1} format holds no Referer: none is written",
                            "{1} 形式には Referer がないため、書き出しません"};
constexpr Phrase kFixedNeedsUrl{"--referer fixed needs --referer-url",
                                "--referer fixed には --referer-url が要ります"};
constexpr Phrase kWatchFolder{
    "--watch-folder takes a folder, with --format crawljob and without --out",
    "--watch-folder にはフォルダを指定し、--format crawljob と一緒に --out なしで使います"};
constexpr Phrase kRpcAlone{
    "--rpc (and --rpc-secret with it) goes with --format aria2, without --out",
    "--rpc(と --rpc-secret)は --format aria2 と一緒に --out なしで使います"};

// Why the words, read, still make no request; empty when they do.
std::string Complaint(ExportRequest& r, const ParsedWords& parsed) {
  if (!r.format) return Text(phrase::kMissing, {"--format"});
  r.options.referer =
      r.referer.value_or(r.options.fixedReferer.empty() ? RefererRule::None : RefererRule::Fixed);
  if (r.options.referer == RefererRule::Fixed && r.options.fixedReferer.empty()) {
    return Text(kFixedNeedsUrl);
  }
  if (parsed.operands.size() != 1) {
    return Text(parsed.operands.empty() ? phrase::kMissing : phrase::kOneOperand, {"LIST"});
  }
  if (r.watchFolder &&
      (r.format->id != ExportFormat::Crawljob || r.out || r.watchFolder->empty())) {
    return Text(kWatchFolder);
  }
  if ((r.rpc || r.secret) && (r.format->id != ExportFormat::Aria2 || r.out || !r.rpc)) {
    return Text(kRpcAlone);
  }
  return {};
}

constexpr Phrase kAria2Unreachable{
    "cannot reach aria2 at {1} (is it running with --enable-rpc?): {2}",
    "{1} の aria2 に接続できません(--enable-rpc で動いていますか?): {2}"};
constexpr Phrase kAria2NoReply{"{1} answered with no aria2 reply ({2})",
                               "{1} の応答は aria2 の応答ではありません({2})"};
constexpr Phrase kAria2Refused{"aria2 refused the request: {1}", "aria2 が要求を拒否しました: {1}"};
constexpr Phrase kAria2Redirected{
    "{1} answered with a redirect, which is not followed (the token and the URLs go to no "
    "other address): {2}",
    "{1} は転送を返しました。転送には従いません(トークンと URL はほかのアドレスへは送りません): "
    "{2}"};
constexpr Phrase kAria2Closed{
    "aria2 at {1} closed the connection without an answer (is a request of up to 1 MiB past "
    "its --rpc-max-request-size?): {2}",
    "{1} の aria2 が応答せずに接続を閉じました(1 MiB までの要求が --rpc-max-request-size "
    "を超えていませんか?): {2}"};
constexpr Phrase kAria2NoAnswer{
    "the answer of aria2 at {1} did not come whole, so which URLs it took is not known: {2}",
    "{1} の aria2 の応答が途中で切れたため、どの URL を受け付けたかわかりません: {2}"};
constexpr Phrase kAria2Nothing{"the list holds no URL aria2 fetches",
                               "リストに aria2 が取得できる URL がありません"};

// The list handed to the aria2 at `address`; 0 when it accepted every URL sent.
int SendList(const std::vector<std::u16string>& lines, const ExportRequest& r, std::FILE* out,
             std::FILE* err, OutputForm form) {
  const std::string& address = *r.rpc;
  const HttpClient client(SystemHttpStack());
  const Aria2Handover handover = SendToAria2(
      lines, r.options, r.secret.value_or(""),
      [&](const std::string& body) { return PostJson(client, Utf8ToUtf16(address), body); });
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
  const bool written = writer.Finish(err);
  const std::string reason = Utf16ToUtf8(handover.reason);
  switch (handover.stopped) {
    case Aria2Handover::Stop::None:
      if (handover.accepted == 0 && handover.refused == 0) Say(err, kAria2Nothing);
      break;
    case Aria2Handover::Stop::NotConnected:
      Say(err, kAria2Unreachable, {address, reason});
      break;
    case Aria2Handover::Stop::Redirected:
      Say(err, kAria2Redirected, {address, reason});
      break;
    case Aria2Handover::Stop::Closed:
      Say(err, kAria2Closed, {address, reason});
      break;
    case Aria2Handover::Stop::NoAnswer:
      Say(err, kAria2NoAnswer, {address, reason});
      break;
    case Aria2Handover::Stop::BadAnswer:
      Say(err, kAria2NoReply, {address, reason});
      break;
    case Aria2Handover::Stop::Refused:
      Say(err, kAria2Refused, {reason});
      break;
  }
  return written && handover.Succeeded() ? 0 : 1;
}

constexpr Phrase kUndecodable{
    "{1} line(s) of {2} hold bytes that are no characters of its encoding (the first: line "
    "{3}); they are exported as read",
    "{2} の {1} 行に、その符号化の文字でないバイトがあります(最初は {3} "
    "行目)。読み取ったとおりに書き出します"};

void SayUndecodable(const ListFileLines& read, const std::string& name, std::FILE* err) {
  // As the program says when it opens such a file: the lines are not what the file holds.
  if (read.undecodableLines == 0) return;
  Say(err, kUndecodable,
      {std::to_string(read.undecodableLines), name, std::to_string(read.firstUndecodable)});
}

// Where the export's text goes: the file as it is (--out), or lines on standard output.
class ExportOutput {
 public:
  // False after the line on `err` saying why the file --out names cannot be made.
  bool Open(const ExportRequest& r, std::FILE* out, std::FILE* err, OutputForm form) {
    if (!r.out) {
      writer_.emplace(out, WithEncoding(form, r.output));
      return true;
    }
    file_ = OpenOutput(*r.out, out, err);
    if (!file_) return false;
    asLines_ = false;
    close_ = file_ != out;
    name_ = close_ ? *r.out : Text(phrase::kStandardOutput);
    writer_.emplace(file_, OutputForm{.flushLines = !close_ && form.flushLines});
    return true;
  }
  bool Put(std::string_view crlfText) {
    return writer_->Write(asLines_ ? AsLines(crlfText) : std::string(crlfText));
  }
  bool Finish(std::FILE* err) {
    if (asLines_) return writer_->Finish(err);
    writer_->Flush();
    return FinishOutput(file_, close_, name_, err);
  }

 private:
  std::optional<TextWriter> writer_;
  std::FILE* file_ = nullptr;
  bool asLines_ = true, close_ = false;
  std::string name_;
};

// The lines of `input` from where it stands, each handed to `take` as it is decoded; nothing
// after the line of a failed read.
std::optional<ListFileLines> ReadLines(const Input& input, std::optional<ListEncoding> forced,
                                       std::FILE* err, const ListLineSink& take) {
  ListTextReader reader(forced, take);
  if (!ReadChunks(input, err, false, [&](std::string_view chunk) { return reader.Feed(chunk); })) {
    return std::nullopt;
  }
  return reader.Finish();
}

using ListPass = std::function<std::optional<ListFileLines>(const ListLineSink& take)>;

// The passes over the list an export makes, the list never held when it can be read again: a
// file is read once to judge its encoding as a whole (unless forced or marked), then from its
// start for each pass. Standard input is read as it comes, its first line beyond ASCII
// deciding (list_text.h); it is held only when a naming rule needs two passes.
std::optional<ListPass> ListPasses(const ExportRequest& r, const Input& input, bool twice,
                                   std::FILE* err) {
  if (!input.rereadable()) {
    if (!twice) {
      return [&r, &input, err](const ListLineSink& take) {
        return ReadLines(input, r.forced, err, take);
      };
    }
    std::optional<std::string> bytes = ReadAll(input, err);
    if (!bytes) return std::nullopt;
    auto held = std::make_shared<const std::string>(std::move(*bytes));
    return [&r, held](const ListLineSink& take) -> std::optional<ListFileLines> {
      return ForEachListLine(*held, r.forced, take);
    };
  }
  std::optional<ListEncoding> forced = r.forced;
  if (!forced) {
    ListEncodingJudge judge;
    if (!ReadChunks(input, err, false, [&](std::string_view chunk) {
          judge.Feed(chunk);
          return true;
        })) {
      return std::nullopt;
    }
    forced = judge.Encoding();
  }
  return [&input, forced, err](const ListLineSink& take) -> std::optional<ListFileLines> {
    if (!input.Rewind()) {
      ReportReadError(input.name(), err);
      return std::nullopt;
    }
    return ReadLines(input, forced, err, take);
  };
}

// plain, aria2, curl, crawljob and meta4: each line written as it is decoded.
std::optional<ListFileLines> WriteAsRead(const ExportRequest& r, const Input& input,
                                         ExportOutput& output, std::FILE* err) {
  OtherExportWriter writer(r.format->id, r.options);
  const std::optional<ListPass> pass = ListPasses(r, input, writer.NeedsReserve(), err);
  if (!pass) return std::nullopt;
  if (writer.NeedsReserve() && !(*pass)([&](std::u16string_view line, bool) {
        writer.Reserve(line);
        return true;
      })) {
    return std::nullopt;
  }
  output.Put(writer.Begin());
  std::optional<ListFileLines> read =
      (*pass)([&](std::u16string_view line, bool) { return output.Put(writer.Line(line)); });
  if (read) output.Put(writer.End());
  return read;
}

// reget and iria: the whole text, in code page 932 for a file.
std::string WholeText(const ExportRequest& r, const std::vector<std::u16string>& lines,
                      std::FILE* err) {
  const ExportFormat format = r.format->id;
  const std::u16string text = ExportText(
      format, lines,
      format == ExportFormat::ReGet ? u""
                                    : FormatAppVersion(CARDO_VERSION_MAJOR, CARDO_VERSION_MINOR));
  if (!r.out) return Utf16ToUtf8(text);
  std::string written = WideToAnsi(text);
  if (AnsiToWide(written) != text) Say(err, Utf16ToUtf8(msg::kNotInCodePage));
  return written;
}

// What needs the whole list: reget and iria, the watch folder's job, the hand-over to aria2.
int ExportWhole(const ExportRequest& r, const ListFileLines& read, std::FILE* out, std::FILE* err,
                OutputForm form) {
  if (r.rpc) return SendList(read.lines, r, out, err, form);
  if (!r.watchFolder) {
    ExportOutput output;
    if (!output.Open(r, out, err, form)) return 1;
    output.Put(WholeText(r, read.lines, err));
    return output.Finish(err) ? 0 : 1;
  }
  const std::string text = OtherExportText(r.format->id, read.lines, r.options);
  const WatchJob job = WriteWatchJob(SystemFileSystem(), Utf8ToUtf16(*r.watchFolder), 1, text);
  if (!job.error.empty()) {
    std::string error = AsLines(Utf16ToUtf8(job.error));
    error.pop_back();
    Say(err, error);
    return 1;
  }
  TextWriter writer(out, WithEncoding(form, r.output));
  writer.Line(Utf16ToUtf8(job.file));
  return writer.Finish(err) ? 0 : 1;
}

}  // namespace

std::string ExportUsage() {
  return UsageText(kHelp, Shapes(kOptions));
}

int RunExport(const std::vector<std::string>& args, std::FILE* in, std::FILE* out, std::FILE* err,
              OutputForm form) {
  ExportRequest r;
  ParsedWords parsed = ParseOptions(kOptions, args, r);
  if (parsed.complaint.empty() && parsed.asked == Asked::Run)
    parsed.complaint = Complaint(r, parsed);
  if (const auto done = Answered(parsed, kHelp, Shapes(kOptions), out, err, form)) return *done;
  if (r.options.referer != RefererRule::None &&
      (r.format->id == ExportFormat::Crawljob || r.format->id == ExportFormat::Meta4)) {
    Say(err, kNoReferer, {r.format->cliName});
  }
  const Input input(parsed.operands.front(), in, err);
  if (!input) return 1;
  const bool whole = r.rpc || r.watchFolder || !IsOtherFormat(r.format->id);
  if (whole) {
    std::optional<std::string> bytes = ReadAll(input, err);
    if (!bytes) return 1;
    const ListFileLines read = DecodeListText(*bytes, r.forced);
    bytes.reset();
    SayUndecodable(read, input.name(), err);
    return ExportWhole(r, read, out, err, form);
  }
  ExportOutput output;
  if (!output.Open(r, out, err, form)) return 1;
  const std::optional<ListFileLines> read = WriteAsRead(r, input, output, err);
  const bool written = output.Finish(err);
  if (read) SayUndecodable(*read, input.name(), err);
  return written && read ? 0 : 1;
}

}  // namespace cardo::cli
