#include "app/info/version_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include "app/controls/dpi_win.h"
#include "app/info/messages.h"
#include "app/platform/failure_report_win.h"
#include "app/platform/win_check.h"
#include "app/resources/resource.h"
#include "fnc/home_page.h"

namespace cardo {
namespace {

constexpr COLORREF kLinkColor = RGB(30, 73, 121);
constexpr COLORREF kPressedColor = RGB(166, 45, 90);
constexpr UINT_PTR kLinkSubclass = 1;

std::u16string HomePage() {
  return std::u16string(reinterpret_cast<const char16_t*>(kHomePageW));
}

}  // namespace

void frmVersion::ShowModal(HWND owner) {
  RunModal(instance_, IDD_VERSION_WINDOW, owner);
}

bool frmVersion::OnCommand(int id, int code) {
  switch (id) {
    case IDOK:
    case IDCANCEL:
      Close(IDOK);
      return true;
    case IDC_IMGDLL:
      if (code == STN_CLICKED) imgDLL_Click();
      return true;
    case IDM_VERSION_OPEN:
      mnuRMnuSub_Click(1);
      return true;
    case IDM_VERSION_COPY:
      mnuRMnuSub_Click(3);
      return true;
    default:
      return false;
  }
}

INT_PTR frmVersion::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_MOUSEMOVE:
      // Over the background (and over Label2, which lets the mouse through): no underline.
      SetUnderline(false);
      return TRUE;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == Item(IDC_IMGBANNER)) {
        return reinterpret_cast<INT_PTR>(BannerFill(reinterpret_cast<HDC>(wParam)));
      }
      if (reinterpret_cast<HWND>(lParam) == Item(IDC_LBLURL)) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, linkColor_);
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
      }
      return FALSE;
    case WM_DESTROY:
      RemoveWindowSubclass(Item(IDC_LBLURL), LinkProc, kLinkSubclass);
      return FALSE;
    default:
      return FALSE;
  }
}

void frmVersion::Form_Load() {
  SetPictures();
  SetControlText(Item(IDC_LBLVERSION), u"Ver " + appVersion_);
  SetControlText(Item(IDC_LBLURL), HomePage());
  hand_ = LoadCursorW(instance_, MAKEINTRESOURCEW(IDC_HANDCURSOR));
  CARDO_CHECK_WIN32(SetWindowSubclass(Item(IDC_LBLURL), LinkProc, kLinkSubclass,
                                      reinterpret_cast<DWORD_PTR>(this)));

  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0)), sizeof font, &font);
  font.lfUnderline = TRUE;
  underlineFont_.reset(CreateFontIndirectW(&font));
  CARDO_CHECK_WIN32(underlineFont_);  // without it the address keeps the dialog's font

  AddToolTip(hwnd(), Item(IDC_IMGDLL), msg::kLibraryTip);
  CentreOverOwner(hwnd());
}

// The banner and the library's picture drawn for the window's DPI. The library's static takes
// its picture's size; the banner's keeps the window's width, the picture in its middle and the
// rest in the picture's edge colour, so no strip of the dialog's grey shows beside it.
void frmVersion::SetPictures() {
  UniqueGdi banner(LoadBitmapForDpi(instance_, IDB_BANNER, IDB_SCALE_STEP, Dpi()));
  UniqueGdi library(LoadBitmapForDpi(instance_, IDB_LIBRARY, IDB_SCALE_STEP, Dpi()));
  SendMessageW(Item(IDC_IMGBANNER), STM_SETIMAGE, IMAGE_BITMAP,
               reinterpret_cast<LPARAM>(banner.get()));
  SendMessageW(Item(IDC_IMGDLL), STM_SETIMAGE, IMAGE_BITMAP,
               reinterpret_cast<LPARAM>(library.get()));
  banner_ = std::move(banner);
  library_ = std::move(library);
  bannerFill_.reset();
}

// The static centres its picture and fills the rest of its box with the brush its dialog
// gives it. That brush is a picture of the box whose sides carry on the banner's edge columns
// (the banner is a vertical gradient) and whose top and bottom carry on its edge rows, so the
// banner spans the window with no strip of the dialog's grey beside it.
HBRUSH frmVersion::BannerFill(HDC dc) {
  RECT box{};
  GetClientRect(Item(IDC_IMGBANNER), &box);
  if (bannerFill_ && box.right == bannerFillSize_.cx && box.bottom == bannerFillSize_.cy) {
    return static_cast<HBRUSH>(bannerFill_.get());
  }
  BITMAP size{};
  if (box.right <= 0 || box.bottom <= 0 || !GetObjectW(banner_.get(), sizeof size, &size)) {
    return GetSysColorBrush(COLOR_BTNFACE);
  }
  UniqueDc source(CreateCompatibleDC(dc));
  UniqueDc target(CreateCompatibleDC(dc));
  UniqueGdi picture(CreateCompatibleBitmap(dc, box.right, box.bottom));
  if (!source || !target || !picture) return GetSysColorBrush(COLOR_BTNFACE);
  {
    const ScopedSelect from(source.get(), banner_.get());
    const ScopedSelect to(target.get(), picture.get());
    HDC s = source.get();
    HDC t = target.get();
    const int w = size.bmWidth;
    const int h = size.bmHeight;
    const int left = box.right / 2 - w / 2;
    const int top = box.bottom / 2 - h / 2;
    SetStretchBltMode(t, COLORONCOLOR);
    StretchBlt(t, 0, 0, box.right, top, s, 0, 0, 1, 1, SRCCOPY);
    StretchBlt(t, 0, top + h, box.right, box.bottom - top - h, s, 0, h - 1, 1, 1, SRCCOPY);
    StretchBlt(t, 0, top, left, h, s, 0, 0, 1, h, SRCCOPY);
    StretchBlt(t, left + w, top, box.right - left - w, h, s, w - 1, 0, 1, h, SRCCOPY);
  }
  UniqueGdi fill(CreatePatternBrush(static_cast<HBITMAP>(picture.get())));
  if (!fill) return GetSysColorBrush(COLOR_BTNFACE);
  bannerFillPicture_ = std::move(picture);
  bannerFill_ = std::move(fill);
  bannerFillSize_ = {box.right, box.bottom};
  return static_cast<HBRUSH>(bannerFill_.get());
}

