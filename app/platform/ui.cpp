#include "app/platform/ui.h"

#include "app/platform/ui_messages.h"

namespace cardo {

void ShowError(Ui& ui, std::u16string_view text) {
  ui.ShowMessage(text, msg::kErrorTitle, MessageIcon::Warning, MessageButtons::Ok);
}

}  // namespace cardo
