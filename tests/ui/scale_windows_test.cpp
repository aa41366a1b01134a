// The windows follow a change of display scale (WM_DPICHANGED): moved to a monitor of another
// scale, or the scale changed under them. The system does not send it here, so the tests do,
// doubling the DPI with a suggested rectangle twice the size.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <utility>
#include <vector>

#include "app/controls/dialog_win.h"
#include "app/controls/dpi_win.h"
#include "app/platform/win_handle.h"
#include "app/resources/resource.h"
#include "tests/ui/dialog_driver.h"
#include "tests/ui/main_window_fixture.h"

namespace cardo {
namespace {

RECT Doubled(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return {r.left, r.top, r.left + 2 * (r.right - r.left), r.top + 2 * (r.bottom - r.top)};
}

RECT WindowRect(HWND hwnd) {
  RECT r{};
  GetWindowRect(hwnd, &r);
  return r;
}

int FontHeight(HWND hwnd) {
  LOGFONTW face{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof face, &face);
  return face.lfHeight < 0 ? -face.lfHeight : face.lfHeight;
}

bool IsClass(HWND hwnd, const wchar_t* name) {
  wchar_t cls[32] = {};
  GetClassNameW(hwnd, cls, 32);
  return lstrcmpiW(cls, name) == 0;
}

// The first control whose height is its own: combo boxes take theirs from their font, and
// pages are dialogs of their own.
HWND FirstPlainControl(HWND dialog) {
  HWND child = GetWindow(dialog, GW_CHILD);
  while (child && (IsClass(child, L"ComboBox") || IsClass(child, L"#32770"))) {
    child = GetWindow(child, GW_HWNDNEXT);
  }
  return child;
}

void SendDpiChanged(HWND hwnd, int dpi, RECT& suggested) {
  SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
}

using ScaleTest = testing::MainWindowTest;

TEST_F(ScaleTest, MainWindowKeepsItsPhysicalSizeAndRedrawsAtTheNewDpi) {
  HWND main = window->hwnd();
  // Small enough that twice its size still fits the test's screen.
  window->SetWidth(7200);
  window->SetHeight(5400);
  const int dpi = WindowDpi(main);
  const auto button =
      static_cast<DWORD>(SendMessageW(window->toolbarHwnd(), TB_GETBUTTONSIZE, 0, 0));
  const auto row = SendMessageW(list(), LB_GETITEMHEIGHT, 0, 0);
  const int width = window->Width(), height = window->Height();

  RECT suggested = Doubled(main);
  SendDpiChanged(main, 2 * dpi, suggested);

  EXPECT_EQ(WindowDpi(main), 2 * dpi);
  const RECT now = WindowRect(main);
  EXPECT_EQ(now.right - now.left, suggested.right - suggested.left);
  EXPECT_EQ(now.bottom - now.top, suggested.bottom - suggested.top);
  EXPECT_NEAR(window->Width(), width, 15);  // the same twips: the same physical size
  EXPECT_NEAR(window->Height(), height, 15);
  const auto bigger =
      static_cast<DWORD>(SendMessageW(window->toolbarHwnd(), TB_GETBUTTONSIZE, 0, 0));
  EXPECT_GE(LOWORD(bigger), 2 * LOWORD(button) - 4);
  EXPECT_GE(HIWORD(bigger), 2 * HIWORD(button) - 4);
  EXPECT_GT(SendMessageW(list(), LB_GETITEMHEIGHT, 0, 0), row);
  // The list still starts under the toolbar and fills the rest.
  RECT toolbar{}, lines{}, client{};
  GetWindowRect(window->toolbarHwnd(), &toolbar);
  GetWindowRect(list(), &lines);
  GetClientRect(main, &client);
  EXPECT_EQ(lines.top, toolbar.bottom);
  EXPECT_EQ(lines.right - lines.left, client.right);
}

// Every tool window takes the suggested rectangle and doubles its controls and its font; the
// windows laid out in twips keep their designed twips at the new DPI.
TEST_F(ScaleTest, ToolWindowsFollowTheNewDpi) {
  struct Tool {
    const char* name;
    std::function<HWND()> open;
    int designedClientWidthTwips;  // 0: laid out by the template
    int designedClientHeightTwips;
  };
  ToolWindows& tools = window->Tools();
  const Tool cases[] = {
      {"drop dialog",
       [&] {
         tools.DropDialog().Show();
         return tools.DropDialog().hwnd();
       },
       1395, 345},
      {"free input",
       [&] {
         tools.FreeInput().Show();
         return tools.FreeInput().hwnd();
       },
       0, 0},
      {"expansion",
       [&] {
         tools.SpreadUrl().Show();
         return tools.SpreadUrl().hwnd();
       },
       0, 0},
      {"generator",
       [&] {
         tools.GeneList().Show();
         return tools.GeneList().hwnd();
       },
       0, 0},
      {"extraction",
       [&] {
         tools.Extract().Show();
         return tools.Extract().hwnd();
       },
       0, 0},
      {"preferences",
       [&] {
         tools.Prefarence().Show();
         return tools.Prefarence().hwnd();
       },
       0, 0},
      {"find",
       [&] {
         window->SearchWindow().Show(window->hwnd(), SearchMode::Find);
         return window->SearchWindow().hwnd();
       },
       0, 0},
  };
  for (const Tool& tool : cases) {
    SCOPED_TRACE(tool.name);
    HWND dialog = tool.open();
    ASSERT_NE(dialog, nullptr);
    const int dpi = WindowDpi(dialog);
    HWND first = FirstPlainControl(dialog);
    const RECT control = WindowRect(first);
    const int font = FontHeight(dialog);

    RECT suggested = Doubled(dialog);
    SendDpiChanged(dialog, 2 * dpi, suggested);

    EXPECT_EQ(WindowDpi(dialog), 2 * dpi);
    EXPECT_EQ(WindowRect(dialog).left, suggested.left);
    EXPECT_EQ(WindowRect(dialog).top, suggested.top);
    const RECT scaled = WindowRect(first);
    EXPECT_NEAR(scaled.right - scaled.left, 2 * (control.right - control.left), 2);
    EXPECT_NEAR(scaled.bottom - scaled.top, 2 * (control.bottom - control.top), 2);
    EXPECT_NEAR(FontHeight(dialog), 2 * font, 1);
    // Every control that shows text has the new font, those on pages within the window too.
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      HWND control = IsClass(child, L"#32770") ? GetWindow(child, GW_CHILD) : child;
      if (control && SendMessageW(control, WM_GETFONT, 0, 0)) {
        EXPECT_EQ(FontHeight(control), FontHeight(dialog));
      }
    }
    if (tool.designedClientWidthTwips) {
      RECT client{};
      GetClientRect(dialog, &client);
      EXPECT_NEAR(client.right, MulDiv(tool.designedClientWidthTwips, 2 * dpi, 1440), 1);
      EXPECT_NEAR(client.bottom, MulDiv(tool.designedClientHeightTwips, 2 * dpi, 1440), 1);
    } else {
      const RECT now = WindowRect(dialog);
      EXPECT_EQ(now.right - now.left, suggested.right - suggested.left);
      EXPECT_EQ(now.bottom - now.top, suggested.bottom - suggested.top);
    }
    SendMessageW(dialog, WM_CLOSE, 0, 0);
  }
}

TEST_F(ScaleTest, OneLineEditKeepsItsDesignedHeightsAtTheNewDpi) {
  window->list().ReplaceAll({u"a"});
  window->list().SetFocusIndex(0);
  int dpi = 0;
  RECT text{}, button{}, client{};
  testing::WhenDialogOpens(L"一行編集", [&](HWND dialog) {
    dpi = 2 * WindowDpi(dialog);
    RECT suggested = Doubled(dialog);
    SendDpiChanged(dialog, dpi, suggested);
    GetWindowRect(GetDlgItem(dialog, IDC_TXTLINEDATA), &text);
    GetWindowRect(GetDlgItem(dialog, IDC_CMDCLOSE), &button);
    GetClientRect(dialog, &client);
    SendMessageW(dialog, WM_CLOSE, 0, 0);
  });
  SendMessageW(window->hwnd(), WM_COMMAND, IDM_EDIT_LINE, 0);
  ASSERT_GT(dpi, 0);
  EXPECT_NEAR(client.bottom, MulDiv(495, dpi, 1440), 1);
  EXPECT_NEAR(text.bottom - text.top, MulDiv(270, dpi, 1440), 1);
  EXPECT_NEAR(button.bottom - button.top, MulDiv(285, dpi, 1440), 1);
  EXPECT_NEAR(button.right - button.left, MulDiv(1095, dpi, 1440), 1);
  EXPECT_NEAR(text.right - text.left, client.right - MulDiv(1545, dpi, 1440), 1);
}

// The banner is the picture drawn for the scale, or the next larger one shrunk to the scale's
// size; either way as wide as 300 pixels are at 96 DPI. Its static spans the window, so no
// strip of the dialog's grey shows beside the picture.
TEST_F(ScaleTest, VersionBannerTakesThePictureDrawnForTheScale) {
  struct Seen {
    int dpi, picture, control, client;
    COLORREF beside, edge;  // drawn at the control's left edge, the picture's own left edge
  };
  std::vector<Seen> seen;
  testing::WhenDialogOpens(L"バージョン情報", [&](HWND dialog) {
    for (const int dpi : {120, 144, 192, 96}) {
      RECT suggested = WindowRect(dialog);
      SendDpiChanged(dialog, dpi, suggested);
      HWND banner = GetDlgItem(dialog, IDC_IMGBANNER);
      BITMAP picture{};
      GetObjectW(reinterpret_cast<HBITMAP>(SendMessageW(banner, STM_GETIMAGE, IMAGE_BITMAP, 0)),
                 sizeof picture, &picture);
      RECT client{};
      GetClientRect(dialog, &client);
      // The static drawn into a picture of its own: beside the banner, at the banner's middle
      // row, it shows the banner's edge colour, not the dialog's grey.
      RECT box{};
      GetClientRect(banner, &box);
      HDC screen = GetDC(banner);
      UniqueDc drawn(CreateCompatibleDC(screen));
      UniqueDc source(CreateCompatibleDC(screen));
      UniqueGdi target(CreateCompatibleBitmap(screen, box.right, box.bottom));
      ReleaseDC(banner, screen);
      COLORREF beside = 0;
      COLORREF edge = 0;
      {
        const ScopedSelect to(drawn.get(), target.get());
        SendMessageW(banner, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(drawn.get()), PRF_CLIENT);
        beside = GetPixel(drawn.get(), 0, box.bottom / 2);
        const ScopedSelect from(source.get(), reinterpret_cast<HBITMAP>(SendMessageW(
                                                  banner, STM_GETIMAGE, IMAGE_BITMAP, 0)));
        edge = GetPixel(source.get(), 0, picture.bmHeight / 2);  // the control's middle row
      }
      seen.push_back({dpi, picture.bmWidth,
                      static_cast<int>(WindowRect(banner).right - WindowRect(banner).left),
                      static_cast<int>(client.right), beside, edge});
    }
    SendMessageW(dialog, WM_CLOSE, 0, 0);
  });
  SendMessageW(window->hwnd(), WM_COMMAND, IDM_HELP_VERSION, 0);
  ASSERT_EQ(seen.size(), 4u);
  for (const Seen& s : seen) {
    EXPECT_EQ(s.picture, MulDiv(300, s.dpi, 96)) << s.dpi;
    EXPECT_GE(s.control, s.picture) << s.dpi;
    EXPECT_EQ(s.beside, s.edge) << s.dpi;
  }
  // Back at the window's own size (the suggested rectangles kept it): the window's width.
  EXPECT_NEAR(seen.back().control, seen.back().client, 2);
}

}  // namespace
}  // namespace cardo
