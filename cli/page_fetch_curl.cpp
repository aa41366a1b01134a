#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <optional>

#include "app/url/web_address.h"
#include "app/platform/text.h"
#include "cli/header_line.h"
#include "cli/page_fetch.h"

namespace cardo::cli {
namespace {

using Clock = std::chrono::steady_clock;

// Headers that go on past this are no answer a page has (a server that never ends them).
constexpr std::size_t kHeaderBytes = 256 * 1024;

struct Hop {
  Hop(const std::u16string& path, DownloadControl& control) : path(path), control(control) {}
  const std::u16string& path;
  DownloadControl& control;
  long status = 0;
  std::string statusLine;
  std::string contentType;
  // The bytes as sent, encoded by the rule every face shares: libcurl's own redirect URL
  // writes lower-case hex digits, which would give the page another base than the window's.
  std::string location;
  std::string contentEncoding;
  std::optional<PageBody> body;
  std::size_t headerBytes = 0;
  Clock::time_point lastByte = Clock::now();  // of the body; the request's start before it
  bool timedOut = false;
  bool headersTooLong = false;
  bool headersEnded = false;
  long long framing = PageBody::kUntilClose;  // a length or chunks, when the headers say so

  bool Success() const { return status >= 200 && status < 300; }
  PageBody& Body() {
    if (!body) body.emplace(path, control, contentEncoding);
    return *body;
  }
};

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
  Hop& hop = *static_cast<Hop*>(user);
  const std::string_view line(data, size * count);
  hop.headerBytes += line.size();
  if (hop.headerBytes > kHeaderBytes) {
    hop.headersTooLong = true;
    return 0;
  }
  hop.headersEnded = line == "\r\n" || line == "\n";
  if (line.substr(0, 5) == "HTTP/") {
    hop.statusLine = Trimmed(line);
    const std::size_t space = hop.statusLine.find(' ');
    hop.status = space == std::string::npos ? 0 : std::atol(hop.statusLine.c_str() + space + 1);
    hop.contentType.clear();
    hop.contentEncoding.clear();
    hop.location.clear();
    hop.framing = PageBody::kUntilClose;
  } else if (StartsNoCase(line, "content-type:")) {
    hop.contentType = Trimmed(line.substr(13));
  } else if (StartsNoCase(line, "content-length:") || StartsNoCase(line, "transfer-encoding:")) {
    // curl itself refuses a body shorter than its length or chunks cut off.
    hop.framing = PageBody::kFramed;
  } else if (StartsNoCase(line, "content-encoding:")) {
    hop.contentEncoding = Trimmed(line.substr(17));
  } else if (StartsNoCase(line, "location:")) {
    hop.location = Trimmed(line.substr(9));
  }
  return size * count;
}

// The body of a success goes into the page file; any other answer's body is dropped.
std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
  Hop& hop = *static_cast<Hop*>(user);
  hop.lastByte = Clock::now();
  if (!hop.Success()) return size * count;
  return hop.Body().Feed(std::string_view(data, size * count)) ? size * count : 0;
}

// Called while the transfer waits. The limit ends a body silent that long, and headers not
// whole that long after the request (bytes within them are not seen one by one, and a server
// may send them without end).
int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  Hop& hop = *static_cast<Hop*>(user);
  if (hop.control.Cancelled()) return 1;
  hop.timedOut = Clock::now() - hop.lastByte > hop.control.Limits().silence;
  return hop.timedOut ? 1 : 0;
}

DownloadOutcome Failed(std::u16string reason) {
  return {DownloadStatus::Failed, std::move(reason), {}, {}};
}

}  // namespace

DownloadOutcome DownloadWithSystemStack(const std::u16string& url, const std::u16string& path,
                                        const std::string& caFile, DownloadControl& control) {
  static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  std::unique_ptr<CURL, void (*)(CURL*)> curl(ready ? curl_easy_init() : nullptr,
                                              &curl_easy_cleanup);
  if (!curl) return Failed(u"libcurl could not start");
  std::u16string reason;
  std::optional<Url> start = RequestUrl(url, reason);
  if (!start) return Failed(reason);
  RedirectChain chain(std::move(*start));
  for (;;) {
    const Url& current = chain.Current();
    if (!IsHttpUrl(current)) return Failed(kBadAddressReason + current.Href());
    Hop hop(path, control);
    char reason[CURL_ERROR_SIZE] = {};
    CURL* c = curl.get();
    curl_easy_reset(c);
    const std::string address = Utf16ToUtf8(current.Href(false));
    curl_easy_setopt(c, CURLOPT_URL, address.c_str());
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
    // The body is decoded as the WinHTTP download decodes it, so that a cut-off compressed
    // body is caught the same way.
    std::unique_ptr<curl_slist, void (*)(curl_slist*)> headers(
        curl_slist_append(nullptr, "Accept-Encoding: gzip, deflate"), &curl_slist_free_all);
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(c, CURLOPT_USERAGENT, "Cardo/3");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    const long silence = static_cast<long>(control.Limits().silence.count());
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, silence);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, OnProgress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &hop);
    if (!caFile.empty()) curl_easy_setopt(c, CURLOPT_CAINFO, caFile.c_str());
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, reason);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &hop);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &hop);
    const CURLcode result = curl_easy_perform(c);
    if (hop.body && result == CURLE_WRITE_ERROR) return hop.body->Outcome();
    if (control.Cancelled()) return {DownloadStatus::Cancelled, {}, {}, {}};
    if (hop.timedOut || result == CURLE_OPERATION_TIMEDOUT) return Failed(TimedOutReason());
    if (hop.headersTooLong) return Failed(HeadersTooLongReason());
    if (result == CURLE_PARTIAL_FILE) {
      curl_off_t announced = -1, received = 0;
      curl_easy_getinfo(c, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &announced);
      curl_easy_getinfo(c, CURLINFO_SIZE_DOWNLOAD_T, &received);
      return Failed(CutShortReason(received, announced));
    }
    if (result != CURLE_OK) {
      return Failed(Utf8ToUtf16(reason[0] ? reason : curl_easy_strerror(result)));
    }
    const bool redirect = hop.status == 301 || hop.status == 302 || hop.status == 303 ||
                          hop.status == 307 || hop.status == 308;
    if (redirect && !hop.location.empty()) {
      switch (chain.Redirect(hop.location)) {
        case RedirectChain::Step::Follow:
          continue;
        case RedirectChain::Step::Loop:
          return Failed(RedirectLoopReason(chain.Target(hop.location)->Href()));
        case RedirectChain::Step::TooMany:
          return Failed(TooManyRedirectsReason(current.Href()));
        case RedirectChain::Step::Invalid:
          return Failed(chain.Refusal(hop.location));
      }
    }
    if (!hop.headersEnded) return Failed(HeadersCutReason());
    if (!hop.Success()) return Failed(Utf8ToUtf16(hop.statusLine));
    if (!hop.Body().Finish(hop.framing)) return hop.Body().Outcome();
    // A page not redirected keeps the address as it was given (characters beyond ASCII as
    // written); a redirected one is the address requested.
    return {DownloadStatus::Done, {}, chain.Redirected() ? current.Href() : url, hop.contentType};
  }
}

}  // namespace cardo::cli
