// The custom controls driven by window messages, in-process.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <ole2.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "app/controls/cls_sizing_win.h"
#include "app/controls/cls_toolbar_win.h"
#include "app/controls/drop_target_win.h"
#include "app/controls/register_controls_win.h"
#include "app/controls/dpi_win.h"
#include "app/controls/up_down_text_box_win.h"
#include "app/controls/vo_button_win.h"
#include "app/controls/vo_panel_win.h"
#include "tests/support/fakes.h"

namespace cardo {
namespace {

std::wstring Text(HWND hwnd) {
  wchar_t text[256] = {};
  GetWindowTextW(hwnd, text, 256);
  return text;
}

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    ASSERT_TRUE(RegisterCustomControls());
    parent = CreateWindowExW(0, L"STATIC", L"parent", WS_OVERLAPPEDWINDOW, 0, 0, 400, 300, nullptr,
                             nullptr, nullptr, nullptr);
  }
  void TearDown() override {
    DestroyWindow(parent);
    OleUninitialize();
  }
  HWND Child(const wchar_t* cls, int w = 120, int h = 24) {
    return CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE, 10, 10, w, h, parent, nullptr,
                           nullptr, nullptr);
  }
  static void Type(HWND edit, const std::wstring& keys) {
    for (const wchar_t c : keys) SendMessageW(edit, WM_CHAR, c, 0);
  }
  HWND parent = nullptr;
};

TEST_F(ControlsTest, UpDownTextBoxSpinFollowsTheDpi) {
  for (const int dpi : {96, 192}) {
    SetLaidOutDpi(parent, dpi);
    auto* box = UpDownTextBox::From(Child(UpDownTextBox::kClassName, 120, 24 * dpi / 96));
    ASSERT_NE(box, nullptr);
    RECT spin{}, edit{};
    GetWindowRect(box->SpinHwnd(), &spin);
    GetWindowRect(box->EditHwnd(), &edit);
    EXPECT_EQ(spin.right - spin.left, 16 * dpi / 96) << dpi;
    EXPECT_EQ(edit.right, spin.left) << dpi;  // side by side, the text box not under the arrows
    DestroyWindow(box->hwnd());
  }
}

TEST_F(ControlsTest, UpDownTextBoxClampsWhenSetAndReadsAsTyped) {
  auto* box = UpDownTextBox::From(Child(UpDownTextBox::kClassName));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->Min(), 0);
  EXPECT_EQ(box->Max(), 32767);
  box->SetMin(1);
  box->SetMax(100);
  box->SetValue(150);
  EXPECT_EQ(Text(box->EditHwnd()), L"100");
  SendMessageW(box->EditHwnd(), EM_SETSEL, 0, -1);
  Type(box->EditHwnd(), L"150");
  EXPECT_EQ(box->Value(), 150);
  box->SetThousands(true);  // the spin control is rebuilt; the typed text stays
  EXPECT_EQ(box->Value(), 150);
  EXPECT_EQ(SendMessageW(box->SpinHwnd(), UDM_GETBUDDY, 0, 0),
            reinterpret_cast<LRESULT>(box->EditHwnd()));
}

