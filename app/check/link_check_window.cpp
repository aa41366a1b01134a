#include "app/check/link_check_window.h"

#include <commctrl.h>

#include <algorithm>
#include <mutex>
#include <system_error>
#include <utility>

#include "app/platform/text.h"
#include "app/platform/wide_text_win.h"
#include "app/resources/resource.h"

namespace cardo {
namespace {

// Posted by the check's workers when results have arrived, and once when it has ended.
constexpr UINT kResultsArrived = WM_APP + 1;

struct Column {
  const wchar_t* title;
  int width;  // at 96 DPI
  int format;
};
constexpr Column kColumns[] = {
    {L"状態", 95, LVCFMT_LEFT},       {L"サイズ", 80, LVCFMT_RIGHT}, {L"種類", 110, LVCFMT_LEFT},
    {L"転送先URL", 220, LVCFMT_LEFT}, {L"URL", 220, LVCFMT_LEFT},    {L"理由", 240, LVCFMT_LEFT},
};
constexpr int kSizeColumn = 1;

std::u16string Number(long long n) {
  return Utf8ToUtf16(std::to_string(n));
}

}  // namespace

// What the window and the check's workers share; the workers never touch the window itself.
struct frmLinkCheck::Run {
  std::atomic<bool> cancelled{false};
  std::mutex lock;
  HWND notify = nullptr;  // none once the window has let the check go
  bool posted = false;    // a kResultsArrived is on its way
  bool finished = false;
  std::vector<std::pair<std::size_t, LinkResult>> arrived;

  void Post() {
    if (notify && !posted && PostMessageW(notify, kResultsArrived, 0, 0)) posted = true;
  }
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
  if (!IsOpen() && !CreateModeless(instance_, IDD_LINK_CHECK, owner)) return;
  Start();
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  SetForegroundWindow(hwnd());
}

void frmLinkCheck::Form_Load() {
  HWND view = Item(IDC_LVWCHECKRESULTS);
  ListView_SetExtendedListViewStyle(view, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
  for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
    column.fmt = kColumns[i].format;
    column.cx = MulDiv(kColumns[i].width, Dpi(), 96);
    column.pszText = const_cast<wchar_t*>(kColumns[i].title);
    ListView_InsertColumn(view, i, &column);
  }
}

void frmLinkCheck::Start() {
  checked_.results.assign(checked_.urls.size(), LinkResult{});
  rows_.assign(checked_.urls.size(), Row{});
  order_.resize(rows_.size());
  for (std::size_t i = 0; i < order_.size(); ++i) order_[i] = static_cast<int>(i);
  sortColumn_ = -1;
  finished_ = false;
  note_.clear();
  ListView_SetItemCountEx(Item(IDC_LVWCHECKRESULTS), static_cast<int>(rows_.size()), 0);
  SetDlgItemTextW(hwnd(), IDCANCEL, L"中止(&C)");
  for (int id : {IDC_CMDREMOVEDEAD, IDC_CMDREPLACEREDIRECTED, IDC_CMDSELECTFAILED}) {
    EnableWindow(Item(id), FALSE);
  }
  run_ = std::make_shared<Run>();
  run_->notify = hwnd();
  try {
    worker_ = std::thread([run = run_, urls = checked_.urls, transports = transports_(),
                           limits = limits_]() noexcept {
      try {
        CheckLinks(urls, limits, transports, run->cancelled,
                   [&](std::size_t index, const LinkResult& result) {
                     std::lock_guard<std::mutex> hold(run->lock);
                     run->arrived.emplace_back(index, result);
                     run->Post();
                   });
      } catch (const std::exception&) {
        // The lines not answered stay unchecked.
      }
      std::lock_guard<std::mutex> hold(run->lock);
      run->finished = true;
      run->Post();
    });
  } catch (const std::system_error&) {
    run_.reset();
    Ended(u"確認を始められませんでした。");
    return;
  }
  ShowProgress();
}

void frmLinkCheck::TakeResults() {
  if (!run_) return;
  std::vector<std::pair<std::size_t, LinkResult>> arrived;
  bool finished = false;
  {
    std::lock_guard<std::mutex> hold(run_->lock);
    arrived.swap(run_->arrived);
    run_->posted = false;
    finished = run_->finished;
  }
  for (auto& [index, result] : arrived) {
    checked_.results[index] = result;
    rows_[index].done = true;
    rows_[index].result = std::move(result);
  }
  if (!arrived.empty()) InvalidateRect(Item(IDC_LVWCHECKRESULTS), nullptr, FALSE);
  if (finished) {
    worker_.join();
    run_.reset();
    Ended(u"完了");
    return;
  }
  ShowProgress();
}

// Lets the check go: its workers stop starting requests and end on their own; nothing they
// still find reaches the window.
void frmLinkCheck::Stop() {
  if (!run_) return;
  run_->cancelled = true;
  {
    std::lock_guard<std::mutex> hold(run_->lock);
    run_->notify = nullptr;
  }
  if (worker_.joinable()) worker_.detach();
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
  for (int id : {IDC_CMDREMOVEDEAD, IDC_CMDREPLACEREDIRECTED, IDC_CMDSELECTFAILED}) {
    EnableWindow(Item(id), TRUE);
  }
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

std::u16string frmLinkCheck::CellText(int row, int column) const {
  const Row& r = rows_[row];
  if (column == 4) return checked_.urls[row];
  // A line the check was stopped before shows as not checked, as the check itself says.
  if (!r.done && !finished_) return column == 0 ? u"…" : u"";
  const LinkResult& result = r.result;
  switch (column) {
    case 0:
      return StatusText(result);
    case 1:
      return result.size < 0 ? u"" : Number(result.size);
    case 2:
      return Utf8ToUtf16(result.contentType);
    case 3:
      return result.finalUrl;
    default:
      return result.reason;
  }
}

void frmLinkCheck::lvwResults_ColumnClick(int column) {
  sortDown_ = column == sortColumn_ ? !sortDown_ : false;
  sortColumn_ = column;
  std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
    if (sortDown_) std::swap(a, b);
    if (column == kSizeColumn) {
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
    for (int column = 0; column < static_cast<int>(std::size(kColumns)); ++column) {
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
    default:
      return false;
  }
}

INT_PTR frmLinkCheck::OnMessage(UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case kResultsArrived:
      TakeResults();
      return TRUE;
    case WM_CLOSE:
      // The close box while the check runs stops it, then closes.
      Stop();
      Close(IDCANCEL);
      return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom != IDC_LVWCHECKRESULTS) return FALSE;
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
    default:
      return FALSE;
  }
}

}  // namespace cardo
