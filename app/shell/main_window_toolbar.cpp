// The main window's toolbar: its buttons, images and tips, and what each button does.
#include "app/shell/main_window.h"

#include <array>

#include "app/controls/twips.h"
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

// Images 1-14 are these bitmap resources, in this order (their 16-pixel numbers).
constexpr std::array<int, 14> kToolImages = {101, 102, 103, 104, 105, 106, 107,
                                             112, 113, 108, 109, 110, 111, 114};

// The sizes the images are drawn at; a scale takes the largest that is no larger than 16
// pixels scaled, so 125 % shows 20 pixels and 175 % still 24.
constexpr std::array<int, 4> kImageSizes = {16, 20, 24, 32};

std::size_t ImageSizeIndex(int dpi) {
  const int wanted = ScaleForDpi(16, dpi);
  std::size_t index = 0;
  while (index + 1 < kImageSizes.size() && kImageSizes[index + 1] <= wanted) ++index;
  return index;
}

}  // namespace

void frmMain::SetToolbarImages() {
  const std::size_t sizeIndex = ImageSizeIndex(dpi_);
  const int size = kImageSizes[sizeIndex];
  clsImageList images, disabled;
  images.mCreate(size, size);
  disabled.mCreate(size, size);
  for (const int id : kToolImages) {
    const int resource = id + static_cast<int>(sizeIndex) * IDB_TOOLBAR_SIZE_STEP;
    UniqueGdi bitmap(LoadImageW(instance_, MAKEINTRESOURCEW(resource), IMAGE_BITMAP, size, size,
                                LR_CREATEDIBSECTION));
    if (!CARDO_CHECK_WIN32(bitmap.get())) continue;
    // Adding with a mask blackens the transparent pixels of the bitmap it reads: the
    // disabled copy is taken first.
    disabled.mListImagesAddDisabled(static_cast<HBITMAP>(bitmap.get()));
    images.mListImagesAdd(static_cast<HBITMAP>(bitmap.get()));
  }
  // The toolbar holds the new lists before the old ones go.
  mToolBar.pImageList(images, disabled, dpi_);
  images_ = std::move(images);
  disabledImages_ = std::move(disabled);
}

void frmMain::CreateToolbar() {
  CARDO_CHECK_WIN32(mToolBar.mCreate(hwnd(), IDC_TOOLBAR));
  SetToolbarImages();
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
