#include "app/controls/cls_toolbar_win.h"

#include <utility>

#include "app/controls/twips.h"
#include "app/platform/failure_report_win.h"
#include "app/platform/win_handle.h"
#include "app/platform/win_check.h"

namespace cardo {
namespace {
constexpr UINT_PTR kRouteId = 0x70B;
// The room around a button's image at 96 DPI, as the toolbar gives it.
constexpr int kButtonPadX = 7;
constexpr int kButtonPadY = 6;
}  // namespace

clsImageList::~clsImageList() {
  if (list_) ImageList_Destroy(list_);
}

clsImageList::clsImageList(clsImageList&& other) noexcept
    : list_(std::exchange(other.list_, nullptr)) {}

clsImageList& clsImageList::operator=(clsImageList&& other) noexcept {
  if (this != &other) {
    if (list_) ImageList_Destroy(list_);
    list_ = std::exchange(other.list_, nullptr);
  }
  return *this;
}

bool clsImageList::mCreate(int width, int height) {
  if (list_) ImageList_Destroy(list_);
  list_ = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK, 16, 16);
  return CARDO_CHECK_WIN32(list_);
}

int clsImageList::mListImagesAdd(HBITMAP bitmap) {
  return list_ && bitmap ? ImageList_AddMasked(list_, bitmap, RGB(255, 0, 255)) : -1;
}

