#include "app/settings/preferences_window.h"

#include <commctrl.h>
#include <commdlg.h>
#include <uxtheme.h>

#include <string_view>
#include <variant>

#include "app/controls/dpi_win.h"
#include "app/controls/up_down_text_box_win.h"
#include "app/controls/vo_button_win.h"
#include "app/export/export.h"
#include "app/platform/text.h"
#include "app/receive/receiver.h"
#include "app/resources/resource.h"
#include "app/settings/settings_keys.h"

namespace cardo {
namespace {

constexpr const wchar_t* kTabs[] = {L"全体の設定", L"ツールの設定1", L"ツールの設定2",
                                    L"エクスポート"};
constexpr int kPages = 4;
constexpr char16_t kNoExtension[] = u"追加する拡張子が指定されていません。";
constexpr char16_t kHelpTip[] = u"ReGet/Iriaについてのヘルプを表示します";
constexpr char16_t kFilterTip[] = u"フィルタについてのヘルプを表示します";
constexpr char16_t kOtherTip[] = u"その他のダウンロードマネージャについてのヘルプを表示します";
constexpr const char16_t* kBrowseTitles[] = {u"ReGetを指定してください", u"Iriaを指定してください",
                                             u"ダウンロードマネージャを指定してください"};
constexpr UINT_PTR kSubclass = 1;

template <std::size_t N>
void FillRules(HWND combo, const RuleRow (&rows)[N]) {
  std::vector<std::u16string> labels;
  for (const RuleRow& row : rows) labels.emplace_back(row.label);
  SetComboItems(combo, labels);
}

// A number is edited in a spin box, or chosen by its place in a drop-down list: the template
// says which.
UpDownTextBox* SpinBox(HWND control) {
  wchar_t name[64] = {};
  GetClassNameW(control, name, 64);
  return std::wstring_view(name) == UpDownTextBox::kClassName ? UpDownTextBox::From(control)
                                                              : nullptr;
}

// A number of 0 or 1 may be edited in a check box.
bool IsCheckBox(HWND control) {
  wchar_t name[16] = {};
  GetClassNameW(control, name, 16);
  return _wcsicmp(name, L"Button") == 0 &&
         (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX;
}

bool Checked(HWND button) {
  return SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void Check(HWND button, std::int16_t flag) {
  SendMessageW(button, BM_SETCHECK, flag ? BST_CHECKED : BST_UNCHECKED, 0);
}

}  // namespace

void frmPrefarence::Show() {
  if (IsOpen()) {
    SetForegroundWindow(hwnd());
    return;
  }
  EnableWindow(context_.main, FALSE);
  if (!CreateModeless(context_.instance, IDD_PREFARENCE, context_.main)) {
    EnableWindow(context_.main, TRUE);
    return;
  }
  ShowWindow(hwnd(), SW_SHOW);
}

LRESULT CALLBACK frmPrefarence::PlaceholderProc(HWND placeholder, UINT message, WPARAM wParam,
                                                LPARAM lParam, UINT_PTR, DWORD_PTR data) noexcept {
  if (message == WM_NOTIFY &&
      reinterpret_cast<const NMHDR*>(lParam)->code == static_cast<UINT>(TCN_SELCHANGE)) {
    reinterpret_cast<frmPrefarence*>(data)->picTabControl_SelChange();
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(placeholder, PlaceholderProc, kSubclass);
  return DefSubclassProc(placeholder, message, wParam, lParam);
}

// Enter in the extension box registers the text, and the dialog never sees the key.
LRESULT CALLBACK frmPrefarence::AddExtProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR data) noexcept {
  switch (message) {
    case WM_GETDLGCODE:
      if (lParam && reinterpret_cast<const MSG*>(lParam)->wParam == VK_RETURN) {
        return DLGC_WANTALLKEYS;
      }
      break;
    case WM_KEYDOWN:
      if (wParam == VK_RETURN) {
        reinterpret_cast<frmPrefarence*>(data)->cmdExtCmd_Click(0);
        return 0;
      }
      break;
    case WM_CHAR:
      if (wParam == L'\r') return 0;
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(edit, AddExtProc, kSubclass);
      break;
    default:
      break;
  }
  return DefSubclassProc(edit, message, wParam, lParam);
}

// A page hands its controls' commands to the dialog.
INT_PTR CALLBACK frmPrefarence::PageProc(HWND page, UINT message, WPARAM wParam,
                                         LPARAM lParam) noexcept {
  if (message != WM_COMMAND) return FALSE;
  SendMessageW(GetParent(page), message, wParam, lParam);
  return TRUE;
}

HWND frmPrefarence::Control(int id) const {
  for (HWND page : pages_) {
    if (HWND control = page ? GetDlgItem(page, id) : nullptr) return control;
  }
  return Item(id);
}

bool frmPrefarence::OnCommand(int id, int code) {
  if (id == IDC_CMDOKCANCEL0 || id == IDC_CMDOKCANCEL1) {
    cmdOkCancel_Click(id == IDC_CMDOKCANCEL0 ? 0 : 1);
  } else if (id >= IDC_CMDEXTCMD0 && id < IDC_CMDEXTCMD0 + 4) {
    cmdExtCmd_Click(id - IDC_CMDEXTCMD0);
  } else if (id == IDC_CMDHELP) {
    cmdHelp_Click();
  } else if (id == IDC_CMBOTHERFORMAT && code == CBN_SELCHANGE) {
    cmbOtherFormat_Click();
  } else if (id == IDC_PREF_CHKRECEIVE && code == BN_CLICKED) {
    chkReceive_Click();
  } else if (id == IDC_PREF_CMDCOPYTOKEN) {
    context_.shell.ui.SetClipboardText(ControlText(Control(IDC_PREF_TXTRECEIVETOKEN)));
  } else if (id == IDC_PREF_CMDNEWTOKEN) {
    SetControlText(Control(IDC_PREF_TXTRECEIVETOKEN), Utf8ToUtf16(NewReceiverToken()));
  } else {
    return false;
  }
  return true;
}

INT_PTR frmPrefarence::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DRAWITEM:
      if (wParam != IDC_IMGSBANNER) return FALSE;
      DrawBanner(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_CLOSE:
      cmdOkCancel_Click(1);
      return TRUE;
    default:
      return FALSE;
  }
}

void frmPrefarence::Form_Load() {
  HWND placeholder = Control(IDC_PICTABCONTROL);
  RECT area{};
  GetClientRect(placeholder, &area);
  tab_ = CreateWindowExW(
      0, WC_TABCONTROLW, L"",
      WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | TCS_TOOLTIPS | TCS_FORCELABELLEFT, 0,
      0, area.right, area.bottom, placeholder, nullptr, context_.instance, nullptr);
  SendMessageW(tab_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  for (int i = 0; i < kPages; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(kTabs[i]);
    SendMessageW(tab_, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  SetWindowSubclass(placeholder, PlaceholderProc, kSubclass, reinterpret_cast<DWORD_PTR>(this));
  CreatePages();
  banner_.reset(LoadBitmapForDpi(context_.instance, IDB_SBANNER, IDB_SCALE_STEP, Dpi()));

  // The drop-down lists' choices; the settings choose among them.
  std::vector<std::u16string> formats;
  for (int i = 0; i < kOtherFormatCount; ++i) {
    formats.emplace_back(FormatRow(ToOtherFormat(i)).label);
  }
  SetComboItems(Control(IDC_CMBOTHERFORMAT), formats);
  FillRules(Control(IDC_CMBEXPORTREFERER), kRefererRules);
  FillRules(Control(IDC_CMBEXPORTNAMES), kNameRules);
  const Settings shown = ShownInPreferences(context_.settings);
  ShowSettings(shown);
  chkReceive_Click();
  otherFormat_ = ToOtherFormat(shown.OtherFormat);
  SetWindowSubclass(Control(IDC_TXTADDEXT), AddExtProc, kSubclass,
                    reinterpret_cast<DWORD_PTR>(this));

  constexpr int kBrowse[] = {IDC_CMDBROWSSOFT0, IDC_CMDBROWSSOFT1, IDC_CMDBROWSSOFT2};
  for (const int i : {0, 1, 2}) {
    VoButton::From(Control(kBrowse[i]))->Click = [this, i] { cmdBrowsSoft_Click(i); };
  }
  VoButton& filterHelp = *VoButton::From(Control(IDC_PREF_CMDSHOWTHELP));
  filterHelp.Click = [this] { cmdShowTHelp_Click(); };
  AddToolTip(hwnd(), filterHelp.hwnd(), kFilterTip);
  AddToolTip(hwnd(), Control(IDC_CMDHELP), kHelpTip);
  VoButton& otherHelp = *VoButton::From(Control(IDC_CMDOTHERHELP));
  otherHelp.Click = [this] { context_.showTopic(hwnd(), u"other"); };
  AddToolTip(hwnd(), otherHelp.hwnd(), kOtherTip);

  ShowPage(0);
  CentreOverOwner(hwnd());
}

void frmPrefarence::CreatePages() {
  RECT display{};
  GetClientRect(tab_, &display);
  SendMessageW(tab_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  MapWindowPoints(tab_, hwnd(), reinterpret_cast<POINT*>(&display), 2);
  for (int i = kPages - 1; i >= 0; --i) {
    pages_[i] = CreateDialogParamW(context_.instance, MAKEINTRESOURCEW(IDD_PREF_PAGE0 + i), hwnd(),
                                   PageProc, 0);
    // The page takes the tab control's background, as a property sheet's pages do.
    EnableThemeDialogTexture(pages_[i], ETDT_ENABLETAB);
    SetWindowPos(pages_[i], HWND_TOP, display.left, display.top, display.right - display.left,
                 display.bottom - display.top, SWP_NOACTIVATE);
  }
}

// The pages are dialogs of their own inside this one: their controls and the tab strip follow
// the new DPI here, the banner is taken again at its size.
void frmPrefarence::OnDpiChanged(int oldDpi) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(hwnd(), WM_GETFONT, 0, 0));
  for (HWND page : pages_) {
    if (page) ScaleChildren(page, Dpi(), oldDpi, font);
  }
  LOGFONTW tabFace{};
  if (GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof tabFace, &tabFace)) {
    tabFace.lfHeight = MulDiv(tabFace.lfHeight, Dpi(), SystemDpi());
    UniqueGdi tabFont(CreateFontIndirectW(&tabFace));
    SendMessageW(tab_, WM_SETFONT, reinterpret_cast<WPARAM>(tabFont.get()), TRUE);
    tabFont_ = std::move(tabFont);
  }
  RECT area{};
  GetClientRect(Control(IDC_PICTABCONTROL), &area);
  MoveWindow(tab_, 0, 0, area.right, area.bottom, TRUE);
  banner_.reset(LoadBitmapForDpi(context_.instance, IDB_SBANNER, IDB_SCALE_STEP, Dpi()));
  InvalidateRect(Control(IDC_IMGSBANNER), nullptr, TRUE);
}

void frmPrefarence::ShowPage(int page) {
  for (int i = 0; i < kPages; ++i) {
    if (i != page) ShowWindow(pages_[i], SW_HIDE);
  }
  SetWindowPos(pages_[page], HWND_TOP, 0, 0, 0, 0,
               SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void frmPrefarence::DrawBanner(const DRAWITEMSTRUCT& item) const {
  UniqueDc memory(CreateCompatibleDC(item.hDC));
  BITMAP size{};
  if (!memory || !GetObjectW(banner_.get(), sizeof size, &size)) return;
  const ScopedSelect picture(memory.get(), banner_.get());
  // The picture is one colour at its edges: the box around it takes that colour.
  UniqueGdi fill(CreateSolidBrush(GetPixel(memory.get(), 0, 0)));
  FillRect(item.hDC, &item.rcItem, static_cast<HBRUSH>(fill.get()));
  const RECT& box = item.rcItem;
  BitBlt(item.hDC, box.left + (box.right - box.left - size.bmWidth) / 2,
         box.top + (box.bottom - box.top - size.bmHeight) / 2, size.bmWidth, size.bmHeight,
         memory.get(), 0, 0, SRCCOPY);
}

// Ctrl+Tab and Ctrl+PgDn go to the next page, with Shift or Ctrl+PgUp to the one before,
// round from the last to the first, as in a property sheet. The focus stays on the tab strip,
// or goes to the new page's first control.
bool frmPrefarence::OnDialogKey(const MSG& msg) {
  if (msg.message != WM_KEYDOWN || GetKeyState(VK_CONTROL) >= 0) return false;
  int step = 0;
  if (msg.wParam == VK_TAB) step = GetKeyState(VK_SHIFT) < 0 ? -1 : 1;
  if (msg.wParam == VK_NEXT) step = 1;
  if (msg.wParam == VK_PRIOR) step = -1;
  if (step == 0) return false;
  const auto current = SendMessageW(tab_, TCM_GETCURSEL, 0, 0);
  const int page = static_cast<int>((current + step + kPages) % kPages);
  SendMessageW(tab_, TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
  ShowPage(page);
  if (GetFocus() != tab_) {
    if (HWND first = GetNextDlgTabItem(pages_[page], nullptr, FALSE)) {
      SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
    }
  }
  return true;
}

void frmPrefarence::picTabControl_SelChange() {
  const auto page = SendMessageW(tab_, TCM_GETCURSEL, 0, 0);
  if (page >= 0 && page < kPages) ShowPage(static_cast<int>(page));
}

void frmPrefarence::ShowSettings(const Settings& shown) {
  for (const ScalarKey& key : kScalarKeys) {
    if (!key.control) continue;
    HWND control = Control(key.control);
    if (const auto* text = std::get_if<std::u16string Settings::*>(&key.field)) {
      // The box takes any length: OK refuses a text the file cannot hold, and says so.
      SendMessageW(control, EM_SETLIMITTEXT, 0, 0);
      SetControlText(control, shown.**text);
    } else if (UpDownTextBox* spin = SpinBox(control)) {
      spin->SetMin(key.range.min);
      spin->SetMax(key.range.max);
      spin->SetUpDownKey(true);
      spin->SetValue(NumberOf(shown, key));
    } else if (IsCheckBox(control)) {
      Check(control, static_cast<std::int16_t>(NumberOf(shown, key)));
    } else {
      SendMessageW(control, CB_SETCURSEL, static_cast<WPARAM>(NumberOf(shown, key)), 0);
    }
  }
  for (const FlagRow& flag : kFlagRows) {
    if (flag.control) Check(Control(flag.control), shown.*flag.field);
  }
  for (const ListKeys& keys : kListKeys) {
    if (!keys.control) continue;
    ShowList(Control(keys.control),
             {(shown.*keys.field).value_or(std::vector<std::u16string>{}), -1, -1});
  }
}

Settings frmPrefarence::EditedSettings() const {
  Settings edited = context_.settings;
  for (const ScalarKey& key : kScalarKeys) {
    if (!key.control) continue;
    HWND control = Control(key.control);
    if (const auto* text = std::get_if<std::u16string Settings::*>(&key.field)) {
      edited.** text = ControlText(control);
    } else if (const UpDownTextBox* spin = SpinBox(control)) {
      SetNumberInRange(edited, key, spin->Value());
    } else if (IsCheckBox(control)) {
      SetNumberInRange(edited, key, Checked(control) ? 1 : 0);
    } else {
      // No choice (-1) is the first, as any place outside the list.
      SetNumberInRange(edited, key,
                       static_cast<std::int32_t>(SendMessageW(control, CB_GETCURSEL, 0, 0)));
    }
  }
  for (const FlagRow& flag : kFlagRows) {
    if (flag.control) edited.*flag.field = Checked(Control(flag.control)) ? 1 : 0;
  }
  for (const ListKeys& keys : kListKeys) {
    if (keys.control) SetListEntries(edited, keys, ListState(Control(keys.control)).items);
  }
  return edited;
}

ExtListState frmPrefarence::ListState(HWND box) {
  ExtListState list;
  const auto count = SendMessageW(box, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(box, LB_GETTEXTLEN, i, 0)), L'\0');
    SendMessageW(box, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    list.items.emplace_back(text.begin(), text.end());
  }
  list.selected = static_cast<int>(SendMessageW(box, LB_GETCURSEL, 0, 0));
  return list;
}

void frmPrefarence::ShowList(HWND box, const ExtListState& list) {
  SendMessageW(box, WM_SETREDRAW, FALSE, 0);
  SendMessageW(box, LB_RESETCONTENT, 0, 0);
  for (const auto& item : list.items) {
    SendMessageW(box, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  SendMessageW(box, LB_SETCURSEL, list.selected, 0);
  if (list.scrollTo >= 0) SendMessageW(box, LB_SETTOPINDEX, list.scrollTo, 0);
  SendMessageW(box, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(box, nullptr, TRUE);
}

void frmPrefarence::cmdExtCmd_Click(int index) {
  HWND box = Control(IDC_LSTEXTLIST);
  ExtListState list = ListState(box);
  const auto command = static_cast<ExtCommand>(index);
  HWND text = Control(IDC_TXTADDEXT);
  std::u16string tooLong;
  if (command == ExtCommand::Register && !CheckExtension(ControlText(text), tooLong)) {
    // Refused on the spot, where it can be put right; the text stays in the box.
    ShowError(context_.shell.ui, tooLong);
  } else if (!RunExtCommand(list, command, ControlText(text))) {
    ShowError(context_.shell.ui, kNoExtension);
  } else if (command == ExtCommand::Register) {
    ShowList(box, list);
    SetControlText(text, u"");
  } else {
    ShowList(box, list);
    return;
  }
  SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(text), TRUE);
}

void frmPrefarence::cmdBrowsSoft_Click(int index) {
  FileDialogOptions options;
  options.title = kBrowseTitles[index];
  options.filter = u"実行ファイル(*.exe)|*.exe";
  options.defaultExt = u"exe";
  options.hideReadOnly = true;
  options.extraFlags = OFN_FILEMUSTEXIST;
  options.owner = reinterpret_cast<std::uintptr_t>(hwnd());
  const auto chosen = context_.shell.ui.ShowOpenDialog(options);
  if (chosen) {
    constexpr int kPaths[] = {IDC_TXTSOFTPATH0, IDC_TXTSOFTPATH1, IDC_TXTSOFTPATH2};
    SetControlText(Control(kPaths[index]), chosen->path);
  }
}

void frmPrefarence::cmbOtherFormat_Click() {
  const auto chosen = SendMessageW(Control(IDC_CMBOTHERFORMAT), CB_GETCURSEL, 0, 0);
  if (chosen < 0) return;
  const ExportFormat format = ToOtherFormat(static_cast<std::int32_t>(chosen));
  HWND arguments = Control(IDC_TXTOTHERARGS);
  SetControlText(arguments, SwitchOtherArguments(ControlText(arguments), otherFormat_, format));
  otherFormat_ = format;
}

// The receiver's token is made the first time it is turned on, and kept after.
void frmPrefarence::chkReceive_Click() {
  HWND token = Control(IDC_PREF_TXTRECEIVETOKEN);
  const bool on = Checked(Control(IDC_PREF_CHKRECEIVE));
  if (on && ControlText(token).empty()) SetControlText(token, Utf8ToUtf16(NewReceiverToken()));
  // The port and the token are the receiver's: greyed while it is off.
  for (const int id : {IDC_PREF_LBLRECEIVEPORT, IDC_PREF_UDTRECEIVEPORT, IDC_PREF_LBLRECEIVETOKEN,
                       IDC_PREF_TXTRECEIVETOKEN, IDC_PREF_CMDCOPYTOKEN, IDC_PREF_CMDNEWTOKEN}) {
    EnableWindow(Control(id), on);
  }
}

void frmPrefarence::cmdHelp_Click() {
  context_.showTopic(hwnd(), u"reget/iria");
}

void frmPrefarence::cmdShowTHelp_Click() {
  context_.showTopic(hwnd(), u"filter");
}

void frmPrefarence::cmdOkCancel_Click(int index) {
  if (index == 0) {
    Settings edited = EditedSettings();
    // A text the settings file cannot hold whole is refused, not cut short unseen, and shown
    // to the user to put right.
    if (const PreferenceProblem problem = CheckPreferences(edited); problem.control) {
      ShowRefused(problem);
      ShowError(context_.shell.ui, problem.message);
      return;
    }
    const Settings before = context_.settings;
    context_.settings = std::move(edited);
    if (stored_) stored_(before);
  }
  Unload();
}

void frmPrefarence::ShowRefused(const PreferenceProblem& problem) {
  HWND control = Control(problem.control);
  if (problem.extension >= 0) SendMessageW(control, LB_SETCURSEL, problem.extension, 0);
  for (int i = 0; i < kPages; ++i) {
    if (!GetDlgItem(pages_[i], problem.control)) continue;
    SendMessageW(tab_, TCM_SETCURSEL, i, 0);
    ShowPage(i);
  }
  SendMessageW(hwnd(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

void frmPrefarence::Unload() {
  DestroyWindow(tab_);
  tab_ = nullptr;
  pages_ = {};
  RemoveWindowSubclass(Control(IDC_PICTABCONTROL), PlaceholderProc, kSubclass);
  // The owner is enabled before the dialog goes, so that the activation returns to it.
  EnableWindow(context_.main, TRUE);
  Close(IDCANCEL);
  SetFocus(context_.main);
  if (setPrefarence_) setPrefarence_();
}

}  // namespace cardo
