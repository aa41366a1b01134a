#pragma once
// frmVersion ("バージョン情報"): banner, version, the home page as a link (hover underline,
// pressed colour, open on click, right-click menu to open or copy) and the library's icon,
// which opens the library's own version dialog. Modal over the main window.
#include <windows.h>

#include <string>

#include "app/controls/dialog_win.h"
#include "app/platform/ui.h"
#include "app/platform/win_handle.h"

namespace cardo {

class frmVersion final : public DialogWindow {
 public:
  frmVersion(HINSTANCE instance, Ui& ui, std::u16string appVersion, std::u16string appDirectory)
      : DialogWindow(ui),
        instance_(instance),
        ui_(ui),
        appVersion_(std::move(appVersion)),
        appDirectory_(std::move(appDirectory)) {}

  void ShowModal(HWND owner);

  bool Armed() const { return armed_; }
  bool Underlined() const { return underlined_; }
  COLORREF LinkColor() const { return linkColor_; }

  void lblUrl_Click();
  void mnuRMnuSub_Click(int index);
  void imgDLL_Click();

 private:
  static LRESULT CALLBACK LinkProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;
  LRESULT OnLinkMessage(HWND link, UINT message, WPARAM wParam, LPARAM lParam);
  bool OnCommand(int id, int code) override;
  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnDpiChanged(int oldDpi) override;
  void Form_Load() override;
  void SetPictures();
  HBRUSH BannerFill(HDC dc);
  void SetUnderline(bool on);
  void SetLinkColor(COLORREF color);

  HINSTANCE instance_;
  Ui& ui_;
  std::u16string appVersion_;
  std::u16string appDirectory_;
  bool armed_ = false;
  bool underlined_ = false;
  COLORREF linkColor_ = RGB(30, 73, 121);
  UniqueGdi underlineFont_;
  UniqueGdi banner_;
  // What the banner's static paints beside its picture, made for the static's size.
  UniqueGdi bannerFillPicture_;
  UniqueGdi bannerFill_;
  SIZE bannerFillSize_{};
  UniqueGdi library_;
  HCURSOR hand_ = nullptr;
};

}  // namespace cardo
