#include "fnc/http_client.h"

#include <ctime>

namespace cardo::fnc {
namespace {

// Received in large chunks: how the stream is cut is not visible in the file, since every
// byte is written.
constexpr std::size_t kReceiveChunk = 65536;

constexpr char kBadUrl[] = "Error: URLが長すぎるか不正です\n";

bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (x != b[i]) return false;
  }
  return true;
}

// The port text as the C library reads a number: leading blanks and a sign are taken; then
// decimal digits only (nothing after them), at most 65535. Empty, blank or a bare sign means
// port 0.
std::optional<std::uint16_t> ParsePort(std::string_view text) {
  std::size_t at = text.find_first_not_of(' ');
  if (at == std::string_view::npos) return 0;
  const bool negative = text[at] == '-';
  if (text[at] == '+' || negative) ++at;
  std::uint32_t value = 0;
  for (const char c : text.substr(at)) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint32_t>(c - '0');
    if (value > 65535) return std::nullopt;
  }
  if (negative && value != 0) return std::nullopt;
  return static_cast<std::uint16_t>(value);
}

}  // namespace

std::string ReportTime() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
#ifdef _WIN32
  localtime_s(&tm, &now);
#else
  localtime_r(&now, &tm);
#endif
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", tm.tm_hour, tm.tm_min, tm.tm_sec);
  return text;
}

ParsedUrl ParseHttpUrl(std::string_view url) {
  if (url.size() < 7 || !EqualsNoCase(url.substr(0, 7), "http://")) return {kHttpNotHttp, {}};
  // A control character would start new lines in the request.
  for (const char c : url) {
    if (static_cast<unsigned char>(c) < 0x20) return {kHttpBadUrl, {}};
  }
  const std::string_view rest = url.substr(7);
  const std::size_t slash = rest.find('/');
  std::string_view host = rest.substr(0, slash);
  HttpTarget target;
  target.path = slash == std::string_view::npos ? "/" : std::string(rest.substr(slash));
  const std::size_t colon = host.find(':');
  if (colon != std::string_view::npos) {
    const auto port = ParsePort(host.substr(colon + 1));
    if (!port) return {kHttpBadUrl, {}};
    target.port = *port;
    host = host.substr(0, colon);
  }
  if (host.size() > kMaxHostBytes) return {kHttpBadUrl, {}};
  target.host = std::string(host);
  if (BuildRequest(target).size() > kMaxRequestBytes) return {kHttpBadUrl, {}};
  return {kHttpOk, std::move(target)};
}

std::string BuildRequest(const HttpTarget& target) {
  return "GET " + target.path + " HTTP/1.0\r\nHost: " + target.host + ":" +
         std::to_string(target.port) + "\r\nUser-Agent: GetHTTP/1.00 ([Cardo]" + kHomePage +
         ")\r\n\r\n";
}

void AppendWithCrLf(std::string_view bytes, std::string& out) {
  std::size_t start = 0;
  for (;;) {
    const std::size_t lf = bytes.find('\n', start);
    if (lf == std::string_view::npos) {
      out.append(bytes.substr(start));
      return;
    }
    out.append(bytes.substr(start, lf - start));
    out.append("\r\n");
    start = lf + 1;
  }
}

namespace {

// Starts the network and sends the request; kHttpOk with the socket open and connected, else
// the failure reported, with the socket closed.
HttpResult SendRequest(const HttpTarget& target, HttpNetwork& network, const HttpReport& report,
                       const std::function<std::string()>& clock) {
  const HttpResult started = network.Start();
  if (started == kHttpCleanupRegistration) {
    report("Error: atexit(WSACleanup)失敗\n");
    return started;
  }
  if (started == kHttpStartup) {
    report("Error: WinSockの初期化失敗\n");
    return started;
  }
  if (!network.Open()) {
    report("Error: Socket作成失敗\n");
    return kHttpSocket;
  }
  report("[" + clock() + "] サーバーの情報を取得しています...\n");
  const auto address = network.Resolve(target.host);
  if (!address) {
    report("Error: ホストアドレス取得失敗\n");
    network.Close();
    return kHttpResolve;
  }
  if (!network.Connect(*address, target.port)) {
    report("Error: サーバへの接続失敗\n");
    network.Close();
    return kHttpConnect;
  }
  report("[" + clock() + "] サーバーにファイルをリクエストしています...\n");
  if (!network.SendAll(BuildRequest(target))) {
    report("Error: サーバへの送信失敗\n");
    network.Shutdown();
    network.Close();
    return kHttpSend;
  }
  return kHttpOk;
}

// Writes every received byte into `output` (LF as CR LF) until the server closes or a receive
// fails; kHttpFile when the output cannot be written, else kHttpOk (a failed receive
// included: what came until then is kept). The socket stays open.
HttpResult ReceiveResponse(HttpNetwork& network, HttpOutput& output, const HttpReport& report,
                           const std::function<std::string()>& clock) {
  output.Truncate();
  std::string chunk(kReceiveChunk, '\0');
  std::string converted;
  std::int32_t total = 0;
  bool fileOpen = false;
  bool complete = false;
  HttpResult result = kHttpOk;
  for (;;) {
    report("[" + clock() + "] ファイルを受信しています..." + std::to_string(total) + "バイト\n");
    const long got = network.Receive(chunk.data(), chunk.size());
    if (got < 0) {
      report("Error: サーバからの受信失敗\n");
      break;
    }
    if (got == 0) {
      complete = true;
      break;
    }
    total = static_cast<std::int32_t>(static_cast<std::uint32_t>(total) +
                                      static_cast<std::uint32_t>(got));
    // The file is opened once and kept open: reopening it for every chunk only costs time.
    if (!fileOpen && !(fileOpen = output.OpenForAppend())) {
      result = kHttpFile;
      break;
    }
    converted.clear();
    AppendWithCrLf(std::string_view(chunk.data(), static_cast<std::size_t>(got)), converted);
    if (!output.Append(converted)) {
      result = kHttpFile;
      break;
    }
  }
  // A full disk may show itself only when the last bytes leave the buffer: the transfer is
  // done when the file is closed, not before.
  if (fileOpen && !output.CloseFile()) result = kHttpFile;
  if (complete && result == kHttpOk) report("[" + clock() + "] 正常にファイルを取得しました。\n");
  return result;
}

}  // namespace

HttpResult FetchHttp(std::string_view url, HttpNetwork& network, HttpOutput& output,
                     const HttpReport& report, const std::function<std::string()>& clock) {
  const ParsedUrl parsed = ParseHttpUrl(url);
  if (parsed.code == kHttpNotHttp) {
    report("Error: httpのURLではありません\n");
    return kHttpNotHttp;
  }
  if (parsed.code != kHttpOk) {
    report(kBadUrl);
    return parsed.code;
  }
  const HttpResult sent = SendRequest(parsed.target, network, report, clock);
  if (sent != kHttpOk) return sent;
  if (ReceiveResponse(network, output, report, clock) == kHttpFile) {
    report("Error: ファイルオープンに失敗しました\n");
    network.Close();
    return kHttpFile;
  }
  network.Shutdown();
  network.Close();
  return kHttpOk;
}

}  // namespace cardo::fnc
