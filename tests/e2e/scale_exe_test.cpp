// Cardo.exe at the display scales laptops run: 100, 125, 150 and 200 %.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "app/resources/resource.h"
#include "tests/e2e/cardo_exe.h"

namespace cardo {
namespace {

using namespace e2e;

// The prefix's display DPI, which a program reads when it starts; the value it had comes back
// at the end.
class LogPixels {
 public:
  LogPixels() {
    DWORD value = 0, size = sizeof value;
    had_ = RegGetValueW(HKEY_CURRENT_USER, kKey, L"LogPixels", RRF_RT_REG_DWORD, nullptr, &value,
                        &size) == ERROR_SUCCESS;
    saved_ = value;
  }
  ~LogPixels() {
    if (had_) {
      Set(static_cast<int>(saved_));
    } else {
      RegDeleteKeyValueW(HKEY_CURRENT_USER, kKey, L"LogPixels");
    }
  }
  LogPixels(const LogPixels&) = delete;
  LogPixels& operator=(const LogPixels&) = delete;

  static bool Set(int dpi) {
    const DWORD value = static_cast<DWORD>(dpi);
    return RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"LogPixels", REG_DWORD, &value,
                           sizeof value) == ERROR_SUCCESS;
  }

 private:
  static constexpr wchar_t kKey[] = L"Control Panel\\Desktop";
  bool had_ = false;
  DWORD saved_ = 0;
};

// Reads other processes' windows in their own pixels, whatever this process's DPI is.
class PerMonitorThread {
 public:
  PerMonitorThread() {
    using SetContext = HANDLE(WINAPI*)(HANDLE);
    set_ = reinterpret_cast<SetContext>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetThreadDpiAwarenessContext")));
    if (set_) previous_ = set_(reinterpret_cast<HANDLE>(-4));  // per monitor, v2
  }
  ~PerMonitorThread() {
    if (set_ && previous_) set_(previous_);
  }
  PerMonitorThread(const PerMonitorThread&) = delete;
  PerMonitorThread& operator=(const PerMonitorThread&) = delete;

 private:
  HANDLE(WINAPI* set_)(HANDLE) = nullptr;
  HANDLE previous_ = nullptr;
};

int Pixels(int twips, int dpi) {
  return MulDiv(twips, dpi, 1440);
}

// A first start at each scale: the designed twips in pixels, as far as the work area takes
// them, and stored; larger buttons and rows, the drop dialog at its designed twips. The stored
// size is a physical size, so the settings file moves between scales unchanged.
TEST_F(CardoExe, FirstStartIsTheSamePhysicalSizeAtEveryScale) {
  constexpr int kWidthTwips = 9120, kHeightTwips = 6990;  // a first start's outer size
  constexpr int kDropWidthTwips = 1395, kDropHeightTwips = 345;
  LogPixels restore;
  PerMonitorThread perMonitor;
  SIZE lastButton{};
  int lastRow = 0;
  for (const int dpi : {96, 120, 144, 192}) {
    SCOPED_TRACE(::testing::Message() << dpi << " DPI");
    ASSERT_TRUE(LogPixels::Set(dpi));
    TempDir folder;
    ASSERT_TRUE(
        CopyFileW(Wide(BuiltExe()).c_str(), Wide(folder.File(u"Cardo.exe")).c_str(), FALSE));
    RunningCardo cardo(folder, u"");
    HWND main = cardo.WaitForWindow();
    ASSERT_NE(main, nullptr);

    RECT outer{}, work{};
    GetWindowRect(main, &outer);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int width = std::min<int>(Pixels(kWidthTwips, dpi), work.right - work.left);
    const int height = std::min<int>(Pixels(kHeightTwips, dpi), work.bottom - work.top);
    EXPECT_NEAR(outer.right - outer.left, width, 2);
    EXPECT_NEAR(outer.bottom - outer.top, height, 2);
    EXPECT_GE(outer.left, work.left);
    EXPECT_GE(outer.top, work.top);
    EXPECT_LE(outer.right, work.right);
    EXPECT_LE(outer.bottom, work.bottom);

    HWND toolbar = FindWindowExW(main, nullptr, TOOLBARCLASSNAMEW, nullptr);
    const auto buttonSize = static_cast<DWORD>(SendMessageW(toolbar, TB_GETBUTTONSIZE, 0, 0));
    const SIZE button{LOWORD(buttonSize), HIWORD(buttonSize)};
    EXPECT_GT(button.cx, lastButton.cx);
    EXPECT_GT(button.cy, lastButton.cy);
    lastButton = button;
    const int row =
        static_cast<int>(SendMessageW(GetDlgItem(main, IDC_LSTMAINLIST), LB_GETITEMHEIGHT, 0, 0));
    EXPECT_GT(row, lastRow);
    lastRow = row;

    PostMessageW(main, WM_COMMAND, IDM_VIEW_DROP_DIALOG, 0);
    HWND drop = WaitForDialog(cardo.pid(), L"Drop Dialog");
    ASSERT_NE(drop, nullptr);
    RECT client{};
    GetClientRect(drop, &client);
    EXPECT_NEAR(client.right, Pixels(kDropWidthTwips, dpi), 1);
    EXPECT_NEAR(client.bottom, Pixels(kDropHeightTwips, dpi), 1);

    PostMessageW(main, WM_CLOSE, 0, 0);
    ASSERT_TRUE(cardo.WaitForExit(10));
    const std::wstring ini = Wide(folder.File(u"CARDO.INI"));
    // Stored as the twips of the pixels it has: the designed numbers when it was not shrunk.
    EXPECT_NEAR(GetPrivateProfileIntW(L"WINDOW", L"width", 0, ini.c_str()),
                MulDiv(width, 1440, dpi), 1440 / dpi);
    EXPECT_NEAR(GetPrivateProfileIntW(L"WINDOW", L"height", 0, ini.c_str()),
                MulDiv(height, 1440, dpi), 1440 / dpi);

    // A size stored at another scale opens at its physical size and is stored back unchanged.
    WritePrivateProfileStringW(L"WINDOW", L"width", L"7200", ini.c_str());
    WritePrivateProfileStringW(L"WINDOW", L"height", L"5400", ini.c_str());
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, ini.c_str());
    RunningCardo again(folder, u"");
    HWND reopened = again.WaitForWindow();
    ASSERT_NE(reopened, nullptr);
    GetWindowRect(reopened, &outer);
    EXPECT_NEAR(outer.right - outer.left, Pixels(7200, dpi), 2);
    EXPECT_NEAR(outer.bottom - outer.top, Pixels(5400, dpi), 2);
    PostMessageW(reopened, WM_CLOSE, 0, 0);
    ASSERT_TRUE(again.WaitForExit(10));
    EXPECT_EQ(GetPrivateProfileIntW(L"WINDOW", L"width", 0, ini.c_str()), 7200);
    EXPECT_EQ(GetPrivateProfileIntW(L"WINDOW", L"height", 0, ini.c_str()), 5400);
  }
}

}  // namespace
}  // namespace cardo
