#include "app/generators/spread_url_window.h"

#include <commctrl.h>

#include <algorithm>

#include "app/generators/generator_text.h"
#include "app/list/pending_lines.h"
#include "app/platform/codec.h"
#include "app/platform/text.h"
#include "app/platform/win_handle.h"
#include "app/resources/resource.h"
#include "app/settings/settings_keys.h"
#include "app/platform/win_check.h"

namespace cardo {
namespace {

constexpr char16_t kNoLibrary[] =
    u"CARDOFNC.DLLが無いか、または壊れています。\r\n伸長に失敗しました。";
constexpr UINT_PTR kSourceSubclass = 1;
// The count follows the text a moment after the typing stops, so a long text never slows it.
constexpr UINT_PTR kCountTimer = 1;
constexpr UINT kCountDelay = 100;

LRESULT CALLBACK SourceProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                            DWORD_PTR data) noexcept {
  if (message == WM_CONTEXTMENU) {
    reinterpret_cast<frmSpreadUrl*>(data)->ShowRightClickMenu(
        {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
    return 0;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(edit, SourceProc, kSourceSubclass);
  return DefSubclassProc(edit, message, wParam, lParam);
}

// Keeps the main window from taking input while the library's progress window runs: the
// progress window blocks only its owner, this dialog.
class MainWindowBlock {
 public:
  explicit MainWindowBlock(HWND main) : main_(main), was_(IsWindowEnabled(main) != FALSE) {
    if (was_) EnableWindow(main_, FALSE);
  }
  ~MainWindowBlock() {
    if (was_ && IsWindow(main_)) EnableWindow(main_, TRUE);
  }
  MainWindowBlock(const MainWindowBlock&) = delete;
  MainWindowBlock& operator=(const MainWindowBlock&) = delete;

 private:
  HWND main_;
  bool was_;
};

}  // namespace

void frmSpreadUrl::Show() {
  ShowModeless(context_.instance, IDD_SPREADURL, context_.main);
}

bool frmSpreadUrl::OnCommand(int id, int code) {
  if (id == IDC_TXTSOURCE) {
    if (code == EN_CHANGE) CARDO_CHECK_WIN32(SetTimer(hwnd(), kCountTimer, kCountDelay, nullptr));
  } else if (id == IDC_CMDSPREAD) {
    cmdSpread_Click();
  } else if (id == IDC_CHKEXTENDED) {
    chkExtended_Click();
  } else if (id == IDC_LSTSPREADERRORS) {
    if (code == LBN_DBLCLK) {
      lstSpreadErrors_DblClick(
          static_cast<int>(SendDlgItemMessageW(hwnd(), IDC_LSTSPREADERRORS, LB_GETCURSEL, 0, 0)));
    }
  } else if (id == IDCANCEL) {
    cmdClose_Click();
  } else if (id == IDC_CMDSHOWTHELP) {
    cmdShowTHelp_Click();
  } else if (id > IDM_SPREAD_BASE && id <= IDM_SPREAD_BASE + 11) {
    mnuRMnuSub_Click(id - IDM_SPREAD_BASE);
  } else {
    return false;
  }
  return true;
}

INT_PTR frmSpreadUrl::OnMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kCountTimer) {
        KillTimer(hwnd(), kCountTimer);
        UpdateCount();
      }
      return TRUE;
    case WM_ACTIVATE:
      // The list may have changed while another window was in front.
      if (LOWORD(wParam) != WA_INACTIVE) UpdateCount();
      return FALSE;
    case WM_DESTROY:
      DropTarget::Revoke(Item(IDC_TXTSOURCE));
      return FALSE;
    default:
      return FALSE;
  }
}

