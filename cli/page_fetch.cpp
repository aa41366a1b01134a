#include "cli/page_fetch.h"

#include <cstdlib>

#include "app/url/web_address.h"
#include "app/platform/text.h"
#include "cli/cli_io.h"
#include "cli/messages.h"

#include <algorithm>
#include <atomic>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
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

// The page files a signal (or Ctrl+C, Ctrl+Break, closing the console) must not leave behind:
// one slot for each download that may run at once. A handler reaches only what is static, and
// touches it only async-signal-safely: fixed buffers, lock-free flags, unlink (or DeleteFileW,
// which succeeds at once because every opener of a page shares deletion: the name goes when
// the process's handles close as it ends).
constexpr int kPendingSlots = 8;
#ifdef _WIN32
using PathUnit = wchar_t;
constexpr std::size_t kPathUnits = MAX_PATH + 1;
#else
using PathUnit = char;
constexpr std::size_t kPathUnits = 4096;
// SIGPIPE too: a reader that closed the pipe (| head) ends the command at once.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};
#endif
PathUnit pendingPaths[kPendingSlots][kPathUnits];
std::atomic<bool> pendingUsed[kPendingSlots];  // the slot is taken
std::atomic<bool> pendingSet[kPendingSlots];   // and its path is whole
static_assert(std::atomic<bool>::is_always_lock_free);

void RemovePendingPages() {
  for (int slot = 0; slot < kPendingSlots; ++slot) {
#ifdef _WIN32
    if (pendingSet[slot]) DeleteFileW(pendingPaths[slot]);
#else
    if (pendingSet[slot]) unlink(pendingPaths[slot]);
#endif
  }
}

#ifdef _WIN32
BOOL WINAPI RemovePendingPagesOnEvent(DWORD) {
  RemovePendingPages();
  return FALSE;  // the system's own handling then ends the process as before
}
#else
extern "C" void RemovePendingPagesOnSignal(int signal) {
  RemovePendingPages();
  // Ended as the signal would have ended it, so the caller sees the same status.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigaction(signal, &fallback, nullptr);
  raise(signal);
}
#endif

// The slot that now holds `path`, or -1 when none is free or the path is too long (then a
// signal leaves that file behind, as nothing else is lost).
int RemoveOnSignal(const std::string& path) {
#ifdef _WIN32
  const std::u16string text = PathText(path);
#else
  const std::string& text = path;
#endif
  if (text.size() >= kPathUnits) return -1;
  for (int slot = 0; slot < kPendingSlots; ++slot) {
    bool expected = false;
    if (!pendingUsed[slot].compare_exchange_strong(expected, true)) continue;
    std::copy(text.begin(), text.end(), pendingPaths[slot]);
    pendingPaths[slot][text.size()] = 0;
    pendingSet[slot] = true;
    AtClosedPipe(RemovePendingPages);
#ifdef _WIN32
    SetConsoleCtrlHandler(RemovePendingPagesOnEvent, TRUE);
#else
    struct sigaction action {};
    action.sa_handler = RemovePendingPagesOnSignal;
    sigemptyset(&action.sa_mask);
    for (const int signal : kEndingSignals) sigaction(signal, &action, nullptr);
#endif
    return slot;
  }
  return -1;
}

void KeepOnSignal(int slot) {
  if (slot < 0) return;
  pendingSet[slot] = false;
  pendingUsed[slot] = false;
}

}  // namespace

FetchedPage::~FetchedPage() {
  if (path.empty()) return;
#ifdef _WIN32
  DeleteFileW(reinterpret_cast<const wchar_t*>(PathText(path).c_str()));
#else
  unlink(path.c_str());
#endif
  KeepOnSignal(signalSlot);
}

FetchedPage::FetchedPage(FetchedPage&& other) noexcept
    : path(std::move(other.path)),
      finalUrl(std::move(other.finalUrl)),
      contentType(std::move(other.contentType)),
      signalSlot(other.signalSlot) {
  other.path.clear();
  other.signalSlot = -1;
}

std::shared_ptr<HttpStack> CliHttpStack(const std::string& caFile) {
  return SystemHttpStack({caFile});
}

std::optional<FetchedPage> FetchPage(const std::string& url, const HttpClient& client,
                                     DownloadControl& control, std::u16string& reason) {
  FetchedPage page;
  page.path = NewTemporaryFile();
  if (page.path.empty()) {
    reason = u"cannot make a temporary file";
    return std::nullopt;
  }
  page.signalSlot = RemoveOnSignal(page.path);
  DownloadOutcome outcome =
      DownloadPage(client, DownloadAddress(Utf8ToUtf16(url)), PathText(page.path), control);
  if (outcome.status != DownloadStatus::Done) {
    reason = outcome.status == DownloadStatus::Cancelled ? u"cancelled" : std::move(outcome.reason);
    return std::nullopt;
  }
  page.finalUrl = outcome.finalUrl;
  page.contentType = outcome.contentType;
  return page;
}

std::optional<FetchedPage> FetchPage(const std::string& url, const std::string& caFile,
                                     const DownloadLimits& limits, std::FILE* err) {
  DownloadControl control(limits);
  std::u16string reason;
  std::optional<FetchedPage> page =
      FetchPage(url, HttpClient(CliHttpStack(caFile)), control, reason);
  if (!page) {
    Say(err, phrase::kAbout, {url, Utf16ToUtf8(reason)});
  }
  return page;
}

}  // namespace cardo::cli
