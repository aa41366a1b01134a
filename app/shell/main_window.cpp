#include "app/shell/main_window.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <exception>
#include <new>
#include <utility>

#include "app/controls/dpi_win.h"
#include "app/info/topic_file.h"
#include "app/platform/failure_report_win.h"
#include "app/platform/win_check.h"
#include "app/platform/wide_text_win.h"
#include "app/resources/resource.h"
#include "app/settings/settings_keys.h"
#include "app/shell/messages.h"
#include "app/shell/startup.h"

namespace cardo {
namespace {

constexpr wchar_t kWindowClass[] = L"CardoMainWindow";
constexpr wchar_t kInitialCaption[] = L"Cardo - [無題]";
constexpr UINT_PTR kListSubclassId = 1;
// A first start's outer size, in twips: the designed size, the same physical size at every
// display scale (608 x 466 pixels at 100 %). A screen too small for it at its scale (1024 x 768
// at 200 %) gets its work area instead (FitToWorkArea).
constexpr int kDefaultWidthTwips = 9120;
constexpr int kDefaultHeightTwips = 6990;

}  // namespace

frmMain::frmMain(HINSTANCE instance, Services services) : instance_(instance), services_(services) {
  RegisterMainClass(instance);
  CreateMainWindow();
  CreateChildren();
  CreateListLayers();
  CreateToolWindows();
  ShowStatusBar(SettingInRange<&Settings::StatusBar>(services_.settings) == 1);
}

void frmMain::RegisterMainClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_CARDO));
  wc.hIconSm = wc.hIcon;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kWindowClass;
  RegisterClassExW(&wc);  // a second window in one process finds the class registered
}

void frmMain::CreateMainWindow() {
  HINSTANCE instance = instance_;
  dpi_ = SystemDpi();
  HMENU menuBar = LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINMENU));
  // The window procedure takes ownership of the handle at WM_NCCREATE.
  CARDO_CHECK_WIN32(
      CreateWindowExW(0, kWindowClass, kInitialCaption, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                      CW_USEDEFAULT, TwipsToPixels(kDefaultWidthTwips, dpi_),
                      TwipsToPixels(kDefaultHeightTwips, dpi_), nullptr, menuBar, instance, this));
  // The display the window came up on may have a scale of its own.
  if (const int dpi = WindowDpi(hwnd()); dpi != dpi_) {
    dpi_ = dpi;
    SetWidth(kDefaultWidthTwips);
    SetHeight(kDefaultHeightTwips);
  }
  FitToWorkArea();
  SetLaidOutDpi(hwnd(), dpi_);
  popups_.reset(LoadMenuW(instance, MAKEINTRESOURCEW(IDR_POPUPMENUS)));
  accelerators_ = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
  dragCursor_ = LoadCursorW(instance, MAKEINTRESOURCEW(IDC_DRAGCURSOR));
}

// The list box under its undo history and the filter's view, the document and the recent
// files around them.
void frmMain::CreateListLayers() {
  document_ = std::make_unique<ListDocument>(
      [this](const std::u16string& title) { SetWindowTextW(hwnd(), W(title)); });
  HMENU fileMenu = GetSubMenu(GetMenu(hwnd()), 0);
  historyMenu_ = std::make_unique<WinHistoryMenu>(GetSubMenu(fileMenu, 6), IDM_HISTORY_FIRST);
  for (int i = 1; i <= kRecentFilePlaces; ++i) recentFiles_.SetMenu(historyMenu_->Place(i));
  ConfigureRecentFiles(recentFiles_);

  history_ = std::make_unique<HistoryUrlList>(*list_);
  view_ = std::make_unique<FilteredUrlList>(*history_);
  // Undo and redo bring lines back anywhere in the list: the filter looks at them again.
  history_->SetRestoredHook([this] { view_->Refilter(); });
  history_->SetObserver([this](std::optional<ListOutcome> outcome) {
    if (!outcome) {
      ResetFilterBox();
      SetStatusNote(u"");
      return;
    }
    using Kind = ListOutcome::Kind;
    const bool undoOrRedo = outcome->kind == Kind::Undone || outcome->kind == Kind::Redone;
    std::u16string note = OutcomeNote(*outcome);
    if (!undoOrRedo && view_->Filtering()) note += msg::kFilteredNoteSuffix;
    SetStatusNote(std::move(note));
  });
  document_->SetHistory(history_.get());
}

