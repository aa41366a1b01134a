#include "cli/check_command.h"

#include <atomic>
#include <charconv>
#include <map>
#include <optional>

#include "app/check/link_check.h"
#include "app/list/list_text.h"
#include "app/platform/text.h"
#include "cli/page_fetch.h"

namespace cardo::cli {

const char kCheckUsage[] =
    "usage: cardo-cli check [--jobs N] [--per-host N] [--timeout SECONDS] [--ca-file FILE]\n"
    "         FILE|-\n"
    "  Asks the server of each http or https URL of the list FILE (\"-\" reads standard\n"
    "  input; its encoding as export reads it) whether it is there, without downloading it:\n"
    "  HEAD, redirections followed (ten at most), GET of the first byte where HEAD is refused;\n"
    "  through the system's proxy (cardo-cli.exe: the user's settings, automatic\n"
    "  configuration included; natively http_proxy, https_proxy and no_proxy).\n"
    "  Prints one line per URL in list order, its fields separated by TAB:\n"
    "    STATUS SIZE TYPE FINAL-URL URL\n"
    "  STATUS is the last answer's status (200, 404...), or DNS (the host does not resolve),\n"
    "  REFUSED, TLS, TIMEOUT, CLOSED, LOOP (redirected back to an address already visited),\n"
    "  REDIRECTS (more than ten), ERROR, NOT-CHECKED (no http or https URL); SIZE and TYPE\n"
    "  (the file's, for a 2xx answer) are \"-\" when unknown. Why a URL failed goes to\n"
    "  standard error. The exit status is 0 when every URL answered 2xx, 1 otherwise.\n"
    "  --jobs N          requests at once, in all (default 16)\n"
    "  --per-host N      requests at once to one host and port (default 4)\n"
    "  --timeout SECONDS a server silent this long has failed (default 30)\n"
    "  --ca-file FILE    natively: trust the certificate authorities in FILE (PEM) instead\n"
    "                    of the system's\n";

namespace {

int Bad(std::FILE* err, const std::string& what) {
  Say(err, "cardo-cli check: %s (see cardo-cli check --help)\n", what.c_str());
  return 2;
}

std::optional<int> Count(const std::string& text, int most) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < 1 || value > most) {
    return std::nullopt;
  }
  return value;
}

// Seconds with up to three decimals, more than 0 and at most an hour.
std::optional<std::chrono::milliseconds> Seconds(const std::string& text) {
  const std::size_t dot = text.find('.');
  const std::string whole = text.substr(0, dot);
  std::string fraction = dot == std::string::npos ? "" : text.substr(dot + 1);
  if (fraction.size() > 3 || (whole.empty() && fraction.empty())) return std::nullopt;
  const auto digits = [](const std::string& s) {
    return s.find_first_not_of("0123456789") == std::string::npos;
  };
  if (!digits(whole) || !digits(fraction) || whole.size() > 4) return std::nullopt;
  fraction.resize(3, '0');
  const long long ms = (whole.empty() ? 0 : std::stoll(whole)) * 1000 + std::stoll(fraction);
  if (ms < 1 || ms > 3600 * 1000) return std::nullopt;
  return std::chrono::milliseconds(ms);
}

// A field for the TAB-separated line: no TAB or line break of a header may split it.
std::string Field(std::string text) {
  if (text.empty()) return "-";
  for (char& c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = ' ';
  }
  return text;
}

std::string LineOf(const LinkResult& result, const std::u16string& url) {
  return Field(Utf16ToUtf8(StatusText(result))) + '\t' +
         (result.size < 0 ? "-" : std::to_string(result.size)) + '\t' + Field(result.contentType) +
         '\t' + Field(Utf16ToUtf8(result.finalUrl)) + '\t' + Field(Utf16ToUtf8(url)) + '\n';
}

}  // namespace

int RunCheck(const std::vector<std::string>& args, std::FILE* in, std::FILE* out, std::FILE* err,
             OutputForm form) {
  LinkCheckLimits limits;
  std::string caFile;
  std::optional<std::string> list;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--jobs" || a == "--per-host" || a == "--timeout" || a == "--ca-file") {
      if (i + 1 >= args.size()) return Bad(err, a + " needs a value");
      const std::string& v = args[++i];
      if (a == "--ca-file") {
        caFile = v;
      } else if (a == "--timeout") {
        const auto silence = Seconds(v);
        if (!silence) return Bad(err, "--timeout is seconds from 0.001 to 3600");
        limits.silence = *silence;
      } else {
        const auto n = Count(v, 256);
        if (!n) return Bad(err, a + " is a whole number from 1 to 256");
        (a == "--jobs" ? limits.total : limits.perHost) = *n;
      }
      continue;
    }
    if (a.size() > 1 && a[0] == '-') return Bad(err, "unknown option " + a);  // "-": stdin
    if (list) return Bad(err, "one FILE only");
    list = a;
  }
  if (!list) return Bad(err, "FILE is missing");

  std::optional<std::string> bytes;
  if (*list == "-") {
    bytes.emplace();
    if (!ReadChunks(in, "standard input", "check", err, [&](std::string_view chunk) {
          bytes->append(chunk);
          return true;
        })) {
      return 1;
    }
  } else {
    bytes = ReadInput(*list, "check", err);
  }
  if (!bytes) return 1;
  std::vector<std::u16string> urls;
  for (std::u16string& line : DecodeListText(*bytes).lines) {
    if (line.find_first_not_of(u" \t\u3000") != std::u16string::npos)
      urls.push_back(std::move(line));
  }
  bytes.reset();

  // Lines go out in list order as soon as every line before them is done.
  TextWriter writer(out, form);
  std::map<std::size_t, LinkResult> waiting;
  std::size_t next = 0;
  bool allAlive = true;
  const std::atomic<bool> never{false};
  CheckLinks(urls, limits, HttpLinkTransports(CliHttpStack(caFile)), never,
             [&](std::size_t index, const LinkResult& result) {
               waiting.emplace(index, result);
               const std::size_t first = next;
               for (auto at = waiting.begin(); at != waiting.end() && at->first == next;
                    at = waiting.erase(at), ++next) {
                 const LinkResult& r = at->second;
                 writer.Write(LineOf(r, urls[next]));
                 if (r.verdict != LinkVerdict::Dead && r.verdict != LinkVerdict::Error) continue;
                 allAlive = false;
                 if (!r.reason.empty()) {
                   Say(err, "cardo-cli check: %s: %s\n", Utf16ToUtf8(urls[next]).c_str(),
                       Utf16ToUtf8(r.reason).c_str());
                 }
               }
               if (next > first) writer.Flush();
             });
  return writer.Finish("check", err) && allAlive ? 0 : 1;
}

}  // namespace cardo::cli
