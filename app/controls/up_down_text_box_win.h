#pragma once
// UpDownTextBox ("Cardo.UpDownTextBox"): a single-line numeric text box with an up-down
// control as its buddy. Setting Value clamps it to [Min, Max]; reading it returns the number
// as typed (thousands separators skipped). Only digits, "-", "." and Backspace may be typed,
// pasted or composed by an input method.
#include <windows.h>

#include <cstdint>
#include <functional>

#include "app/controls/control_window_win.h"

namespace cardo {

class UpDownTextBox final : public ControlWindow<UpDownTextBox> {
 public:
  static constexpr wchar_t kClassName[] = L"Cardo.UpDownTextBox";
  enum class Align { Right, Left };

  static bool RegisterClass() { return Register(kClassName); }

  std::int32_t Value() const;
  void SetValue(std::int32_t value);
  std::int32_t Min() const { return min_; }
  std::int32_t Max() const { return max_; }
  void SetMin(std::int32_t value);
  void SetMax(std::int32_t value);
  bool UpDownKey() const { return upDownKey_; }
  void SetUpDownKey(bool on);
  bool Thousands() const { return thousands_; }
  void SetThousands(bool on);
  Align SpinAlign() const { return align_; }
  void SetSpinAlign(Align align);
  void SetEnabled(bool enabled);
  HWND EditHwnd() const { return edit_; }
  HWND SpinHwnd() const { return spin_; }

  std::function<void()> Change;
  // Forwarded from the inner text box.
  std::function<void(WPARAM key)> KeyDown;
  std::function<void(wchar_t c)> KeyPress;
  std::function<void(int button, int x, int y)> MouseDown;
  std::function<void(int button, int x, int y)> MouseUp;

 protected:
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  static LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR) noexcept;
  LRESULT OnEditMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // A paste that keeps the typing rules, or a beep.
  void Edit_Paste();
  // Whether a typed character goes in (an empty box first gets the lower bound).
  bool Edit_TakesChar(wchar_t c);
  void RebuildSpin();
  void UpdateSpin();
  std::int32_t Clamp(std::int32_t value) const;
  std::wstring ClipboardText() const;
  void PlaceSpin(int spinWidth);
  void Layout();
  std::wstring Text() const;
  void SetText(const std::wstring& text);

  HWND edit_ = nullptr;
  HWND spin_ = nullptr;
  std::int32_t min_ = 0;
  std::int32_t max_ = 32767;
  bool upDownKey_ = false;
  bool thousands_ = false;
  Align align_ = Align::Right;
  bool settingText_ = false;
};

}  // namespace cardo
