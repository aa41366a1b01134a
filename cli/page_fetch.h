#pragma once
// `cardo-cli extract --url`: the page downloaded as the extraction dialog downloads it (over
// WinHTTP in cardo-cli.exe, with libcurl natively) into a temporary file that lives as long
// as the object.
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
// run at once. On failure `reason` says why, and nothing comes back.
std::optional<FetchedPage> FetchPage(const std::string& url, const std::string& caFile,
                                     DownloadControl& control, std::u16string& reason);
// The page at `url` ("http://" put in front as the dialog does); `caFile`, when not empty, holds
// the certificate authorities (PEM) to trust instead of the system's, for servers with a private CA
// (native build only). On failure says why on `err` and returns nothing. The temporary file
// goes when the object does, and also when SIGINT, SIGTERM or SIGHUP (natively) or Ctrl+C,
// Ctrl+Break or closing the console (cardo-cli.exe) ends the process.
std::optional<FetchedPage> FetchPage(const std::string& url, const std::string& caFile,
                                     const DownloadLimits& limits, std::FILE* err);

// The download itself, one per platform.
DownloadOutcome DownloadWithSystemStack(const std::u16string& url, const std::u16string& path,
                                        const std::string& caFile, DownloadControl& control);

}  // namespace cardo::cli
