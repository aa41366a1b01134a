#include "cli/check_command.h"

#include <atomic>
#include <charconv>
#include <map>
#include <optional>

#include "app/check/link_check.h"
#include "app/list/list_text.h"
#include "app/platform/text.h"
#include "cli/messages.h"
#include "cli/options.h"
#include "cli/page_fetch.h"

namespace cardo::cli {
namespace {

// How many lines are read ahead of the first whose line is not yet written: enough to keep
// every connection busy behind a slow line, few enough to hold in memory.
constexpr std::size_t kLookahead = 4096;

struct CheckRequest {
  LinkCheckLimits limits;
  std::string caFile;
};

template <int LinkCheckLimits::*Field>
std::string TakeCount(CheckRequest& r, std::string_view v) {
  int value = 0;
  const auto [end, error] = std::from_chars(v.data(), v.data() + v.size(), value);
  if (error != std::errc() || end != v.data() + v.size() || value < 1 || value > 256) {
    return WholeNumber(Field == &LinkCheckLimits::total ? "--jobs" : "--per-host", 1, 256);
  }
  r.limits.*Field = value;
  return {};
}

// Seconds with up to three decimals, more than 0 and at most an hour.
std::optional<std::chrono::milliseconds> Seconds(std::string_view text) {
  const std::size_t dot = text.find('.');
  const std::string_view whole = text.substr(0, dot);
  std::string fraction(dot == std::string_view::npos ? "" : text.substr(dot + 1));
  if (fraction.size() > 3 || (whole.empty() && fraction.empty())) return std::nullopt;
  const auto digits = [](std::string_view s) {
    return s.find_first_not_of("0123456789") == std::string_view::npos;
  };
  if (!digits(whole) || !digits(fraction) || whole.size() > 4) return std::nullopt;
  fraction.resize(3, '0');
  const long long ms =
      (whole.empty() ? 0 : std::stoll(std::string(whole))) * 1000 + std::stoll(fraction);
  if (ms < 1 || ms > 3600 * 1000) return std::nullopt;
  return std::chrono::milliseconds(ms);
}

constexpr Phrase kSeconds{"--timeout is seconds from 0.001 to 3600",
                          "--timeout は 0.001 から 3600 までの秒数です"};

constexpr Option<CheckRequest> kOptions[] = {
    {"--jobs", Takes::Value, "N", "requests at once, in all (default 16)",
     TakeCount<&LinkCheckLimits::total>},
    {"--per-host", Takes::Value, "N", "requests at once to one host and port (default 4)",
     TakeCount<&LinkCheckLimits::perHost>},
    {"--timeout", Takes::Value, "SECONDS", "a server silent this long has failed (default 30)",
     [](CheckRequest& r, std::string_view v) {
       const auto silence = Seconds(v);
       if (!silence) return Text(kSeconds);
       r.limits.silence = *silence;
       return std::string();
     }},
    {"--ca-file", Takes::Value, "FILE",
     "natively: trust the certificate authorities in FILE (PEM) instead of the system's",
     [](CheckRequest& r, std::string_view v) {
       r.caFile = std::string(v);
       return std::string();
     }},
};

constexpr CommandHelp kHelp{
    "check", "FILE|-",
    "Asks the server of each http or https URL of the list FILE (\"-\": standard input, each "
    "line checked as it arrives; its encoding as export reads it, but decided by the first "
    "line beyond ASCII) whether it is there, without downloading it: HEAD, redirections "
    "followed (ten at most), GET of the first byte where HEAD is refused; through the "
    "system's proxy (cardo-cli.exe: the user's settings, automatic configuration included; "
    "natively http_proxy, https_proxy and no_proxy).\n"
    "Prints one line per URL in list order, as soon as it and the lines before it are known, "
    "its fields separated by TAB:\n"
    "  STATUS SIZE TYPE FINAL-URL URL\n"
    "STATUS is the last answer's status (200, 404...), or DNS (the host does not resolve), "
    "REFUSED, TLS, TIMEOUT, CLOSED, LOOP (redirected back to an address already visited), "
    "REDIRECTS (more than ten), ERROR, NOT-CHECKED (no http or https URL); SIZE and TYPE (the "
    "file's, for a 2xx answer) are \"-\" when unknown. Why a URL failed goes to standard "
    "error. The exit status is 0 when every URL answered 2xx, 1 otherwise.",
    ""};

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

bool IsBlankLine(std::u16string_view line) {
  return line.find_first_not_of(u" \t\u3000") == std::u16string_view::npos;
}

// The results written in list order, each as soon as every line before it is written.
class InOrder {
 public:
  InOrder(TextWriter& writer, std::FILE* err) : writer_(writer), err_(err) {}
  // Called by the adding thread before the line is added.
  void Added(std::u16string url) {
    std::lock_guard<std::mutex> hold(lock_);
    urls_.emplace(added_++, std::move(url));
  }
  void Checked(std::size_t index, const LinkResult& result) {
    std::lock_guard<std::mutex> hold(lock_);
    done_.emplace(index, result);
    for (auto at = done_.begin(); at != done_.end() && at->first == next_;
         at = done_.erase(at), ++next_) {
      const auto url = urls_.find(next_);
      Write(at->second, url->second);
      urls_.erase(url);
    }
  }
  bool allAlive() const { return allAlive_; }