void frmVersion::OnDpiChanged(int) {
  SetPictures();
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0)), sizeof font, &font);
  font.lfUnderline = TRUE;
  UniqueGdi underline(CreateFontIndirectW(&font));
  CARDO_CHECK_WIN32(underline);  // without it the address keeps the dialog's font
  if (underlined_) {
    SendMessageW(Item(IDC_LBLURL), WM_SETFONT, reinterpret_cast<WPARAM>(underline.get()), TRUE);
  }
  underlineFont_ = std::move(underline);
}

void frmVersion::SetUnderline(bool on) {
  if (underlined_ == on) return;
  underlined_ = on;
  HFONT font = on ? static_cast<HFONT>(underlineFont_.get())
                  : reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
  SendMessageW(Item(IDC_LBLURL), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void frmVersion::SetLinkColor(COLORREF color) {
  linkColor_ = color;
  InvalidateRect(Item(IDC_LBLURL), nullptr, TRUE);
}

LRESULT CALLBACK frmVersion::LinkProc(HWND link, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR data) noexcept {
  try {
    return reinterpret_cast<frmVersion*>(data)->OnLinkMessage(link, message, wParam, lParam);
  } catch (...) {
    HandFailureToWindow(link);
    return DefSubclassProc(link, message, wParam, lParam);
  }
}

LRESULT frmVersion::OnLinkMessage(HWND link, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCHITTEST:
      return HTCLIENT;  // the label takes the mouse itself
    case WM_SETCURSOR:
      if (hand_) {
        SetCursor(hand_);
        return TRUE;
      }
      break;
    case WM_MOUSEMOVE:
      SetUnderline(true);
      return 0;
    case WM_LBUTTONDOWN:
      SetLinkColor(kPressedColor);
      armed_ = true;
      SetCapture(link);  // the release comes here wherever the pointer is
      return 0;
    case WM_LBUTTONUP: {
      if (GetCapture() == link) ReleaseCapture();
      SetLinkColor(kLinkColor);
      RECT r{};
      GetClientRect(link, &r);
      const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (PtInRect(&r, at)) lblUrl_Click();
      return 0;
    }
    case WM_RBUTTONDOWN: {
      UniqueMenu menu(LoadMenuW(instance_, MAKEINTRESOURCEW(IDR_VERSIONMENU)));
      HMENU popup = GetSubMenu(menu.get(), 0);
      SetMenuDefaultItem(popup, IDM_VERSION_OPEN, FALSE);
      POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(link, &at);
      TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd(), nullptr);
      return 0;
    }
    default:
      break;
  }
  return DefSubclassProc(link, message, wParam, lParam);
}

void frmVersion::lblUrl_Click() {
  if (!armed_) return;
  armed_ = false;
  ui_.OpenWithShell(HomePage(), appDirectory_, reinterpret_cast<std::uintptr_t>(hwnd()));
}

void frmVersion::mnuRMnuSub_Click(int index) {
  if (index == 1) {
    ui_.OpenWithShell(HomePage(), appDirectory_, reinterpret_cast<std::uintptr_t>(hwnd()));
  } else if (index == 3) {
    ui_.SetClipboardText(HomePage());
  }
}

void frmVersion::imgDLL_Click() {
  ui_.Beep();
  using ShowVerDialogFn = LONG(WINAPI*)(HWND);
  // Bound by name at the call, so a missing library costs only this message.
  HMODULE library = LoadLibraryW(L"CARDOFNC.DLL");
  if (!library) {
    ShowError(ui_, SystemErrorText(GetLastError()));
    return;
  }
  const auto show = reinterpret_cast<ShowVerDialogFn>(
      reinterpret_cast<void*>(GetProcAddress(library, "ShowVerDialog")));
  if (!show) {
    ShowError(ui_, SystemErrorText(GetLastError()));
  } else {
    show(hwnd());
  }
  FreeLibrary(library);
}

}  // namespace cardo
