#pragma once
// frmExtractPages: the progress of a run over several pages (page_crawl.h), opened by the
// extraction dialog. A row per page (address, 待機 / 取得中 / 完了 N 件 / エラー reason) and a
// progress line; the downloads run off the window's thread (background_work_win.h) and the
// list is changed here, on the window's thread, when the run ends; a list that can take no more
// stops the run and is said once. 中止 stops the run at once and adds what was found.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/controls/anchor_layout_win.h"
#include "app/controls/dialog_win.h"
#include "app/extract/page_crawl.h"
#include "app/list/pending_lines.h"
#include "app/list/shell_context.h"
#include "app/platform/background_work_win.h"

namespace cardo {

class frmExtractPages final : public DialogWindow {
 public:
  frmExtractPages(HINSTANCE instance, ShellContext& shell)
      : DialogWindow(shell.ui), instance_(instance), shell_(shell) {}
  ~frmExtractPages() override;

  // Where the next run's URLs go (its PageCrawl's sink): gathered for the list as they come,
  // as many as the list has room for now; the run stops once it is full.
  CrawlSink GatherForList();
  // Runs `crawl`, made with the sink above, in the window, opened over `owner`; false when no
  // worker could start.
  bool Start(HWND owner, std::shared_ptr<PageCrawl> crawl);
  bool Running() const { return crawl_ != nullptr; }

  void cmdStop_Click();
  // The rows as shown: each page's address and state.
  std::vector<std::vector<std::u16string>> Rows() const;

 private:
  void Form_Load() override;
  void OnDpiChanged(int oldDpi) override;
  bool OnCommand(int id, int code) override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void Refresh();
  // The run's URLs to the list and the window in its ended state.
  void Finish(bool cancelled);
  // Stops the run: its worker is joined once its downloads under way return, at the latest
  // when the window's object goes.
  void Release();
  std::u16string StateText(const PageProgress& page) const;

  HINSTANCE instance_;
  ShellContext& shell_;
  AnchorLayout layout_;
  std::shared_ptr<PageCrawl> crawl_;
  std::shared_ptr<PendingLines> pending_;  // the run's URLs, touched by it until it ended
  BackgroundWork<bool> run_;               // the crawl's Run
  std::vector<PageProgress> rows_;
  std::u16string note_;  // how the run ended
};

}  // namespace cardo
