#include "app/check/link_check_window.h"

#include <commctrl.h>

#include <algorithm>
#include <mutex>
#include <utility>

#include "app/check/link_check_text.h"
#include "app/controls/up_down_text_box_win.h"
#include "app/list/messages.h"
#include "app/platform/text.h"
#include "app/platform/ui.h"
#include "app/platform/wide_text_win.h"
#include "app/resources/resource.h"
#include "app/settings/settings_keys.h"

namespace cardo {
namespace {

// Posted by the check when results have arrived, and once when it has ended.
constexpr UINT kResultsArrived = WM_APP + 1;

enum class Field { Status, Url, Reason, FinalUrl, Size, Type };
struct Column {
  const wchar_t* title;
  Field field;
  int width;  // at 96 DPI, unless the settings keep another
  int format;
};
// The URL and why it failed first, so that a window of the designed size shows both.
constexpr Column kColumns[] = {
    {L"状態", Field::Status, 110, LVCFMT_LEFT}, {L"URL", Field::Url, 250, LVCFMT_LEFT},
    {L"理由", Field::Reason, 230, LVCFMT_LEFT}, {L"転送先URL", Field::FinalUrl, 200, LVCFMT_LEFT},
    {L"サイズ", Field::Size, 70, LVCFMT_RIGHT}, {L"種類", Field::Type, 110, LVCFMT_LEFT},
};
constexpr int kColumnCount = static_cast<int>(std::size(kColumns));
constexpr int kTotalRequests = 16;

// Which edges each control follows as the window is resized.
const std::vector<std::pair<int, unsigned>> kAnchors = {
    {IDC_LBLCHECKPROGRESS, kAnchorLeft | kAnchorRight},
    {IDC_CMDCOPYRESULTS, kAnchorRight},
    {IDC_CMDSAVERESULTS, kAnchorRight},
    {IDC_LVWCHECKRESULTS, kAnchorLeft | kAnchorTop | kAnchorRight | kAnchorBottom},
    {IDC_CMDREMOVEDEAD, kAnchorBottom},
    {IDC_CMDREPLACEREDIRECTED, kAnchorBottom},
    {IDC_CMDSELECTFAILED, kAnchorBottom},
    {IDC_CMDRECHECKFAILED, kAnchorBottom},
    {IDCANCEL, kAnchorRight | kAnchorBottom},
};
constexpr int kActions[] = {IDC_CMDREMOVEDEAD, IDC_CMDREPLACEREDIRECTED, IDC_CMDSELECTFAILED,
                            IDC_CMDRECHECKFAILED, IDC_CMDSAVERESULTS};

// The widths the settings keep ("110,250,..." at 96 DPI), or none when they are not one
// positive number per column.
std::vector<int> StoredWidths(const std::u16string& text) {
  std::vector<int> widths;
  int value = -1;
  for (const char16_t c : text + u",") {
    if (c >= u'0' && c <= u'9') {
      value = std::min((value < 0 ? 0 : value * 10) + (c - u'0'), 10000);
    } else if (c == u',' && value > 0) {
      widths.push_back(value);
      value = -1;
    } else {
      return {};
    }
  }
  if (widths.size() != std::size(kColumns)) return {};
  return widths;
}

std::u16string Number(long long n) {
  return Utf8ToUtf16(std::to_string(n));
}

}  // namespace

// The answers the check has found and the window not yet shown.
struct frmLinkCheck::Run {
  std::mutex lock;
  std::vector<std::pair<std::size_t, LinkResult>> arrived;
};

frmLinkCheck::~frmLinkCheck() {
  Stop();
}

void frmLinkCheck::Check(HWND owner, std::vector<std::u16string> urls) {
  if (IsOpen() && Running()) {
    ShowWindow(hwnd(), SW_SHOWNORMAL);
    SetForegroundWindow(hwnd());
    return;
  }
  Stop();
  checked_.urls = std::move(urls);
  checked_.results.assign(checked_.urls.size(), LinkResult{});
  rows_.assign(checked_.urls.size(), Row{});
  order_.resize(rows_.size());
  for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = static_cast<int>(i);
  sortColumn_ = -1;
  if (!IsOpen()) {
    if (!CreateModeless(instance_, IDD_LINK_CHECK, owner)) return;
    Place(owner);
  }
  ListView_SetItemCountEx(Item(IDC_LVWCHECKRESULTS), static_cast<int>(rows_.size()), 0);
  std::vector<std::size_t> every(rows_.size());
  for (std::size_t i = 0; i < every.size(); ++i) every[i] = i;
  Start(std::move(every));
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  SetForegroundWindow(hwnd());
}

void frmLinkCheck::Form_Load() {
  HWND view = Item(IDC_LVWCHECKRESULTS);
  ListView_SetExtendedListViewStyle(
      view, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_INFOTIP | LVS_EX_LABELTIP);
  const std::vector<int> widths = StoredWidths(settings_.CheckColumns);
  for (int i = 0; i < kColumnCount; ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = kColumns[i].format;
    column.cx = MulDiv(widths.empty() ? kColumns[i].width : widths[i], Dpi(), 96);
    column.pszText = const_cast<wchar_t*>(kColumns[i].title);
    ListView_InsertColumn(view, i, &column);
  }
  struct Spin {
    int id;
    std::int32_t value;
    ValueRange range;
  };
  for (const Spin& spin :
       {Spin{IDC_UDTCHECKTIMEOUT, SettingInRange<&Settings::CheckTimeout>(settings_),
             RangeOf<&Settings::CheckTimeout>()},
        Spin{IDC_UDTCHECKPERHOST, SettingInRange<&Settings::CheckPerHost>(settings_),
             RangeOf<&Settings::CheckPerHost>()}}) {
    UpDownTextBox* box = UpDownTextBox::From(Item(spin.id));
    box->SetMin(spin.range.min);
    box->SetMax(spin.range.max);
    box->SetValue(spin.value);
  }
  layout_.Capture(hwnd(), kAnchors);
}

// Over the main window, at the size the user left it (never below the designed one nor above
// the work area).
void frmLinkCheck::Place(HWND owner) {
  const SIZE least = layout_.MinimumSize();
  int width = least.cx, height = least.cy;
  if (settings_.CheckWidth > 0 && settings_.CheckHeight > 0) {
    width = std::max<int>(width, MulDiv(settings_.CheckWidth, Dpi(), 96));
    height = std::max<int>(height, MulDiv(settings_.CheckHeight, Dpi(), 96));
  }
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor)) {
    width = std::min<int>(width, monitor.rcWork.right - monitor.rcWork.left);
    height = std::min<int>(height, monitor.rcWork.bottom - monitor.rcWork.top);
  }
  SetWindowPos(hwnd(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CentreOverOwner(hwnd());
}

void frmLinkCheck::OnDpiChanged(int) {
  // The controls stand where the new DPI puts the template's layout: that is the layout kept.
  layout_.Capture(hwnd(), kAnchors);
}

void frmLinkCheck::StoreSettings() {
  if (!IsOpen()) return;
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (GetWindowPlacement(hwnd(), &placement)) {
    const RECT& r = placement.rcNormalPosition;
    SetNumberInRange(settings_, KeyOf(&Settings::CheckWidth), MulDiv(r.right - r.left, 96, Dpi()));
    SetNumberInRange(settings_, KeyOf(&Settings::CheckHeight), MulDiv(r.bottom - r.top, 96, Dpi()));
  }
  std::u16string widths;
  for (int i = 0; i < kColumnCount; ++i) {
    const int width = ListView_GetColumnWidth(Item(IDC_LVWCHECKRESULTS), i);
    if (i > 0) widths += u",";
    widths += Number(std::max(1, MulDiv(width, 96, Dpi())));
  }
  settings_.CheckColumns = widths;
  Limits();
}

// The limits the window's boxes give, each kept inside its range and in the settings.
LinkCheckLimits frmLinkCheck::Limits() {
  SetNumberInRange(settings_, KeyOf(&Settings::CheckTimeout),
                   UpDownTextBox::From(Item(IDC_UDTCHECKTIMEOUT))->Value());
  SetNumberInRange(settings_, KeyOf(&Settings::CheckPerHost),
                   UpDownTextBox::From(Item(IDC_UDTCHECKPERHOST))->Value());
  UpDownTextBox::From(Item(IDC_UDTCHECKTIMEOUT))->SetValue(settings_.CheckTimeout);
  UpDownTextBox::From(Item(IDC_UDTCHECKPERHOST))->SetValue(settings_.CheckPerHost);
  LinkCheckLimits limits;
  limits.total = kTotalRequests;
  limits.perHost = settings_.CheckPerHost;
  limits.silence = std::chrono::seconds(settings_.CheckTimeout);
  return limits;
}

void frmLinkCheck::EnableActions(bool enabled) {
  for (int id : kActions) EnableWindow(Item(id), enabled ? TRUE : FALSE);
}

void frmLinkCheck::Start(std::vector<std::size_t> indices) {
  std::vector<std::u16string> urls;
  for (const std::size_t i : indices) {
    checked_.results[i] = LinkResult{};
    rows_[i] = Row{};
    urls.push_back(checked_.urls[i]);
  }
  running_ = std::move(indices);
  finished_ = false;
  note_.clear();
  InvalidateRect(Item(IDC_LVWCHECKRESULTS), nullptr, FALSE);
  SetDlgItemTextW(hwnd(), IDCANCEL, L"中止(&C)");
  EnableActions(false);
  auto run = std::make_shared<Run>();
  const bool started = check_.Start(
      [run, urls = std::move(urls), transports = transports_(),
       limits = Limits()](WorkerLink& link) {
        CheckLinks(urls, limits, transports, link.StopFlag(),
                   [&](std::size_t index, const LinkResult& result) {
                     {
                       std::lock_guard<std::mutex> hold(run->lock);
                       run->arrived.emplace_back(index, result);
                     }
                     link.Progress();
                   });
        return true;
      },
      // A check that fails on its way leaves the lines not answered unchecked.
      false, hwnd(), kResultsArrived);
  if (!started) {
    Ended(u"確認を始められませんでした。");
    return;
  }
  run_ = std::move(run);
  ShowProgress();
}

void frmLinkCheck::TakeResults(WorkNotice notice) {
  if (notice == WorkNotice::Stale) return;
  std::vector<std::pair<std::size_t, LinkResult>> arrived;
  {
    std::lock_guard<std::mutex> hold(run_->lock);
    arrived.swap(run_->arrived);
  }
  for (auto& [found, result] : arrived) {
    const std::size_t index = running_[found];
    checked_.results[index] = result;
    rows_[index].done = true;
    rows_[index].result = std::move(result);
  }
  if (!arrived.empty()) InvalidateRect(Item(IDC_LVWCHECKRESULTS), nullptr, FALSE);
  if (notice == WorkNotice::Ended) {
    check_.Finish();
    run_.reset();
    // A check that failed on its way leaves the lines not answered unchecked, and says so.
    const std::exception_ptr failure = check_.Failure();
    Ended(failure ? UnexpectedFailureText(failure) : u"完了");
    return;
  }
  ShowProgress();
}

// Stops the check: its workers start no more requests and end their requests under way at
// once; nothing they still find reaches the window.
void frmLinkCheck::Stop() {
  check_.Cancel();
  run_.reset();
}

void frmLinkCheck::ShowProgress() {
  int done = 0, alive = 0, dead = 0, errors = 0;
  for (const Row& row : rows_) {
    if (!row.done) continue;
    ++done;
    alive += row.result.verdict == LinkVerdict::Alive;
    dead += row.result.verdict == LinkVerdict::Dead;
    errors += row.result.verdict == LinkVerdict::Error;
  }
  const std::u16string state = finished_ ? note_ : u"確認中";
  std::u16string text = state + u": " + Number(done) + u" / " + Number(rows_.size()) +
                        u" 件   有効: " + Number(alive) + u"   無効: " + Number(dead) +
                        u"   エラー: " + Number(errors);
  SetDlgItemTextW(hwnd(), IDC_LBLCHECKPROGRESS, W(text));
}

void frmLinkCheck::Ended(const std::u16string& note) {
  finished_ = true;
  note_ = note;
  InvalidateRect(Item(IDC_LVWCHECKRESULTS), nullptr, FALSE);  // the rows left unchecked
  SetDlgItemTextW(hwnd(), IDCANCEL, L"閉じる(&C)");
  EnableActions(true);
  ShowProgress();
}

void frmLinkCheck::cmdStop_Click() {
  if (!Running()) {
    Close(IDCANCEL);
    return;
  }
  Stop();
  Ended(u"中止しました");
}

void frmLinkCheck::cmdRemoveDead_Click() {
  const int removed = RemoveDeadLines(shell_.list, checked_);
  if (removed > 0) {
    shell_.document.MarkModified();
    shell_.UpdateHorizontalExtent();
  }
  note_ = u"無効な " + Number(removed) + u" 行を削除しました";
  ShowProgress();
}

void frmLinkCheck::cmdReplaceRedirected_Click() {
  const int changed = ReplaceRedirectedLines(shell_.list, shell_.document.Pages(), checked_);
  if (changed > 0) {
    shell_.document.MarkModified();
    shell_.UpdateHorizontalExtent();
  }
  note_ = Number(changed) + u" 行を転送先のURLに置き換えました";
  ShowProgress();
}

void frmLinkCheck::cmdSelectFailed_Click() {
  note_ = u"失敗した " + Number(SelectFailedLines(shell_.list, checked_)) + u" 行を選択しました";
  ShowProgress();
}

void frmLinkCheck::cmdRecheckFailed_Click() {
  if (Running()) return;
  std::vector<std::size_t> failed;
  for (std::size_t i = 0; i < rows_.size(); ++i) {
    const LinkVerdict verdict = rows_[i].result.verdict;
    if (rows_[i].done && (verdict == LinkVerdict::Dead || verdict == LinkVerdict::Error)) {
      failed.push_back(i);
    }
  }
  if (failed.empty()) {
    note_ = u"失敗した行はありません";
    ShowProgress();
    return;
  }
  Start(std::move(failed));
}

void frmLinkCheck::cmdCopyResults_Click() {
  HWND view = Item(IDC_LVWCHECKRESULTS);
  std::vector<std::vector<std::u16string>> rows;
  for (int item = ListView_GetNextItem(view, -1, LVNI_SELECTED); item >= 0;
       item = ListView_GetNextItem(view, item, LVNI_SELECTED)) {
    std::vector<std::u16string> cells;
    for (int column = 0; column < kColumnCount; ++column) {
      cells.push_back(CellText(order_[item], column));
    }
    rows.push_back(std::move(cells));
  }
  if (rows.empty()) return;
  shell_.ui.SetClipboardText(TabSeparatedRows(rows));
  note_ = Number(rows.size()) + u" 行をコピーしました";
  ShowProgress();
}

// The rows as shown, under a line of the columns' titles, as UTF-8 with its byte order mark
// (which spreadsheets need to read it as UTF-8) and CR LF.
void frmLinkCheck::cmdSaveResults_Click() {
  FileDialogOptions options;
  options.title = u"確認結果の保存";
  options.filter = u"TAB区切りテキスト(*.tsv)|*.tsv|すべてのファイル(*.*)|*.*";
  options.defaultExt = u"tsv";
  options.overwritePrompt = true;
  options.pathMustExist = true;
  options.hideReadOnly = true;
  options.owner = reinterpret_cast<std::uintptr_t>(hwnd());
  const auto chosen = shell_.ui.ShowSaveDialog(options);
  if (!chosen) return;
  std::vector<std::vector<std::u16string>> rows = Rows();
  std::vector<std::u16string> titles;
  for (const Column& column : kColumns) {
    titles.emplace_back(reinterpret_cast<const char16_t*>(column.title));
  }
  rows.insert(rows.begin(), std::move(titles));
  if (!shell_.fs.ReplaceAll(chosen->path, "\xEF\xBB\xBF" + Utf16ToUtf8(TabSeparatedRows(rows)))) {
    ShowError(shell_.ui,
              msg::kSaveFailed + (u"\r\n" + chosen->path) + u"\r\n" + shell_.fs.LastErrorText());
    return;
  }
  note_ = Number(rows.size() - 1) + u" 行を保存しました";
  ShowProgress();
}

std::u16string frmLinkCheck::CellText(int row, int column) const {
  const Row& r = rows_[row];
  const Field field = kColumns[column].field;
  if (field == Field::Url) return checked_.urls[row];
  // A line the check was stopped before shows as not checked, as the check itself says.
  if (!r.done && !finished_) return field == Field::Status ? u"…" : u"";
  const LinkResult& result = r.result;
  switch (field) {
    case Field::Status:
      return StatusLabel(result);
    case Field::Size:
      return result.size < 0 ? u"" : Number(result.size);
    case Field::Type:
      return Utf8ToUtf16(result.contentType);
    case Field::FinalUrl:
      return result.finalUrl;
    default:
      return result.reason;
  }
}

std::u16string frmLinkCheck::RowTip(int shownRow) const {
  if (shownRow < 0 || shownRow >= static_cast<int>(order_.size())) return {};
  const int row = order_[shownRow];
  std::u16string tip = checked_.urls[row];
  for (int column = 0; column < kColumnCount; ++column) {
    const Field field = kColumns[column].field;
    if (field != Field::Status && field != Field::Reason && field != Field::FinalUrl) continue;
    const std::u16string text = CellText(row, column);
    if (text.empty() || (field == Field::FinalUrl && text == checked_.urls[row])) continue;
    tip += u"\r\n" + std::u16string(reinterpret_cast<const char16_t*>(kColumns[column].title)) +
           u": " + text;
  }
  return tip;
}

void frmLinkCheck::lvwResults_ColumnClick(int column) {
  sortDown_ = column == sortColumn_ ? !sortDown_ : false;
  sortColumn_ = column;
  std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
    if (sortDown_) std::swap(a, b);
    if (kColumns[column].field == Field::Size) {
      const long long sa = rows_[a].done ? rows_[a].result.size : -2;
      const long long sb = rows_[b].done ? rows_[b].result.size : -2;
      return sa < sb;
    }
    return CellText(a, column) < CellText(b, column);
  });
  InvalidateRect(Item(IDC_LVWCHECKRESULTS), nullptr, FALSE);
}

