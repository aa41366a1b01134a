// A failure inside a dialog, in its own handler or handed over by one of its controls, told to
// the user while the dialog stays and works on.
#include <gtest/gtest.h>

#include <windows.h>

#include <exception>

#include "app/controls/dialog_win.h"
#include "app/platform/failure_report_win.h"
#include "app/resources/resource.h"
#include "tests/support/fakes.h"
#include "tests/ui/failure_cases.h"

namespace cardo {
namespace {

// A dialog whose commands fail as the table says.
class FailingDialog final : public DialogWindow {
 public:
  explicit FailingDialog(Ui& ui) : DialogWindow(ui) {}
  bool Open() { return CreateModeless(GetModuleHandleW(nullptr), IDD_EXTRACT_PAGES, nullptr); }
  std::exception_ptr failure;
  int handled = 0;

 private:
  bool OnCommand(int, int) override {
    if (failure) std::rethrow_exception(failure);
    ++handled;
    return true;
  }
};

void PumpPosted() {
  MSG msg{};
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

TEST(DialogFailure, AFailureInADialogOrOneOfItsControlsIsToldAndTheDialogStays) {
  for (const bool handed : {false, true}) {
    for (const UnexpectedFailure& c : UnexpectedFailures()) {
      SCOPED_TRACE(handed ? "handed by a control" : "in the dialog's handler");
      testing::ScriptedUi ui;
      FailingDialog dialog(ui);
      ASSERT_TRUE(dialog.Open());
      if (handed) {
        try {
          std::rethrow_exception(c.failure);
        } catch (...) {
          ASSERT_TRUE(HandFailureToWindow(dialog.Item(IDC_LVWPAGES)));
        }
      } else {
        dialog.failure = c.failure;
        SendMessageW(dialog.hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      }
      PumpPosted();
      ASSERT_EQ(ui.messages.size(), 1u);
      EXPECT_EQ(ui.messages[0].text, c.text);
      EXPECT_EQ(ui.messages[0].icon, MessageIcon::Warning);
      dialog.failure = nullptr;
      ASSERT_TRUE(dialog.IsOpen());
      SendMessageW(dialog.hwnd(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
      EXPECT_EQ(dialog.handled, 1) << "the dialog works on after the failure";
    }
  }
}

}  // namespace
}  // namespace cardo
