#include "app/extract/extract_pages_window.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>

#include "app/extract/extract_to_list.h"
#include "app/platform/text.h"
#include "app/platform/ui.h"
#include "app/platform/wide_text_win.h"
#include "app/resources/resource.h"

namespace cardo {
namespace {

// Posted once by the run's thread when the run has ended.
constexpr UINT kRunEnded = WM_APP + 1;
constexpr UINT_PTR kRefreshTimer = 1;
constexpr UINT kRefreshMilliseconds = 250;

struct Column {
  const wchar_t* title;
  int width;  // at 96 DPI
};
constexpr Column kColumns[] = {{L"ページ", 270}, {L"状態", 180}};

// The list grows with the window, the state column taking the width the page column leaves.
const std::vector<std::pair<int, unsigned>> kAnchors = {
    {IDC_LBLPAGESPROGRESS, kAnchorLeft | kAnchorRight},
    {IDC_LVWPAGES, kAnchorLeft | kAnchorTop | kAnchorRight | kAnchorBottom},
    {IDCANCEL, kAnchorRight | kAnchorBottom},
};

std::u16string Number(long long n) {
  return Utf8ToUtf16(std::to_string(n));
}

}  // namespace

frmExtractPages::~frmExtractPages() {
  Release();
}

CrawlSink frmExtractPages::GatherForList() {
  pending_ = std::make_shared<PendingLines>(shell_.list);
  return [pending = pending_](std::u16string_view url, std::u16string_view page) {
    // Each line keeps the page it was found on, as a single page's lines do.
    pending->SetPage(page);
    return pending->Add(url);
  };
}

bool frmExtractPages::Start(HWND owner, std::shared_ptr<PageCrawl> crawl) {
  Release();
  if (!IsOpen() && !CreateModeless(instance_, IDD_EXTRACT_PAGES, owner)) return false;
  const bool started = run_.Start(
      [crawl](WorkerLink&) {
        crawl->Run();
        return true;
      },
      false, hwnd(), kRunEnded, [crawl] { crawl->Cancel(); });
  if (!started) return false;
  crawl_ = std::move(crawl);
  note_.clear();
  SetDlgItemTextW(hwnd(), IDCANCEL, L"中止(&C)");
  SetTimer(hwnd(), kRefreshTimer, kRefreshMilliseconds, nullptr);
  Refresh();
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  SetForegroundWindow(hwnd());
  return true;
}

void frmExtractPages::Form_Load() {
  HWND view = Item(IDC_LVWPAGES);
  ListView_SetExtendedListViewStyle(view,
                                    LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_LABELTIP);
  for (int i = 0; i < static_cast<int>(std::size(kColumns)); ++i) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = MulDiv(kColumns[i].width, Dpi(), 96);
    column.pszText = const_cast<wchar_t*>(kColumns[i].title);
    ListView_InsertColumn(view, i, &column);
  }
  ListView_SetColumnWidth(view, 1, LVSCW_AUTOSIZE_USEHEADER);
  layout_.Capture(hwnd(), kAnchors);
  CentreOverOwner(hwnd());
}

void frmExtractPages::OnDpiChanged(int) {
  layout_.Capture(hwnd(), kAnchors);
  ListView_SetColumnWidth(Item(IDC_LVWPAGES), 1, LVSCW_AUTOSIZE_USEHEADER);
}

void frmExtractPages::Refresh() {
  if (crawl_) rows_ = crawl_->Progress();
  ListView_SetItemCountEx(Item(IDC_LVWPAGES), static_cast<int>(rows_.size()),
                          LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL);
  InvalidateRect(Item(IDC_LVWPAGES), nullptr, FALSE);
  int ended = 0, failed = 0;
  for (const PageProgress& page : rows_) {
    ended += page.state != PageState::Waiting && page.state != PageState::Fetching;
    failed += page.state == PageState::Failed;
  }
  const std::u16string state = note_.empty() ? u"取得中" : note_;
  const std::u16string text = state + u": " + Number(ended) + u" / " + Number(rows_.size()) +
                              u" ページ   エラー: " + Number(failed);
  SetDlgItemTextW(hwnd(), IDC_LBLPAGESPROGRESS, W(text));
}

