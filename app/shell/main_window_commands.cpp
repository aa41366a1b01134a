// The main window's commands: the table that says what each one does and when it is enabled,
// which the menu bar, the right-click and tool menus, the accelerators and the toolbar share.
#include <algorithm>
#include <memory>

#include "app/editing/edit_dialog.h"
#include "app/export/aria2_rpc.h"
#include "app/net/http_post.h"
#include "app/check/link_check_list.h"
#include "app/info/version_window.h"
#include "app/list/edit_commands.h"
#include "app/list/list_file.h"
#include "app/platform/text.h"
#include "app/platform/ui_messages.h"
#include "app/resources/resource.h"
#include "app/shell/main_window.h"
#include "app/settings/settings_keys.h"
#include "app/shell/messages.h"
#include "fnc/home_page.h"

namespace cardo {
namespace {

constexpr wchar_t kMakerSite[] = L"https://cardo.example/author/";
constexpr wchar_t kLibrarySite[] = L"https://cardo.example/library/";
constexpr char16_t kHelpFile[] = u"CARDHELP.HLP";
constexpr char16_t kUserGuide[] = u"CARDHELP.html";

}  // namespace

std::span<const frmMain::Command> frmMain::Commands() {
  using W = frmMain;
  static constexpr Command kCommands[] = {
      {IDM_FILE_NEW, [](W& w, int) { FileNew(*w.shell_); }},
      {IDM_FILE_OPEN, [](W& w, int) { FileOpen(*w.shell_); }},
      {IDM_FILE_ADD, [](W& w, int) { FileAdd(*w.shell_); }},
      {IDM_FILE_SAVE, [](W& w, int) { FileSave(*w.shell_); }},
      {IDM_FILE_SAVE_AS, [](W& w, int) { FileSaveAs(*w.shell_); }},
      {IDM_FILE_EXIT, [](W& w, int) { PostMessageW(w.hwnd(), WM_CLOSE, 0, 0); }},
      {.id = IDM_HISTORY_FIRST,
       .run = [](W& w, int id) { OpenRecentFile(*w.shell_, id - IDM_HISTORY_FIRST + 1); },
       .lastId = IDM_HISTORY_LAST},
      {IDM_EXPORT_REGET, [](W& w, int) { w.ExportToManager(ExportFormat::ReGet); }, &W::ReGetSet,
       true},
      {IDM_EXPORT_IRIA, [](W& w, int) { w.ExportToManager(ExportFormat::Iria); }, &W::IriaSet,
       true},
      {IDM_EXPORT_OTHER, [](W& w, int) { w.ExportToOther(); }, &W::OtherSet, true},
      {IDM_EXPORT_ARIA2_RPC, [](W& w, int) { w.SendToAria2(); }, &W::Aria2Idle},

      {IDM_EDIT_UNDO, [](W& w, int) { EditUndo(*w.shell_); }, &W::CanUndoList},
      {IDM_EDIT_REDO, [](W& w, int) { EditRedo(*w.shell_); }, &W::CanRedoList},
      {IDM_MOVE_UP, [](W& w, int) { EditMoveLines(*w.shell_, -1); }},
      {IDM_MOVE_DOWN, [](W& w, int) { EditMoveLines(*w.shell_, 1); }},
      {IDM_EDIT_CUT, [](W& w, int) { EditCut(*w.shell_); }, &W::AnySelected},
      {IDM_EDIT_COPY, [](W& w, int) { EditCopy(*w.shell_); }, &W::AnySelected},
      {IDM_EDIT_PASTE, [](W& w, int) { EditPaste(*w.shell_); }, &W::ClipboardHasText},
      {IDM_PASTE_LINKS, [](W& w, int) { w.mnuPasteLinks_Click(); }, &W::ClipboardHasText},
      {IDM_EDIT_DELETE, [](W& w, int) { EditDelete(*w.shell_); }, &W::AnySelected},
      {IDM_EDIT_SELECT_ALL, [](W& w, int) { EditSelectAll(*w.shell_); }},
      {IDM_EDIT_INVERT_SELECTION, [](W& w, int) { EditInvertSelection(*w.shell_); }},
      {IDM_EDIT_FIND, [](W& w, int) { w.search_->Show(w.hwnd(), SearchMode::Find); }},
      {IDM_EDIT_FIND_NEXT,
       [](W& w, int) { FindInList(*w.shell_, w.SearchState, u"", 0, false, false); }},
      {IDM_EDIT_REPLACE, [](W& w, int) { w.search_->Show(w.hwnd(), SearchMode::Replace); }},
      {IDM_EDIT_FILTER, [](W& w, int) { w.FocusFilterBox(); }},
      {IDM_EDIT_REMOVE_DUPLICATES, [](W& w, int) { EditRemoveDuplicates(*w.shell_); }},
      {IDM_EDIT_CHECK_LINKS,
       [](W& w, int) { w.linkCheck_->Check(w.hwnd(), LinesToCheck(*w.view_)); }, &W::HasLines},
      {IDM_SORT_ASCENDING, [](W& w, int) { EditSort(*w.shell_, SortOrder::Ascending); }},
      {IDM_SORT_DESCENDING, [](W& w, int) { EditSort(*w.shell_, SortOrder::Descending); }},
      {IDM_SORT_RANDOM, [](W& w, int) { EditShuffle(*w.shell_); }},
      {IDM_EDIT_LINE, [](W& w, int) { w.lstMainList_DblClick(); }, &W::AnySelected},
      {IDM_EXTRACT_FROM_SELECTED,
       [](W& w, int) { w.tools_->Extract().ShowPages(SelectedLinesText(*w.list_)); },
       &W::AnySelected},

      {IDM_VIEW_DROP_DIALOG, [](W& w, int) { w.tools_->DropDialog().Show(); }},
      {IDM_VIEW_FREE_INPUT, [](W& w, int) { w.tools_->FreeInput().Show(); }},
      {IDM_VIEW_SPREAD_URL, [](W& w, int) { w.tools_->SpreadUrl().Show(); }},
      {IDM_VIEW_GENE_LIST, [](W& w, int) { w.tools_->GeneList().Show(); }},
      {IDM_VIEW_EXTRACT, [](W& w, int) { w.tools_->Extract().Show(); }},
      {IDM_VIEW_STATUSBAR, [](W& w, int) { w.mnuStatusBar_Click(); }},
      {IDM_WATCH_CLIPBOARD, [](W& w, int) { w.mnuWatchClipboard_Click(); }},
      {IDM_VIEW_PREFERENCES, [](W& w, int) { w.tools_->Prefarence().Show(); }},

      {IDM_HELP_CONTENTS, [](W& w, int) { w.ShowHelp(); }},
      {IDM_HP_PRODUCT, [](W& w, int) { w.OpenWebLink(kHomePageW); }},
      {IDM_HP_MAKER, [](W& w, int) { w.OpenWebLink(kMakerSite); }},
      {IDM_HP_LIBRARY, [](W& w, int) { w.OpenWebLink(kLibrarySite); }},
      {IDM_HELP_VERSION, [](W& w, int) { w.ShowVersion(); }},
  };
  return kCommands;
}

const frmMain::Command* frmMain::FindCommand(int id) {
  const auto commands = Commands();
  const auto found = std::find_if(commands.begin(), commands.end(),
                                  [id](const Command& c) { return c.Covers(id); });
  return found == commands.end() ? nullptr : &*found;
}

void frmMain::OnCommand(int id) {
  if (const Command* command = FindCommand(id)) command->run(*this, id);
  // Select all and invert change no lines, and so tell no step.
  UpdateStatusBar();
}

// Every item of the menu, its submenus' included, takes its command's state: a shortcut key
// runs its command only while the menu bar's item is enabled, and the system asks for that
// state with this message too.
void frmMain::OnInitMenuPopup(HMENU menu) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (HMENU submenu = GetSubMenu(menu, i)) {
      OnInitMenuPopup(submenu);
      continue;
    }
    const Command* command = FindCommand(static_cast<int>(GetMenuItemID(menu, i)));
    if (!command || !command->enabled) continue;
    EnableMenuItem(menu, static_cast<UINT>(i),
                   MF_BYPOSITION | ((this->*command->enabled)() ? MF_ENABLED : MF_GRAYED));
  }
}

