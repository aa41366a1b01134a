#include "cli/receive_command.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string_view>

#include "app/platform/text.h"
#include "app/receive/receiver.h"
#include "app/resources/version.h"
#include "cli/receive_server.h"

namespace cardo::cli {

namespace {

constexpr unsigned short kDefaultPort = 8765;

constexpr char kSummary[] =
    "usage: cardo-cli receive [--port N] [--token T|--token-file FILE] [--with-page]\n"
    "  Receives the links the Cardo browser extension sends, on 127.0.0.1 and ::1\n"
    "  only, and prints each http, https or ftp URL as a line the moment it arrives\n"
    "  (each once a request, without #fragment), so that\n"
    "  `cardo-cli receive | aria2c -i -` downloads them. The extension's options take\n"
    "  the same port and token. Without a token, one is made and shown on standard\n"
    "  error. Runs until Ctrl+C (SIGINT) or SIGTERM.\n";

struct ReceiveRequest {
  unsigned short port = kDefaultPort;
  std::string token;
  std::string tokenFile;
  bool withPage = false;
};

// An option's row: its name, what the help calls its value (empty: it takes none), its help
// (lines after the first set in by the help's column) and what it does with the value (empty
// when taken, else the complaint); the rows parse the words and write the help.
struct ReceiveOption {
  std::string_view name;
  std::string_view value;
  std::string_view help;
  std::string (*take)(ReceiveRequest& request, std::string_view value);
};

constexpr ReceiveOption kOptions[] = {
    {"--port", "N", "the port (default 8765)",
     [](ReceiveRequest& r, std::string_view value) -> std::string {
       unsigned port = 0;
       const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), port);
       if (error != std::errc() || end != value.data() + value.size() || port < 1 || port > 65535) {
         return "--port takes a whole number from 1 to 65535";
       }
       r.port = static_cast<unsigned short>(port);
       return {};
     }},
    {"--token", "T",
     "the token the extension sends (visible to other users in the\n"
     "process list: prefer --token-file)",
     [](ReceiveRequest& r, std::string_view value) -> std::string {
       r.token = value;
       return value.empty() ? "--token takes a text" : "";
     }},
    {"--token-file", "FILE", "the token is the first line of FILE",
     [](ReceiveRequest& r, std::string_view value) -> std::string {
       r.tokenFile = value;
       return {};
     }},
    {"--with-page", "",
     "each line is URL, TAB, the page the link was found on (empty\n"
     "when the page was no http, https or ftp address)",
     [](ReceiveRequest& r, std::string_view) -> std::string {
       r.withPage = true;
       return {};
     }},
};

std::string HelpText() {
  constexpr std::size_t kColumn = 20;
  std::string text = kSummary;
  for (const ReceiveOption& option : kOptions) {
    std::string head = "  " + std::string(option.name);
    if (!option.value.empty()) head += " " + std::string(option.value);
    head.resize(std::max(head.size() + 1, kColumn), ' ');
    text += head;
    for (const char c : option.help) {
      text += c;
      if (c == '\n') text += std::string(kColumn, ' ');
    }
    text += '\n';
  }
  return text;
}

int Bad(std::FILE* err, const std::string& what) {
  Say(err, "cardo-cli receive: %s (see cardo-cli receive --help)\n", what.c_str());
  return 2;
}

// A URL or page as one field of a line: a list line holds no TAB or line break.
std::string Field(std::u16string_view text) {
  std::string field = Utf16ToUtf8(text);
  for (char& c : field) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  return field;
}

}  // namespace

int RunReceive(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
               OutputForm form) {
  ReceiveRequest request;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string_view word = args[i];
    if (word == "--help" || word == "-h") {
      TextWriter writer(out, form);
      writer.Write(HelpText());
      return writer.Finish("receive", err) ? 0 : 1;
    }
    std::optional<std::string_view> value;
    if (const std::size_t equals = word.find('='); word.starts_with("--") && equals != word.npos) {
      value = word.substr(equals + 1);
      word = word.substr(0, equals);
    }
    const ReceiveOption* row = nullptr;
    for (const ReceiveOption& option : kOptions) {
      if (option.name == word) row = &option;
    }
    if (!row) return Bad(err, "unknown option or operand " + args[i]);
    const bool takesValue = !row->value.empty();
    if (takesValue && !value) {
      if (i + 1 == args.size()) return Bad(err, std::string(word) + " needs a value");
      value = args[++i];
    }
    if (!takesValue && value) return Bad(err, std::string(word) + " takes no value");
    if (const std::string complaint = row->take(request, value.value_or("")); !complaint.empty()) {
      return Bad(err, complaint);
    }
  }
  if (!request.token.empty() && !request.tokenFile.empty()) {
    return Bad(err, "--token and --token-file go alone");
  }
  bool madeToken = false;
  if (!request.tokenFile.empty()) {
    const std::optional<std::string> text = ReadInput(request.tokenFile, "receive", err);
    if (!text) return 1;
    request.token = text->substr(0, text->find_first_of("\r\n"));
    if (request.token.empty()) return Bad(err, request.tokenFile + " holds no token");
  } else if (request.token.empty()) {
    request.token = NewReceiverToken();
    madeToken = true;
  }

  const ReceiverSettings settings{request.port, request.token, CARDO_VERSION_TEXT, std::nullopt,
                                  UrlForm::Wire};
  TextWriter writer(out, form);
  const auto taken = [&](const ReceiverAnswer& answer) {
    for (const ReceivedLink& link : answer.links) {
      writer.Line(request.withPage ? Field(link.url) + '\t' + Field(link.page) : Field(link.url));
    }
    return writer.Flush() && std::fflush(out) == 0;
  };
  const auto listening = [&] {
    Say(err, "cardo-cli receive: listening on 127.0.0.1:%u and [::1]:%u\n", request.port,
        request.port);
    if (madeToken) Say(err, "cardo-cli receive: token %s\n", request.token.c_str());
    // Scripts wait for this line: it must not sit in a buffer (msvcrt buffers a file's stderr).
    std::fflush(err);
  };
  const int status = ServeLinks(settings, taken, listening, err);
  return writer.Finish("receive", err) ? status : 1;
}

}  // namespace cardo::cli
