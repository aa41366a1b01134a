#include "app/generators/free_input_window.h"

#include "app/generators/generator_text.h"
#include "app/list/messages.h"
#include "app/list/pending_lines.h"
#include "app/platform/text.h"
#include "app/resources/resource.h"

namespace cardo {
namespace {

constexpr char16_t kNothingToAdd[] = u"追加する文字列が入力されていません。";

}  // namespace

void frmFreeInput::Show() {
  ShowModeless(context_.instance, IDD_FREEINPUT, context_.main);
}

bool frmFreeInput::OnCommand(int id, int) {
  if (id == IDC_CMDINPUT) {
    cmdInput_Click();
  } else if (id == IDCANCEL) {
    cmdClose_Click();
  } else {
    return false;
  }
  return true;
}

INT_PTR frmFreeInput::OnMessage(UINT message, WPARAM, LPARAM) {
  if (message == WM_DESTROY) DropTarget::Revoke(Item(IDC_TXTFREEINPUT));
  return FALSE;
}

void frmFreeInput::Form_Load() {
  HWND text = Item(IDC_TXTFREEINPUT);
  SendMessageW(text, EM_SETLIMITTEXT, 0, 0);
  CheckDlgButton(hwnd(), IDC_CHKTEXTCLEAR,
                 context_.settings.TextClear ? BST_CHECKED : BST_UNCHECKED);
  DropTarget::Attach(
      text,
      [this](const DropData& d, DWORD allowed) { return txtFreeInput_OLEDragOver(d, allowed); },
      [this](const DropData& d, DWORD allowed) { return txtFreeInput_OLEDragDrop(d, allowed); });
  CentreOverOwner(hwnd());
}

void frmFreeInput::Form_QueryUnload() {
  context_.settings.TextClear = IsDlgButtonChecked(hwnd(), IDC_CHKTEXTCLEAR) == BST_CHECKED;
}

void frmFreeInput::cmdClose_Click() {
  Form_QueryUnload();
  Close(IDCANCEL);
}

void frmFreeInput::cmdInput_Click() {
  HWND box = Item(IDC_TXTFREEINPUT);
  const std::u16string text = ControlText(box);
  if (text.empty()) {
    ShowError(context_.shell.ui, kNothingToAdd);
    return;
  }
  PendingLines pending(context_.shell.list);
  for (const auto line : SplitAt(text, u"\r\n")) pending.Add(line);
  SetFocus(box);
  // Lines the list could not take stay in the box, whatever the check box says.
  if (!pending.Full() && IsDlgButtonChecked(hwnd(), IDC_CHKTEXTCLEAR) == BST_CHECKED) {
    SetControlText(box, u"");
  }
  pending.Commit(context_.shell);
}

DWORD frmFreeInput::txtFreeInput_OLEDragOver(const DropData& data, DWORD allowed) const {
  return data.text || !data.files.empty() ? CopyEffect(allowed) : DWORD{DROPEFFECT_NONE};
}

DWORD frmFreeInput::txtFreeInput_OLEDragDrop(const DropData& data, DWORD allowed) {
  HWND box = Item(IDC_TXTFREEINPUT);
  if (data.text) {
    SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(data.text->c_str()));
    return CopyEffect(allowed);
  }
  if (data.files.empty()) return DROPEFFECT_NONE;
  std::u16string added;
  for (const auto& path : data.files) {
    std::u16string fileText;
    const std::u16string failure = FreeInputFileText(context_.shell.fs, path, fileText);
    if (!failure.empty()) {
      // One unreadable file spoils the drop: the box keeps its text as it was.
      ShowError(context_.shell.ui, msg::kUnreadableFile + path + u"\r\n" + failure);
      return DROPEFFECT_NONE;
    }
    added += fileText;
  }
  const int end = GetWindowTextLengthW(box);
  SendMessageW(box, EM_SETSEL, end, end);
  SendMessageW(box, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(added.c_str()));
  return CopyEffect(allowed);
}

}  // namespace cardo
