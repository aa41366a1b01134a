// CARDOFNC.DLL as a caller uses it: loaded by name, its exports bound with GetProcAddress and
// called through __stdcall pointers with real BSTRs. The modal windows are driven by a
// thread-local CBT hook that sees them activate on the calling thread.
#include <gtest/gtest.h>

#include <windows.h>

#include <oleauto.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <functional>
#include <string>

#include "tests/support/loopback_server.h"

namespace {

using SpreadUrlFn = LONG(WINAPI*)(BSTR*, BSTR*, HWND);
using ShowVerDialogFn = LONG(WINAPI*)(HWND);
using GetDllVersionFn = BSTR(WINAPI*)();
using GetHttpFn = LONG(WINAPI*)(const char* const*, const char* const*);

std::wstring DllPath() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self);
  path = path.substr(0, path.find_last_of(L'\\'));
  path = path.substr(0, path.find_last_of(L'\\'));
  return path + L"\\fnc\\CARDOFNC.DLL";
}

BSTR Bytes(const std::string& bytes) {
  return SysAllocStringByteLen(bytes.data(), static_cast<UINT>(bytes.size()));
}

std::string Text(BSTR b) {
  return b ? std::string(reinterpret_cast<const char*>(b), SysStringByteLen(b)) : std::string();
}

// What to do when a window activates on this thread, and what to do with it once the modal
// loop runs (the dialog finishes its initialisation after it is shown).
std::function<void(HWND)> onActivate;
std::function<void()> onLoopRunning;

void CALLBACK LoopTimer(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  if (onLoopRunning) onLoopRunning();
}

LRESULT CALLBACK CbtHook(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_ACTIVATE && onActivate) onActivate(reinterpret_cast<HWND>(wParam));
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::wstring Caption(HWND hwnd) {
  wchar_t text[128] = {};
  GetWindowTextW(hwnd, text, 128);
  return text;
}

POINT Centre(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class CardofncDll : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { dll = LoadLibraryW(DllPath().c_str()); }
  static void TearDownTestSuite() { FreeLibrary(dll); }

  void SetUp() override {
    ASSERT_NE(dll, nullptr) << "CARDOFNC.DLL not found";
    spread =
        reinterpret_cast<SpreadUrlFn>(reinterpret_cast<void*>(GetProcAddress(dll, "SpreadURL")));
    showVer = reinterpret_cast<ShowVerDialogFn>(
        reinterpret_cast<void*>(GetProcAddress(dll, "ShowVerDialog")));
    getVer = reinterpret_cast<GetDllVersionFn>(
        reinterpret_cast<void*>(GetProcAddress(dll, "GetDllVersion")));
    getHttp = reinterpret_cast<GetHttpFn>(reinterpret_cast<void*>(GetProcAddress(dll, "GetHTTP")));
    ASSERT_TRUE(spread && showVer && getVer && getHttp);
    owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 80, 500,
                            400, nullptr, nullptr, nullptr, nullptr);
    hook = SetWindowsHookExW(WH_CBT, CbtHook, nullptr, GetCurrentThreadId());
  }
  void TearDown() override {
    UnhookWindowsHookEx(hook);
    onActivate = nullptr;
    onLoopRunning = nullptr;
    DestroyWindow(owner);
  }

  static HMODULE dll;
  SpreadUrlFn spread = nullptr;
  ShowVerDialogFn showVer = nullptr;
  GetDllVersionFn getVer = nullptr;
  GetHttpFn getHttp = nullptr;
  HWND owner = nullptr;
  HHOOK hook = nullptr;
};

HMODULE CardofncDll::dll = nullptr;

TEST_F(CardofncDll, ErrorsLeaveTheResultUntouched) {
  const struct {
    const char* line;
    LONG code;
  } cases[] = {{"none", 1},  {"a]b[1-2", 2},        {"[1]-2", 3},      {"[-5]", 4},
               {"[1-b]", 9}, {"[2147483648-1]", 9}, {"[aaaaaaa-b]", 9}};
  for (const auto& c : cases) {
    BSTR result = Bytes("keep");
    BSTR source = Bytes(c.line);
    const BSTR before = result;
    EXPECT_EQ(spread(&result, &source, owner), c.code) << c.line;
    EXPECT_EQ(result, before);
    EXPECT_EQ(Text(result), "keep");
    SysFreeString(result);
    SysFreeString(source);
  }
}

