// Esc closes every tool window from every control the focus can reach, as the program's loop
// delivers the key to the modeless windows and the system's dialog loop to the modal ones; a
// dropped-down list takes the first Esc.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>

#include "app/controls/dialog_win.h"
#include "app/resources/resource.h"
#include "tests/ui/dialog_driver.h"
#include "tests/ui/main_window_fixture.h"

namespace cardo {
namespace {

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// The windows under `dialog` the user can put the focus on: every visible, enabled control
// but labels, frames and the pages that hold controls.
std::vector<HWND> Controls(HWND dialog) {
  std::vector<HWND> all;
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM out) -> BOOL {
        reinterpret_cast<std::vector<HWND>*>(out)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&all));
  std::vector<HWND> controls;
  for (HWND child : all) {
    const std::wstring name = ClassOf(child);
    const auto style = GetWindowLongPtrW(child, GWL_STYLE);
    const bool frame = name == L"Button" && (style & BS_TYPEMASK) == BS_GROUPBOX;
    // Shown in the dialog, itself and every parent up to it (a modal one may not show yet).
    bool shown = true;
    for (HWND w = child; w != dialog; w = GetParent(w)) {
      shown = shown && (GetWindowLongPtrW(w, GWL_STYLE) & WS_VISIBLE) != 0;
    }
    if (!shown || !IsWindowEnabled(child) || frame || name == L"Static" || name == L"#32770") {
      continue;
    }
    controls.push_back(child);
  }
  return controls;
}

std::string Describe(HWND control) {
  const std::wstring name = ClassOf(control);
  return std::string(name.begin(), name.end()) + " #" + std::to_string(GetDlgCtrlID(control));
}

class EscapeTest : public testing::MainWindowTest {
 protected:
  EscapeTest() {
    // The pages a run over several addresses fetches: none, at once.
    download = [](const std::u16string&, const std::u16string&, DownloadControl&) {
      return DownloadOutcome{DownloadStatus::Failed, u"HTTP/1.1 404 Not Found", {}, {}};
    };
  }
  ToolWindows& tools() { return window->Tools(); }
  void ExtractMode(int mode) {
    Command(IDM_VIEW_EXTRACT);
    SendDlgItemMessageW(tools().Extract().hwnd(), IDC_CMBMODESELECT, CB_SETCURSEL, mode, 0);
    tools().Extract().cmbModeSelect_Click();
  }
  void PreferencesPage(int page) {
    Command(IDM_VIEW_PREFERENCES);
    HWND tab = tools().Prefarence().TabControl();
    SendMessageW(tab, TCM_SETCURSEL, page, 0);
    NMHDR note{tab, 0, static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(GetParent(tab), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&note));
  }
  void CheckLinks() {
    window->LinkCheckWindow().Check(window->hwnd(), {u"ftp://h/a.zip", u"ftp://h/b.zip"});
    ASSERT_TRUE(testing::PumpUntil([&] { return !window->LinkCheckWindow().Running(); }));
  }
  void ExtractPages() {
    ExtractMode(2);
    HWND extract = tools().Extract().hwnd();
    SetControlText(GetDlgItem(extract, IDC_TXTURL), u"http://g/a/\r\nhttp://g/b/");
    SendMessageW(extract, WM_COMMAND, MAKEWPARAM(IDC_CMDSTARTCANCEL0, BN_CLICKED), 0);
    ASSERT_TRUE(testing::PumpUntil([&] { return !tools().Extract().PagesWindow().Running(); }));
  }
};

