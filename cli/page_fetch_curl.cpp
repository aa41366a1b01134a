#include <curl/curl.h>

#include <memory>
#include <optional>

#include "app/extract/web_address.h"
#include "app/platform/text.h"
#include "cli/page_fetch.h"

namespace cardo::cli {
namespace {

constexpr long kTimeoutSeconds = 30;

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
  std::optional<PageFile> file;
  bool writeFailed = false;

  bool Success() const { return status >= 200 && status < 300; }
};

std::string Trimmed(std::string_view text) {
  while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' ')) {
    text.remove_suffix(1);
  }
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  return std::string(text);
}

bool StartsNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    char c = text[i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 0x20);
    if (c != prefix[i]) return false;
  }
  return true;
}

std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* user) {
  Hop& hop = *static_cast<Hop*>(user);
  const std::string_view line(data, size * count);
  if (line.substr(0, 5) == "HTTP/") {
    hop.statusLine = Trimmed(line);
    const std::size_t space = hop.statusLine.find(' ');
    hop.status = space == std::string::npos ? 0 : std::atol(hop.statusLine.c_str() + space + 1);
    hop.contentType.clear();
    hop.location.clear();
  } else if (StartsNoCase(line, "content-type:")) {
    hop.contentType = Trimmed(line.substr(13));
  } else if (StartsNoCase(line, "location:")) {
    hop.location = Trimmed(line.substr(9));
  }
  return size * count;
}

// The body of a success goes into the page file; any other answer's body is dropped.
std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* user) {
  Hop& hop = *static_cast<Hop*>(user);
  if (!hop.Success()) return size * count;
  if (!hop.file) hop.file.emplace(hop.path, hop.control);
  if (!hop.file->Write(std::string_view(data, size * count))) {
    hop.writeFailed = true;
    return 0;
  }
  return size * count;
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
  RedirectChain chain(url);
  for (;;) {
    const std::u16string current = chain.Current();
    const auto wire = WireAddress(current);
    if (!wire) return Failed(kBadHostReason + current);
    if (!ParseWebAddress(*wire)) return Failed(u"URLが不正です: " + current);
    Hop hop(path, control);
    char reason[CURL_ERROR_SIZE] = {};
    CURL* c = curl.get();
    curl_easy_reset(c);
    const std::string address = Utf16ToUtf8(*wire);
    curl_easy_setopt(c, CURLOPT_URL, address.c_str());
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(c, CURLOPT_ACCEPT_ENCODING, "gzip, deflate");
    curl_easy_setopt(c, CURLOPT_USERAGENT, "Cardo/3");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, kTimeoutSeconds);
    // Nothing received for 30 seconds ends the transfer, as the receive time-out does.
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, kTimeoutSeconds);
    if (!caFile.empty()) curl_easy_setopt(c, CURLOPT_CAINFO, caFile.c_str());
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, reason);
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, OnHeader);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, &hop);
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, OnBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &hop);
    const CURLcode result = curl_easy_perform(c);
    if (hop.writeFailed) return Failed(u"ファイルに書き込めません: " + path);
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
          return Failed(u"転送先が循環しています: " + chain.Target(hop.location));
        case RedirectChain::Step::TooMany:
          return Failed(u"転送が10回を超えました: " + current);
      }
    }
    if (!hop.Success()) return Failed(Utf8ToUtf16(hop.statusLine));
    if (!hop.file) hop.file.emplace(path, control);
    if (!hop.file->Close()) return Failed(u"ファイルに書き込めません: " + path);
    return {DownloadStatus::Done, {}, current, hop.contentType};
  }
}

}  // namespace cardo::cli
