#include "app/platform/failure_report_win.h"

#include <memory>

namespace cardo {

UINT HandedFailureMessage() {
  // Never 0 (WM_NULL), whose lParam is no failure.
  static const UINT message = [] {
    const UINT registered = RegisterWindowMessageW(L"Cardo.HandedFailure");
    return registered ? registered : WM_APP + 0x3F00;
  }();
  return message;
}

bool HandFailureToWindow(HWND window) noexcept {
  const HWND root = window ? GetAncestor(window, GA_ROOT) : nullptr;
  if (!root) return false;
  std::exception_ptr* failure = nullptr;
  try {
    failure = new std::exception_ptr(std::current_exception());
  } catch (...) {
    return false;
  }
  // A window that ends before it reads the message leaves this one record behind.
  if (PostMessageW(root, HandedFailureMessage(), 0, reinterpret_cast<LPARAM>(failure))) {
    return true;
  }
  delete failure;
  return false;
}

void RethrowHandedFailure(LPARAM lParam) {
  const std::unique_ptr<std::exception_ptr> handed(reinterpret_cast<std::exception_ptr*>(lParam));
  if (handed && *handed) std::rethrow_exception(*handed);
}

}  // namespace cardo
