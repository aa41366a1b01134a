#pragma once
// Drives modal dialogs from inside a test: a thread timer finds the dialog once its own
// message loop runs and acts on it.
#include <windows.h>

#include <functional>

#include "app/controls/dialog_win.h"

namespace cardo::testing {

// A message delivered as the program's loop delivers it: through the dialog manager first,
// then to the window.
inline void Deliver(MSG& msg) {
  if (RouteDialogMessage(msg)) return;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

// Delivers what was posted to this thread (characters, a close a control posted).
inline void DeliverPosted() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) Deliver(msg);
}

// A key pressed and released in `control`, and what the key posts in turn.
inline void PressKey(HWND control, WPARAM key) {
  SetFocus(control);
  for (const UINT message : {WM_KEYDOWN, WM_KEYUP}) {
    MSG msg{control, message, key, 0, 0, {}};
    Deliver(msg);
    DeliverPosted();
  }
}

// Runs `act` on this thread's dialog captioned `caption` once a modal loop shows it.
inline std::function<void(HWND)> pendingAction;
inline const wchar_t* pendingCaption = nullptr;
inline UINT_PTR pendingTimer = 0;
inline void CancelDialogAction() {
  if (pendingTimer) KillTimer(nullptr, pendingTimer);
  pendingTimer = 0;
}
inline void CALLBACK ActOnDialog(HWND, UINT, UINT_PTR, DWORD) {
  HWND dialog = FindWindowW(L"#32770", pendingCaption);
  if (!dialog) return;
  CancelDialogAction();
  pendingAction(dialog);
}
inline void WhenDialogOpens(const wchar_t* caption, std::function<void(HWND)> act) {
  CancelDialogAction();
  pendingCaption = caption;
  pendingAction = std::move(act);
  pendingTimer = SetTimer(nullptr, 0, 10, ActOnDialog);
}

}  // namespace cardo::testing
