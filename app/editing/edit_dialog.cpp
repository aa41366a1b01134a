#include "app/editing/edit_dialog.h"

#include <algorithm>

#include "app/controls/dpi_win.h"
#include "app/resources/resource.h"
#include "app/platform/win_check.h"

namespace cardo {
namespace {

// The designed layout, in twips.
constexpr int kClientWidth = 6870;
constexpr int kClientHeight = 495;
constexpr int kMargin = 120;
constexpr int kTextHeight = 270;
constexpr int kButtonWidth = 1095;
constexpr int kButtonHeight = 285;
constexpr int kButtonFromRight = 1320;
constexpr int kTextWidthLess = 1545;

constexpr UINT kSelectFromStart = WM_APP + 1;

}  // namespace

std::u16string WithoutLineBreaks(std::u16string text) {
  std::erase_if(text, [](char16_t c) { return c == u'\r' || c == u'\n'; });
  return text;
}

void frmEditDlg::EditFocusLine(HWND owner) {
  line_ = shell_.list.FocusIndex();
  if (line_ < 0) return;
  lPrevText = shell_.list.Line(line_);
  RunModal(instance_, IDD_EDITDLG, owner);
}

bool frmEditDlg::OnCommand(int id, int) {
  if (id != IDC_CMDCLOSE && id != IDOK) return false;
  Form_Unload();
  return true;
}

INT_PTR frmEditDlg::OnMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) Form_Activate();
      return FALSE;
    case WM_SIZE:
      Form_Resize();
      return TRUE;
    case WM_CLOSE:
      Form_Unload();
      return TRUE;
    case kSelectFromStart:
      SelectFromStart();
      return TRUE;
    default:
      return FALSE;
  }
}

void frmEditDlg::Form_Load() {
  HWND text = Item(IDC_TXTLINEDATA);
  // A line may be longer than an edit box takes by default; it must come back whole.
  SendMessageW(text, EM_SETLIMITTEXT, 0, 0);
  PlaceByTwips();

  mclsSiz.SetTarget(hwnd());
  mclsSiz.Sizing = [this](int, int&, int& height) {
    RECT r{};
    GetWindowRect(hwnd(), &r);
    height = PixelsToTwips(r.bottom - r.top, Dpi());
  };

  RECT frame{0, 0, TwipsToPixels(kClientWidth, Dpi()), TwipsToPixels(kClientHeight, Dpi())};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_EXSTYLE)));
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int left = TwipsToPixels(
      hwnd(), mclsSiz.WorkAreaLeft() + (mclsSiz.WorkAreaWidth() - PixelsToTwips(width, Dpi())) / 2);
  const int top =
      TwipsToPixels(hwnd(), mclsSiz.WorkAreaTop() +
                                (mclsSiz.WorkAreaHeight() - PixelsToTwips(height, Dpi())) / 2);
  SetWindowPos(hwnd(), nullptr, left, top, width, height, SWP_NOZORDER);
  Form_Resize();
  // Set once the box has its width: a box scrolled while narrow keeps its scroll when widened.
  SetControlText(text, lPrevText);
}

// The heights and tops of the designed layout, at the dialog's DPI; the widths and lefts follow
// the window's width (Form_Resize).
void frmEditDlg::PlaceByTwips() {
  MoveWindow(Item(IDC_TXTLINEDATA), TwipsToPixels(kMargin, Dpi()), TwipsToPixels(kMargin, Dpi()),
             10, TwipsToPixels(kTextHeight, Dpi()), FALSE);
  MoveWindow(Item(IDC_CMDCLOSE), 0, TwipsToPixels(kMargin, Dpi()),
             TwipsToPixels(kButtonWidth, Dpi()), TwipsToPixels(kButtonHeight, Dpi()), FALSE);
}

void frmEditDlg::OnDpiChanged(int) {
  PlaceByTwips();
  RECT client{};
  GetClientRect(hwnd(), &client);
  SetClientSize(hwnd(), client.right, TwipsToPixels(kClientHeight, Dpi()));
  Form_Resize();
}

void frmEditDlg::Form_Activate() {
  // After the activation is through: the dialog manager's own focus step selects the text with
  // the caret at its end.
  CARDO_CHECK_WIN32(PostMessageW(hwnd(), kSelectFromStart, 0, 0));
}

void frmEditDlg::SelectFromStart() {
  // All selected, so typing replaces it, with the caret at the start: the box shows the line
  // from its first character (the caret at the end scrolls a long line past its start).
  HWND text = Item(IDC_TXTLINEDATA);
  SendMessageW(text, EM_SETSEL, static_cast<WPARAM>(GetWindowTextLengthW(text)), 0);
}

void frmEditDlg::Form_Resize() {
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int width = PixelsToTwips(client.right - client.left, Dpi());
  HWND button = Item(IDC_CMDCLOSE);
  HWND text = Item(IDC_TXTLINEDATA);
  if (!button || !text) return;
  auto place = [this](HWND control, int left, int width) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
    MoveWindow(control, left < 0 ? r.left : TwipsToPixels(left, Dpi()), r.top,
               width < 0 ? r.right - r.left : TwipsToPixels(width, Dpi()), r.bottom - r.top, TRUE);
  };
  if (width - kButtonFromRight >= 0) place(button, width - kButtonFromRight, -1);
  if (width - kTextWidthLess >= 0) place(text, -1, width - kTextWidthLess);
}

void frmEditDlg::Form_Unload() {
  const std::u16string text = WithoutLineBreaks(ControlText(Item(IDC_TXTLINEDATA)));
  if (text != lPrevText && line_ >= 0 && line_ < shell_.list.Count()) {
    // The line is written before the extent is measured, so the new width counts.
    shell_.document.Pages().Carry(shell_.list.LineRefs()[static_cast<std::size_t>(line_)], text,
                                  shell_.list.Whole().LineRefs());
    shell_.list.SetLine(line_, text);
    shell_.document.MarkModified();
    shell_.UpdateHorizontalExtent();
  }
  mclsSiz.SetTarget(nullptr);
  Close(IDCANCEL);
}

}  // namespace cardo
