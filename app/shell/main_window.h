#pragma once
// frmMain: the main window. It shows the URL list under the menu bar and the toolbar, runs
// the File and Edit commands, and owns the recent-files menu.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "app/controls/cls_toolbar_win.h"
#include "app/controls/drop_target_win.h"
#include "app/editing/search_window.h"
#include "app/check/link_check_window.h"
#include "app/export/aria2_rpc.h"
#include "app/export/export.h"
#include "app/info/viewer_window.h"
#include "app/list/extended_selection.h"
#include "app/list/filtered_url_list.h"
#include "app/list/history_url_list.h"
#include "app/list/list_document.h"
#include "app/list/listbox_url_list.h"
#include "app/list/menu_history.h"
#include "app/list/shell_context.h"
#include "app/platform/background_work_win.h"
#include "app/platform/export_slot_win.h"
#include "app/platform/win_handle.h"
#include "app/settings/settings_file.h"
#include "app/shell/link_receiver_win.h"
#include "app/shell/text_meter_win.h"
#include "app/shell/tool_windows.h"
#include "app/shell/win_menu_place.h"

namespace cardo {

class frmMain final : public WindowSizeTwips {
 public:
  struct Services {
    Ui& ui;
    FileSystem& fs;
    Settings& settings;
    SettingsStore& store;
    bool quitOnDestroy = true;   // the program ends with its main window
    SpreadFunction spread = {};  // the expansion; empty for CARDOFNC.DLL's own
    Download download = {};      // the download; empty for the system's HTTP stack
  };

  // Builds the window hidden: menus, toolbar, list, and RecentFiles on its five places.
  frmMain(HINSTANCE instance, Services services);
  ~frmMain() override;
  frmMain(const frmMain&) = delete;
  frmMain& operator=(const frmMain&) = delete;

  HWND hwnd() const { return hwnd_.get(); }
  HWND listHwnd() const { return list_ ? list_->hwnd() : nullptr; }
  HWND toolbarHwnd() const { return mToolBar.hWnd(); }
  ShellContext& shell() { return *shell_; }
  CMenuHistory& RecentFiles() { return recentFiles_; }
  ListBoxUrlList& list() { return *list_; }
  // The list as shown and as every command sees it: the lines the filter lets through.
  FilteredUrlList& view() { return *view_; }
  HWND filterHwnd() const { return filter_; }
  // The find window; open while IsOpen() says so.
  frmSearch& SearchWindow() { return *search_; }
  frmLinkCheck& LinkCheckWindow() { return *linkCheck_; }
  // The topic viewer: opens `key` of THELP.TXT owned by `owner`, or brings the open viewer up.
  void ShowTopic(HWND owner, const std::u16string& key);
  frmSmplViewer& Viewer() { return *viewer_; }
  ToolWindows& Tools() { return *tools_; }
  HWND statusHwnd() const { return status_; }
  // The text of the status bar's part `part` (from 0): lines, selected, watch, note.
  std::u16string StatusText(int part) const;
  bool closed() const { return !hwnd_; }

  // Enables the ReGet and Iria toolbar buttons when their paths are set, and watches the
  // clipboard when the settings say so.
  void SetPrefarence();
  // The list's horizontal extent: the widest line, measured in the list's font, plus 5.
  void UpdateHorizontalExtent();
  // Gives the window's accelerators a look at a message of the loop.
  bool TranslateAccelerators(MSG& msg);

  // Text or files dropped onto the list (text wins when both are offered).
  DWORD lstMainList_OLEDragDrop(const DropData& data);

  // A command of the menu bar, the right-click and tool menus, the accelerators and the
  // toolbar, which all name it by its identifier.
  struct Command {
    int id;
    void (*run)(frmMain& window, int id);
    // Whether it can run, asked as a menu holding it opens; null: always.
    bool (frmMain::*enabled)() const = nullptr;
    // `enabled` reads the settings alone, so the command's toolbar button shows it too, set
    // whenever the settings are applied. The selection and the clipboard change too often
    // for a button to follow.
    bool settingsOnly = false;
    // The last of a run of identifiers from `id` (the recent files' places); 0 for one.
    int lastId = 0;

    bool Covers(int command) const { return command == id || (command > id && command <= lastId); }
  };
  // The command table: one row a command.
  static std::span<const Command> Commands();

