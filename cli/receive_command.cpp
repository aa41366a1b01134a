#include "cli/receive_command.h"

#include <charconv>
#include <optional>
#include <string_view>

#include "app/platform/text.h"
#include "app/receive/link_server.h"
#include "app/receive/receiver.h"
#include "app/resources/version.h"
#include "cli/messages.h"
#include "cli/options.h"

namespace cardo::cli {

namespace {

struct ReceiveRequest {
  unsigned short port = kDefaultReceiverPort;
  std::string token;
  std::string tokenFile;
  bool withPage = false;
};

constexpr Option<ReceiveRequest> kOptions[] = {
    {"--port", Takes::Value, "N", "the port (default 8765)",
     [](ReceiveRequest& r, std::string_view value) -> std::string {
       unsigned port = 0;
       const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), port);
       if (error != std::errc() || end != value.data() + value.size() || port < 1 || port > 65535) {
         return WholeNumber("--port", 1, 65535);
       }
       r.port = static_cast<unsigned short>(port);
       return {};
     }},
    {"--token", Takes::Value, "T",
     "the token the extension sends (visible to other users in the process list: prefer "
     "--token-file)",
     [](ReceiveRequest& r, std::string_view value) -> std::string {
       r.token = value;
       return value.empty() ? Text(phrase::kNeedsValue, {"--token"}) : "";
     }},
    {"--token-file", Takes::Value, "FILE", "the token is the first line of FILE",
     [](ReceiveRequest& r, std::string_view value) -> std::string {
       r.tokenFile = value;
       return {};
     }},
    {"--with-page", Takes::Nothing, "",
     "each line is URL, TAB, the page the link was found on (empty when the page was no "
     "http, https or ftp address)",
     [](ReceiveRequest& r, std::string_view) -> std::string {
       r.withPage = true;
       return {};
     }},
};

constexpr CommandHelp kHelp{
    "receive", "",
    "Receives the links the Cardo browser extension sends, on 127.0.0.1 and ::1 only, and "
    "prints each http, https or ftp URL as a line the moment it arrives (each once a request, "
    "without #fragment), so that `cardo-cli receive | aria2c --deferred-input=true -i -` "
    "downloads them as they come (without that option aria2c waits for the end). The "
    "extension's options take the same port and token. Without a token, one is made and shown "
    "on standard error. Runs until Ctrl+C (SIGINT) or SIGTERM.",
    ""};

constexpr Phrase kCannotListen{"cannot listen on port {1}: {2}",
                               "ポート {1} で待ち受けられません: {2}"};
constexpr Phrase kHoldsNoToken{"{1} holds no token", "{1} にトークンがありません"};
// Scripts wait for these lines and read them: the same words in every language.
constexpr Phrase kListening{"listening on 127.0.0.1:{1} and [::1]:{1}",
                            "listening on 127.0.0.1:{1} and [::1]:{1}"};
constexpr Phrase kToken{"token {1}", "token {1}"};

// A URL or page as one field of a line: a list line holds no TAB or line break.
std::string Field(std::u16string_view text) {
  std::string field = Utf16ToUtf8(text);
  for (char& c : field) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  return field;
}

}  // namespace

std::string ReceiveUsage() {
  return UsageText(kHelp, Shapes(kOptions));
}

int RunReceive(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
               OutputForm form) {
  ReceiveRequest request;
  ParsedWords parsed = ParseOptions(kOptions, args, request);
  if (parsed.complaint.empty() && parsed.asked == Asked::Run) {
    if (!parsed.operands.empty()) {
      parsed.complaint = Text(phrase::kUnknownOption, {parsed.operands.front()});
    } else if (!request.token.empty() && !request.tokenFile.empty()) {
      parsed.complaint = Text(phrase::kNotTogether, {"--token", "--token-file"});
    }
  }
  if (const auto done = Answered(parsed, kHelp, Shapes(kOptions), out, err, form)) return *done;
  bool madeToken = false;
  if (!request.tokenFile.empty()) {
    const Input input(request.tokenFile, nullptr, err);
    if (!input) return 1;
    const std::optional<std::string> text = ReadAll(input, err);
    if (!text) return 1;
    const std::string_view bytes = DropBom(*text);
    request.token = std::string(bytes.substr(0, bytes.find_first_of("\r\n")));
    if (request.token.empty()) {
      return Refuse(err, "receive", Text(kHoldsNoToken, {request.tokenFile}));
    }
  } else if (request.token.empty()) {
    request.token = NewReceiverToken();
    madeToken = true;
  }

  const ReceiverSettings settings{request.port, request.token, CARDO_VERSION_TEXT, std::nullopt,
                                  UrlForm::Wire};
  TextWriter writer(out, form);
  const std::string port = std::to_string(request.port);
  LinkService service;
  service.listening = [&] {
    Say(err, kListening, {port});
    if (madeToken) Say(err, kToken, {request.token});
    // Scripts wait for this line: it must not sit in a buffer (msvcrt buffers a file's stderr).
    std::fflush(err);
  };
  service.cannotListen = [&](const std::string& why) { Say(err, kCannotListen, {port, why}); };
  service.answer = [&](const RequestReader& reader) -> std::optional<ReceiverAnswer> {
    ReceiverAnswer answer = AnswerRequest(reader, settings);
    for (const ReceivedLink& link : answer.links) {
      writer.Line(request.withPage ? Field(link.url) + '\t' + Field(link.page) : Field(link.url));
    }
    // The lines are out before the extension hears that they were taken.
    if (!answer.links.empty() && !(writer.Flush() && std::fflush(out) == 0)) return std::nullopt;
    return answer;
  };
  SocketSession session(SocketSession::Signals::Stop);
  const bool stopped = ServeLinks(request.port, session, service);
  return writer.Finish(err) && stopped ? 0 : 1;
}

}  // namespace cardo::cli
