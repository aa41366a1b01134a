#include "cli/fetch_command.h"

#include "cli/messages.h"
#include "cli/options.h"
#include "fnc/http_network.h"
#include "fnc/http_output.h"

namespace cardo::cli {
namespace {

constexpr CommandHelp kHelp{
    "fetch", "URL FILE|-",
    "Saves everything an http:// server sends (status line and headers included) to FILE "
    "(\"-\": standard output, as it comes), each LF written as CR LF, as the library's GetHTTP "
    "does; progress on standard error; the exit status is the result code (0: done).",
    ""};

// "-": the response on standard output, each piece as it comes; there is nothing to empty
// first, and the stream stays open for the rest of the command.
class StandardOutput final : public fnc::HttpOutput {
 public:
  explicit StandardOutput(std::FILE* out) : out_(out) {}
  void Truncate() override {}
  bool OpenForAppend() override { return true; }
  bool Append(std::string_view bytes) override {
    return std::fwrite(bytes.data(), 1, bytes.size(), out_) == bytes.size() &&
           std::fflush(out_) == 0;
  }
  bool CloseFile() override { return std::fflush(out_) == 0; }

 private:
  std::FILE* out_;
};

}  // namespace

std::string FetchUsage() {
  return UsageText(kHelp, {});
}

int RunFetch(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
             OutputForm form) {
  // The response goes to FILE as the server sent it: there are no options to choose.
  ParsedWords parsed = ParseWords({}, args, {});
  if (parsed.complaint.empty() && parsed.asked == Asked::Run && parsed.operands.size() != 2) {
    parsed.complaint = Text(parsed.operands.size() < 2 ? phrase::kMissing : phrase::kOneOperand,
                            {parsed.operands.empty() ? "URL" : "FILE"});
  }
  if (const auto done = Answered(parsed, kHelp, {}, out, err, form)) return *done;
  auto network = fnc::MakeSystemNetwork();
  fnc::StdioOutput file(parsed.operands[1], OpenFile);
  StandardOutput standard(out);
  fnc::HttpOutput& output =
      parsed.operands[1] == "-" ? static_cast<fnc::HttpOutput&>(standard) : file;
  return fnc::FetchHttp(parsed.operands[0], *network, output, [err](const std::string& line) {
    Say(err, std::string_view(line).substr(0, line.find_last_not_of("\r\n") + 1));
  });
}

}  // namespace cardo::cli
