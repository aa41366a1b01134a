#include "app/controls/up_down_text_box_win.h"

#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <string>

#include "app/controls/dpi_win.h"
#include "app/platform/failure_report_win.h"
#include "app/platform/win_check.h"

namespace cardo {
namespace {

constexpr UINT_PTR kEditSubclass = 1;
constexpr int kSpinWidth = 16;  // at 96 DPI
constexpr std::size_t kMaxDigits = 5;

bool Typable(wchar_t c) {
  return (c >= L'0' && c <= L'9') || c == L'-' || c == L'.';
}

std::optional<std::int64_t> ParseNumber(const std::wstring& text) {
  if (text.empty()) return std::nullopt;
  std::size_t i = 0;
  bool negative = false;
  if (text[0] == L'-') {
    negative = true;
    i = 1;
  }
  if (i == text.size()) return std::nullopt;
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    if (text[i] == L'.') break;     // the whole part counts
    if (text[i] == L',') continue;  // a thousands separator the spin control wrote
    if (text[i] < L'0' || text[i] > L'9') return std::nullopt;
    value = std::min<std::int64_t>(value * 10 + (text[i] - L'0'), INT32_MAX);
  }
  return negative ? -value : value;
}

}  // namespace

std::wstring UpDownTextBox::ClipboardText() const {
  std::wstring text;
  if (!OpenClipboard(edit_)) return text;
  if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) {
      text = chars;
      GlobalUnlock(data);
    }
  }
  CloseClipboard();
  return text;
}

std::wstring UpDownTextBox::Text() const {
  const int length = GetWindowTextLengthW(edit_);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  GetWindowTextW(edit_, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

void UpDownTextBox::SetText(const std::wstring& text) {
  settingText_ = true;
  SetWindowTextW(edit_, text.c_str());
  settingText_ = false;
  if (Change) Change();
}

std::int32_t UpDownTextBox::Value() const {
  return static_cast<std::int32_t>(ParseNumber(Text()).value_or(0));
}

// Min above Max is allowed while a caller sets one bound after the other: the value then
// stays between the two, whichever is larger.
std::int32_t UpDownTextBox::Clamp(std::int32_t value) const {
  return std::clamp(value, std::min(min_, max_), std::max(min_, max_));
}

void UpDownTextBox::SetValue(std::int32_t value) {
  SetText(std::to_wstring(Clamp(value)));
  UpdateSpin();
}

void UpDownTextBox::SetMin(std::int32_t value) {
  min_ = value;
  UpdateSpin();
}

void UpDownTextBox::SetMax(std::int32_t value) {
  max_ = value;
  UpdateSpin();
}

void UpDownTextBox::SetUpDownKey(bool on) {
  upDownKey_ = on;
  RebuildSpin();
}

void UpDownTextBox::SetThousands(bool on) {
  thousands_ = on;
  RebuildSpin();
}

void UpDownTextBox::SetSpinAlign(Align align) {
  align_ = align;
  RebuildSpin();
}

void UpDownTextBox::SetEnabled(bool enabled) {
  EnableWindow(hwnd(), enabled);
  EnableWindow(edit_, enabled);
  if (spin_) EnableWindow(spin_, enabled);
}

// The spin control is made anew only when its side or separators change: bounds and number
// go to the existing one, which may be inside its own notification when a Change handler
// sets a value.
void UpDownTextBox::RebuildSpin() {
  if (!edit_) return;
  DWORD style = WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT |
                (align_ == Align::Right ? UDS_ALIGNRIGHT : UDS_ALIGNLEFT);
  if (!thousands_) style |= UDS_NOTHOUSANDS;
  // The spin control steps on Up and Down itself, in the text box it is attached to; the dialog
  // manager hands it those keys since a text box asks for arrows.
  if (upDownKey_) style |= UDS_ARROWKEYS;
  Layout();
  const int spinWidth = ScaleForDpi(kSpinWidth, WindowDpi(hwnd()));
  if (spin_ && static_cast<DWORD>(GetWindowLongPtrW(spin_, GWL_STYLE)) == style) {
    // Attached again, at the width of the box's present DPI.
    SetWindowPos(spin_, nullptr, 0, 0, spinWidth, 0, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    SendMessageW(spin_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit_), 0);
  } else {
    if (spin_) DestroyWindow(spin_);
    spin_ = CreateWindowExW(0, UPDOWN_CLASSW, nullptr, style, 0, 0, spinWidth, 0, hwnd(), nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    CARDO_CHECK_WIN32(spin_);  // without its arrows the box still takes typed numbers
    SendMessageW(spin_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit_), 0);
    EnableWindow(spin_, IsWindowEnabled(hwnd()));
  }
  PlaceSpin(spinWidth);
  UpdateSpin();
}

void UpDownTextBox::UpdateSpin() {
  if (!spin_) return;
  // Setting the position rewrites the buddy's text: what was typed is put back, and nobody
  // hears of the passing value.
  const std::wstring typed = Text();
  settingText_ = true;
  SendMessageW(spin_, UDM_SETRANGE32, static_cast<WPARAM>(min_), static_cast<LPARAM>(max_));
  SendMessageW(spin_, UDM_SETPOS32, 0, static_cast<LPARAM>(Clamp(Value())));
  if (Text() != typed) SetWindowTextW(edit_, typed.c_str());
  settingText_ = false;
}

// The spin control at the width of the box's DPI on its side, the text box beside it: attached
// to its buddy, the system's spin control may take a fixed 16 pixels whatever the DPI.
void UpDownTextBox::PlaceSpin(int spinWidth) {
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int editWidth = std::max<int>(0, client.right - spinWidth);
  const bool right = align_ == Align::Right;
  MoveWindow(edit_, right ? 0 : client.right - editWidth, 0, editWidth, client.bottom, TRUE);
  MoveWindow(spin_, right ? editWidth : 0, 0, client.right - editWidth, client.bottom, TRUE);
}

// The edit takes the whole box; the spin control, attached to it, then takes its side.
void UpDownTextBox::Layout() {
  RECT client{};
  GetClientRect(hwnd(), &client);
  MoveWindow(edit_, 0, 0, client.right, client.bottom, TRUE);
}

LRESULT UpDownTextBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      edit_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"0",
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_RIGHT | ES_AUTOHSCROLL, 0, 0,
                              0, 0, hwnd(), nullptr, GetModuleHandleW(nullptr), nullptr);
      // A box without its edit cannot be made: the window is refused.
      if (!CARDO_CHECK_WIN32(edit_)) return -1;
      SendMessageW(edit_, WM_SETFONT, SendMessageW(GetParent(hwnd()), WM_GETFONT, 0, 0), FALSE);
      CARDO_CHECK_WIN32(
          SetWindowSubclass(edit_, EditProc, kEditSubclass, reinterpret_cast<DWORD_PTR>(this)));
      RebuildSpin();
      return 0;
    }
    case WM_SIZE:
      RebuildSpin();
      return 0;
    case WM_SETFOCUS:
      // The box itself is focused only when it is entered (Tab, an access key, the dialog's
      // first focus; a click goes to the text box): its number is selected then, as the dialog
      // manager selects a text box's, so that typing replaces it.
      SetFocus(edit_);
      SendMessageW(edit_, EM_SETSEL, 0, -1);
      return 0;
    case WM_SETFONT:
      SendMessageW(edit_, WM_SETFONT, wParam, lParam);
      return 0;
    case WM_NOTIFY: {
      auto* note = reinterpret_cast<NMUPDOWN*>(lParam);
      if (note->hdr.hwndFrom != spin_ || note->hdr.code != static_cast<UINT>(UDN_DELTAPOS)) {
        return Default(message, wParam, lParam);
      }
      // A step starts from the number as typed, which the spin control ignores when it lies
      // outside the bounds, and is refused when it would leave them.
      const std::int64_t next = static_cast<std::int64_t>(Value()) + note->iDelta;
      if (next < std::min(min_, max_) || next > std::max(min_, max_)) return TRUE;
      note->iDelta = static_cast<int>(next - note->iPos);
      return 0;
    }
    case WM_ENABLE:
      EnableWindow(edit_, static_cast<BOOL>(wParam));
      if (spin_) EnableWindow(spin_, static_cast<BOOL>(wParam));
      return 0;
    case WM_COMMAND:
      if (reinterpret_cast<HWND>(lParam) == edit_) {
        if (HIWORD(wParam) == EN_CHANGE && !settingText_ && Change) Change();
        if (HIWORD(wParam) == EN_KILLFOCUS && Text().empty()) SetText(std::to_wstring(min_));
      }
      return 0;
    case WM_DESTROY:
      RemoveWindowSubclass(edit_, EditProc, kEditSubclass);
      return 0;
    default:
      return Default(message, wParam, lParam);
  }
}

