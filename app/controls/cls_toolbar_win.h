#pragma once
// The toolbar behind the main window: clsImageList (square images, magenta transparent),
// clsToolBar (a flat toolbar with images, drop-down arrows and tool tips) and clsMessage (the
// routing of the toolbar's notifications, which arrive at its parent window, back to it).
#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <map>
#include <string>

namespace cardo {

class clsImageList {
 public:
  clsImageList() = default;
  ~clsImageList();
  clsImageList(const clsImageList&) = delete;
  clsImageList& operator=(const clsImageList&) = delete;
  clsImageList(clsImageList&& other) noexcept;
  clsImageList& operator=(clsImageList&& other) noexcept;

  bool mCreate(int width = 16, int height = 16);
  // Adds a bitmap with magenta (255, 0, 255) as the transparent colour; the image's index.
  int mListImagesAdd(HBITMAP bitmap);
  // Adds the disabled look of a 24-bit bitmap: its colours turned to a light grey scale, so
  // that the picture stays readable where the system's embossed look of a colour image
  // leaves a blot. Other bitmaps are added as they are.
  int mListImagesAddDisabled(HBITMAP bitmap);
  HIMAGELIST phImageList() const { return list_; }

 private:
  HIMAGELIST list_ = nullptr;
};

// Sends a parent's messages from its toolbar to the toolbar object.
class clsMessage {
 public:
  using Handler = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;
  clsMessage() = default;
  ~clsMessage() { Detach(); }
  clsMessage(const clsMessage&) = delete;
  clsMessage& operator=(const clsMessage&) = delete;

  void Attach(HWND parent, Handler handler);
  void Detach();

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;
  HWND parent_ = nullptr;
  Handler handler_;
};

class clsToolBar {
 public:
  enum class ButtonStyle { Plain, Separator, DropDown };

  bool mCreate(HWND parent, int id);
  // The images of enabled and disabled buttons; the buttons take the images' size, with
  // room around them scaled from 96 DPI to `dpi`.
  void pImageList(const clsImageList& images, const clsImageList& disabled, int dpi);
  void pDropDownArrows(bool on);
  // Adds a button that runs `command` (its identifier; 0 for a separator) with image `image`
  // (0-based). The buttons are known by their commands from then on.
  void mButtonAdd(int command, int image, ButtonStyle style, const std::wstring& toolTip = {});
  void pButtonEnabled(int command, bool enabled);
  bool ButtonEnabled(int command) const;
  int pHeight() const;
  // Drops `menu` down under the button of `command`.
  void mButtonMenuShow(int command, HMENU menu);
  HWND hWnd() const { return toolbar_; }
  // Lays the toolbar out across `width` pixels at `top`.
  void Place(int top, int width);

  // The command of the button clicked, or of the one whose arrow was pressed.
  std::function<void(int command)> ButtonClick;
  std::function<void(int command)> ButtonDropDown;

 private:
  bool Route(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  HWND parent_ = nullptr;
  HWND toolbar_ = nullptr;
  std::map<int, std::wstring> tips_;
  clsMessage messages_;
};

}  // namespace cardo
