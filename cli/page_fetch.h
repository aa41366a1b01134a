#pragma once
// `cardo-cli extract --url`: the page downloaded as the extraction dialog downloads it (the
// HTTP client over WinHTTP in cardo-cli.exe, over libcurl natively) into a temporary file that
// lives as long as the object.
#include <cstdio>
#include <optional>
#include <string>

#include "app/net/page_download.h"

namespace cardo::cli {

struct FetchedPage {
  FetchedPage() = default;
  ~FetchedPage();
  FetchedPage(const FetchedPage&) = delete;
  FetchedPage& operator=(const FetchedPage&) = delete;
  FetchedPage(FetchedPage&& other) noexcept;
  FetchedPage& operator=(FetchedPage&&) = delete;

  std::string path;         // the body, as sent and decoded
  std::u16string finalUrl;  // the page URL, after redirections
  std::string contentType;  // the server's, which may name the page's encoding
  int signalSlot = -1;      // where a signal finds the path to remove
};

// The page at `url` through `control`, which may cancel it from another thread; several may
// run at once through one `client`. On failure `reason` says why, and nothing comes back.
std::optional<FetchedPage> FetchPage(const std::string& url, const HttpClient& client,
                                     DownloadControl& control, std::u16string& reason);
// The page at `url` ("http://" put in front as the dialog does); `caFile`, when not empty, holds
// the certificate authorities (PEM) to trust instead of the system's, for servers with a private CA
// (native build only). On failure says why on `err` and returns nothing. The temporary file
// goes when the object does, and also when SIGINT, SIGTERM or SIGHUP (natively) or Ctrl+C,
// Ctrl+Break or closing the console (cardo-cli.exe) ends the process.
std::optional<FetchedPage> FetchPage(const std::string& url, const std::string& caFile,
                                     const DownloadLimits& limits, std::FILE* err);

// The system's HTTP stack as the command line asks for it: `caFile`, when not empty, holds the
// certificate authorities (PEM) to trust instead of the system's (native build only).
std::shared_ptr<HttpStack> CliHttpStack(const std::string& caFile);

}  // namespace cardo::cli