std::vector<std::vector<std::u16string>> frmLinkCheck::Rows() const {
  std::vector<std::vector<std::u16string>> rows;
  for (const int row : order_) {
    std::vector<std::u16string> cells;
    for (int column = 0; column < kColumnCount; ++column) {
      cells.push_back(CellText(row, column));
    }
    rows.push_back(std::move(cells));
  }
  return rows;
}

bool frmLinkCheck::OnCommand(int id, int code) {
  if (code != BN_CLICKED) return false;
  switch (id) {
    case IDCANCEL:
      cmdStop_Click();
      return true;
    case IDC_CMDREMOVEDEAD:
      cmdRemoveDead_Click();
      return true;
    case IDC_CMDREPLACEREDIRECTED:
      cmdReplaceRedirected_Click();
      return true;
    case IDC_CMDSELECTFAILED:
      cmdSelectFailed_Click();
      return true;
    case IDC_CMDRECHECKFAILED:
      cmdRecheckFailed_Click();
      return true;
    case IDC_CMDCOPYRESULTS:
      cmdCopyResults_Click();
      return true;
    case IDC_CMDSAVERESULTS:
      cmdSaveResults_Click();
      return true;
    default:
      return false;
  }
}

// The results list's notifications: keys, tips, sorting and the rows' texts.
INT_PTR frmLinkCheck::OnNotify(LPARAM lParam) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header->idFrom != IDC_LVWCHECKRESULTS) return FALSE;
  if (header->code == LVN_KEYDOWN) {
    const WORD key = reinterpret_cast<const NMLVKEYDOWN*>(lParam)->wVKey;
    if (GetKeyState(VK_CONTROL) < 0 && key == 'C') cmdCopyResults_Click();
    if (GetKeyState(VK_CONTROL) < 0 && key == 'A') {
      ListView_SetItemState(Item(IDC_LVWCHECKRESULTS), -1, LVIS_SELECTED, LVIS_SELECTED);
    }
    return TRUE;
  }
  if (header->code == LVN_GETINFOTIPW) {
    auto* tip = reinterpret_cast<NMLVGETINFOTIPW*>(lParam);
    if (tip->cchTextMax <= 0) return TRUE;
    const std::u16string text = RowTip(tip->iItem);
    const std::size_t n = std::min<std::size_t>(text.size(), tip->cchTextMax - 1);
    std::copy_n(text.begin(), n, tip->pszText);
    tip->pszText[n] = L'\0';
    return TRUE;
  }
  if (header->code == LVN_COLUMNCLICK) {
    lvwResults_ColumnClick(reinterpret_cast<const NMLISTVIEW*>(lParam)->iSubItem);
    return TRUE;
  }
  if (header->code == LVN_GETDISPINFOW) {
    auto* info = reinterpret_cast<NMLVDISPINFOW*>(lParam);
    LVITEMW& item = info->item;
    if (!(item.mask & LVIF_TEXT) || item.cchTextMax <= 0 || item.iItem < 0 ||
        item.iItem >= static_cast<int>(order_.size())) {
      return TRUE;
    }
    const std::u16string text = CellText(order_[item.iItem], item.iSubItem);
    const std::size_t n = std::min<std::size_t>(text.size(), item.cchTextMax - 1);
    std::copy_n(text.begin(), n, item.pszText);
    item.pszText[n] = L'\0';
    return TRUE;
  }
  return FALSE;
}

INT_PTR frmLinkCheck::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kResultsArrived:
      TakeResults(check_.Read(wParam, lParam));
      return TRUE;
    case WM_CLOSE:
      // The close box while the check runs stops it, then closes.
      Stop();
      Close(IDCANCEL);
      return TRUE;
    case WM_SIZE:
      layout_.Apply();
      return TRUE;
    case WM_GETMINMAXINFO: {
      const SIZE least = layout_.MinimumSize();
      if (least.cx == 0) return FALSE;  // before the layout is known
      auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
      info->ptMinTrackSize = {least.cx, least.cy};
      return TRUE;
    }
    case WM_DESTROY:
      StoreSettings();
      return FALSE;
    case WM_NOTIFY:
      return OnNotify(lParam);
    default:
      return FALSE;
  }
}

}  // namespace cardo