LRESULT CALLBACK UpDownTextBox::EditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR data) noexcept {
  try {
    return reinterpret_cast<UpDownTextBox*>(data)->OnEditMessage(message, wParam, lParam);
  } catch (...) {
    HandFailureToWindow(edit);
    return DefSubclassProc(edit, message, wParam, lParam);
  }
}

LRESULT UpDownTextBox::OnEditMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      if (KeyDown) KeyDown(wParam);
      break;
    case WM_CHAR:
      if (KeyPress) KeyPress(static_cast<wchar_t>(wParam));
      break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      if (MouseDown) MouseDown(message == WM_LBUTTONDOWN ? 1 : 2, LOWORD(lParam), HIWORD(lParam));
      break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
      if (MouseUp) MouseUp(message == WM_LBUTTONUP ? 1 : 2, LOWORD(lParam), HIWORD(lParam));
      break;
    default:
      break;
  }
  if (message == WM_PASTE) {
    Edit_Paste();
    return 0;
  }
  if (message == WM_IME_CHAR) {
    // Characters composed by an input method obey the same rules as typed ones.
    return OnEditMessage(WM_CHAR, wParam, lParam);
  }
  if (message == WM_CHAR && !Edit_TakesChar(static_cast<wchar_t>(wParam))) {
    MessageBeep(MB_OK);
    return 0;
  }
  return DefSubclassProc(edit_, message, wParam, lParam);
}

void UpDownTextBox::Edit_Paste() {
  // Pasted text keeps the typing rules: only what could have been typed, within the digits.
  std::wstring text = Text();
  DWORD start = 0, end = 0;
  SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const std::wstring pasted = ClipboardText();
  text.replace(std::min<std::size_t>(start, text.size()), end - start, pasted);
  if (pasted.empty() || !std::all_of(pasted.begin(), pasted.end(), Typable) ||
      text.size() > kMaxDigits) {
    MessageBeep(MB_OK);
    return;
  }
  SendMessageW(edit_, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(pasted.c_str()));
}

bool UpDownTextBox::Edit_TakesChar(wchar_t c) {
  if (!Typable(c) && c != L'\b') return false;
  if (Text().empty()) {
    // A key in an empty box first puts the lower bound in.
    const std::wstring text = std::to_wstring(min_);
    SetText(text);
    SendMessageW(edit_, EM_SETSEL, text.size(), static_cast<LPARAM>(text.size()));
  }
  DWORD start = 0, end = 0;
  SendMessageW(edit_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  const bool digit = c >= L'0' && c <= L'9';
  return !(digit && start == end && Text().size() >= kMaxDigits);
}

}  // namespace cardo
