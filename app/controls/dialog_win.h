#pragma once
// A dialog from a template, linked to its object: `this` is stored at WM_INITDIALOG, which
// goes to OnInit (Form_Load); commands go to OnCommand and every other message to
// OnMessage. No exception leaves the dialog procedure: a failure of a handler is told to the
// user through the dialog's Ui (the operation's message; the dialog and its data stay as they
// were), as is a failure a control of the dialog hands over (failure_report_win.h).
//
// A dialog follows its DPI: on WM_DPICHANGED it takes the suggested rectangle, scales its
// controls' places and its font to the new DPI, and then lets the window lay out what it
// places itself (OnDpiChanged).
#include <windows.h>

#include <string>
#include <vector>

#include "app/platform/ui.h"
#include "app/platform/win_handle.h"

namespace cardo {

class DialogWindow {
 public:
  // `ui` tells the user of a failure that reaches the dialog's procedure.
  explicit DialogWindow(Ui& ui) : ui_(ui) {}
  virtual ~DialogWindow();
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  HWND hwnd() const { return hwnd_; }
  bool IsOpen() const { return hwnd_ != nullptr; }
  HWND Item(int id) const { return GetDlgItem(hwnd_, id); }
  // The DPI the dialog is laid out for.
  int Dpi() const { return dpi_; }

 protected:
  // Creates the dialog modeless, owned by `owner`; false when it cannot be created.
  bool CreateModeless(HINSTANCE instance, int templateId, HWND owner);
  // A tool window's one instance: created on the first call, shown and brought to the front
  // on every call. False when it cannot be created.
  bool ShowModeless(HINSTANCE instance, int templateId, HWND owner);
  // Runs the dialog modal over `owner` until Close; returns Close's result, or -1 when the
  // dialog cannot be created.
  INT_PTR RunModal(HINSTANCE instance, int templateId, HWND owner);
  // Ends the dialog: EndDialog when modal, DestroyWindow when modeless.
  void Close(INT_PTR result);

  // The form's Load event: its first look, before it is shown.
  virtual void Form_Load() {}
  // WM_INITDIALOG: Form_Load. True lets the system put the focus on the first control; false
  // when the dialog has set the focus itself.
  virtual bool OnInit() {
    Form_Load();
    return true;
  }
  // A command of a control (`code` is its notification), a menu or an accelerator; true when
  // handled.
  virtual bool OnCommand(int /*id*/, int /*code*/) { return false; }
  // Any other message, as a dialog procedure: TRUE when handled (results through
  // DWLP_MSGRESULT).
  virtual INT_PTR OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    return FALSE;
  }
  // After the controls and the font have followed a DPI change: what the window places or
  // draws itself at a size of its own (twips layouts, pictures). Dpi() is the new DPI.
  virtual void OnDpiChanged(int oldDpi) { (void)oldDpi; }
  // A message of the program's loop for this modeless dialog, before the dialog manager sees
  // it: true when the dialog took it (keys the dialog manager would read otherwise, such as
  // Ctrl+Tab, which it takes for Tab).
  virtual bool OnDialogKey(const MSG& /*msg*/) { return false; }

 private:
  friend bool RouteDialogMessage(MSG& msg);
  static INT_PTR CALLBACK Proc(HWND, UINT, WPARAM, LPARAM) noexcept;
  void FollowDpi(int dpi, LPARAM suggested);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  Ui& ui_;
  HWND hwnd_ = nullptr;
  bool modal_ = false;
  int dpi_ = 96;
  // The template's font at the current DPI, once the DPI has changed.
  UniqueGdi font_;
};

// Gives a message of the program's loop to the modeless dialog it is for, so that Tab, Enter,
// Esc and access keys work there; true when the dialog took it. In a dialog of ours Esc is its
// cancel button from every control (a dropped-down list closes first).
bool RouteDialogMessage(MSG& msg);

// Scales the places of `parent`'s controls about its client origin from `oldDpi` to `dpi`,
// and gives them `font` when there is one.
void ScaleChildren(HWND parent, int dpi, int oldDpi, HFONT font);

// Gives a window the client size `width` x `height` pixels, its frame as it is; it stays
// where it is.
void SetClientSize(HWND hwnd, int width, int height);

// Places a window over the middle of its owner, where the eye already is, inside the work
// area of the owner's monitor.
void CentreOverOwner(HWND hwnd);

// A tool tip for `control`, shown by a tip window that belongs to `dialog`.
void AddToolTip(HWND dialog, HWND control, const char16_t* text);

// The items of a combo box's list, and the list replaced by `items`.
std::vector<std::u16string> ComboItems(HWND combo);
void SetComboItems(HWND combo, const std::vector<std::u16string>& items);

// The text of a window or control.
std::u16string ControlText(HWND hwnd);
void SetControlText(HWND hwnd, const std::u16string& text);

}  // namespace cardo