bool frmMain::AnySelected() const {
  return view_->SelectedCount() > 0;
}

bool frmMain::CanUndoList() const {
  return CanUndo(*shell_);
}

bool frmMain::CanRedoList() const {
  return CanRedo(*shell_);
}

bool frmMain::HasLines() const {
  return view_->Count() > 0;
}

bool frmMain::ClipboardHasText() const {
  return services_.ui.ClipboardHasText();
}

bool frmMain::ReGetSet() const {
  return !services_.settings.ReGetPath.empty();
}

bool frmMain::IriaSet() const {
  return !services_.settings.IriaPath.empty();
}

bool frmMain::OtherSet() const {
  return !services_.settings.OtherPath.empty();
}

void frmMain::ExportToManager(ExportFormat manager) {
  const Settings& settings = services_.settings;
  const std::u16string& folder = services_.store.appDirectory;
  Exported(ExportList(*shell_, manager,
                      manager == ExportFormat::ReGet ? settings.ReGetPath : settings.IriaPath,
                      folder, services_.store.appVersion, exportSlot_.Number(folder)));
}

void frmMain::Exported(const ExportDone& done) {
  exportSlot_.ShareWith(done.processId);
  if (!done.note.empty()) SetStatusNote(done.note);
}

void frmMain::ExportToOther() {
  const Settings& settings = services_.settings;
  const std::u16string& folder = services_.store.appDirectory;
  Exported(ExportListToOther(*shell_, settings.OtherPath, settings.OtherArgs,
                             ToOtherFormat(settings.OtherFormat), folder,
                             exportSlot_.Number(folder), ExportOptionsOf(settings)));
}