void frmMain::CreateToolWindows() {
  shell_ = std::make_unique<ShellContext>(ShellContext{*view_, *document_, services_.ui,
                                                       services_.fs, recentFiles_,
                                                       [this] { UpdateHorizontalExtent(); }});
  search_ = std::make_unique<frmSearch>(instance_, *shell_, services_.settings, SearchState);
  linkCheck_ = std::make_unique<frmLinkCheck>(instance_, *shell_, services_.settings,
                                              [] { return HttpLinkTransports(SystemHttpStack()); });
  viewer_ = std::make_unique<frmSmplViewer>(instance_, services_.ui, services_.fs,
                                            services_.store.appDirectory);
  tools_ = std::make_unique<ToolWindows>(
      ToolContext{instance_, hwnd(), *shell_, services_.settings,
                  [this](HWND owner, const std::u16string& key) { ShowTopic(owner, key); },
                  services_.store.appDirectory},
      services_.spread, services_.download, [this] { SetPrefarence(); });
}

// Within the work area of the monitor the window is on: no larger, and moved in where it would
// stand out of it.
void frmMain::FitToWorkArea() {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (!GetMonitorInfoW(MonitorFromWindow(hwnd(), MONITOR_DEFAULTTONEAREST), &monitor)) return;
  const RECT& work = monitor.rcWork;
  RECT outer{};
  GetWindowRect(hwnd(), &outer);
  const int width = std::min<int>(outer.right - outer.left, work.right - work.left);
  const int height = std::min<int>(outer.bottom - outer.top, work.bottom - work.top);
  const int left = std::clamp<int>(outer.left, work.left, work.right - width);
  const int top = std::clamp<int>(outer.top, work.top, work.bottom - height);
  SetWindowPos(hwnd(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

frmMain::~frmMain() {
  receiver_.reset();
  // A hand-over still running stops: its post under way ends at once.
  aria2_.Cancel();
  hwnd_.reset();
}

void frmMain::CreateChildren() {
  CreateStatusBar();
  line_ = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_ETCHEDHORZ, 0, 0, 0, 2,
                          hwnd(), reinterpret_cast<HMENU>(IDC_VOPLINE), instance_, nullptr);
  CARDO_CHECK_WIN32(line_);
  CreateToolbar();
  CreateFilterBox();
  HWND list = CreateWindowExW(
      WS_EX_CLIENTEDGE, L"LISTBOX", nullptr,
      WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | WS_TABSTOP | LBS_EXTENDEDSEL |
          LBS_NOINTEGRALHEIGHT | LBS_NOTIFY | LBS_NODATA | LBS_OWNERDRAWFIXED,
      0, 0, 0, 0, hwnd(), reinterpret_cast<HMENU>(IDC_LSTMAINLIST), instance_, nullptr);
  CARDO_CHECK_WIN32(list);
  ApplyListFont(list);
  CARDO_CHECK_WIN32(
      SetWindowSubclass(list, ListProc, kListSubclassId, reinterpret_cast<DWORD_PTR>(this)));
  // The list box holds no strings, but it answers LB_GETTEXT from the lines (ListProc). The
  // style says so to other processes, so screen readers and automation, whose requests the
  // system sizes by this style, read every line; the list box itself keeps the style it was
  // created with.
  SetWindowLongPtrW(list, GWL_STYLE, GetWindowLongPtrW(list, GWL_STYLE) | LBS_HASSTRINGS);
  // Text and files arrive through OLE; without it the shell's plain file drops still do.
  const auto accepted = [](const DropData& data, DWORD) {
    return data.text || !data.files.empty() ? DWORD{DROPEFFECT_COPY} : DWORD{DROPEFFECT_NONE};
  };
  const auto dropped = [this](const DropData& data, DWORD) {
    return lstMainList_OLEDragDrop(data);
  };
  if (!DropTarget::Attach(list, accepted, dropped)) DragAcceptFiles(list, TRUE);
  list_ = std::make_unique<ListBoxUrlList>(list);
  list_->SetSelectionObserver([this] { ScheduleStatusUpdate(); });
}

// The system's message font at the window's DPI, for the list's lines and their row height.
void frmMain::ApplyListFont(HWND list) {
  UniqueGdi font(CreateMessageFont(dpi_));
  if (!font) font.reset(GetStockObject(DEFAULT_GUI_FONT));
  SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  // The status bar's height follows this font, at the window's DPI too.
  SendMessageW(status_, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
  // An owner-drawn list takes its row height from us, not from its font.
  TEXTMETRICW metrics{};
  {
    const WindowDc dc(list);
    const ScopedSelect selected(dc.get(), font.get());
    CARDO_CHECK_WIN32(GetTextMetricsW(dc.get(), &metrics));
  }
  SendMessageW(list, LB_SETITEMHEIGHT, 0, std::max<LONG>(metrics.tmHeight, 1));
  meter_ = std::make_unique<AnsiTextMeter>(static_cast<HFONT>(font.get()));
  font_ = std::move(font);
}

// The window follows a move to a display of another scale, or a change of the scale: the
// suggested rectangle keeps its physical size, and what is drawn in pixels is made anew.
void frmMain::Form_DpiChanged(int dpi, const RECT* suggested) {
  if (dpi <= 0) return;
  dpi_ = dpi;
  SetLaidOutDpi(hwnd(), dpi);
  if (list_) {
    ApplyListFont(list_->hwnd());
    UpdateHorizontalExtent();  // the lines are as wide as the new font draws them
    InvalidateRect(list_->hwnd(), nullptr, TRUE);
  }
  SetToolbarImages();
  if (suggested) {
    SetWindowPos(hwnd(), nullptr, suggested->left, suggested->top,
                 suggested->right - suggested->left, suggested->bottom - suggested->top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  Form_Resize();
}

LRESULT CALLBACK frmMain::WindowProc(HWND hwnd, UINT message, WPARAM wParam,
                                     LPARAM lParam) noexcept {
  frmMain* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<frmMain*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_.reset(hwnd);
  } else {
    self = reinterpret_cast<frmMain*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  // The handle is no longer held during DestroyWindow, so the window is known by its
  // pointer, which WM_NCDESTROY clears.
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  try {
    // A control's failure is told as the window's own.
    if (message == HandedFailureMessage()) {
      RethrowHandedFailure(lParam);
      return 0;
    }
    return self->OnMessage(hwnd, message, wParam, lParam);
  } catch (...) {
    self->ReportUnexpectedFailure();
    // A close that failed on its way keeps the window and its list, for the user to save.
    if (message == WM_CLOSE) return 0;
    if (message == WM_QUERYENDSESSION) return FALSE;
    return DefWindowProcW(hwnd, message, wParam, lParam);
  }
}

void frmMain::ReportUnexpectedFailure() noexcept {
  ShowUnexpectedFailure(services_.ui);
}

LRESULT frmMain::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      Form_Resize();
      return 0;
    case WM_DPICHANGED:
      Form_DpiChanged(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam));
      return 0;
    case WM_COMMAND:
      if (OnWmCommand(wParam, lParam)) return 0;
      break;
    case kStatusUpdateMessage:
      UpdateStatusBar();
      return 0;
    case kAria2DoneMessage:
      if (aria2_.Read(wParam, lParam) == WorkNotice::Ended) Aria2Done();
      return 0;
    case kLinksReceivedMessage:
      Receiver_Delivered(lParam);
      return 0;
    case kReceiverFailedMessage:
      Receiver_Failed(lParam);
      return 0;
    case WM_DRAWITEM:
      if (wParam == IDC_LSTMAINLIST) {
        lstMainList_DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
      }
      break;
    case WM_INITMENUPOPUP:
      OnInitMenuPopup(reinterpret_cast<HMENU>(wParam));
      return 0;
    case WM_SETFOCUS:
      if (list_) SetFocus(list_->hwnd());
      return 0;
    case WM_CLOSE:
      if (Form_QueryUnload()) hwnd_.reset();
      return 0;
    case WM_QUERYENDSESSION:
      return Form_QueryUnload() ? TRUE : FALSE;
    case WM_ENDSESSION:
      Form_EndSession(wParam != FALSE);
      return 0;
    case WM_CLIPBOARDUPDATE:
      Clipboard_Update();
      return 0;
    case WM_DESTROY:
      Form_Destroy(hwnd);
      return 0;
    case WM_NCDESTROY:
      ForgetLaidOutDpi(hwnd);
      SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
      hwnd_.release();
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

bool frmMain::OnWmCommand(WPARAM wParam, LPARAM lParam) {
  if (HIWORD(wParam) == EN_CHANGE && LOWORD(wParam) == IDC_TXTFILTER) {
    txtFilter_Change();
    return true;
  }
  // A menu's or an accelerator's; the toolbar's come through its own routing.
  if (lParam != 0) return false;
  OnCommand(LOWORD(wParam));
  return true;
}

void frmMain::Form_EndSession(bool ending) {
  if (ending) {
    hwnd_.reset();
  } else {
    // The session goes on: the next close asks and saves again.
    shutdownDone_ = false;
  }
}

// The window's handle is no longer held while it is destroyed: it comes with the message.
void frmMain::Form_Destroy(HWND hwnd) {
  // A connection still open gets no answer: the window that would add its links is going.
  receiver_.reset();
  if (watchingClipboard_) CARDO_CHECK_WIN32(RemoveClipboardFormatListener(hwnd));
  if (list_) {
    RemoveWindowSubclass(list_->hwnd(), ListProc, kListSubclassId);
    DropTarget::Revoke(list_->hwnd());
  }
  if (services_.quitOnDestroy) PostQuitMessage(0);
}

void frmMain::Form_Resize() {
  if (!list_) return;
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  const int line = ScaleForDpi(2, dpi_);
  MoveWindow(line_, 0, 0, width, line, TRUE);
  // The toolbar is laid out first at the full width so that its row's height is known.
  mToolBar.Place(line, width);
  const int filterWidth = PlaceFilterBox(line, mToolBar.pHeight(), width);
  mToolBar.Place(line, width - filterWidth);
  const int top = line + mToolBar.pHeight();
  const int bottom = height - PlaceStatusBar(width);
  MoveWindow(list_->hwnd(), 0, top, width, std::max(bottom - top, 0), TRUE);
}

bool frmMain::Form_QueryUnload() {
  if (shutdownDone_) return true;
  const auto agreed = [&] {
    // The program stays when a window holds a text that would be lost, for the user to fix.
    if (!tools_->StoreSettings()) return false;
    linkCheck_->StoreSettings();
    return RunShutdown(*shell_, services_.settings, services_.store, *this);
  };
  closing_ = true;
  // A close that fails on its way is called off: the links that waited for it are taken.
  std::exception_ptr failure;
  try {
    shutdownDone_ = agreed();
  } catch (...) {
    failure = std::current_exception();
  }
  closing_ = false;
  if (!shutdownDone_) {
    for (const auto& delivery : std::exchange(deliveriesWhileClosing_, {})) {
      TakeReceivedLinks(*delivery);
    }
  }
  if (failure) std::rethrow_exception(failure);
  return shutdownDone_;
}

void frmMain::SetPrefarence() {
  ApplyToolbarStates();
  SetClipboardWatch(services_.settings.WatchClipboard == 1);
  ShowStatusBar(SettingInRange<&Settings::StatusBar>(services_.settings) == 1);
  ApplyReceiver();
}

void frmMain::UpdateHorizontalExtent() {
  LONG widest = 0;
  for (const auto& line : list_->LineRefs()) widest = std::max(widest, meter_->Width(line));
  SendMessageW(list_->hwnd(), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest + 5), 0);
}

bool frmMain::TranslateAccelerators(MSG& msg) {
  if (!hwnd_ || !accelerators_) return false;
  // Only keys typed into the main window or its children are its shortcuts.
  if (msg.hwnd != hwnd() && !IsChild(hwnd(), msg.hwnd)) return false;
  // In the filter box the editing keys edit its text, and Ctrl+Up and Down move its caret,
  // not the list's lines.
  if (msg.hwnd == filter_ && msg.message == WM_KEYDOWN) {
    const bool ctrl = GetKeyState(VK_CONTROL) < 0;
    const WPARAM key = msg.wParam;
    if (key == VK_DELETE ||
        (ctrl && (key == 'A' || key == 'C' || key == 'V' || key == 'X' || key == 'Z' ||
                  key == 'Y' || key == VK_UP || key == VK_DOWN))) {
      return false;
    }
  }
  return TranslateAcceleratorW(hwnd(), accelerators_, &msg) != 0;
}

void frmMain::ShowTopic(HWND owner, const std::u16string& key) {
  if (!viewer_->IsOpen()) {
    viewer_->Key = key;
    viewer_->LoadFile = kTopicFileName;
  }
  viewer_->Show(owner ? owner : hwnd());
}

// The restored size, also while the window is minimised or maximised: that is the size the
// next start should open with.
RECT frmMain::NormalRect() const {
  WINDOWPLACEMENT placement{};
  placement.length = sizeof placement;
  if (GetWindowPlacement(hwnd(), &placement)) return placement.rcNormalPosition;
  RECT r{};
  GetWindowRect(hwnd(), &r);
  return r;
}

std::int32_t frmMain::Width() const {
  const RECT r = NormalRect();
  return PixelsToTwips(r.right - r.left, dpi_);
}

std::int32_t frmMain::Height() const {
  const RECT r = NormalRect();
  return PixelsToTwips(r.bottom - r.top, dpi_);
}

void frmMain::SetWidth(std::int32_t twips) {
  SetOuterSizePixels(TwipsToPixels(twips, dpi_), {});
}

void frmMain::SetHeight(std::int32_t twips) {
  SetOuterSizePixels({}, TwipsToPixels(twips, dpi_));
}

void frmMain::SetOuterSizePixels(std::optional<int> width, std::optional<int> height) {
  RECT r{};
  GetWindowRect(hwnd(), &r);
  // A stored size from a damaged file must still leave a usable window on the screen.
  const int maxWidth = GetSystemMetrics(SM_CXVIRTUALSCREEN) * 2;
  const int maxHeight = GetSystemMetrics(SM_CYVIRTUALSCREEN) * 2;
  const int w = std::clamp(width.value_or(r.right - r.left), 200, std::max(maxWidth, 200));
  const int h = std::clamp(height.value_or(r.bottom - r.top), 150, std::max(maxHeight, 150));
  SetWindowPos(hwnd(), nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace cardo