TEST_F(ControlsTest, UpDownTextBoxTypingRules) {
  auto* box = UpDownTextBox::From(Child(UpDownTextBox::kClassName));
  box->SetMin(1);
  int changes = 0;
  box->Change = [&] { ++changes; };
  SetWindowTextW(box->EditHwnd(), L"12345");
  SendMessageW(box->EditHwnd(), EM_SETSEL, 5, 5);
  Type(box->EditHwnd(), L"6a+");
  EXPECT_EQ(Text(box->EditHwnd()), L"12345");  // a sixth digit and other keys are refused
  SendMessageW(box->EditHwnd(), EM_SETSEL, 0, 1);
  Type(box->EditHwnd(), L"9");
  EXPECT_EQ(Text(box->EditHwnd()), L"92345");  // with a selection the digit replaces it
  EXPECT_GT(changes, 0);

  SetWindowTextW(box->EditHwnd(), L"");
  Type(box->EditHwnd(), L"7");
  EXPECT_EQ(Text(box->EditHwnd()), L"17");  // a key in an empty box first puts Min in

  SetWindowTextW(box->EditHwnd(), L"");
  SendMessageW(box->hwnd(), WM_COMMAND, MAKEWPARAM(0, EN_KILLFOCUS),
               reinterpret_cast<LPARAM>(box->EditHwnd()));
  EXPECT_EQ(Text(box->EditHwnd()), L"1");  // empty on leaving: Min

  box->SetMax(20);
  box->SetUpDownKey(true);
  box->SetValue(20);
  SendMessageW(box->EditHwnd(), WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(box->Value(), 20);
  SendMessageW(box->EditHwnd(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(box->Value(), 19);

  WPARAM forwarded = 0;
  box->KeyDown = [&](WPARAM key) { forwarded = key; };
  SendMessageW(box->EditHwnd(), WM_KEYDOWN, VK_HOME, 0);
  EXPECT_EQ(forwarded, static_cast<WPARAM>(VK_HOME));
}

TEST_F(ControlsTest, UpDownTextBoxSeparatorsBoundsPasteAndInputMethod) {
  auto* box = UpDownTextBox::From(Child(UpDownTextBox::kClassName));
  box->SetThousands(true);
  box->SetValue(1000);
  EXPECT_EQ(box->Value(), 1000);  // shown as "1,000" by the spin control
  SetWindowTextW(box->EditHwnd(), L"12,345");
  EXPECT_EQ(box->Value(), 12345);

  std::vector<std::int32_t> seen;
  box->Change = [&] { seen.push_back(box->Value()); };
  box->SetMin(500);  // above Max for a moment: no passing value is reported
  box->SetMax(100);
  EXPECT_TRUE(seen.empty());
  box->SetValue(7);
  EXPECT_EQ(box->Value(), 100);

  // A Change handler that sets a value while the spin control reports a click.
  box->SetMin(0);
  box->SetMax(50);
  box->Change = [&] { box->SetValue(box->Value()); };
  HWND spin = box->SpinHwnd();
  NMUPDOWN delta{{spin, 0, static_cast<UINT>(UDN_DELTAPOS)}, 10, 1};
  SendMessageW(GetParent(spin), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&delta));
  SendMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  SendMessageW(spin, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(box->SpinHwnd(), spin);  // the same control: never destroyed under itself
  box->Change = nullptr;

  SetWindowTextW(box->EditHwnd(), L"12");
  SendMessageW(box->EditHwnd(), EM_SETSEL, 2, 2);
  SendMessageW(box->EditHwnd(), WM_IME_CHAR, L'\uFF13', 0);  // a full-width digit
  SendMessageW(box->EditHwnd(), WM_IME_CHAR, L'3', 0);
  EXPECT_EQ(Text(box->EditHwnd()), L"123");
  for (const auto& [clip, expected] :
       std::vector<std::pair<std::wstring, std::wstring>>{{L"4a", L"123"}, {L"45", L"12345"}}) {
    ASSERT_TRUE(OpenClipboard(parent));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (clip.size() + 1) * sizeof(wchar_t));
    std::memcpy(GlobalLock(block), clip.c_str(), (clip.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(block);
    SetClipboardData(CF_UNICODETEXT, block);
    CloseClipboard();
    SendMessageW(box->EditHwnd(), EM_SETSEL, 3, 3);
    SendMessageW(box->EditHwnd(), WM_PASTE, 0, 0);
    EXPECT_EQ(Text(box->EditHwnd()), expected);
  }
}

TEST_F(ControlsTest, VoButtonClicksAndToggles) {
  auto* button = VoButton::From(Child(VoButton::kClassName));
  ASSERT_NE(button, nullptr);
  int clicks = 0, rclicks = 0;
  button->Click = [&] { ++clicks; };
  button->RClick = [&] { ++rclicks; };
  button->SetCaption(L"...");
  EXPECT_EQ(button->Caption(), L"...");
  const LPARAM inside = MAKELPARAM(5, 5);
  SendMessageW(button->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, inside);
  SendMessageW(button->hwnd(), WM_LBUTTONUP, 0, inside);
  SendMessageW(button->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, inside);
  SendMessageW(button->hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(500, 5));  // released outside
  SendMessageW(button->hwnd(), WM_KEYDOWN, VK_SPACE, 0);
  SendMessageW(button->hwnd(), WM_KEYDOWN, VK_SPACE, 1 << 30);  // held: no click yet
  SendMessageW(button->hwnd(), WM_KEYUP, VK_SPACE, 0);
  SendMessageW(button->hwnd(), WM_KEYDOWN, VK_RETURN, 0);
  SendMessageW(button->hwnd(), WM_RBUTTONDOWN, MK_RBUTTON, inside);
  SendMessageW(button->hwnd(), WM_RBUTTONUP, 0, inside);
  EXPECT_EQ(clicks, 3);
  EXPECT_EQ(rclicks, 1);
  EXPECT_FALSE(button->Value());

  button->SetStyle(VoButton::ButtonStyle::Toggle);
  SendMessageW(button->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, inside);
  EXPECT_TRUE(button->Value());  // the press flips it
  SendMessageW(button->hwnd(), WM_LBUTTONUP, 0, inside);
  SendMessageW(button->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, inside);
  SendMessageW(button->hwnd(), WM_LBUTTONUP, 0, inside);
  EXPECT_FALSE(button->Value());
}

// A dialog template in memory: an edit box, a VoButton "ヘルプ(&H)" and the default OK.
std::vector<WORD> TestDialogTemplate() {
  std::vector<WORD> t;
  auto dword = [&t](DWORD v) {
    t.push_back(LOWORD(v));
    t.push_back(HIWORD(v));
  };
  auto text = [&t](const wchar_t* s) {
    for (; *s; ++s) t.push_back(*s);
    t.push_back(0);
  };
  auto item = [&](DWORD style, short x, WORD id, const wchar_t* cls, const wchar_t* caption) {
    if (t.size() % 2) t.push_back(0);  // items start on a DWORD
    dword(WS_CHILD | WS_VISIBLE | WS_TABSTOP | style);
    dword(0);
    for (const short v : {x, short{5}, short{40}, short{14}}) t.push_back(static_cast<WORD>(v));
    t.push_back(id);
    text(cls);
    text(caption);
    t.push_back(0);
  };
  dword(WS_POPUP | WS_CAPTION | DS_SETFONT);
  dword(0);
  t.push_back(3);
  for (const short v : {short{0}, short{0}, short{150}, short{30}})
    t.push_back(static_cast<WORD>(v));
  t.push_back(0);  // no menu
  t.push_back(0);  // the dialog class
  text(L"test");
  t.push_back(9);
  text(L"MS Shell Dlg");
  item(ES_AUTOHSCROLL, 5, 10, L"EDIT", L"");
  item(0, 50, 20, VoButton::kClassName, L"ヘルプ(&H)");
  item(BS_DEFPUSHBUTTON, 95, IDOK, L"BUTTON", L"OK");
  return t;
}

int okPresses = 0;
INT_PTR CALLBACK TestDialogProc(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return TRUE;
  if (message != WM_COMMAND) return FALSE;
  if (VoButtonDialogCommand(wParam, lParam)) return TRUE;
  if (LOWORD(wParam) == IDOK) ++okPresses;
  return TRUE;
}

TEST_F(ControlsTest, VoButtonTakesEnterAccessKeyAndSpaceThroughTheDialogManager) {
  const auto tpl = TestDialogTemplate();
  HWND dialog = CreateDialogIndirectParamW(nullptr, reinterpret_cast<LPCDLGTEMPLATEW>(tpl.data()),
                                           parent, TestDialogProc, 0);
  ASSERT_NE(dialog, nullptr);
  HWND edit = GetDlgItem(dialog, 10);
  auto* help = VoButton::From(GetDlgItem(dialog, 20));
  ASSERT_NE(help, nullptr);
  int clicks = 0;
  help->Click = [&] { ++clicks; };
  okPresses = 0;
  auto key = [dialog](HWND to, UINT message, WPARAM k, LPARAM flags = 0) {
    MSG msg{to, message, k, flags, 0, {}};
    if (!IsDialogMessageW(dialog, &msg)) DispatchMessageW(&msg);
  };

  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(help->hwnd()), TRUE);
  key(help->hwnd(), WM_KEYDOWN, VK_RETURN);  // Enter on the focused VoButton presses it
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(okPresses, 0);
  key(help->hwnd(), WM_KEYDOWN, VK_SPACE);
  key(help->hwnd(), WM_KEYDOWN, VK_SPACE, 1 << 30);
  key(help->hwnd(), WM_KEYDOWN, VK_SPACE, 1 << 30);
  key(help->hwnd(), WM_KEYUP, VK_SPACE);
  EXPECT_EQ(clicks, 2);  // held Space: one click, on release

  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
  key(edit, WM_SYSCHAR, L'h', 1 << 29);  // Alt+H, the caption's access key
  EXPECT_EQ(clicks, 3);
  SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
  key(edit, WM_KEYDOWN, VK_RETURN);  // elsewhere, Enter is the default button's
  EXPECT_EQ(okPresses, 1);
  EXPECT_EQ(clicks, 3);
  DestroyWindow(dialog);
}

TEST_F(ControlsTest, VoPanelMouseEvents) {
  auto* panel = VoPanel::From(Child(VoPanel::kClassName, 200, 100));
  ASSERT_NE(panel, nullptr);
  int clicks = 0;
  VoPanel::MouseEvent down{};
  panel->Click = [&] { ++clicks; };
  panel->MouseDown = [&](const VoPanel::MouseEvent& e) { down = e; };
  SendMessageW(panel->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(12, 34));
  SendMessageW(panel->hwnd(), WM_LBUTTONUP, MK_SHIFT, MAKELPARAM(12, 34));
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(down.button, 1);
  EXPECT_EQ(down.shift, 1);
  EXPECT_EQ(down.x, 12);
  EXPECT_EQ(down.y, 34);

  // Press, drag out, release: the release still arrives, and is no click.
  int ups = 0;
  panel->MouseUp = [&](const VoPanel::MouseEvent&) { ++ups; };
  SendMessageW(panel->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(GetCapture(), panel->hwnd());
  SendMessageW(panel->hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(500, 5));
  EXPECT_EQ(ups, 1);
  EXPECT_EQ(clicks, 1);
  EXPECT_NE(GetCapture(), panel->hwnd());
  // A press whose capture is taken away gives no click at a later release.
  SendMessageW(panel->hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ReleaseCapture();
  SendMessageW(panel->hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(clicks, 1);
  panel->SetView(VoPanel::View::Sunken);
  panel->SetPaneling(true);
  EXPECT_EQ(panel->GetView(), VoPanel::View::Sunken);
  panel->SetOLEDropMode(true);
  EXPECT_TRUE(panel->OLEDropMode());
}

// A data object for the drops, made from clipboard data through OLE.
IDataObject* ClipboardObject(UINT format, HGLOBAL block) {
  if (!OpenClipboard(nullptr)) return nullptr;
  EmptyClipboard();
  SetClipboardData(format, block);
  CloseClipboard();
  IDataObject* data = nullptr;
  OleGetClipboard(&data);
  return data;
}

HGLOBAL Global(const void* bytes, std::size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  std::memcpy(GlobalLock(block), bytes, size);
  GlobalUnlock(block);
  return block;
}

TEST_F(ControlsTest, DropTargetReportsTextFilesAndKeys) {
  HWND target = Child(VoPanel::kClassName, 200, 100);
  DropData seen;
  DropTarget* drop = DropTarget::Attach(
      target, [](const DropData&, DWORD) { return DWORD{DROPEFFECT_COPY}; },
      [&](const DropData& d, DWORD) {
        seen = d;
        return DWORD{DROPEFFECT_COPY};
      });
  ASSERT_NE(drop, nullptr);

  const wchar_t text[] = L"http://a/1\r\nhttp://a/2";
  IDataObject* textData = ClipboardObject(CF_UNICODETEXT, Global(text, sizeof text));
  ASSERT_NE(textData, nullptr);
  DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  drop->Drop(textData, MK_SHIFT, POINTL{5, 6}, &effect);
  textData->Release();
  EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_COPY));
  ASSERT_TRUE(seen.text.has_value());
  EXPECT_EQ(*seen.text, u"http://a/1\r\nhttp://a/2");
  EXPECT_EQ(seen.keys, static_cast<DWORD>(MK_SHIFT));

  const wchar_t files[] = L"C:\\a.lst\0C:\\b.lst\0";
  std::string block(sizeof(DROPFILES) + sizeof files, '\0');
  auto* header = reinterpret_cast<DROPFILES*>(block.data());
  header->pFiles = sizeof(DROPFILES);
  header->fWide = TRUE;
  std::memcpy(block.data() + sizeof(DROPFILES), files, sizeof files);
  IDataObject* fileData = ClipboardObject(CF_HDROP, Global(block.data(), block.size()));
  ASSERT_NE(fileData, nullptr);
  drop->Drop(fileData, 0, POINTL{0, 0}, &effect);
  EXPECT_EQ(seen.files, (std::vector<std::u16string>{u"C:\\a.lst", u"C:\\b.lst"}));

  // A source that offers only a move gets no copy answered, and nothing is taken from it.
  seen = {};
  for (const bool dropping : {false, true}) {
    effect = DROPEFFECT_MOVE;
    if (dropping) {
      drop->Drop(fileData, 0, POINTL{0, 0}, &effect);
    } else {
      drop->DragEnter(fileData, 0, POINTL{0, 0}, &effect);
    }
    EXPECT_EQ(effect, static_cast<DWORD>(DROPEFFECT_NONE)) << dropping;
  }
  EXPECT_TRUE(seen.files.empty());
  fileData->Release();
  DropTarget::Revoke(target);
}

TEST_F(ControlsTest, SizingAnswerKeepsTheHeightFixed) {
  HWND top = CreateWindowExW(0, L"STATIC", L"sized", WS_OVERLAPPEDWINDOW, 100, 100, 300, 200,
                             nullptr, nullptr, nullptr, nullptr);
  clsSizing sizing;
  sizing.SetTarget(top);
  const int fixedHeight = PixelsToTwips(top, 200);
  int lastSide = -1;
  sizing.Sizing = [&](int side, int& width, int& height) {
    lastSide = side;
    height = fixedHeight;
  };
  for (const WPARAM edge : {WMSZ_BOTTOM, WMSZ_TOP, WMSZ_TOPLEFT, WMSZ_BOTTOMRIGHT}) {
    RECT proposed{100, 100, 450, 400};
    SendMessageW(top, WM_SIZING, edge, reinterpret_cast<LPARAM>(&proposed));
    EXPECT_NEAR(proposed.bottom - proposed.top, 200, 1) << edge;
    // Anchored at the edges not dragged.
    if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT) {
      EXPECT_EQ(proposed.bottom, 400);
    } else {
      EXPECT_EQ(proposed.top, 100);
    }
    EXPECT_EQ(proposed.right - proposed.left, 350);
  }
  EXPECT_EQ(lastSide, 7);
  EXPECT_GT(sizing.WorkAreaWidth(), 0);

  sizing.SetTarget(nullptr);  // watching stops: the window's own handling is back
  RECT proposed{100, 100, 450, 400};
  SendMessageW(top, WM_SIZING, WMSZ_BOTTOM, reinterpret_cast<LPARAM>(&proposed));
  EXPECT_EQ(proposed.bottom, 400);
  DestroyWindow(top);
}

TEST_F(ControlsTest, ToolBarRoutesItsNotificationsBack) {
  clsImageList images;
  ASSERT_TRUE(images.mCreate(16, 16));
  clsToolBar bar;
  ASSERT_TRUE(bar.mCreate(parent, 77));
  bar.pImageList(images, images, 96);
  bar.pDropDownArrows(true);
  bar.mButtonAdd(1, 0, clsToolBar::ButtonStyle::Plain, L"one");
  bar.mButtonAdd(2, 0, clsToolBar::ButtonStyle::Separator);
  bar.mButtonAdd(3, 0, clsToolBar::ButtonStyle::DropDown, L"three");
  int clicked = 0, dropped = 0;
  bar.ButtonClick = [&](int index) { clicked = index; };
  bar.ButtonDropDown = [&](int index) { dropped = index; };
  SendMessageW(parent, WM_COMMAND, MAKEWPARAM(1, BN_CLICKED), reinterpret_cast<LPARAM>(bar.hWnd()));
  NMTOOLBARW note{};
  note.hdr = {bar.hWnd(), 77, static_cast<UINT>(TBN_DROPDOWN)};
  note.iItem = 3;
  EXPECT_EQ(SendMessageW(parent, WM_NOTIFY, 77, reinterpret_cast<LPARAM>(&note)), TBDDRET_DEFAULT);
  EXPECT_EQ(clicked, 1);
  EXPECT_EQ(dropped, 3);
  bar.pButtonEnabled(3, false);
  EXPECT_FALSE(bar.ButtonEnabled(3));
  EXPECT_TRUE(bar.ButtonEnabled(1));
  EXPECT_GT(bar.pHeight(), 0);

  // Tips are given to the toolbar's own tooltip only, not to another control's with the same id.
  HWND ownTips = reinterpret_cast<HWND>(SendMessageW(bar.hWnd(), TB_GETTOOLTIPS, 0, 0));
  ASSERT_NE(ownTips, nullptr);
  for (HWND from : {ownTips, parent}) {
    NMTTDISPINFOW info{};
    info.hdr = {from, 1, static_cast<UINT>(TTN_GETDISPINFOW)};
    SendMessageW(parent, WM_NOTIFY, 1, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.lpszText ? std::wstring(info.lpszText) : L"", from == ownTips ? L"one" : L"");
  }
}

}  // namespace
}  // namespace cardo
