#pragma once
// The URL list as the main window shows it: a multiple-selection list box that keeps no data
// of its own (owner-drawn, LBS_NODATA). The lines live here and the list box holds only the
// count and the selection, so rebuilding 32767 lines costs a count change, not 32767 copies.
// Each list box message costs far more than a memory access under some systems, so
// selections are read and written in ranges wherever the operation allows.
#include <windows.h>

#include "app/list/url_list.h"

namespace cardo {

class ListBoxUrlList final : public UrlList {
 public:
  explicit ListBoxUrlList(HWND listBox) : list_(listBox) {}

  HWND hwnd() const { return list_; }

  int Count() const override { return static_cast<int>(lines_.size()); }
  std::u16string Line(int index) const override;
  std::vector<std::u16string> Lines() const override { return lines_; }
  const std::vector<std::u16string>& LineRefs() const override { return lines_; }
  void SetLine(int index, std::u16string text) override;
  bool Selected(int index) const override;
  std::vector<int> SelectedIndices() const override;
  int SelectedCount() const override;
  void SetSelected(int index, bool selected) override;
  void SetAllSelected(bool selected) override;
  void SetRangeSelected(int first, int last, bool selected) override;
  int FocusIndex() const override;
  void SetFocusIndex(int index) override;
  int TopIndex() const override;
  void SetTopIndex(int index) override;
  bool AppendLine(std::u16string_view text) override;
  int AppendLines(const std::vector<std::u16string>& lines, bool select) override;
  bool InsertLine(int index, std::u16string_view text) override;
  void RemoveLine(int index) override;
  void Clear() override;
  int ReplaceAll(const std::vector<std::u16string>& lines) override;
  void SuspendListRedraw() override;
  void ResumeListRedraw() override;

 private:
  LRESULT Send(UINT message, WPARAM w = 0, LPARAM l = 0) const {
    return SendMessageW(list_, message, w, l);
  }
  HWND list_;
  std::vector<std::u16string> lines_;
  int suspended_ = 0;
};

}  // namespace cardo
