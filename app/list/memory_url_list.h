#pragma once
// An in-memory URL list with the list box's behaviour: extended selection, a focus line that
// follows insertions and removals, the 32767-line limit, and rows that show only some lines.
#include "app/list/row_map.h"
#include "app/list/url_list.h"

namespace cardo {

class MemoryUrlList final : public UrlList {
 public:
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
  int FocusIndex() const override { return Rows() == 0 ? -1 : focus_; }
  void SetFocusIndex(int index) override;
  int TopIndex() const override { return top_; }
  void SetTopIndex(int index) override;
  bool AppendLine(std::u16string_view text) override;
  int AppendLines(const std::vector<std::u16string>& lines, bool select) override;
  bool InsertLine(int index, std::u16string_view text) override;
  void RemoveLine(int index) override;
  void Clear() override;
  int ReplaceAll(const std::vector<std::u16string>& lines) override;
  void SuspendListRedraw() override { ++suspended_; }
  void ResumeListRedraw() override { --suspended_; }
  int SuspendDepth() const { return suspended_; }
  const std::vector<int>* ShownLines() const override { return rows_.Shown(); }
  void ShowOnly(std::optional<std::vector<int>> lines) override;

 private:
  bool Valid(int index) const { return index >= 0 && index < Count(); }
  int Rows() const { return rows_.Rows(Count()); }
  // Moves the focus and the top line off hidden lines, as the list box keeps them on rows.
  void Settle();
  RowMap rows_;
  std::vector<std::u16string> lines_;
  std::vector<bool> selected_;  // beside lines_, one flag a line
  int focus_ = 0;
  int top_ = 0;
  int suspended_ = 0;
};

}  // namespace cardo