void frmExtractPages::Finish(bool cancelled) {
  KillTimer(hwnd(), kRefreshTimer);
  // After the cancel, or once the run has returned, the run no longer touches pending_.
  if (cancelled) {
    run_.Cancel();
  } else {
    run_.Finish();
  }
  rows_ = crawl_->Progress();
  const int overCap = crawl_->PagesOverCap();
  const std::uint64_t leftOut = crawl_->LeftOut();
  crawl_.reset();
  const std::shared_ptr<PendingLines> pending = std::move(pending_);
  const int added = AddGatheredToList(*pending, shell_);  // a full list said once
  const std::exception_ptr failure = cancelled ? nullptr : run_.Failure();
  const std::u16string ended = cancelled ? u"中止しました"
                               : failure ? UnexpectedFailureText(failure)
                                         : u"完了";
  note_ = ended + u" (" + Number(added) + u" 件を追加)";
  if (overCap > 0) note_ += u"  上限のため " + Number(overCap) + u" ページは取得していません";
  if (leftOut > 0) note_ += u"  " + LeftOutNote(leftOut);
  SetDlgItemTextW(hwnd(), IDCANCEL, L"閉じる(&C)");
  Refresh();
}

void frmExtractPages::Release() {
  run_.Cancel();
  crawl_.reset();
}

void frmExtractPages::cmdStop_Click() {
  if (Running()) {
    Finish(true);
    return;
  }
  Close(IDCANCEL);
}

std::u16string frmExtractPages::StateText(const PageProgress& page) const {
  switch (page.state) {
    case PageState::Waiting:
      return u"待機";
    case PageState::Fetching:
      return u"取得中";
    case PageState::Done:
      return u"完了 " + Number(page.found) + u" 件";
    case PageState::Failed:
      return u"エラー " + page.reason;
    case PageState::Cancelled:
      return u"中止";
  }
  return {};
}

std::vector<std::vector<std::u16string>> frmExtractPages::Rows() const {
  std::vector<std::vector<std::u16string>> rows;
  for (const PageProgress& page : rows_) rows.push_back({page.url, StateText(page)});
  return rows;
}

bool frmExtractPages::OnCommand(int id, int code) {
  if (id != IDCANCEL || code != BN_CLICKED) return false;
  cmdStop_Click();
  return true;
}

INT_PTR frmExtractPages::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kRunEnded:
      if (Running() && run_.Read(wParam, lParam) == WorkNotice::Ended) Finish(false);
      return TRUE;
    case WM_TIMER:
      if (wParam == kRefreshTimer && Running()) Refresh();
      return TRUE;
    case WM_SIZE:
      layout_.Apply();
      ListView_SetColumnWidth(Item(IDC_LVWPAGES), 1, LVSCW_AUTOSIZE_USEHEADER);
      return TRUE;
    case WM_GETMINMAXINFO: {
      const SIZE least = layout_.MinimumSize();
      if (least.cx == 0) return FALSE;  // before the layout is known
      reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize = {least.cx, least.cy};
      return TRUE;
    }
    case WM_CLOSE:
      // The close box while the run goes on stops it, keeps what was found, then closes.
      if (Running()) Finish(true);
      Close(IDCANCEL);
      return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->idFrom != IDC_LVWPAGES || header->code != LVN_GETDISPINFOW) return FALSE;
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(lParam)->item;
      if (!(item.mask & LVIF_TEXT) || item.cchTextMax <= 0 || item.iItem < 0 ||
          item.iItem >= static_cast<int>(rows_.size())) {
        return TRUE;
      }
      const PageProgress& page = rows_[item.iItem];
      const std::u16string text = item.iSubItem == 0 ? page.url : StateText(page);
      const std::size_t n = std::min<std::size_t>(text.size(), item.cchTextMax - 1);
      std::copy_n(text.begin(), n, item.pszText);
      item.pszText[n] = L'\0';
      return TRUE;
    }
    default:
      return FALSE;
  }
}

}  // namespace cardo
