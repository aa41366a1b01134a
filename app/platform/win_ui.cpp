#include "app/platform/win_ui.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <optional>
#include <vector>

#include "app/platform/wide_text_win.h"
#include "app/platform/win_check.h"

namespace cardo {
namespace {

// The owner of the message box being opened on this thread, and the hook that sees it open.
thread_local HWND boxOwner = nullptr;
thread_local HHOOK boxHook = nullptr;

// A message box opens centred on the screen; it is moved over the window it belongs to, kept
// inside that window's monitor, as it is activated for the first time.
LRESULT CALLBACK CentreBoxOverOwner(int code, WPARAM wParam, LPARAM lParam) noexcept {
  if (code == HCBT_ACTIVATE && boxOwner) {
    HWND box = reinterpret_cast<HWND>(wParam);
    RECT over{}, self{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (GetWindowRect(boxOwner, &over) && GetWindowRect(box, &self) &&
        GetMonitorInfoW(MonitorFromWindow(boxOwner, MONITOR_DEFAULTTONEAREST), &monitor)) {
      const RECT& work = monitor.rcWork;
      const LONG width = self.right - self.left, height = self.bottom - self.top;
      const LONG left =
          std::max(work.left, std::min((over.left + over.right - width) / 2, work.right - width));
      const LONG top =
          std::max(work.top, std::min((over.top + over.bottom - height) / 2, work.bottom - height));
      SetWindowPos(box, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    boxOwner = nullptr;  // once: a dialog the box's owner opens later is not moved
  }
  return CallNextHookEx(boxHook, code, wParam, lParam);
}

// The clipboard is opened for the lifetime of the object, when it can be.
class ClipboardSession {
 public:
  explicit ClipboardSession(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
  ~ClipboardSession() {
    if (open_) CloseClipboard();
  }
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
  bool open() const { return open_; }

 private:
  bool open_;
};

// A global memory block locked for the lifetime of the object.
class LockedBlock {
 public:
  explicit LockedBlock(HANDLE block) : block_(block), bytes_(GlobalLock(block)) {}
  ~LockedBlock() {
    if (bytes_) GlobalUnlock(block_);
  }
  LockedBlock(const LockedBlock&) = delete;
  LockedBlock& operator=(const LockedBlock&) = delete;
  const void* bytes() const { return bytes_; }
  // The block may be larger than what was put in it.
  std::size_t size() const { return bytes_ ? GlobalSize(block_) : 0; }

 private:
  HANDLE block_;
  void* bytes_;
};

constexpr int kClipboardOpenAttempts = 10;
constexpr DWORD kClipboardRetryMilliseconds = 20;

// The CF_UNICODETEXT of the clipboard the caller has opened, up to its NUL.
std::u16string UnicodeTextOfOpenClipboard() {
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  if (!data) return {};
  LockedBlock block(data);
  const auto* text = static_cast<const char16_t*>(block.bytes());
  if (!text) return {};
  const std::size_t limit = block.size() / sizeof(char16_t);
  return std::u16string(text, std::find(text, text + limit, u'\0'));
}

constexpr wchar_t kOpenFolderButton[] = L"フォルダーを開く";
constexpr int kOpenFolderId = 100;

// A message with OK and 「フォルダーを開く」: a task dialog, which takes a button of its own
// (bound by name: only the common controls of version 6 have it); else a message box that
// asks with Yes and No.
MessageAnswer ShowWithOpenFolder(HWND owner, const std::u16string& text,
                                 const std::u16string& title, PCWSTR icon) {
  using TaskDialogIndirectProc = HRESULT(WINAPI*)(const TASKDIALOGCONFIG*, int*, int*, BOOL*);
  HMODULE controls = GetModuleHandleW(L"comctl32.dll");
  const auto taskDialog =
      controls ? reinterpret_cast<TaskDialogIndirectProc>(
                     reinterpret_cast<void*>(GetProcAddress(controls, "TaskDialogIndirect")))
               : nullptr;
  if (taskDialog) {
    const TASKDIALOG_BUTTON button{kOpenFolderId, kOpenFolderButton};
    TASKDIALOGCONFIG config{};
    config.cbSize = sizeof config;
    config.hwndParent = owner;
    config.dwFlags = TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
    config.dwCommonButtons = TDCBF_OK_BUTTON;
    config.pszWindowTitle = W(title);
    config.pszMainIcon = icon;
    config.pszContent = W(text);
    config.cButtons = 1;
    config.pButtons = &button;
    config.nDefaultButton = IDOK;
    int chosen = IDOK;
    if (SUCCEEDED(taskDialog(&config, &chosen, nullptr, nullptr))) {
      return chosen == kOpenFolderId ? MessageAnswer::OpenFolder : MessageAnswer::Ok;
    }
  }
  const std::u16string asked = text + u"\r\n\r\nフォルダーを開きますか？";
  return MessageBoxW(owner, W(asked), W(title), MB_YESNO | MB_ICONINFORMATION) == IDYES
             ? MessageAnswer::OpenFolder
             : MessageAnswer::Ok;
}

}  // namespace

MessageAnswer WinUi::ShowMessage(std::u16string_view text, std::u16string_view title,
                                 MessageIcon icon, MessageButtons buttons) {
  UINT flags = 0;
  switch (icon) {
    case MessageIcon::Warning:
      flags |= MB_ICONEXCLAMATION;
      break;
    case MessageIcon::Information:
      flags |= MB_ICONINFORMATION;
      break;
    case MessageIcon::Question:
      flags |= MB_ICONQUESTION;
      break;
    case MessageIcon::None:
      break;
  }
  switch (buttons) {
    case MessageButtons::Ok:
      flags |= MB_OK;
      break;
    case MessageButtons::OkCancel:
      flags |= MB_OKCANCEL;
      break;
    case MessageButtons::OkCancelSafe:
      flags |= MB_OKCANCEL | MB_DEFBUTTON2;
      break;
    case MessageButtons::YesNoCancel:
      flags |= MB_YESNOCANCEL | MB_DEFBUTTON1;
      break;
    case MessageButtons::OkOpenFolder:
      break;
  }
  const std::u16string t(text), c(title);
  // The box belongs to the window the user works in. Owned by the main window while the
  // preferences keep it disabled, it would enable the main window again as it closes.
  HWND owner = GetActiveWindow();
  if (!owner) owner = Owner();
  if (buttons == MessageButtons::OkOpenFolder) {
    return ShowWithOpenFolder(owner, t, c,
                              icon == MessageIcon::Warning ? TD_WARNING_ICON : TD_INFORMATION_ICON);
  }
  const HWND outerOwner = boxOwner;
  const HHOOK outerHook = boxHook;
  boxOwner = IsWindowVisible(owner) ? owner : nullptr;
  boxHook = SetWindowsHookExW(WH_CBT, CentreBoxOverOwner, nullptr, GetCurrentThreadId());
  const int answer = MessageBoxW(owner, W(t), W(c), flags);
  if (boxHook) UnhookWindowsHookEx(boxHook);
  boxOwner = outerOwner;
  boxHook = outerHook;
  switch (answer) {
    case IDYES:
      return MessageAnswer::Yes;
    case IDNO:
      return MessageAnswer::No;
    case IDCANCEL:
      return MessageAnswer::Cancel;
    default:
      return MessageAnswer::Ok;
  }
}

std::optional<FileDialogResult> WinUi::ShowFileDialog(const FileDialogOptions& options, bool save) {
  // "desc|pattern|..." becomes the double-NUL-terminated list the dialog takes.
  std::u16string filter = options.filter;
  for (auto& c : filter) {
    if (c == u'|') c = u'\0';
  }
  filter.push_back(u'\0');
  filter.push_back(u'\0');
  std::vector<wchar_t> file(32768, L'\0');
  std::copy_n(options.initialFile.begin(),
              std::min<std::size_t>(options.initialFile.size(), file.size() - 1), file.begin());

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = options.owner ? reinterpret_cast<HWND>(options.owner) : Owner();
  ofn.lpstrInitialDir = options.initialDir.empty() ? nullptr : W(options.initialDir);
  ofn.lpstrFilter = W(filter);
  ofn.nFilterIndex = static_cast<DWORD>(options.filterIndex > 0 ? options.filterIndex : 1);
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrTitle = options.title.empty() ? nullptr : W(options.title);
  ofn.lpstrDefExt = options.defaultExt.empty() ? nullptr : W(options.defaultExt);
  ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | options.extraFlags;
  if (options.hideReadOnly) ofn.Flags |= OFN_HIDEREADONLY;
  if (options.overwritePrompt) ofn.Flags |= OFN_OVERWRITEPROMPT;
  if (options.pathMustExist) ofn.Flags |= OFN_PATHMUSTEXIST;
  if (options.createPrompt) ofn.Flags |= OFN_CREATEPROMPT;

  const BOOL ok = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (!ok) return std::nullopt;
  const wchar_t* chosen = file.data();
  return FileDialogResult{U(chosen), static_cast<int>(ofn.nFilterIndex)};
}

std::optional<FileDialogResult> WinUi::ShowOpenDialog(const FileDialogOptions& options) {
  return ShowFileDialog(options, false);
}

std::optional<FileDialogResult> WinUi::ShowSaveDialog(const FileDialogOptions& options) {
  return ShowFileDialog(options, true);
}

bool WinUi::ClipboardHasText() {
  return IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT);
}

std::u16string WinUi::ClipboardText() {
  ClipboardSession session(Owner());
  if (!session.open()) return {};
  return UnicodeTextOfOpenClipboard();
}

void WinUi::SetClipboardText(std::u16string_view text) {
  {
    ClipboardSession session(Owner());
    if (!CARDO_CHECK_WIN32(session.open())) return;
    // Without emptying it the clipboard is not ours to set.
    if (!CARDO_CHECK_WIN32(EmptyClipboard())) return;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(char16_t));
    if (!CARDO_CHECK_WIN32(block)) return;
    auto* dest = static_cast<char16_t*>(GlobalLock(block));
    if (!CARDO_CHECK_WIN32(dest)) {
      GlobalFree(block);
      return;
    }
    std::copy(text.begin(), text.end(), dest);
    dest[text.size()] = u'\0';
    GlobalUnlock(block);
    if (!CARDO_CHECK_WIN32(SetClipboardData(CF_UNICODETEXT, block))) GlobalFree(block);
  }
  // Opened without a window the clipboard has no owner to recognise the copy by later.
  ownSequence_ = GetClipboardSequenceNumber();
}

ClipboardContent WinUi::ReadClipboard() {
  ClipboardContent content;
  content.fromThisProgram = ClipboardFromThisProcess();
  // The program that announced a change may hold the clipboard open a moment longer.
  std::optional<ClipboardSession> session;
  for (int attempt = 0; attempt < kClipboardOpenAttempts; ++attempt) {
    if (attempt > 0) Sleep(kClipboardRetryMilliseconds);
    session.emplace(Owner());
    if (session->open()) break;
  }
  if (!session->open()) return content;
  if (HANDLE data = GetClipboardData(RegisterClipboardFormatW(L"HTML Format"))) {
    LockedBlock block(data);
    if (block.bytes()) {
      const auto* bytes = static_cast<const char*>(block.bytes());
      content.html.emplace(bytes, std::find(bytes, bytes + block.size(), '\0'));
    }
  }
  content.text = UnicodeTextOfOpenClipboard();
  return content;
}

bool WinUi::ClipboardFromThisProcess() const {
  if (ownSequence_ != 0 && GetClipboardSequenceNumber() == ownSequence_) return true;
  HWND owner = GetClipboardOwner();
  DWORD process = 0;
  return owner && GetWindowThreadProcessId(owner, &process) && process == GetCurrentProcessId();
}

StartResult WinUi::StartProgram(const std::u16string& commandLine) {
  std::u16string mutableLine = commandLine;  // CreateProcessW may write into it
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, reinterpret_cast<wchar_t*>(mutableLine.data()), nullptr, nullptr,
                      FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return {0, SystemErrorText(GetLastError())};
  }
  // The program runs on whatever closing our handles to it says: a failure is only reported.
  CARDO_CHECK_WIN32(CloseHandle(process.hThread));
  CARDO_CHECK_WIN32(CloseHandle(process.hProcess));
  return {process.dwProcessId, u""};
}

std::u16string WinUi::OpenWithShell(const std::u16string& target, const std::u16string& directory,
                                    std::uintptr_t owner) {
  std::u16string folder = directory;
  if (folder.size() > 3 && (folder.back() == u'\\' || folder.back() == u'/')) folder.pop_back();
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.hwnd = owner ? reinterpret_cast<HWND>(owner) : Owner();
  info.lpVerb = L"open";
  info.lpFile = W(target);
  info.lpDirectory = W(folder);
  info.nShow = SW_SHOWNORMAL;
  if (ShellExecuteExW(&info)) return {};
  return SystemErrorText(GetLastError());
}

}  // namespace cardo
