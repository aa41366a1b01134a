#include "app/generators/gene_list_window.h"

#include <commctrl.h>

#include <algorithm>

#include "app/generators/generator_text.h"
#include "app/list/pending_lines.h"
#include "app/resources/resource.h"
#include "app/settings/settings_keys.h"
#include "app/platform/win_check.h"

namespace cardo {
namespace {

constexpr char16_t kCaption[] = u"規則的リストの生成";
constexpr char16_t kRunningCaption[] = u"生成中...";
constexpr char16_t kHelpTip[] = u"規則的リストの生成についてのヘルプを表示します";
constexpr UINT_PTR kUrlEditSubclass = 1;

LRESULT CALLBACK UrlEditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR data) noexcept {
  if (message == WM_KEYDOWN) reinterpret_cast<frmGeneList*>(data)->cmbUrl_KeyDown(wParam);
  if (message == WM_NCDESTROY) RemoveWindowSubclass(edit, UrlEditProc, kUrlEditSubclass);
  return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace

void frmGeneList::Show() {
  ShowModeless(context_.instance, IDD_GENELIST, context_.main);
}

bool frmGeneList::OnCommand(int id, int code) {
  switch (id) {
    case IDC_CMDGENECLOSE0:
      cmdGeneClose_Click(0);
      return true;
    case IDC_CMDGENECLOSE1:
      cmdGeneClose_Click(1);
      return true;
    case IDC_CMDSHOWTHELP:
      cmdShowTHelp_Click();
      return true;
    case IDC_CHKWINRAR:
    case IDC_CHKSETFIGURE:
      ApplyEnabling();
      return true;
    case IDC_CMBURL:
      if (code == CBN_EDITCHANGE) cmbUrl_Change();
      return true;
    default:
      return false;
  }
}

INT_PTR frmGeneList::OnMessage(UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_CLOSE:
      cmdGeneClose_Click(1);
      return TRUE;
    case WM_DESTROY:
      DropTarget::Revoke(Item(IDC_CMBURL));
      return FALSE;
    default:
      return FALSE;
  }
}

UpDownTextBox& frmGeneList::Spin(int id) const {
  return *UpDownTextBox::From(Item(id));
}

HWND frmGeneList::UrlEdit() const {
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  GetComboBoxInfo(Item(IDC_CMBURL), &info);
  return info.hwndItem;
}

void frmGeneList::Form_Load() {
  const Settings& s = context_.settings;
  for (const int id : {IDC_CMBCHAR0, IDC_CMBCHAR1}) {
    std::vector<std::u16string> letters;
    for (int i = 0; i < kVolumeLetterCount; ++i) letters.emplace_back(1, VolumeLetter(i));
    SetComboItems(Item(id), letters);
  }
  HWND url = Item(IDC_CMBURL);
  SendMessageW(url, CB_LIMITTEXT, 0, 0);
  if (s.ListHistory) SetComboItems(url, *s.ListHistory);
  if (s.ExtList) SetComboItems(Item(IDC_CMBEXTLIST), *s.ExtList);
  SendDlgItemMessageW(hwnd(), IDC_CMBEXTLIST, CB_LIMITTEXT, 0, 0);
  const struct {
    int id;
    const ValueRange& range;
  } spins[] = {{IDC_UDTNUM0, RangeOf<&Settings::NumStart>()},
               {IDC_UDTNUM1, RangeOf<&Settings::NumEnd>()},
               {IDC_UDTFIGURE, RangeOf<&Settings::FigLength>()},
               {IDC_UDTSTEP, RangeOf<&Settings::NumStep>()}};
  for (const auto& spin : spins) {
    Spin(spin.id).SetMin(spin.range.min);
    Spin(spin.id).SetMax(spin.range.max);
  }
  for (const int id : {IDC_UDTNUM0, IDC_UDTNUM1, IDC_UDTFIGURE, IDC_UDTSTEP}) {
    Spin(id).SetUpDownKey(true);
  }

  CheckRadioButton(hwnd(), IDC_OPTCONTINUE0, IDC_OPTCONTINUE1,
                   s.ContinueFileName == 1 ? IDC_OPTCONTINUE1 : IDC_OPTCONTINUE0);
  CheckDlgButton(hwnd(), IDC_CHKWINRAR, s.WinRarMode ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(hwnd(), IDC_CHKVALUERAR, s.ValueRar ? BST_CHECKED : BST_UNCHECKED);
  SendDlgItemMessageW(hwnd(), IDC_CMBCHAR0, CB_SETCURSEL, SettingInRange<&Settings::CharStart>(s),
                      0);
  SendDlgItemMessageW(hwnd(), IDC_CMBCHAR1, CB_SETCURSEL, SettingInRange<&Settings::CharEnd>(s), 0);
  Spin(IDC_UDTNUM0).SetValue(s.NumStart);
  Spin(IDC_UDTNUM1).SetValue(s.NumEnd);
  CheckDlgButton(hwnd(), IDC_CHKSETFIGURE, s.SetFigure ? BST_CHECKED : BST_UNCHECKED);
  Spin(IDC_UDTFIGURE).SetValue(s.FigLength);
  Spin(IDC_UDTSTEP).SetValue(SettingInRange<&Settings::NumStep>(s));
  ApplyEnabling();

  CARDO_CHECK_WIN32(SetWindowSubclass(UrlEdit(), UrlEditProc, kUrlEditSubclass,
                                      reinterpret_cast<DWORD_PTR>(this)));
  DropTarget::Attach(
      url, [this](const DropData& d, DWORD allowed) { return cmbUrl_OLEDragOver(d, allowed); },
      [this](const DropData& d, DWORD allowed) { return cmbUrl_OLEDragDrop(d, allowed); });
  AddToolTip(hwnd(), Item(IDC_CMDSHOWTHELP), kHelpTip);
  CentreOverOwner(hwnd());
}

void frmGeneList::ApplyEnabling() {
  const bool winRar = Checked(IDC_CHKWINRAR);
  for (const int id : {IDC_FRAWINRARMODE, IDC_CMBCHAR0, IDC_CMBCHAR1, IDC_CHKVALUERAR}) {
    EnableWindow(Item(id), winRar);
  }
  Spin(IDC_UDTFIGURE).SetEnabled(Checked(IDC_CHKSETFIGURE));
}

void frmGeneList::Form_QueryUnload() {
  Settings& s = context_.settings;
  auto history = ComboItems(Item(IDC_CMBURL));
  if (!history.empty()) s.ListHistory = std::move(history);
  s.ContinueFileName = Checked(IDC_OPTCONTINUE1) ? 1 : 0;
  s.WinRarMode = Checked(IDC_CHKWINRAR) ? 1 : 0;
  s.ValueRar = Checked(IDC_CHKVALUERAR) ? 1 : 0;
  s.SetFigure = Checked(IDC_CHKSETFIGURE) ? 1 : 0;
  s.CharStart =
      static_cast<std::int16_t>(SendDlgItemMessageW(hwnd(), IDC_CMBCHAR0, CB_GETCURSEL, 0, 0));
  s.CharEnd =
      static_cast<std::int16_t>(SendDlgItemMessageW(hwnd(), IDC_CMBCHAR1, CB_GETCURSEL, 0, 0));
  // A number typed past a box's bounds is stored as the bound: the settings file holds
  // 16-bit numbers.
  auto bounded = [this](int id) {
    const UpDownTextBox& spin = Spin(id);
    return std::clamp(spin.Value(), spin.Min(), spin.Max());
  };
  s.NumStart = bounded(IDC_UDTNUM0);
  s.NumEnd = bounded(IDC_UDTNUM1);
  s.FigLength = static_cast<std::int16_t>(bounded(IDC_UDTFIGURE));
  s.NumStep = static_cast<std::int16_t>(bounded(IDC_UDTSTEP));
}

void frmGeneList::PreferencesStored(const Settings& before) {
  const Settings& now = context_.settings;
  if (now.ExtList == before.ExtList) return;
  HWND extensions = Item(IDC_CMBEXTLIST);
  const std::u16string typed = ControlText(extensions);
  SetComboItems(extensions, now.ExtList.value_or(std::vector<std::u16string>{}));
  SetControlText(extensions, typed);
}

RegularListOptions frmGeneList::Options() const {
  RegularListOptions o;
  o.base = ControlText(Item(IDC_CMBURL));
  o.extension = ControlText(Item(IDC_CMBEXTLIST));
  o.numberInFileName = Checked(IDC_OPTCONTINUE1);
  o.start = Spin(IDC_UDTNUM0).Value();
  o.end = Spin(IDC_UDTNUM1).Value();
  o.pad = Checked(IDC_CHKSETFIGURE);
  o.padWidth = Spin(IDC_UDTFIGURE).Value();
  o.winRar = Checked(IDC_CHKWINRAR);
  o.startLetter = static_cast<int>(SendDlgItemMessageW(hwnd(), IDC_CMBCHAR0, CB_GETCURSEL, 0, 0));
  o.endLetter = static_cast<int>(SendDlgItemMessageW(hwnd(), IDC_CMBCHAR1, CB_GETCURSEL, 0, 0));
  o.withRar = Checked(IDC_CHKVALUERAR);
  o.step = Spin(IDC_UDTSTEP).Value();
  return o;
}

void frmGeneList::cmdGeneClose_Click(int index) {
  if (index == 1) {
    Form_QueryUnload();
    Close(IDCANCEL);
    return;
  }
  const RegularListOptions options = Options();
  if (const auto error = CheckRegularList(options); error != RegularListError::None) {
    ShowError(context_.shell.ui, RegularListMessage(error));
    return;
  }
  SetControlText(hwnd(), kRunningCaption);
  PendingLines pending(context_.shell.list);
  GenerateRegularList(options,
                      [&pending](const std::u16string& name) { return pending.Add(name); });
  if (pending.Commit(context_.shell) == 0) context_.shell.document.MarkModified();

  HWND url = Item(IDC_CMBURL);
  auto history = ComboItems(url);
  UpdateUrlHistory(history, options.base, context_.settings.ListMax);
  SetComboItems(url, history);
  SetControlText(hwnd(), kCaption);
  SetControlText(url, u"");
}

void frmGeneList::cmdShowTHelp_Click() {
  context_.showTopic(hwnd(), u"gen_list");
}

void frmGeneList::cmbUrl_Change() {
  if (context_.settings.CmbIntl != 1 || KeyStopsCompletion(lastKey_)) return;
  HWND url = Item(IDC_CMBURL);
  const std::u16string typed = ControlText(url);
  if (typed.empty()) return;
  DWORD caret = 0;
  SendMessageW(UrlEdit(), EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
  const LRESULT found = SendMessageW(url, CB_FINDSTRING, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(typed.c_str()));
  if (found == CB_ERR) return;
  SendMessageW(url, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
  const auto completed = static_cast<DWORD>(GetWindowTextLengthW(url));
  const DWORD added = completed > typed.size() ? completed - static_cast<DWORD>(typed.size()) : 0;
  SendMessageW(url, CB_SETEDITSEL, 0, MAKELPARAM(caret, caret + added));
}

DWORD frmGeneList::cmbUrl_OLEDragOver(const DropData& data, DWORD allowed) const {
  if (!data.text) return DROPEFFECT_NONE;
  return CopyEffect(allowed);
}

DWORD frmGeneList::cmbUrl_OLEDragDrop(const DropData& data, DWORD allowed) {
  if (!data.text) return DROPEFFECT_NONE;
  SetControlText(Item(IDC_CMBURL), *data.text);
  return cmbUrl_OLEDragOver(data, allowed);
}

}  // namespace cardo