void frmMain::SendToAria2() {
  const Settings& settings = services_.settings;
  const ExportOptions options = ExportOptionsOf(settings);
  if (!Aria2Idle() || !ReadyForAria2(*shell_, options)) return;
  std::u16string address =
      settings.Aria2RpcAddress.empty() ? kDefaultRpcAddress : settings.Aria2RpcAddress;
  // The worker works on copies: the list and its pages may change while aria2 answers.
  std::vector<std::u16string> lines = shell_->list.Whole().LineRefs();
  // A list too large to copy into a request: nothing is sent.
  Aria2Handover outOfMemory;
  outOfMemory.unsent = lines.size();
  outOfMemory.stopped = Aria2Handover::Stop::NotConnected;
  outOfMemory.reason = u"メモリが足りません。";
  const bool started = aria2_.Start(
      [address, lines = std::move(lines), pages = shell_->document.Pages(), options,
       secret = Utf16ToUtf8(settings.Aria2RpcSecret)](WorkerLink& link) {
        ExportOptions withPages = options;
        withPages.pages = &pages;
        const HttpClient client(SystemHttpStack());
        return cardo::SendToAria2(lines, withPages, secret, [&](const std::string& body) {
          return PostJson(client, address, body, kPostSilence, &link.StopFlag());
        });
      },
      std::move(outOfMemory), hwnd(), kAria2DoneMessage);
  if (!started) {
    ShowError(services_.ui, msg::kUnexpectedFailure);
    return;
  }
  aria2Address_ = std::move(address);
}

void frmMain::Aria2Done() {
  ShowHandover(services_.ui, aria2_.Finish(), aria2Address_);
}

void frmMain::ShowHelp() {
  const std::u16string& folder = services_.store.appDirectory;
  // The WinHelp file when there is one; else the user's guide, which any browser shows.
  const std::u16string help =
      IsExistingFile(services_.fs, folder + kHelpFile) ? kHelpFile : kUserGuide;
  const std::u16string path = folder + help;
  const std::u16string failure = services_.ui.OpenWithShell(path, folder);
  if (failure.empty()) return;
  // A file that is there and is not opened has no program for its kind; a missing one has the
  // system's own words.
  ShowError(services_.ui, IsExistingFile(services_.fs, path)
                              ? msg::kHelpNotOpenedPrefix + path + msg::kHelpNotOpenedSuffix
                              : failure);
}

void frmMain::ShowVersion() {
  frmVersion(instance_, services_.ui, services_.store.appVersion, services_.store.appDirectory)
      .ShowModal(hwnd());
}

void frmMain::OpenWebLink(const wchar_t* address) {
  services_.ui.OpenWithShell(reinterpret_cast<const char16_t*>(address),
                             services_.store.appDirectory);
}

}  // namespace cardo
