#pragma once
// A failure caught where the user cannot be told (a control's subclass procedure, a COM
// callback the system called) is handed to the top-level window that holds the place; that
// window's procedure rethrows it and tells the user as it tells of its own failures.
#include <windows.h>

#include <exception>

namespace cardo {

// The message that carries a handed failure: lParam owns a heap std::exception_ptr, which the
// receiving procedure rethrows with RethrowHandedFailure.
UINT HandedFailureMessage();

// Called in a catch block: posts the failure being handled to the top-level window of
// `window`, to be shown once the procedure under way has returned (a drop's source waits for
// its Drop, so nothing modal runs inside it). False when it could not be posted.
bool HandFailureToWindow(HWND window) noexcept;

// For the window that received HandedFailureMessage: throws the failure it carries (freed
// here); returns when it carries none.
void RethrowHandedFailure(LPARAM lParam);

}  // namespace cardo
