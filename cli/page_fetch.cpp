#include "cli/page_fetch.h"

#include <cstdlib>

#include "app/extract/web_address.h"
#include "app/platform/text.h"
#include "cli/cli_io.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace cardo::cli {
namespace {

// A new empty file in the system's temporary folder; empty on failure.
std::string NewTemporaryFile() {
#ifdef _WIN32
  wchar_t folder[MAX_PATH + 1];
  wchar_t path[MAX_PATH + 1];
  if (!GetTempPathW(MAX_PATH + 1, folder) || !GetTempFileNameW(folder, L"crd", 0, path)) return {};
  return Utf16ToUtf8(reinterpret_cast<const char16_t*>(path));
#else
  const char* folder = std::getenv("TMPDIR");
  std::string path = std::string(folder && *folder ? folder : "/tmp") + "/cardo-page-XXXXXX";
  const int fd = mkstemp(path.data());
  if (fd < 0) return {};
  close(fd);
  return path;
#endif
}

std::u16string PathText(const std::string& utf8) {
  return Utf8ToUtf16(utf8);
}

}  // namespace

FetchedPage::~FetchedPage() {
  if (path.empty()) return;
#ifdef _WIN32
  DeleteFileW(reinterpret_cast<const wchar_t*>(PathText(path).c_str()));
#else
  unlink(path.c_str());
#endif
}

FetchedPage::FetchedPage(FetchedPage&& other) noexcept
    : path(std::move(other.path)),
      finalUrl(std::move(other.finalUrl)),
      contentType(std::move(other.contentType)) {
  other.path.clear();
}

std::optional<FetchedPage> FetchPage(const std::string& url, const std::string& caFile,
                                     std::FILE* err) {
  FetchedPage page;
  page.path = NewTemporaryFile();
  if (page.path.empty()) {
    Say(err, "cardo-cli extract: cannot make a temporary file\n");
    return std::nullopt;
  }
  DownloadControl control;
  const DownloadOutcome outcome = DownloadWithSystemStack(DownloadAddress(Utf8ToUtf16(url)),
                                                          PathText(page.path), caFile, control);
  if (outcome.status != DownloadStatus::Done) {
    Say(err, "cardo-cli extract: %s: %s\n", url.c_str(), Utf16ToUtf8(outcome.reason).c_str());
    return std::nullopt;
  }
  page.finalUrl = outcome.finalUrl;
  page.contentType = outcome.contentType;
  return page;
}

}  // namespace cardo::cli