TEST_F(CardofncDll, SuccessReplacesTheResult) {
  const struct {
    std::string line;
    std::string text;
  } cases[] = {
      {"P[1-2]Q[a-b]S", "P1QaS\r\nP1QbS\r\nP2QaS\r\nP2QbS\r\n"},
      {"[r98-s00]", "r98\r\nr99\r\ns00\r\n"},
      {"\x83\x5B[1-2]\x83\x5D",
       "\x83\x5B"
       "1\x83\x5D\r\n\x83\x5B"
       "2\x83\x5D\r\n"},  // ゼ…ゾ
  };
  for (const auto& c : cases) {
    BSTR result = Bytes("old");
    BSTR source = Bytes(c.line);
    EXPECT_EQ(spread(&result, &source, owner), 0) << c.line;
    EXPECT_EQ(Text(result), c.text);
    EXPECT_EQ(Text(source), c.line);  // only read
    SysFreeString(result);
    SysFreeString(source);
  }
}

TEST_F(CardofncDll, ProgressWindowOverTheOwnerAndAbort) {
  HWND seen = nullptr;
  POINT dialogCentre{}, ownerCentre = Centre(owner);
  std::wstring button;
  onActivate = [&](HWND hwnd) {
    if (seen || Caption(hwnd) != L"作成中...") return;
    seen = hwnd;
    dialogCentre = Centre(hwnd);
    wchar_t text[32] = {};
    GetDlgItemTextW(hwnd, IDCANCEL, text, 32);
    button = text;
    EXPECT_EQ(GetWindow(hwnd, GW_OWNER), owner);
    PostMessageW(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  };
  BSTR result = Bytes("");
  BSTR source = Bytes("[0-2147483647]");
  EXPECT_EQ(spread(&result, &source, owner), 0);
  ASSERT_NE(seen, nullptr);
  EXPECT_EQ(button, L"中断");
  EXPECT_NEAR(dialogCentre.x, ownerCentre.x, 1);
  EXPECT_NEAR(dialogCentre.y, ownerCentre.y, 1);
  // The abort returns the lines made so far: 0, 1, 2, ... each whole.
  const std::string text = Text(result);
  EXPECT_LT(text.size(), 64u << 20);
  std::string expected;
  for (int i = 0; expected.size() < text.size(); ++i) expected += std::to_string(i) + "\r\n";
  EXPECT_EQ(text, expected);
  SysFreeString(result);
  SysFreeString(source);
}

TEST_F(CardofncDll, HugeRangesStopAtSixtyFourMegabytes) {
  BSTR result = nullptr;
  BSTR source = Bytes("http://example.com/[0-2147483647]/[0000-9999].jpg");
  EXPECT_EQ(spread(&result, &source, nullptr), 0);
  const UINT bytes = SysStringByteLen(result);
  EXPECT_GE(bytes, 64u << 20);
  EXPECT_LT(bytes, (64u << 20) + 64);
  EXPECT_EQ(Text(result).substr(0, 30), "http://example.com/0/0000.jpg\r");
  SysFreeString(result);
  SysFreeString(source);
}

TEST_F(CardofncDll, VersionText) {
  BSTR first = getVer();
  BSTR second = getVer();
  ASSERT_TRUE(first && second);
  EXPECT_NE(first, second);
  EXPECT_EQ(SysStringLen(first), 9u);
  EXPECT_STREQ(reinterpret_cast<const char*>(first), "1.01.0013");
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(second), 10), std::string("1.01.0013\0", 10));
  SysFreeString(first);
  SysFreeString(second);
}