void frmSpreadUrl::Form_Load() {
  HWND source = Item(IDC_TXTSOURCE);
  SendMessageW(source, EM_SETLIMITTEXT, 0, 0);
  CARDO_CHECK_WIN32(
      SetWindowSubclass(source, SourceProc, kSourceSubclass, reinterpret_cast<DWORD_PTR>(this)));
  DropTarget::Attach(
      source,
      [this](const DropData& d, DWORD allowed) { return txtSource_OLEDragOver(d, allowed); },
      [this](const DropData& d, DWORD allowed) { return txtSource_OLEDragDrop(d, allowed); });
  CheckDlgButton(hwnd(), IDC_CHKEXTENDED,
                 SettingInRange<&Settings::SpreadExtended>(context_.settings) == 1 ? BST_CHECKED
                                                                                   : BST_UNCHECKED);
  EnableWindow(Item(IDC_LSTSPREADERRORS), Extended());
  UpdateCount();
  CentreOverOwner(hwnd());
}

bool frmSpreadUrl::Extended() const {
  return IsDlgButtonChecked(hwnd(), IDC_CHKEXTENDED) == BST_CHECKED;
}

void frmSpreadUrl::UpdateCount() {
  const int room = std::max(kMaxListLines - context_.shell.list.Whole().Count(), 0);
  const std::u16string text = ControlText(Item(IDC_TXTSOURCE));
  SpreadCount count;
  if (Extended()) {
    ExtendedSpread plan = PlanExtendedSpread(text);
    count = {plan.lines, static_cast<int>(plan.faults.size())};
    ShowFaults(std::move(plan.faults));
  } else {
    count = CountSpreadLines(text);
  }
  SetControlText(Item(IDC_LBLSPREADCOUNT), SpreadCountText(count, room));
}

void frmSpreadUrl::ShowFaults(std::vector<SpreadFault> faults) {
  HWND list = Item(IDC_LSTSPREADERRORS);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LB_RESETCONTENT, 0, 0);
  for (const SpreadFault& fault : faults) {
    const std::u16string line = SpreadFaultText(fault);
    SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  faults_ = std::move(faults);
}

void frmSpreadUrl::chkExtended_Click() {
  const bool extended = Extended();
  context_.settings.SpreadExtended = extended ? 1 : 0;
  if (!extended) ShowFaults({});
  EnableWindow(Item(IDC_LSTSPREADERRORS), extended);
  UpdateCount();
}

void frmSpreadUrl::lstSpreadErrors_DblClick(int index) {
  if (index < 0 || static_cast<std::size_t>(index) >= faults_.size()) return;
  HWND source = Item(IDC_TXTSOURCE);
  const auto at = static_cast<WPARAM>(faults_[static_cast<std::size_t>(index)].position);
  SetFocus(source);
  SendMessageW(source, EM_SETSEL, at, static_cast<LPARAM>(at + 1));
  SendMessageW(source, EM_SCROLLCARET, 0, 0);
}

// The extended syntax: every line read before anything is made, and nothing made when the
// whole would not fit; the library is not called, so no progress window runs.
void frmSpreadUrl::SpreadExtended() {
  ShellContext& shell = context_.shell;
  ExtendedSpread plan = PlanExtendedSpread(ControlText(Item(IDC_TXTSOURCE)));
  const int room = std::max(kMaxListLines - shell.list.Whole().Count(), 0);
  const std::uint64_t lines = plan.lines;
  const bool fits = lines <= static_cast<std::uint64_t>(room);
  {
    PendingLines pending(shell.list);
    if (fits) AddExtendedSpread(pending, plan);
    ShowFaults(std::move(plan.faults));
    pending.Commit(shell);
  }
  if (!fits) ShowError(shell.ui, SpreadTooLargeText(lines, room));
  if (!IsOpen()) return;
  UpdateCount();
}