TEST_F(EscapeTest, EscClosesEveryModelessToolWindowFromEveryControl) {
  const struct {
    const char* name;
    std::function<void()> open;
    std::function<DialogWindow&()> form;
  } windows[] = {
      {"gene list", [&] { Command(IDM_VIEW_GENE_LIST); },
       [&]() -> DialogWindow& { return tools().GeneList(); }},
      {"spread", [&] { Command(IDM_VIEW_SPREAD_URL); },
       [&]() -> DialogWindow& { return tools().SpreadUrl(); }},
      {"free input", [&] { Command(IDM_VIEW_FREE_INPUT); },
       [&]() -> DialogWindow& { return tools().FreeInput(); }},
      {"drop dialog", [&] { Command(IDM_VIEW_DROP_DIALOG); },
       [&]() -> DialogWindow& { return tools().DropDialog(); }},
      {"find", [&] { Command(IDM_EDIT_FIND); },
       [&]() -> DialogWindow& { return window->SearchWindow(); }},
      {"replace", [&] { Command(IDM_EDIT_REPLACE); },
       [&]() -> DialogWindow& { return window->SearchWindow(); }},
      {"extract, text", [&] { ExtractMode(0); },
       [&]() -> DialogWindow& { return tools().Extract(); }},
      {"extract, HTML", [&] { ExtractMode(1); },
       [&]() -> DialogWindow& { return tools().Extract(); }},
      {"extract, URL", [&] { ExtractMode(2); },
       [&]() -> DialogWindow& { return tools().Extract(); }},
      {"extract, parsed", [&] { ExtractMode(3); },
       [&]() -> DialogWindow& { return tools().Extract(); }},
      {"pages", [&] { ExtractPages(); },
       [&]() -> DialogWindow& { return tools().Extract().PagesWindow(); }},
      {"link check", [&] { CheckLinks(); },
       [&]() -> DialogWindow& { return window->LinkCheckWindow(); }},
      {"viewer", [&] { window->ShowTopic(nullptr, u"list"); },
       [&]() -> DialogWindow& { return window->Viewer(); }},
  };
  std::vector<std::function<void()>> preferencePages;
  for (int page = 0; page < 4; ++page) {
    preferencePages.push_back([this, page] { PreferencesPage(page); });
  }
  const auto check = [&](const std::string& name, const std::function<void()>& open,
                         DialogWindow& form) {
    open();
    ASSERT_TRUE(form.IsOpen()) << name;
    const std::size_t count = Controls(form.hwnd()).size();
    EXPECT_GT(count, 0u) << name;
    for (std::size_t i = 0; i < count; ++i) {
      if (!form.IsOpen()) open();
      const auto controls = Controls(form.hwnd());
      ASSERT_EQ(controls.size(), count) << name;
      SetFocus(controls[i]);
      // A combo box or a number box hands the focus to its text.
      HWND focus = GetFocus();
      testing::PressKey(focus, VK_ESCAPE);
      EXPECT_FALSE(form.IsOpen()) << name << ": " << Describe(controls[i]);
      // The main window takes keys again (the preferences disable it while open).
      EXPECT_TRUE(IsWindowEnabled(window->hwnd())) << name;
    }
  };
  for (const auto& w : windows) check(w.name, w.open, w.form());
  for (std::size_t page = 0; page < preferencePages.size(); ++page) {
    check("preferences, page " + std::to_string(page), preferencePages[page], tools().Prefarence());
  }
}

TEST_F(EscapeTest, AnOpenDropDownTakesTheFirstEsc) {
  const struct {
    int command;
    std::function<DialogWindow&()> form;
    int combo;  // one with a text box, one without
  } cases[] = {
      {IDM_VIEW_GENE_LIST, [&]() -> DialogWindow& { return tools().GeneList(); }, IDC_CMBURL},
      {IDM_VIEW_EXTRACT, [&]() -> DialogWindow& { return tools().Extract(); }, IDC_CMBMODESELECT},
  };
  for (const auto& c : cases) {
    Command(c.command);
    DialogWindow& form = c.form();
    HWND combo = GetDlgItem(form.hwnd(), c.combo);
    // As a click leaves it: the dialog keeps the focus there while the list shows.
    SendMessageW(form.hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(combo), TRUE);
    SendMessageW(combo, CB_SHOWDROPDOWN, TRUE, 0);
    ASSERT_TRUE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) << c.combo;
    testing::PressKey(GetFocus(), VK_ESCAPE);
    EXPECT_FALSE(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0)) << c.combo;
    EXPECT_TRUE(form.IsOpen()) << c.combo;
    testing::PressKey(GetFocus(), VK_ESCAPE);
    EXPECT_FALSE(form.IsOpen()) << c.combo;
  }
}

// The modal windows run the system's dialog loop: the key is posted to it.
TEST_F(EscapeTest, EscClosesTheModalWindowsFromEveryControl) {
  window->list().ReplaceAll({u"http://h/a.zip"});
  window->list().SetFocusIndex(0);
  const struct {
    const wchar_t* caption;
    int command;
  } dialogs[] = {{L"一行編集", IDM_EDIT_LINE}, {L"バージョン情報", IDM_HELP_VERSION}};
  for (const auto& d : dialogs) {
    std::size_t count = 1;
    for (std::size_t i = 0; i < count; ++i) {
      bool closedByEsc = true;
      testing::WhenDialogOpens(d.caption, [&](HWND dialog) {
        const auto controls = Controls(dialog);
        count = controls.size();
        ASSERT_LT(i, count);
        SetFocus(controls[i]);
        PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(GetFocus(), WM_KEYUP, VK_ESCAPE, 0);
        // A dialog still open a while later did not close: it is ended for the test to go on.
        testing::WhenDialogOpens(d.caption, [&closedByEsc](HWND still) {
          if (!IsWindowVisible(still)) return;
          closedByEsc = false;
          EndDialog(still, IDCANCEL);
        });
      });
      Command(d.command);
      testing::CancelDialogAction();
      EXPECT_TRUE(closedByEsc) << "command " << d.command << ", control " << i;
    }
    EXPECT_GT(count, 0u);
  }
}

}  // namespace
}  // namespace cardo