 private:
  void Write(const LinkResult& r, const std::u16string& url) {
    writer_.Write(LineOf(r, url));
    if (r.verdict != LinkVerdict::Dead && r.verdict != LinkVerdict::Error) return;
    allAlive_ = false;
    if (!r.reason.empty()) {
      writer_.Flush();
      Say(err_, phrase::kAbout, {Utf16ToUtf8(url), Utf16ToUtf8(r.reason)});
    }
  }

  TextWriter& writer_;
  std::FILE* err_;
  std::mutex lock_;
  std::map<std::size_t, std::u16string> urls_;  // added, not yet written
  std::map<std::size_t, LinkResult> done_;      // checked, waiting for the lines before
  std::size_t added_ = 0, next_ = 0;
  bool allAlive_ = true;
};

}  // namespace

std::string CheckUsage() {
  return UsageText(kHelp, Shapes(kOptions));
}

int RunCheck(const std::vector<std::string>& args, std::FILE* in, std::FILE* out, std::FILE* err,
             OutputForm form) {
  CheckRequest request;
  ParsedWords parsed = ParseOptions(kOptions, args, request);
  if (parsed.complaint.empty() && parsed.operands.size() != 1 && parsed.asked == Asked::Run) {
    parsed.complaint =
        Text(parsed.operands.empty() ? phrase::kMissing : phrase::kOneOperand, {"FILE"});
  }
  if (const auto done = Answered(parsed, kHelp, Shapes(kOptions), out, err, form)) return *done;
  const Input input(parsed.operands.front(), in, err);
  if (!input) return 1;

  TextWriter writer(out, form);
  InOrder inOrder(writer, err);
  const std::atomic<bool> never{false};
  LinkCheckRun run(
      request.limits, HttpLinkTransports(CliHttpStack(request.caFile)), never,
      [&](std::size_t index, const LinkResult& result) { inOrder.Checked(index, result); },
      kLookahead);
  const auto add = [&](std::u16string_view line, bool) {
    if (IsBlankLine(line)) return true;
    inOrder.Added(std::u16string(line));
    return run.Add(std::u16string(line));
  };
  bool read = true;
  if (parsed.operands.front() == "-") {
    // Read as it arrives: the first line beyond ASCII decides the encoding.
    ListTextReader reader(std::nullopt, add);
    read =
        ReadChunks(input, err, false, [&](std::string_view chunk) { return reader.Feed(chunk); });
    reader.Finish();
  } else if (const std::optional<std::string> bytes = ReadAll(input, err)) {
    ForEachListLine(*bytes, std::nullopt, add);
  } else {
    read = false;
  }
  run.Finish();
  return writer.Finish(err) && read && inOrder.allAlive() ? 0 : 1;
}

}  // namespace cardo::cli
