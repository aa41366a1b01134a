#include "app/editing/search_window.h"

#include <algorithm>

#include "app/editing/messages.h"
#include "app/resources/resource.h"

namespace cardo {

void frmSearch::Show(HWND owner, SearchMode mode) {
  mode_ = mode;
  if (IsOpen()) ApplyMode();
  if (!ShowModeless(instance_, IDD_SEARCH, owner)) return;
  SetFocus(Item(IDC_CMBSEARCHWORD));
}

bool frmSearch::OnCommand(int id, int) {
  constexpr int kButtons[] = {IDC_CMDBUTTONS0, IDC_CMDBUTTONS1, IDC_CMDBUTTONS2};
  const auto button = std::find(std::begin(kButtons), std::end(kButtons), id);
  if (button == std::end(kButtons)) return false;
  cmdButtons_Click(static_cast<int>(button - std::begin(kButtons)));
  return true;
}

INT_PTR frmSearch::OnMessage(UINT message, WPARAM, LPARAM) {
  if (message != WM_CLOSE) return FALSE;
  cmdButtons_Click(2);
  return TRUE;
}

void frmSearch::Form_Load() {
  HWND words = Item(IDC_CMBSEARCHWORD);
  SendMessageW(words, CB_LIMITTEXT, 0, 0);  // no limit below the system's
  SetComboItems(words, settings_.SearchHistory.value_or(std::vector<std::u16string>{}));
  SendMessageW(Item(IDC_TXTREPWORD), EM_SETLIMITTEXT, 0, 0);
  CheckDlgButton(hwnd(), IDC_CHKBIGSMALL, settings_.BigSmall == 1 ? BST_CHECKED : BST_UNCHECKED);
  ApplyMode();
  CentreOverOwner(hwnd());
}

void frmSearch::ApplyMode() {
  const bool find = mode_ == SearchMode::Find;
  SetControlText(hwnd(), find ? msg::kFindCaption : msg::kReplaceCaption);
  SetControlText(Item(IDC_CMDBUTTONS0), find ? msg::kFindButton : msg::kReplaceButton);
  ShowWindow(Item(IDC_CMDBUTTONS1), find ? SW_SHOW : SW_HIDE);
  ShowWindow(Item(IDC_LBLREPWORD), find ? SW_HIDE : SW_SHOW);
  ShowWindow(Item(IDC_TXTREPWORD), find ? SW_HIDE : SW_SHOW);
}

void frmSearch::cmdButtons_Click(int index) {
  if (index == 1) {
    FindInList(shell_, state_, u"", 0, false, false);
    return;
  }
  if (index == 0) {
    const bool find = mode_ == SearchMode::Find;
    HWND words = Item(IDC_CMBSEARCHWORD);
    const std::u16string word = ControlText(words);
    if (word.empty()) {
      shell_.ui.ShowMessage(find ? msg::kNoFindWord : msg::kNoReplaceWord, msg::kWarningTitle,
                            MessageIcon::Warning, MessageButtons::Ok);
      return;
    }
    auto entries = ComboItems(words);
    UpdateSearchHistory(entries, word);
    SetComboItems(words, entries);
    SetControlText(words, word);
    const bool caseSensitive = IsDlgButtonChecked(hwnd(), IDC_CHKBIGSMALL) == BST_CHECKED;
    if (find) {
      FindInList(shell_, state_, word, std::max(shell_.list.FocusIndex(), 0), caseSensitive, true);
    } else {
      ReplaceInList(shell_, word, ControlText(Item(IDC_TXTREPWORD)), caseSensitive);
    }
  }
  Form_Unload();
  Close(IDCANCEL);
}

void frmSearch::Form_Unload() {
  auto entries = ComboItems(Item(IDC_CMBSEARCHWORD));
  if (!entries.empty()) settings_.SearchHistory = std::move(entries);
  settings_.BigSmall = IsDlgButtonChecked(hwnd(), IDC_CHKBIGSMALL) == BST_CHECKED ? 1 : 0;
}

}  // namespace cardo
