#include "app/controls/dialog_win.h"

#include <algorithm>
#include <cwchar>

#include "app/controls/vo_button_win.h"

namespace cardo {

DialogWindow::~DialogWindow() {
  if (hwnd_ && !modal_) DestroyWindow(hwnd_);
}

bool DialogWindow::CreateModeless(HINSTANCE instance, int templateId, HWND owner) {
  modal_ = false;
  return CreateDialogParamW(instance, MAKEINTRESOURCEW(templateId), owner, Proc,
                            reinterpret_cast<LPARAM>(this)) != nullptr;
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
