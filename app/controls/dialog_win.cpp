#include "app/controls/dialog_win.h"

#include <algorithm>
#include <cwchar>

#include <commctrl.h>

#include "app/controls/vo_button_win.h"

namespace cardo {
namespace {

constexpr UINT_PTR kIgnoreEscapeSubclass = 0x45534320;

LRESULT CALLBACK IgnoreEscapeProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR) noexcept {
  if ((message == WM_KEYDOWN || message == WM_CHAR) && wParam == VK_ESCAPE) return 0;
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(edit, IgnoreEscapeProc, kIgnoreEscapeSubclass);
  }
  return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace

DialogWindow::~DialogWindow() {
  if (hwnd_ && !modal_) DestroyWindow(hwnd_);
}

bool DialogWindow::CreateModeless(HINSTANCE instance, int templateId, HWND owner) {
  modal_ = false;
  return CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId), owner, Proc,
                            reinterpret_cast<LPARAM>(this)) != nullptr;
}

bool DialogWindow::ShowModeless(HINSTANCE instance, int templateId, HWND owner) {
  if (!hwnd_ && !CreateModeless(instance, templateId, owner)) return false;
  ShowWindow(hwnd_, SW_SHOW);
  SetForegroundWindow(hwnd_);
  return true;
}

INT_PTR DialogWindow::RunModal(HINSTANCE instance, int templateId, HWND owner) {
  modal_ = true;
  return DialogBoxParamW(instance, MAKEINTRESOURCEW(templateId), owner, Proc,
                         reinterpret_cast<LPARAM>(this));
}

void DialogWindow::Close(INT_PTR result) {
  if (!hwnd_) return;
  if (modal_) {
    EndDialog(hwnd_, result);
  } else {
    DestroyWindow(hwnd_);
  }
}

INT_PTR CALLBACK DialogWindow::Proc(HWND hwnd, UINT message, WPARAM wParam,
                                    LPARAM lParam) noexcept {
  DialogWindow* self = nullptr;
  if (message == WM_INITDIALOG) {
    self = reinterpret_cast<DialogWindow*>(lParam);
    SetWindowLongPtrW(hwnd, DWLP_USER, lParam);
    self->hwnd_ = hwnd;
  } else {
    self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  if (!self) return FALSE;
  INT_PTR handled = FALSE;
  try {
    if (message == WM_COMMAND && VoButtonDialogCommand(wParam, lParam)) return TRUE;
    handled = self->OnMessage(message, wParam, lParam);
  } catch (...) {
    OutputDebugStringW(L"Cardo: an exception reached a dialog procedure\n");
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
  }
  return handled;
}

bool RouteDialogMessage(MSG& msg) {
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  if (!root) return false;
  wchar_t cls[8] = {};
  GetClassNameW(root, cls, 8);
  // Modal dialogs run a loop of their own; the main window is no dialog.
  return std::wcscmp(cls, L"#32770") == 0 && IsDialogMessageW(root, &msg);
}

void IgnoreEscape(HWND edit) {
  SetWindowSubclass(edit, IgnoreEscapeProc, kIgnoreEscapeSubclass, 0);
}

void CentreOverOwner(HWND hwnd) {
  RECT owner{}, self{};
  GetWindowRect(GetWindow(hwnd, GW_OWNER), &owner);
  GetWindowRect(hwnd, &self);
  const LONG width = self.right - self.left;
  const LONG height = self.bottom - self.top;
  SetWindowPos(hwnd, nullptr, std::max<LONG>((owner.left + owner.right - width) / 2, 0),
               std::max<LONG>((owner.top + owner.bottom - height) / 2, 0), 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void AddToolTip(HWND dialog, HWND control, const char16_t* text) {
  // The tip window is owned by the dialog and ends with it.
  HWND tips = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  if (!tips) return;
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = dialog;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(text));
  SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::vector<std::u16string> ComboItems(HWND combo) {
  std::vector<std::u16string> items;
  const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
    std::u16string item(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, u'\0');
    const LRESULT got = SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
    item.resize(static_cast<std::size_t>(std::max<LRESULT>(got, 0)));
    items.push_back(std::move(item));
  }
  return items;
}

void SetComboItems(HWND combo, const std::vector<std::u16string>& items) {
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const auto& item : items) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
}

std::u16string ControlText(HWND hwnd) {
  const int length = GetWindowTextLengthW(hwnd);
  std::u16string text(static_cast<std::size_t>(std::max(length, 0)) + 1, u'\0');
  const int got = GetWindowTextW(hwnd, reinterpret_cast<wchar_t*>(text.data()), length + 1);
  text.resize(static_cast<std::size_t>(std::max(got, 0)));
  return text;
}

void SetControlText(HWND hwnd, const std::u16string& text) {
  SetWindowTextW(hwnd, reinterpret_cast<const wchar_t*>(text.c_str()));
}

}  // namespace cardo