TEST_F(CardofncDll, VersionDialogEndsOnlyByOkOrClose) {
  const struct {
    const char* name;
    std::function<void(HWND)> finish;
    LONG result;
  } cases[] = {
      {"close box", [](HWND d) { PostMessageW(d, WM_CLOSE, 0, 0); }, 0},
      {"OK", [](HWND d) { PostMessageW(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0); }, 1},
      {"Enter", [](HWND d) { PostMessageW(GetDlgItem(d, IDOK), WM_KEYDOWN, VK_RETURN, 0); }, 1},
  };
  for (const auto& c : cases) {
    std::wstring label;
    POINT dialogCentre{};
    bool handled = false;
    HWND dialog = nullptr;
    onActivate = [&](HWND hwnd) {
      if (handled || Caption(hwnd) != L"CARDOFNC.DLL について") return;
      handled = true;
      dialog = hwnd;
      SetTimer(nullptr, 0, 1, LoopTimer);
    };
    onLoopRunning = [&] {
      wchar_t text[64] = {};
      GetDlgItemTextW(dialog, 202, text, 64);
      label = text;
      dialogCentre = Centre(dialog);
      // Esc first: it must not end the dialog.
      PostMessageW(GetDlgItem(dialog, IDOK), WM_KEYDOWN, VK_ESCAPE, 0);
      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      c.finish(dialog);
    };
    EXPECT_EQ(showVer(owner), c.result) << c.name;
    EXPECT_EQ(label, L"CARDOFNC.DLL Ver 1.01.0013");
    EXPECT_NEAR(dialogCentre.x, Centre(owner).x, 1);
  }
}

// The standard error stream of the process (shared with the library) sent to a file while
// the object lives.
class CapturedStderr {
 public:
  CapturedStderr() {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    GetTempFileNameW(dir, L"err", 0, path_);
    std::fflush(stderr);
    saved_ = _dup(2);
    const int fd = _wopen(path_, _O_WRONLY | _O_TRUNC | _O_BINARY);
    _dup2(fd, 2);
    _close(fd);
  }
  ~CapturedStderr() { DeleteFileW(path_); }
  std::string Finish() {
    std::fflush(stderr);
    _dup2(saved_, 2);
    _close(saved_);
    std::string text;
    if (FILE* f = _wfopen(path_, L"rb")) {
      char buf[4096];
      std::size_t n;
      while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, n);
      std::fclose(f);
    }
    return text;
  }

 private:
  wchar_t path_[MAX_PATH];
  int saved_ = -1;
};

TEST_F(CardofncDll, GetHttpSavesTheResponse) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  char file[MAX_PATH];
  WideCharToMultiByte(CP_ACP, 0, (std::wstring(dir) + L"cardo-gethttp.htm").c_str(), -1, file,
                      MAX_PATH, nullptr, nullptr);
  // Twice: the second call starts nothing anew.
  for (int round = 0; round < 2; ++round) {
    cardo::testing::LoopbackServer server({"HTTP/1.0 200 OK\n\nline\n"});
    const std::string url = "http://127.0.0.1:" + std::to_string(server.port()) + "/x";
    const char* urlText = url.c_str();
    const char* pathText = file;
    CapturedStderr err;
    EXPECT_EQ(getHttp(&urlText, &pathText), 0);
    const std::string reports = err.Finish();
    EXPECT_EQ(urlText, url.c_str());  // the arguments are only read
    // The report lines are written in the ANSI code page: "正常にファイルを取得しました。"
    EXPECT_NE(reports.find("\x90\xB3\x8F\xED\x82\xC9\x83t\x83@\x83"
                           "C\x83\x8B"),
              std::string::npos)
        << reports;
    std::string saved;
    if (FILE* f = std::fopen(file, "rb")) {
      char buf[256];
      saved.assign(buf, std::fread(buf, 1, sizeof buf, f));
      std::fclose(f);
    }
    EXPECT_EQ(saved, "HTTP/1.0 200 OK\r\n\r\nline\r\n");
    EXPECT_EQ(server.request().substr(0, 17), "GET /x HTTP/1.0\r\n");
  }
  DeleteFileA(file);

  const char* ftp = "ftp://example.com/";
  const char* pathText = file;
  CapturedStderr err;
  EXPECT_EQ(getHttp(&ftp, &pathText), 1);
  EXPECT_EQ(getHttp(nullptr, &pathText), 9);
  EXPECT_EQ(
      err.Finish(),
      "Error: http\x82\xCCURL\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1\n"
      "Error: URL\x82\xAA\x92\xB7\x82\xB7\x82\xAC\x82\xE9\x82\xA9\x95s\x90\xB3\x82\xC5\x82\xB7\n");
}

}  // namespace
