#pragma once
// Cardo.exe started as a user starts it, in a folder of its own, and the means to drive it
// from outside: its windows found by class and caption, texts read and set, message boxes
// answered.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <string>
#include <vector>

#include "app/resources/resource.h"
#include "tests/support/fakes.h"

namespace cardo::e2e {

using testing::TempDir;

inline std::wstring Wide(const std::u16string& s) {
  return std::wstring(s.begin(), s.end());
}

// A file of the build tree these tests belong to: "app\\Cardo.exe", "fnc\\CARDOFNC.DLL".
inline std::u16string BuiltFile(const wchar_t* relative) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self);
  path = path.substr(0, path.find_last_of(L'\\'));  // .../tests
  path = path.substr(0, path.find_last_of(L'\\'));  // the build tree
  path += L"\\";
  path += relative;
  return std::u16string(path.begin(), path.end());
}

inline std::u16string BuiltExe() {
  return BuiltFile(L"app\\Cardo.exe");
}

struct FoundWindow {
  DWORD pid;
  HWND hwnd;
};

inline BOOL CALLBACK MatchMainWindow(HWND hwnd, LPARAM param) {
  auto* found = reinterpret_cast<FoundWindow*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  wchar_t cls[64] = {};
  GetClassNameW(hwnd, cls, 64);
  if (pid == found->pid && IsWindowVisible(hwnd) && lstrcmpW(cls, L"CardoMainWindow") == 0) {
    found->hwnd = hwnd;
    return FALSE;
  }
  return TRUE;
}

class RunningCardo {
 public:
  RunningCardo(const TempDir& dir, const std::u16string& arguments)
      : RunningCardo(dir.path(), arguments) {}
  // Cardo.exe of `folder` (ending with a separator), started there.
  RunningCardo(const std::u16string& folder, const std::u16string& arguments) {
    const std::wstring exe = Wide(folder + u"Cardo.exe");
    std::wstring commandLine = L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + Wide(arguments);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    started_ = CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              Wide(folder).c_str(), &si, &pi_) != FALSE;
  }
  ~RunningCardo() {
    if (!started_) return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 1);
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  RunningCardo(const RunningCardo&) = delete;
  RunningCardo& operator=(const RunningCardo&) = delete;

  bool started() const { return started_; }
  DWORD pid() const { return pi_.dwProcessId; }

  // The visible main window of this process, waiting up to `seconds` for it.
  HWND WaitForWindow(int seconds = 30) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
      FoundWindow found{pi_.dwProcessId, nullptr};
      EnumWindows(MatchMainWindow, reinterpret_cast<LPARAM>(&found));
      if (found.hwnd) return found.hwnd;
      if (WaitForSingleObject(pi_.hProcess, 50) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
  }

  DWORD ExitCode() const {
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi_.hProcess, &code);
    return code;
  }

  bool WaitForExit(int seconds = 30) {
    return WaitForSingleObject(pi_.hProcess, static_cast<DWORD>(seconds) * 1000) == WAIT_OBJECT_0;
  }

 private:
  PROCESS_INFORMATION pi_{};
  bool started_ = false;
};

inline std::u16string Title(HWND hwnd) {
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 256);
  return std::u16string(reinterpret_cast<const char16_t*>(text));
}

class CardoExe : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(CopyFileW(Wide(BuiltExe()).c_str(), Wide(dir.File(u"Cardo.exe")).c_str(), FALSE))
        << "Cardo.exe not found beside the tests";
  }
  TempDir dir;
};

// Cardo.exe with the function library beside it, as it ships.
class CardoExeWithLibrary : public CardoExe {
 protected:
  void SetUp() override {
    CardoExe::SetUp();
    ASSERT_TRUE(CopyFileW(Wide(BuiltFile(L"fnc\\CARDOFNC.DLL")).c_str(),
                          Wide(dir.File(u"CARDOFNC.DLL")).c_str(), FALSE));
  }
};

// This process's visible dialog captioned `caption`, waiting up to five seconds for it.
inline HWND WaitForDialog(DWORD pid, const wchar_t* caption) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline) {
    for (HWND w = FindWindowW(L"#32770", caption); w;
         w = FindWindowExW(nullptr, w, L"#32770", caption)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(w, &owner);
      if (owner == pid && IsWindowVisible(w)) return w;
    }
    Sleep(20);
  }
  return nullptr;
}

inline std::u16string Text(HWND hwnd) {
  wchar_t text[1024] = {};
  SendMessageW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
  return std::u16string(reinterpret_cast<const char16_t*>(text));
}

inline void SetText(HWND hwnd, const wchar_t* text) {
  SendMessageW(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

// Answers the message box captioned `caption` with `button` and returns its text.
inline std::u16string Answer(DWORD pid, const wchar_t* caption, int button) {
  HWND box = WaitForDialog(pid, caption);
  if (!box) return u"(no message box)";
  std::u16string text;
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    wchar_t cls[16] = {};
    GetClassNameW(c, cls, 16);
    if (lstrcmpW(cls, L"Static") == 0 && !Text(c).empty()) text = Text(c);
  }
  PostMessageW(box, WM_COMMAND, button, 0);
  return text;
}

inline std::u16string BuiltTest(const wchar_t* name) {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self);
  path = path.substr(0, path.find_last_of(L'\\') + 1) + name;
  return std::u16string(path.begin(), path.end());
}

using Lines = std::vector<std::u16string>;

// The main window's list, read from outside.
inline Lines ListLines(HWND main) {
  HWND list = GetDlgItem(main, IDC_LSTMAINLIST);
  Lines lines;
  const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    // A list that shrinks while it is read (a cut) answers LB_ERR for the lines now gone.
    const LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
    if (length == LB_ERR) break;
    std::vector<wchar_t> text(static_cast<std::size_t>(length) + 1);
    SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    lines.emplace_back(reinterpret_cast<const char16_t*>(text.data()));
  }
  return lines;
}

inline void Press(HWND dialog, int id) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// A control on one of the preferences' pages (each page is a dialog of its own).
inline HWND PageControl(HWND prefs, int id) {
  for (HWND page = FindWindowExW(prefs, nullptr, L"#32770", nullptr); page;
       page = FindWindowExW(prefs, page, L"#32770", nullptr)) {
    if (HWND control = GetDlgItem(page, id)) return control;
  }
  return nullptr;
}

// The text box inside a spin box of the control library.
inline HWND SpinEdit(HWND dialog, int id) {
  return FindWindowExW(GetDlgItem(dialog, id), nullptr, L"Edit", nullptr);
}

// Waits until `done` holds, up to five seconds.
template <typename Done>
inline bool WaitFor(Done done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    Sleep(20);
  }
  return true;
}

}  // namespace cardo::e2e
