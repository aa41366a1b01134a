#pragma once
// The built cardo-cli (natively) and cardo-cli.exe (under Wine) run as a user runs them, its
// standard streams read back from files.
#ifdef _WIN32
#include <windows.h>
#endif

#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "app/platform/text.h"
#include "tests/support/fakes.h"

namespace cardo::testing {

struct CliRun {
  int status;
  std::string out, err;
};

#ifdef _WIN32
inline constexpr bool kExe = true;

inline std::wstring Wide(const std::u16string& s) {
  return std::wstring(s.begin(), s.end());
}

// The cardo-cli.exe of the build tree these tests belong to.
inline std::wstring BuiltCli() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self);
  path = path.substr(0, path.find_last_of(L'\\'));  // .../tests
  return path.substr(0, path.find_last_of(L'\\')) + L"\\cli\\cardo-cli.exe";
}

inline HANDLE Inherited(const std::u16string& path, bool write) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(Wide(path).c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Runs cardo-cli.exe with `args` (UTF-8, each quoted) and standard input from `input`.
inline CliRun Cli(const TempDir& dir, const std::vector<std::string>& args,
                  const std::string& input) {
  // Written through a shared handle: Wine may still hold the last run's standard input open.
  HANDLE text = Inherited(dir.File(u"stdin"), true);
  DWORD written = 0;
  WriteFile(text, input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
  CloseHandle(text);
  std::wstring commandLine = L"\"" + BuiltCli() + L"\"";
  for (const std::string& a : args) commandLine += L" \"" + Wide(Utf8ToUtf16(a)) + L"\"";
  HANDLE in = Inherited(dir.File(u"stdin"), false);
  HANDLE out = Inherited(dir.File(u"stdout"), true);
  HANDLE err = Inherited(dir.File(u"stderr"), true);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = in;
  si.hStdOutput = out;
  si.hStdError = err;
  PROCESS_INFORMATION pi{};
  const bool started = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
                                      CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi) != FALSE;
  for (HANDLE h : {in, out, err}) CloseHandle(h);
  DWORD code = 99;
  if (started) {
    WaitForSingleObject(pi.hProcess, 60000);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  return {static_cast<int>(code), dir.Read(u"stdout"), dir.Read(u"stderr")};
}
#else
inline constexpr bool kExe = false;

inline std::string Quoted(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// The command line running the built cardo-cli with `args`.
inline std::string Cli(const std::vector<std::string>& args) {
  std::string command = CARDO_CLI;
  for (const std::string& a : args) command += " " + Quoted(a);
  return command;
}

// Runs the built cardo-cli with `args` and standard input from `input`; `environment` (an
// `env` command line) sets its variables.
inline CliRun Cli(const TempDir& dir, const std::vector<std::string>& args,
                  const std::string& input, const std::string& environment = "") {
  dir.Write(u"stdin", input);
  // The test server on localhost is not behind the machine's proxy.
  std::string command = environment + " no_proxy=localhost,127.0.0.1 " + Cli(args);
  command += " <" + Quoted(Utf16ToUtf8(dir.File(u"stdin"))) + " >" +
             Quoted(Utf16ToUtf8(dir.File(u"stdout"))) + " 2>" +
             Quoted(Utf16ToUtf8(dir.File(u"stderr")));
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, dir.Read(u"stdout"), dir.Read(u"stderr")};
}
#endif

// UTF-8 lines ending with LF as this build's standard output carries them.
inline std::string AsPrinted(std::string_view lines, bool cp932) {
  std::string bytes = cp932 ? Ansi(lines) : std::string(lines);
  if (!kExe) return bytes;
  std::string crlf;
  for (char c : bytes) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  return crlf;
}

}  // namespace cardo::testing
