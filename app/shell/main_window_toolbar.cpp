// The main window's toolbar: its buttons, images and tips, and what each button does.
#include "app/shell/main_window.h"

#include <array>

#include "app/list/edit_commands.h"
#include "app/platform/win_check.h"
#include "app/resources/resource.h"

namespace cardo {
namespace {

struct ToolButton {
  int position;  // also the button's command identifier
  int image;     // 1-based; 0 for a separator
  bool dropDown;
  const wchar_t* tip;
};

constexpr std::array<ToolButton, 19> kToolButtons = {{
    {1, 1, false, L"新規作成"},
    {2, 2, true, L"開く"},
    {3, 3, false, L"上書き保存"},
    {4, 0, false, nullptr},
    {5, 4, false, L"切り取り"},
    {6, 5, false, L"コピー"},
    {7, 6, false, L"貼り付け"},
    {8, 7, false, L"検索"},
    {9, 0, false, nullptr},
    {10, 8, false, L"昇順に整列"},
    {11, 9, false, L"降順に整列"},
    {12, 0, false, nullptr},
    {13, 10, false, L"ReGet へエクスポート"},
    {14, 11, false, L"Iria へエクスポート"},
    {15, 0, false, nullptr},
    {16, 12, false, L"ドロップダイアログ"},
    {17, 13, true, L"フリー入力"},
    // The third manager's button comes last, so the specified positions keep their numbers.
    {18, 0, false, nullptr},
    {19, 14, false, L"その他のダウンロードマネージャへエクスポート"},
}};

// Images 1-14 are these bitmap resources, in this order.
constexpr std::array<int, 14> kToolImages = {101, 102, 103, 104, 105, 106, 107,
                                             112, 113, 108, 109, 110, 111, 114};

}  // namespace

void frmMain::CreateToolbar() {
  images_.mCreate(16, 16);
  for (const int id : kToolImages) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageW(instance_, MAKEINTRESOURCEW(id), IMAGE_BITMAP, 16, 16, LR_CREATEDIBSECTION));
    if (!CARDO_CHECK_WIN32(bitmap)) continue;
    images_.mListImagesAdd(bitmap);
    DeleteObject(bitmap);
  }
  CARDO_CHECK_WIN32(mToolBar.mCreate(hwnd(), IDC_TOOLBAR));
  mToolBar.pImageList(images_);
  mToolBar.pDropDownArrows(true);
  for (const ToolButton& b : kToolButtons) {
    const auto style = b.image == 0 ? clsToolBar::ButtonStyle::Separator
                       : b.dropDown ? clsToolBar::ButtonStyle::DropDown
                                    : clsToolBar::ButtonStyle::Plain;
    mToolBar.mButtonAdd(b.position, b.image - 1, style, b.tip ? b.tip : L"");
  }
  mToolBar.ButtonClick = [this](int position) { mToolBar_ButtonClick(position); };
  mToolBar.ButtonDropDown = [this](int position) { mToolBar_ButtonDropDown(position); };
}

void frmMain::mToolBar_ButtonClick(int position) {
  switch (position) {
    case 1:
      mnuFileSub_Click(1);
      break;
    case 2:
      mnuFileSub_Click(2);
      break;
    case 3:
      mnuFileSub_Click(4);
      break;
    case 5:
      EditCut(*shell_);
      break;
    case 6:
      EditCopy(*shell_);
      break;
    case 7:
      EditPaste(*shell_);
      break;
    case 8:
      mnuEditSub_Click(9);
      break;
    case 10:
      mnuSort_Click(1);
      break;
    case 11:
      mnuSort_Click(2);
      break;
    case 13:
      mnuExpSub_Click(1);
      break;
    case 14:
      mnuExpSub_Click(2);
      break;
    case 16:
      tools_->ShowView(1);
      break;
    case 17:
      tools_->ShowView(3);
      break;
    case 19:
      mnuExpSub_Click(3);
      break;
    default:
      break;
  }
}

void frmMain::mToolBar_ButtonDropDown(int position) {
  if (position == 2) {
    mToolBar.mButtonMenuShow(position, historyMenu_->Submenu());
  } else if (position == 17) {
    mToolBar.mButtonMenuShow(position, GetSubMenu(popups_.get(), POPUP_TOOLMNU));
  }
}

}  // namespace cardo
