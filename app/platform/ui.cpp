#include "app/platform/ui.h"

#include <new>

#include "app/platform/ui_messages.h"

namespace cardo {

void ShowError(Ui& ui, std::u16string_view text) {
  ui.ShowMessage(text, msg::kErrorTitle, MessageIcon::Warning, MessageButtons::Ok);
}

void ShowUnexpectedFailure(Ui& ui) noexcept {
  static thread_local bool showing = false;
  if (showing) return;
  showing = true;
  try {
    const char16_t* text = msg::kUnexpectedFailure;
    try {
      throw;
    } catch (const std::bad_alloc&) {
      text = msg::kUnexpectedOutOfMemory;
    } catch (...) {
    }
    ShowError(ui, text);
  } catch (...) {
    // Too little memory even for the message: the window stays as it was.
  }
  showing = false;
}

}  // namespace cardo
