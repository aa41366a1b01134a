#pragma once
// Drives modal dialogs from inside a test: a thread timer finds the dialog once its own
// message loop runs and acts on it.
#include <windows.h>

#include <functional>

namespace cardo::testing {

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
