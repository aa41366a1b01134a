#include "cli/page_fetch.h"

#include <cstdlib>

#include "app/extract/web_address.h"
#include "app/platform/text.h"
#include "cli/cli_io.h"

#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <iterator>
#else
#include <signal.h>
#include <unistd.h>

#include <cstring>
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

#ifdef _WIN32
// The page file Ctrl+C, Ctrl+Break or closing the console must not leave behind. The handler
// runs on a thread of its own while the download or the scan may hold the file open: every
// opener of the page shares deletion (OpenStream), so DeleteFileW succeeds at once and the
// name goes when the process's handles close as it ends. One page per process is fetched at
// a time.
wchar_t pendingPath[MAX_PATH + 1];
std::atomic<bool> pending{false};

BOOL WINAPI RemovePendingPage(DWORD) {
  if (pending) DeleteFileW(pendingPath);
  return FALSE;  // the system's own handling then ends the process as before
}

void RemoveOnSignal(const std::string& path) {
  const std::u16string wide = PathText(path);
  if (wide.size() >= std::size(pendingPath)) return;
  std::copy(wide.begin(), wide.end(), pendingPath);
  pendingPath[wide.size()] = 0;
  pending = true;
  SetConsoleCtrlHandler(RemovePendingPage, TRUE);
}

void KeepOnSignal() {
  pending = false;
}
#else
// The page file a signal must not leave behind. A signal handler reaches only what is static,
// and may only touch it async-signal-safely: a fixed buffer, a flag, unlink. One page per
// process is fetched at a time.
char pendingPath[4096];
volatile sig_atomic_t pending = 0;
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void RemovePendingPage(int signal) {
  if (pending) unlink(pendingPath);
  // Ended as the signal would have ended it, so the caller sees the same status.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigaction(signal, &fallback, nullptr);
  raise(signal);
}

void RemoveOnSignal(const std::string& path) {
  if (path.size() >= sizeof pendingPath) return;
  std::memcpy(pendingPath, path.c_str(), path.size() + 1);
  pending = 1;
  struct sigaction action {};
  action.sa_handler = RemovePendingPage;
  sigemptyset(&action.sa_mask);
  for (const int signal : kEndingSignals) sigaction(signal, &action, nullptr);
}

void KeepOnSignal() {
  pending = 0;
}
#endif

}  // namespace

FetchedPage::~FetchedPage() {
  if (path.empty()) return;
#ifdef _WIN32
  DeleteFileW(reinterpret_cast<const wchar_t*>(PathText(path).c_str()));
#else
  unlink(path.c_str());
#endif
  KeepOnSignal();
}

FetchedPage::FetchedPage(FetchedPage&& other) noexcept
    : path(std::move(other.path)),
      finalUrl(std::move(other.finalUrl)),
      contentType(std::move(other.contentType)) {
  other.path.clear();
}

std::optional<FetchedPage> FetchPage(const std::string& url, const std::string& caFile,
                                     const DownloadLimits& limits, std::FILE* err) {
  FetchedPage page;
  page.path = NewTemporaryFile();
  if (page.path.empty()) {
    Say(err, "cardo-cli extract: cannot make a temporary file\n");
    return std::nullopt;
  }
  RemoveOnSignal(page.path);
  DownloadControl control(limits);
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
