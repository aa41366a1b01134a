#include "app/controls/dialog_win.h"

#include <algorithm>
#include <cwchar>

#include <commctrl.h>

#include "app/controls/dpi_win.h"
#include "app/controls/vo_button_win.h"
#include "app/platform/failure_report_win.h"

namespace cardo {
namespace {

// Whether `focus` is a combo box, or the text box of one, whose list is dropped down.
bool InOpenDropDown(HWND focus) {
  for (HWND window : {focus, GetParent(focus)}) {
    wchar_t cls[16] = {};
    GetClassNameW(window, cls, 16);
    if (std::wcscmp(cls, L"ComboBox") == 0) {
      return SendMessageW(window, CB_GETDROPPEDSTATE, 0, 0) != 0;
    }
  }
  return false;
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
    self->dpi_ = WindowDpi(hwnd);
    SetLaidOutDpi(hwnd, self->dpi_);
    self->font_.reset();
  } else {
    self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(hwnd, DWLP_USER));
  }
  if (!self) return FALSE;
  INT_PTR handled = FALSE;
  try {
    handled = self->Dispatch(message, wParam, lParam);
  } catch (...) {
    ShowUnexpectedFailure(self->ui_);
    handled = message == HandedFailureMessage() ? TRUE : FALSE;
  }
  if (message == WM_NCDESTROY) {
    ForgetLaidOutDpi(hwnd);
    SetWindowLongPtrW(hwnd, DWLP_USER, 0);
    self->hwnd_ = nullptr;
  }
  return handled;
}

INT_PTR DialogWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return OnInit() ? TRUE : FALSE;
  if (message == WM_COMMAND) {
    if (VoButtonDialogCommand(wParam, lParam)) return TRUE;
    return OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
  }
  if (message == WM_DPICHANGED) {
    FollowDpi(HIWORD(wParam), lParam);
    return TRUE;
  }
  // The dialog manager keeps the template's font; after a DPI change the dialog answers
  // with its own, which controls drawn by the program ask for.
  if (message == WM_GETFONT && font_) {
    SetWindowLongPtrW(hwnd_, DWLP_MSGRESULT, reinterpret_cast<LONG_PTR>(font_.get()));
    return TRUE;
  }
  if (message == HandedFailureMessage()) {
    RethrowHandedFailure(lParam);
    return TRUE;
  }
  return OnMessage(message, wParam, lParam);
}

void DialogWindow::FollowDpi(int dpi, LPARAM suggested) {
  const int oldDpi = dpi_;
  if (dpi <= 0 || dpi == oldDpi) {
    TakeSuggestedRect(hwnd_, suggested);
    return;
  }
  dpi_ = dpi;
  SetLaidOutDpi(hwnd_, dpi);
  // The template's font, at the new size: the same face, its height scaled.
  LOGFONTW face{};
  HFONT current = reinterpret_cast<HFONT>(SendMessageW(hwnd_, WM_GETFONT, 0, 0));
  UniqueGdi font;
  if (current && GetObjectW(current, sizeof face, &face)) {
    face.lfHeight = MulDiv(face.lfHeight, dpi, oldDpi);
    font.reset(CreateFontIndirectW(&face));
  }
  // The controls' places before the window's new size makes the window lay itself out.
  ScaleChildren(hwnd_, dpi, oldDpi, static_cast<HFONT>(font.get()));
  // The font the controls were given stays alive until they have the next one.
  if (font) font_ = std::move(font);
  TakeSuggestedRect(hwnd_, suggested);
  OnDpiChanged(oldDpi);
  InvalidateRect(hwnd_, nullptr, TRUE);
}

void ScaleChildren(HWND parent, int dpi, int oldDpi, HFONT font) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    const int left = MulDiv(r.left, dpi, oldDpi);
    const int top = MulDiv(r.top, dpi, oldDpi);
    MoveWindow(child, left, top, MulDiv(r.right, dpi, oldDpi) - left,
               MulDiv(r.bottom, dpi, oldDpi) - top, FALSE);
    if (font) SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
}

bool RouteDialogMessage(MSG& msg) {
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  if (!root) return false;
  wchar_t cls[8] = {};
  GetClassNameW(root, cls, 8);
  // Modal dialogs run a loop of their own; the main window is no dialog.
  if (std::wcscmp(cls, L"#32770") != 0) return false;
  // Only a dialog of ours holds its object in DWLP_USER.
  if (GetWindowLongPtrW(root, DWLP_DLGPROC) == reinterpret_cast<LONG_PTR>(&DialogWindow::Proc)) {
    auto* dialog = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(root, DWLP_USER));
    try {
      if (dialog && dialog->OnDialogKey(msg)) return true;
    } catch (...) {
      ShowUnexpectedFailure(dialog->ui_);
      return true;
    }
    // Esc closes a tool window wherever its focus is, as its cancel button does: the dialog
    // manager gives it to a control that takes every key (a multi-line text), which would
    // keep the window open and the next keys in the control. An open drop-down list still
    // takes the first Esc to close itself.
    if (dialog && msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE &&
        !InOpenDropDown(msg.hwnd)) {
      SendMessageW(root, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                   reinterpret_cast<LPARAM>(GetDlgItem(root, IDCANCEL)));
      return true;
    }
  }
  return IsDialogMessageW(root, &msg);
}

void SetClientSize(HWND hwnd, int width, int height) {
  RECT outer{}, client{};
  GetWindowRect(hwnd, &outer);
  GetClientRect(hwnd, &client);
  SetWindowPos(hwnd, nullptr, 0, 0, outer.right - outer.left - client.right + width,
               outer.bottom - outer.top - client.bottom + height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void CentreOverOwner(HWND hwnd) {
  HWND owner = GetWindow(hwnd, GW_OWNER);
  RECT over{}, self{};
  if (!owner || !GetWindowRect(owner, &over)) return;
  GetWindowRect(hwnd, &self);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
  const RECT& work = monitor.rcWork;
  const LONG width = self.right - self.left;
  const LONG height = self.bottom - self.top;
  // Inside the owner's monitor; its top-left corner first when the window is the larger.
  const LONG left =
      std::max(work.left, std::min((over.left + over.right - width) / 2, work.right - width));
  const LONG top =
      std::max(work.top, std::min((over.top + over.bottom - height) / 2, work.bottom - height));
  SetWindowPos(hwnd, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
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