  std::int32_t Width() const override;
  std::int32_t Height() const override;
  void SetWidth(std::int32_t twips) override;
  void SetHeight(std::int32_t twips) override;

 private:
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  static LRESULT CALLBACK ListProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnListMessage(HWND list, UINT message, WPARAM wParam, LPARAM lParam);
  // Tells the user that a message's handling failed with the exception being handled, so no
  // failure passes unseen; one message at a time, as the message box's own loop may fail again.
  void ReportUnexpectedFailure() noexcept;

  static void RegisterMainClass(HINSTANCE instance);
  // The window at its first size for the display's scale, its menus, keys and cursors.
  void CreateMainWindow();
  void CreateChildren();
  // WM_COMMAND from the filter box, a menu or an accelerator: false for the others.
  bool OnWmCommand(WPARAM wParam, LPARAM lParam);
  void CreateListLayers();
  // The shell's context and the windows that work on it: find, link check, viewer, tools.
  void CreateToolWindows();
  void CreateToolbar();
  void SetToolbarImages();
  void FitToWorkArea();
  void ApplyListFont(HWND list);
  void Form_DpiChanged(int dpi, const RECT* suggested);
  static const Command* FindCommand(int id);
  void OnCommand(int id);
  void OnInitMenuPopup(HMENU menu);
  // The toolbar buttons whose commands' states follow the settings, set from them.
  void ApplyToolbarStates();
  // The states commands are enabled by.
  bool AnySelected() const;
  bool HasLines() const;
  bool ClipboardHasText() const;
  bool CanUndoList() const;
  bool CanRedoList() const;
  bool ReGetSet() const;
  bool IriaSet() const;
  bool OtherSet() const;

  void Form_Resize();
  bool Form_QueryUnload();
  void Form_EndSession(bool ending);
  void Form_Destroy(HWND hwnd);
  void ExportToManager(ExportFormat manager);
  void ExportToOther();
  // An export's manager shares the instance's export number; its note goes to the status bar.
  void Exported(const ExportDone& done);
  // The whole list handed to the running aria2 the settings name, on a worker; the outcome
  // is shown when kAria2DoneMessage comes back. One hand-over at a time.
  void SendToAria2();
  void Aria2Done();
  bool Aria2Idle() const { return !aria2_.Running(); }
  // The receiver of the browser extension's links, serving while the settings turn it on;
  // started again when its port or token changed. A token is made the first time it is on.
  void ApplyReceiver();
  void Receiver_Delivered(LPARAM delivery);
  void TakeReceivedLinks(LinkReceiver::Delivery& delivery);
  void Receiver_Failed(LPARAM reason);
  void ShowHelp();
  void ShowVersion();
  void OpenWebLink(const wchar_t* address);
  // The clipboard as a source: a paste of its links, and the watch that pastes each new content.
  void mnuPasteLinks_Click();
  void mnuWatchClipboard_Click();
  void SetClipboardWatch(bool on);
  void Clipboard_Update();
  void PasteLinks(bool watcher);
  // The status bar: shown or hidden (and the settings say which), laid out at the bottom of the
  // client area (its height returned, 0 when hidden), and its texts.
  void CreateStatusBar();
  void ShowStatusBar(bool shown);
  void mnuStatusBar_Click();
  int PlaceStatusBar(int clientWidth);
  void SetStatusNote(std::u16string note);
  void ScheduleStatusUpdate();
  void UpdateStatusBar();
  void mToolBar_ButtonDropDown(int command);
  // The filter box at the right of the toolbar's row: Ctrl+E goes there, typing filters the
  // list as it changes, Enter goes back to the list and Esc clears the filter too.
  void CreateFilterBox();
  int PlaceFilterBox(int top, int rowHeight, int clientWidth);
  void FocusFilterBox();
  void txtFilter_Change();
  bool txtFilter_KeyDown(WPARAM key);
  // After a new or opened list: the filter is off and its box empty.
  void ResetFilterBox();
  static LRESULT CALLBACK FilterBoxProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;
  bool lstMainList_KeyDown(WPARAM key);
  void lstMainList_MouseDown(bool right, POINT listPoint);
  // A press of the left button: the selection as an extended-selection list box makes it, but
  // a plain press on one of several selected lines keeps them for a drag.
  void lstMainList_Press(WPARAM keys, POINT listPoint);
  // The row at a point of the list, or -1 below the last row.
  int ListRowAt(POINT listPoint) const;
  // How many rows the list shows at once.
  int ListPageRows() const;
  bool lstMainList_MouseMove(WPARAM keys, POINT listPoint);
  void lstMainList_DragDrop(POINT listPoint);
  // The left button let go: the drag dropped, or a press on the selection selecting one line.
  void lstMainList_MouseUp(HWND list, POINT listPoint);
  // No press or drag under way any more.
  void EndPress();
  // LB_GETTEXTLEN, and LB_GETTEXT when `buffer` is given: the text of a row the filter shows.
  LRESULT lstMainList_RowText(WPARAM row, LPARAM buffer);
  void lstMainList_DrawItem(const DRAWITEMSTRUCT& item);
  void lstMainList_DblClick();
  void lstMainList_DropFiles(HDROP drop);

