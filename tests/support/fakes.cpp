#include "tests/support/fakes.h"

#include "app/platform/codec.h"
#include "app/platform/text.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <ftw.h>
#include <stdlib.h>
#include <unistd.h>
#endif

namespace cardo::testing {

MessageAnswer ScriptedUi::ShowMessage(std::u16string_view text, std::u16string_view title,
                                      MessageIcon icon, MessageButtons buttons) {
  messages.push_back({std::u16string(text), std::u16string(title), icon, buttons});
  if (whileAsking) whileAsking();
  if (!answers.empty()) {
    const auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
  return buttons == MessageButtons::YesNoCancel ? MessageAnswer::Yes : MessageAnswer::Ok;
}

std::optional<FileDialogResult> ScriptedUi::ShowOpenDialog(const FileDialogOptions& options) {
  openRequests.push_back(options);
  if (openResults.empty()) return std::nullopt;
  auto result = openResults.front();
  openResults.pop_front();
  return result;
}

std::optional<FileDialogResult> ScriptedUi::ShowSaveDialog(const FileDialogOptions& options) {
  saveRequests.push_back(options);
  if (saveResults.empty()) return std::nullopt;
  auto result = saveResults.front();
  saveResults.pop_front();
  return result;
}

bool FlakyFileSystem::ReadChunks(const std::u16string& path, const ChunkSink& sink) {
  return !failReads && sys().ReadChunks(path, sink);
}

bool FlakyFileSystem::WriteAll(const std::u16string& path, std::string_view bytes) {
  ++writes;
  return !failWrites && sys().WriteAll(path, bytes);
}

bool FlakyFileSystem::ReplaceAll(const std::u16string& path, std::string_view bytes) {
  ++writes;
  return !failWrites && sys().ReplaceAll(path, bytes);
}

bool FlakyFileSystem::Copy(const std::u16string& from, const std::u16string& to) {
  return !failCopies && sys().Copy(from, to);
}

bool FlakyFileSystem::Remove(const std::u16string& path) {
  return !failRemoves && sys().Remove(path);
}

FakeHistory::FakeHistory(int count) : places(static_cast<std::size_t>(count)) {
  for (auto& place : places) history.SetMenu(&place);
}

std::u16string U(std::string_view utf8) {
  return Utf8ToUtf16(utf8);
}
std::string Ansi(std::string_view utf8) {
  return WideToAnsi(Utf8ToUtf16(utf8));
}

void TempDir::Write(std::u16string_view name, std::string_view bytes) const {
  SystemFileSystem().WriteAll(File(name), bytes);
}

std::string TempDir::Read(std::u16string_view name) const {
  return SystemFileSystem().ReadAll(File(name)).value_or("<missing>");
}

#ifdef _WIN32
TempDir::TempDir() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  static unsigned counter = 0;
  for (;;) {
    std::wstring candidate = std::wstring(base) + L"cardo-test-" +
                             std::to_wstring(GetCurrentProcessId()) + L"-" +
                             std::to_wstring(++counter);
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_.assign(candidate.begin(), candidate.end());
      path_ += u'\\';
      return;
    }
  }
}

TempDir::~TempDir() {
  std::wstring dir(path_.begin(), path_.end());
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((dir + L"*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      SetFileAttributesW((dir + name).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW((dir + name).c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(dir.c_str());
}
#else
TempDir::TempDir() {
  std::string templ = "/tmp/cardo-test-XXXXXX";
  if (!mkdtemp(templ.data())) std::abort();
  path_ = Utf8ToUtf16(templ + "/");
}

TempDir::~TempDir() {
  nftw(
      Utf16ToUtf8(path_).c_str(),
      [](const char* p, const struct stat*, int, struct FTW*) { return ::remove(p); }, 16,
      FTW_DEPTH | FTW_PHYS);
}
#endif

}  // namespace cardo::testing
