// Not a test: a window that shows every custom control, for a person to look at
// (tools/screenshot-tool.sh gallery).
#include <windows.h>

#include <commctrl.h>
#include <ole2.h>

#include "app/controls/cls_toolbar_win.h"
#include "app/controls/register_controls_win.h"
#include "app/controls/up_down_text_box_win.h"
#include "app/controls/vo_button_win.h"
#include "app/controls/vo_panel_win.h"

namespace {

HWND Make(HWND parent, const wchar_t* cls, const wchar_t* text, int x, int y, int w, int h,
          DWORD style = 0) {
  return CreateWindowExW(0, cls, text, WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, x, y, w, h,
                         parent, nullptr, GetModuleHandleW(nullptr), nullptr);
}

LRESULT CALLBACK GalleryProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(h, m, w, l);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  OleInitialize(nullptr);
  INITCOMMONCONTROLSEX controls{sizeof controls,
                                ICC_BAR_CLASSES | ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  cardo::RegisterCustomControls();

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = GalleryProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = L"CardoGallery";
  RegisterClassExW(&wc);
  HWND main = CreateWindowExW(0, L"CardoGallery", L"Cardo コントロール一覧", WS_OVERLAPPEDWINDOW,
                              20, 20, 560, 380, nullptr, nullptr, wc.hInstance, nullptr);
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  HFONT font = CreateFontIndirectW(&metrics.lfMessageFont);
  SendMessageW(main, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);

  cardo::clsImageList images;
  images.mCreate(16, 16);
  cardo::clsToolBar bar;
  bar.mCreate(main, 100);
  bar.pImageList(images, images, 96);
  bar.pDropDownArrows(true);
  bar.mButtonAdd(1, -1, cardo::clsToolBar::ButtonStyle::Plain, L"一");
  bar.mButtonAdd(2, -1, cardo::clsToolBar::ButtonStyle::Separator);
  bar.mButtonAdd(3, -1, cardo::clsToolBar::ButtonStyle::DropDown, L"三");
  bar.Place(0, 540);

  auto label = [&](const wchar_t* text, int x, int y) {
    HWND h = Make(main, L"STATIC", text, x, y, 200, 18);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  };
  label(L"UpDownTextBox（1〜100, 右 / 左）", 16, 44);
  auto* right =
      cardo::UpDownTextBox::From(Make(main, cardo::UpDownTextBox::kClassName, L"", 16, 64, 90, 24));
  right->SetMin(1);
  right->SetMax(100);
  right->SetValue(42);
  auto* left = cardo::UpDownTextBox::From(
      Make(main, cardo::UpDownTextBox::kClassName, L"", 120, 64, 90, 24));
  left->SetSpinAlign(cardo::UpDownTextBox::Align::Left);
  left->SetValue(7);

  label(L"VoButton（通常 / トグル / 無効）", 16, 104);
  auto* push =
      cardo::VoButton::From(Make(main, cardo::VoButton::kClassName, L"...", 16, 124, 60, 24));
  auto* toggle =
      cardo::VoButton::From(Make(main, cardo::VoButton::kClassName, L"トグル", 86, 124, 80, 24));
  toggle->SetStyle(cardo::VoButton::ButtonStyle::Toggle);
  toggle->SetValue(true);
  Make(main, cardo::VoButton::kClassName, L"ヘルプ(&H)", 176, 124, 90, 24, WS_DISABLED);
  (void)push;

  label(L"VoPanel（浮き / 沈み / 段付き / 平面）", 16, 164);
  int x = 16;
  for (int i = 0; i < 4; ++i, x += 130) {
    auto* panel =
        cardo::VoPanel::From(Make(main, cardo::VoPanel::kClassName, L"", x, 186, 116, 80));
    panel->SetView(i == 1 ? cardo::VoPanel::View::Sunken : cardo::VoPanel::View::Raised);
    panel->SetPaneling(i == 2);
    if (i == 3) {
      panel->SetAppearance(cardo::VoPanel::Appearance::Flat);
      panel->SetBackColor(RGB(255, 255, 255));
      panel->SetOLEDropMode(true);
    }
  }
  label(L"ここにドロップできます →", 300, 280);

  ShowWindow(main, SW_SHOW);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(main, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  DeleteObject(font);
  OleUninitialize();
  return 0;
}
