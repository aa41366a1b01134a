#include "app/platform/ui.h"

#include <exception>
#include <new>

#include "app/platform/ui_messages.h"

namespace cardo {

void ShowError(Ui& ui, std::u16string_view text) {
  ui.ShowMessage(text, msg::kErrorTitle, MessageIcon::Warning, MessageButtons::Ok);
}

const char16_t* UnexpectedFailureText(const std::exception_ptr& failure) noexcept {
  try {
    if (failure) std::rethrow_exception(failure);
  } catch (const std::bad_alloc&) {
    return msg::kUnexpectedOutOfMemory;
  } catch (...) {
  }
  return msg::kUnexpectedFailure;
}

void ShowUnexpectedFailure(Ui& ui) noexcept {
  static thread_local bool showing = false;
  if (showing) return;
  showing = true;
  try {
    ShowError(ui, UnexpectedFailureText(std::current_exception()));
  } catch (...) {
    // Too little memory even for the message: the window stays as it was.
  }
  showing = false;
}

}  // namespace cardo
