#include "app/editing/edit_dialog.h"

#include <algorithm>

#include "app/controls/twips.h"
#include "app/resources/resource.h"

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

INT_PTR frmEditDlg::OnMessage(UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      Form_Load();
      return TRUE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) Form_Activate();
      return FALSE;
    case WM_SIZE:
      Form_Resize();
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) != IDC_CMDCLOSE && LOWORD(wParam) != IDOK) return FALSE;
      Form_Unload();
      return TRUE;
    case WM_CLOSE:
      Form_Unload();
      return TRUE;
    default:
      return FALSE;
  }
}

void frmEditDlg::Form_Load() {
  HWND text = Item(IDC_TXTLINEDATA);
  // A line may be longer than an edit box takes by default; it must come back whole.
  SendMessageW(text, EM_SETLIMITTEXT, 0, 0);
  SetControlText(text, lPrevText);
  MoveWindow(text, TwipsToPixelsX(kMargin), TwipsToPixelsY(kMargin), 10,
             TwipsToPixelsY(kTextHeight), FALSE);
  MoveWindow(Item(IDC_CMDCLOSE), 0, TwipsToPixelsY(kMargin), TwipsToPixelsX(kButtonWidth),
             TwipsToPixelsY(kButtonHeight), FALSE);

  mclsSiz.SetTarget(hwnd());
  mclsSiz.Sizing = [this](int, int&, int& height) {
    RECT r{};
    GetWindowRect(hwnd(), &r);
    height = PixelsToTwipsY(r.bottom - r.top);
  };

  RECT frame{0, 0, TwipsToPixelsX(kClientWidth), TwipsToPixelsY(kClientHeight)};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(hwnd(), GWL_EXSTYLE)));
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int left = TwipsToPixelsX(mclsSiz.WorkAreaLeft() +
                                  (mclsSiz.WorkAreaWidth() - PixelsToTwipsX(width)) / 2);
  const int top = TwipsToPixelsY(mclsSiz.WorkAreaTop() +
                                 (mclsSiz.WorkAreaHeight() - PixelsToTwipsY(height)) / 2);
  SetWindowPos(hwnd(), nullptr, left, top, width, height, SWP_NOZORDER);
  Form_Resize();
}

void frmEditDlg::Form_Activate() {
  SendMessageW(Item(IDC_TXTLINEDATA), EM_SETSEL, 0, -1);
}

void frmEditDlg::Form_Resize() {
  RECT client{};
  GetClientRect(hwnd(), &client);
  const int width = PixelsToTwipsX(client.right - client.left);
  HWND button = Item(IDC_CMDCLOSE);
  HWND text = Item(IDC_TXTLINEDATA);
  if (!button || !text) return;
  auto place = [this](HWND control, int left, int width) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
    MoveWindow(control, left < 0 ? r.left : TwipsToPixelsX(left), r.top,
               width < 0 ? r.right - r.left : TwipsToPixelsX(width), r.bottom - r.top, TRUE);
  };
  if (width - kButtonFromRight >= 0) place(button, width - kButtonFromRight, -1);
  if (width - kTextWidthLess >= 0) place(text, -1, width - kTextWidthLess);
}

void frmEditDlg::Form_Unload() {
  const std::u16string text = WithoutLineBreaks(ControlText(Item(IDC_TXTLINEDATA)));
  if (text != lPrevText && line_ >= 0 && line_ < shell_.list.Count()) {
    // The line is written before the extent is measured, so the new width counts.
    shell_.list.SetLine(line_, text);
    shell_.document.MarkModified();
    shell_.UpdateHorizontalExtent();
  }
  mclsSiz.SetTarget(nullptr);
  Close(IDCANCEL);
}

}  // namespace cardo
