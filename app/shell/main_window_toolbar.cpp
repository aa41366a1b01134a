// The main window's toolbar: its buttons, images and tips, and the command each button runs.
#include "app/shell/main_window.h"

#include <algorithm>
#include <array>

#include "app/controls/twips.h"
#include "app/platform/win_check.h"
#include "app/resources/resource.h"

namespace cardo {
namespace {

// What a button's drop-down arrow shows.
enum class Arrow { None, RecentFiles, ToolMenu };

struct ToolButton {
  int command;  // 0 for a separator
  int image;    // 1-based
  Arrow arrow;
  const wchar_t* tip;
};

// The buttons by position from 1, separators included: position 13 is ReGet's.
constexpr std::array<ToolButton, 19> kToolButtons = {{
    {IDM_FILE_NEW, 1, Arrow::None, L"新規作成"},
    {IDM_FILE_OPEN, 2, Arrow::RecentFiles, L"開く"},
    {IDM_FILE_SAVE, 3, Arrow::None, L"上書き保存"},
    {},
    {IDM_EDIT_CUT, 4, Arrow::None, L"切り取り"},
    {IDM_EDIT_COPY, 5, Arrow::None, L"コピー"},
    {IDM_EDIT_PASTE, 6, Arrow::None, L"貼り付け"},
    {IDM_EDIT_FIND, 7, Arrow::None, L"検索"},
    {},
    {IDM_SORT_ASCENDING, 8, Arrow::None, L"昇順に整列"},
    {IDM_SORT_DESCENDING, 9, Arrow::None, L"降順に整列"},
    {},
    {IDM_EXPORT_REGET, 10, Arrow::None, L"ReGet へエクスポート"},
    {IDM_EXPORT_IRIA, 11, Arrow::None, L"Iria へエクスポート"},
    {},
    {IDM_VIEW_DROP_DIALOG, 12, Arrow::None, L"ドロップダイアログ"},
    {IDM_VIEW_FREE_INPUT, 13, Arrow::ToolMenu, L"フリー入力"},
    // The third manager's button comes last, so the buttons before it keep their positions.
    {},
    {IDM_EXPORT_OTHER, 14, Arrow::None, L"その他のダウンロードマネージャへエクスポート"},
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
    const auto style = b.command == 0           ? clsToolBar::ButtonStyle::Separator
                       : b.arrow != Arrow::None ? clsToolBar::ButtonStyle::DropDown
                                                : clsToolBar::ButtonStyle::Plain;
    mToolBar.mButtonAdd(b.command, b.image - 1, style, b.tip ? b.tip : L"");
  }
  mToolBar.ButtonClick = [this](int command) { OnCommand(command); };
  mToolBar.ButtonDropDown = [this](int command) { mToolBar_ButtonDropDown(command); };
}

void frmMain::ApplyToolbarStates() {
  for (const ToolButton& b : kToolButtons) {
    const Command* command = b.command != 0 ? FindCommand(b.command) : nullptr;
    if (command && command->settingsOnly) {
      mToolBar.pButtonEnabled(b.command, (this->*command->enabled)());
    }
  }
}

void frmMain::mToolBar_ButtonDropDown(int command) {
  const auto button = std::find_if(kToolButtons.begin(), kToolButtons.end(),
                                   [command](const ToolButton& b) { return b.command == command; });
  if (button == kToolButtons.end()) return;
  if (button->arrow == Arrow::RecentFiles) {
    mToolBar.mButtonMenuShow(command, historyMenu_->Submenu());
  } else if (button->arrow == Arrow::ToolMenu) {
    mToolBar.mButtonMenuShow(command, GetSubMenu(popups_.get(), POPUP_TOOLMNU));
  }
}

}  // namespace cardo