int clsImageList::mListImagesAddDisabled(HBITMAP bitmap) {
  UniqueGdi copy(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  DIBSECTION dib{};
  if (!copy || GetObjectW(copy.get(), sizeof dib, &dib) != sizeof dib ||
      dib.dsBm.bmBitsPixel != 24 || !dib.dsBm.bmBits) {
    return mListImagesAdd(bitmap);
  }
  GdiFlush();
  auto* bits = static_cast<BYTE*>(dib.dsBm.bmBits);
  for (LONG y = 0; y < dib.dsBm.bmHeight; ++y) {
    BYTE* pixel = bits + y * dib.dsBm.bmWidthBytes;
    for (LONG x = 0; x < dib.dsBm.bmWidth; ++x, pixel += 3) {
      const int b = pixel[0], g = pixel[1], r = pixel[2];
      if (r == 255 && g == 0 && b == 255) continue;
      // Black lines end mid-grey and white faces light grey: the shape keeps its contrast
      // at half strength.
      const int luma = (299 * r + 587 * g + 114 * b) / 1000;
      const BYTE grey = static_cast<BYTE>(112 + luma * 112 / 255);
      pixel[0] = pixel[1] = pixel[2] = grey;
    }
  }
  return mListImagesAdd(static_cast<HBITMAP>(copy.get()));
}

void clsMessage::Attach(HWND parent, Handler handler) {
  Detach();
  parent_ = parent;
  handler_ = std::move(handler);
  CARDO_CHECK_WIN32(SetWindowSubclass(parent_, Proc, kRouteId, reinterpret_cast<DWORD_PTR>(this)));
}

void clsMessage::Detach() {
  if (parent_ && IsWindow(parent_)) RemoveWindowSubclass(parent_, Proc, kRouteId);
  parent_ = nullptr;
}

LRESULT CALLBACK clsMessage::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR data) noexcept {
  auto* self = reinterpret_cast<clsMessage*>(data);
  try {
    LRESULT result = 0;
    if (self->handler_ && self->handler_(message, wParam, lParam, result)) return result;
    if (message == WM_NCDESTROY) {
      RemoveWindowSubclass(hwnd, Proc, kRouteId);
      self->parent_ = nullptr;
    }
  } catch (...) {
    HandFailureToWindow(hwnd);
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

bool clsToolBar::mCreate(HWND parent, int id) {
  parent_ = parent;
  toolbar_ = CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                             WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS |
                                 CCS_NODIVIDER | CCS_NOPARENTALIGN | CCS_NORESIZE,
                             0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                             GetModuleHandleW(nullptr), nullptr);
  if (!CARDO_CHECK_WIN32(toolbar_)) return false;
  SendMessageW(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  messages_.Attach(parent,
                   [this](UINT m, WPARAM w, LPARAM l, LRESULT& r) { return Route(m, w, l, r); });
  return true;
}

void clsToolBar::pImageList(const clsImageList& images, const clsImageList& disabled, int dpi) {
  SendMessageW(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images.phImageList()));
  SendMessageW(toolbar_, TB_SETDISABLEDIMAGELIST, 0,
               reinterpret_cast<LPARAM>(disabled.phImageList()));
  int width = 16, height = 16;
  ImageList_GetIconSize(images.phImageList(), &width, &height);
  const int padX = ScaleForDpi(kButtonPadX, dpi), padY = ScaleForDpi(kButtonPadY, dpi);
  SendMessageW(toolbar_, TB_SETBITMAPSIZE, 0, MAKELPARAM(width, height));
  SendMessageW(toolbar_, TB_SETPADDING, 0, MAKELPARAM(padX, padY));
  SendMessageW(toolbar_, TB_SETBUTTONSIZE, 0, MAKELPARAM(width + padX, height + padY));
  SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
  InvalidateRect(toolbar_, nullptr, TRUE);
}

void clsToolBar::pDropDownArrows(bool on) {
  SendMessageW(toolbar_, TB_SETEXTENDEDSTYLE, 0, on ? TBSTYLE_EX_DRAWDDARROWS : 0);
}

void clsToolBar::mButtonAdd(int command, int image, ButtonStyle style,
                            const std::wstring& toolTip) {
  TBBUTTON button{};
  button.idCommand = command;
  button.fsState = TBSTATE_ENABLED;
  if (style == ButtonStyle::Separator) {
    button.fsStyle = BTNS_SEP;
    button.iBitmap = 6;
  } else {
    button.iBitmap = image;
    button.fsStyle = BTNS_BUTTON | (style == ButtonStyle::DropDown ? BTNS_DROPDOWN : 0);
  }
  SendMessageW(toolbar_, TB_ADDBUTTONS, 1, reinterpret_cast<LPARAM>(&button));
  if (!toolTip.empty()) tips_[command] = toolTip;
  SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
}

void clsToolBar::pButtonEnabled(int command, bool enabled) {
  SendMessageW(toolbar_, TB_ENABLEBUTTON, command, enabled ? TRUE : FALSE);
}

bool clsToolBar::ButtonEnabled(int command) const {
  return SendMessageW(toolbar_, TB_ISBUTTONENABLED, command, 0) != 0;
}

int clsToolBar::pHeight() const {
  SIZE size{};
  SendMessageW(toolbar_, TB_GETMAXSIZE, 0, reinterpret_cast<LPARAM>(&size));
  return size.cy > 0 ? size.cy + 2 : 26;
}

void clsToolBar::Place(int top, int width) {
  SendMessageW(toolbar_, TB_AUTOSIZE, 0, 0);
  MoveWindow(toolbar_, 0, top, width, pHeight(), TRUE);
}

void clsToolBar::mButtonMenuShow(int command, HMENU menu) {
  RECT button{};
  SendMessageW(toolbar_, TB_GETRECT, command, reinterpret_cast<LPARAM>(&button));
  MapWindowPoints(toolbar_, nullptr, reinterpret_cast<POINT*>(&button), 2);
  // The button's tip would stand over the menu's first entry: it goes while the menu is open.
  HWND tips = reinterpret_cast<HWND>(SendMessageW(toolbar_, TB_GETTOOLTIPS, 0, 0));
  if (tips) {
    SendMessageW(tips, TTM_POP, 0, 0);
    SendMessageW(tips, TTM_ACTIVATE, FALSE, 0);
  }
  // Under the button, or above it where the screen ends, never over it.
  TPMPARAMS around{};
  around.cbSize = sizeof around;
  around.rcExclude = button;
  TrackPopupMenuEx(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_VERTICAL, button.left,
                   button.bottom, parent_, &around);
  if (tips) SendMessageW(tips, TTM_ACTIVATE, TRUE, 0);
}

bool clsToolBar::Route(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (message == WM_COMMAND && reinterpret_cast<HWND>(lParam) == toolbar_) {
    if (ButtonClick) ButtonClick(LOWORD(wParam));
    result = 0;
    return true;
  }
  if (message != WM_NOTIFY) return false;
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (header->hwndFrom == toolbar_ && header->code == TBN_DROPDOWN) {
    if (ButtonDropDown) ButtonDropDown(reinterpret_cast<NMTOOLBARW*>(lParam)->iItem);
    result = TBDDRET_DEFAULT;
    return true;
  }
  // Other controls' tooltips ask their own owners: only the toolbar's are answered here.
  if (header->code == TTN_GETDISPINFOW &&
      header->hwndFrom == reinterpret_cast<HWND>(SendMessageW(toolbar_, TB_GETTOOLTIPS, 0, 0))) {
    const auto tip = tips_.find(static_cast<int>(header->idFrom));
    if (tip == tips_.end()) return false;
    reinterpret_cast<NMTTDISPINFOW*>(lParam)->lpszText = const_cast<wchar_t*>(tip->second.c_str());
    result = 0;
    return true;
  }
  return false;
}

}  // namespace cardo
