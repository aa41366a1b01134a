// Not a test: stands in for a download manager in the end-to-end tests. It writes its command
// line (UTF-16) and the bytes of the first of its arguments that names a file beside itself,
// in "recorded.bin" and "recorded-file.bin". A slow manager: with a first argument "--wait=N"
// it waits N milliseconds before it reads the file and records only its bytes, in
// "recorded-file-PID.bin", so that several can run at once.
#include <windows.h>

#include <shellapi.h>

#include <string>

namespace {

void WriteBeside(const std::wstring& name, const void* data, DWORD size) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self);
  path = path.substr(0, path.find_last_of(L'\\') + 1) + name;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, data, size, &written, nullptr);
  CloseHandle(file);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring line = GetCommandLineW();
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(line.c_str(), &argc);
  std::string bytes;
  const bool slow = argv && argc > 1 && std::wstring(argv[1]).rfind(L"--wait=", 0) == 0;
  if (slow) Sleep(static_cast<DWORD>(_wtoi(argv[1] + 7)));
  for (int i = slow ? 2 : 1; argv && i < argc; ++i) {
    HANDLE file = CreateFileW(argv[i], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      char buffer[65536];
      DWORD got = 0;
      while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0)
        bytes.append(buffer, got);
      CloseHandle(file);
      break;
    }
  }
  LocalFree(argv);
  if (slow) {
    WriteBeside(L"recorded-file-" + std::to_wstring(GetCurrentProcessId()) + L".bin", bytes.data(),
                static_cast<DWORD>(bytes.size()));
    return 0;
  }
  WriteBeside(L"recorded-file.bin", bytes.data(), static_cast<DWORD>(bytes.size()));
  // The command line last: its presence says the recording is complete.
  WriteBeside(L"recorded.bin", line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)));
  return 0;
}