void frmSpreadUrl::cmdSpread_Click() {
  if (Extended()) {
    SpreadExtended();
    return;
  }
  ShellContext& shell = context_.shell;
  const std::u16string text = ControlText(Item(IDC_TXTSOURCE));
  // The lines of every source line, added as each expands, are one undo step.
  const ListStep step(shell.list);
  PendingLines pending(shell.list);
  bool stopped = false;
  for (const auto line : SpreadSourceLines(text)) {
    SpreadCall call;
    {
      MainWindowBlock block(context_.main);
      call = spread_(hwnd(), WideToAnsi(line));
    }
    // The program may have been closed while the progress window ran.
    if (!IsOpen()) return;
    if (call.status != SpreadCall::Status::Done) {
      pending.Flush(shell);
      ShowError(shell.ui,
                call.status == SpreadCall::Status::NoLibrary
                    ? std::u16string(kNoLibrary)
                    : DecimalText(static_cast<long long>(call.error)) + u":" + call.errorText);
      stopped = true;
      break;
    }
    if (call.code != 0) {
      pending.Flush(shell);
      ShowError(shell.ui, SpreadFailureText(line, call.code));
      if (!IsOpen()) return;
      continue;
    }
    AddSpreadResult(pending, call.result);
    pending.Flush(shell);
    // Nothing more fits: the remaining lines would only run the progress window.
    if (pending.Full()) break;
  }
  if (pending.Commit(shell) == 0 && stopped) shell.document.MarkModified();
  UpdateCount();
}

void frmSpreadUrl::cmdShowTHelp_Click() {
  context_.showTopic(hwnd(), u"spear_url");
}

DWORD frmSpreadUrl::txtSource_OLEDragOver(const DropData& data, DWORD allowed) const {
  if (!data.text) return DROPEFFECT_NONE;
  return CopyEffect(allowed);
}

DWORD frmSpreadUrl::txtSource_OLEDragDrop(const DropData& data, DWORD allowed) {
  if (!data.text) return DROPEFFECT_NONE;
  SendDlgItemMessageW(hwnd(), IDC_TXTSOURCE, EM_REPLACESEL, TRUE,
                      reinterpret_cast<LPARAM>(data.text->c_str()));
  return txtSource_OLEDragOver(data, allowed);
}

void frmSpreadUrl::ShowRightClickMenu(POINT screen) {
  HWND source = Item(IDC_TXTSOURCE);
  if (screen.x == -1 && screen.y == -1) {
    RECT box{};
    GetWindowRect(source, &box);
    screen = {box.left + 8, box.top + 8};
  }
  UniqueMenu menus(LoadMenuW(context_.instance, MAKEINTRESOURCEW(IDR_SPREADMENU)));
  HMENU menu = GetSubMenu(menus.get(), 0);
  if (!menu) return;
  DWORD first = 0, last = 0;
  SendMessageW(source, EM_GETSEL, reinterpret_cast<WPARAM>(&first),
               reinterpret_cast<LPARAM>(&last));
  const bool selection = first != last;
  const bool any = GetWindowTextLengthW(source) > 0;
  auto enable = [menu](int index, bool on) {
    EnableMenuItem(menu, IDM_SPREAD_BASE + index, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
  };
  enable(1, SendMessageW(source, EM_CANUNDO, 0, 0) != 0);
  enable(3, selection);
  enable(4, selection);
  enable(5, IsClipboardFormatAvailable(CF_UNICODETEXT) != FALSE);
  enable(6, selection);
  enable(8, any);
  enable(9, any);
  SetFocus(source);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0, hwnd(), nullptr);
}

void frmSpreadUrl::mnuRMnuSub_Click(int index) {
  HWND source = Item(IDC_TXTSOURCE);
  switch (index) {
    case 1:
      SendMessageW(source, EM_UNDO, 0, 0);
      break;
    case 3:
      SendMessageW(source, WM_CUT, 0, 0);
      break;
    case 4:
      SendMessageW(source, WM_COPY, 0, 0);
      break;
    case 5:
      SendMessageW(source, WM_PASTE, 0, 0);
      break;
    case 6:
      SendMessageW(source, WM_CLEAR, 0, 0);
      break;
    case 8:
      SendMessageW(source, EM_SETSEL, 0, -1);
      break;
    case 9:
      // As a replacement of everything, so that 元に戻す brings the text back.
      SendMessageW(source, EM_SETSEL, 0, -1);
      SendMessageW(source, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L""));
      break;
    case 11:
      cmdShowTHelp_Click();
      break;
    default:
      break;
  }
}

}  // namespace cardo
