// The main window's clipboard as a source of links: Edit > リンクを貼り付け and the watch of
// View > クリップボードを監視, which pastes the links of every new clipboard content.
#include <new>

#include "app/extract/clipboard_links.h"
#include "app/extract/extract_to_list.h"
#include "app/list/messages.h"
#include "app/platform/win_check.h"
#include "app/resources/resource.h"
#include "app/shell/main_window.h"
#include "app/shell/messages.h"

namespace cardo {

void frmMain::mnuPasteLinks_Click() {
  PasteLinks(false);
}

void frmMain::mnuWatchClipboard_Click() {
  SetClipboardWatch(!watchingClipboard_);
}

void frmMain::SetClipboardWatch(bool on) {
  if (on != watchingClipboard_) {
    // The system tells the listener of each change; nothing is polled.
    if (on && !CARDO_CHECK_WIN32(AddClipboardFormatListener(hwnd()))) on = false;
    if (!on && watchingClipboard_) CARDO_CHECK_WIN32(RemoveClipboardFormatListener(hwnd()));
    watchingClipboard_ = on;
    // The status bar's watch part comes and goes with the watch.
    Form_Resize();
  }
  services_.settings.WatchClipboard = on ? 1 : 0;
  CheckMenuItem(GetMenu(hwnd()), IDM_WATCH_CLIPBOARD,
                MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
  UpdateStatusBar();
}

void frmMain::Clipboard_Update() {
  if (watchingClipboard_ && !pastingLinks_) PasteLinks(true);
}

void frmMain::PasteLinks(bool watcher) {
  if (pastingLinks_) return;
  pastingLinks_ = true;
  struct Done {
    bool& flag;
    ~Done() { flag = false; }
  } done{pastingLinks_};

  Ui& ui = services_.ui;
  const Settings& settings = services_.settings;
  LinkPasteResult result;
  try {
    const ClipboardContent clipboard = ui.ReadClipboard();
    // The program's own copies hold lines of the list, not new links.
    if (watcher && clipboard.fromThisProgram) return;
    result = PasteLinksToList(PrepareLinkScan(clipboard, settings), settings.UrlExtFilter, watcher,
                              *shell_);
  } catch (const std::bad_alloc&) {
    result.outOfMemory = true;
  }
  if (result.outOfMemory) {
    ShowError(ui, msg::kClipboardTooLarge);
  } else if (result.added == 0 && !result.listFull && !watcher) {
    ui.ShowMessage(msg::kNoUrlOnClipboard, msg::kInfoTitle, MessageIcon::Information,
                   MessageButtons::Ok);
  }
}

}  // namespace cardo