  void ShowRightClickMenu(POINT screen);
  void SetOuterSizePixels(std::optional<int> width, std::optional<int> height);
  RECT NormalRect() const;

  HINSTANCE instance_;
  Services services_;
  // Which export files this instance writes, held while it or a manager it started runs.
  ExportSlot exportSlot_;
  UniqueWindow hwnd_;
  // The DPI the window is laid out and drawn for.
  int dpi_ = 96;
  HWND line_ = nullptr;
  HWND status_ = nullptr;
  bool statusShown_ = false;
  // What the last change of the list did, until the next one or a new list.
  std::u16string statusNote_;
  // Posted to read the list's counts once a run of selection changes is over.
  static constexpr UINT kStatusUpdateMessage = WM_APP + 1;
  bool statusUpdatePending_ = false;
  // The hand-over to aria2 under way, to `aria2Address_`; it posts this when it ends.
  static constexpr UINT kAria2DoneMessage = WM_APP + 2;
  std::u16string aria2Address_;
  BackgroundWork<Aria2Handover> aria2_;
  // The receiver hands each request's links over with the first, and says with the second
  // that it cannot have its port.
  static constexpr UINT kLinksReceivedMessage = WM_APP + 3;
  static constexpr UINT kReceiverFailedMessage = WM_APP + 4;
  std::unique_ptr<LinkReceiver> receiver_;
  // Requests that came while the program asked whether to save before closing: taken once the
  // close is called off; a program that closes ends them unanswered, and their links are not
  // reported as added to a list that is gone.
  std::vector<std::shared_ptr<LinkReceiver::Delivery>> deliveriesWhileClosing_;
  bool closing_ = false;
  clsImageList images_;
  clsImageList disabledImages_;
  clsToolBar mToolBar;
  UniqueMenu popups_;
  HACCEL accelerators_ = nullptr;
  HCURSOR dragCursor_ = nullptr;
  UniqueGdi font_;
  std::unique_ptr<AnsiTextMeter> meter_;
  std::unique_ptr<ListBoxUrlList> list_;
  // The list as every command changes it: the list box, each change recorded for undo.
  std::unique_ptr<HistoryUrlList> history_;
  std::unique_ptr<FilteredUrlList> view_;
  HWND filter_ = nullptr;
  std::unique_ptr<ListDocument> document_;
  std::unique_ptr<WinHistoryMenu> historyMenu_;
  CMenuHistory recentFiles_;
  std::unique_ptr<ShellContext> shell_;
  bool shutdownDone_ = false;
  // The last find, for find next, for the life of the program.
  SearchRecord SearchState;
  std::unique_ptr<frmSearch> search_;
  std::unique_ptr<frmLinkCheck> linkCheck_;
  std::unique_ptr<frmSmplViewer> viewer_;
  std::unique_ptr<ToolWindows> tools_;

  bool watchingClipboard_ = false;
  // A paste in progress: a message box it shows lets a clipboard change through, which must
  // not start a second one.
  bool pastingLinks_ = false;

  // The selection the list's presses and keys make (the list box keeps none of its own).
  ExtendedSelection selection_;
  // Mouse state of the list: the drag origin and whether a drag of the selected lines is on.
  POINT dragOrigin_{};
  bool leftDown_ = false;
  bool dragging_ = false;
  // The line a press on the selection landed on, selected alone when no drag follows; -1 none.
  int pressedOnSelection_ = -1;
};

}  // namespace cardo
