#pragma once
// The URL list as the main window shows it: a list box that keeps no data of its own
// (owner-drawn, LBS_NODATA). The lines and their selection live here; the list box holds only
// the count of rows, the focus row and the scroll position, so rebuilding 32767 lines costs a
// count change, not 32767 copies, and showing other rows (the filter) costs the same whatever
// is selected: each list box message costs far more than a memory access, and a selection held
// in the list box could only be put back one run of rows at a time. The list box's own clicks
// and keys never reach it (the main window selects through this list), and its selection
// messages, which other programs and screen readers send, are answered from here.
//
// While only some lines are shown, the list box's rows are those lines; positions here stay
// the list's own, and a hidden line keeps its selection.
#include <windows.h>

#include <algorithm>
#include <functional>
#include <optional>

#include "app/list/row_map.h"
#include "app/list/url_list.h"

namespace cardo {

class ListBoxUrlList final : public UrlList {
 public:
  explicit ListBoxUrlList(HWND listBox) : list_(listBox) {}

  HWND hwnd() const { return list_; }
  // Told after each change of the selection.
  void SetSelectionObserver(std::function<void()> observer) { observer_ = std::move(observer); }
  // Answers the list box's selection messages (LB_GETSEL, LB_GETSELCOUNT, LB_GETSELITEMS,
  // LB_SETSEL, LB_SELITEMRANGE, LB_SELITEMRANGEEX) in rows, as the list box would; nothing for
  // any other message, which the list box answers itself.
  std::optional<LRESULT> AnswerSelectionMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // The list box is drawing itself: a later change of the selection asks for a drawing again.
  void Painting() { repaintAsked_ = false; }

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
  // Both move the lines in place: a change of 32767 lines allocates none.
  void RemoveLines(const std::vector<int>& positions) override;
  void Reorder(const std::vector<int>& order) override;
  void SuspendListRedraw() override;
  void ResumeListRedraw() override;
  const std::vector<int>* ShownLines() const override { return rows_.Shown(); }
  void ShowOnly(std::optional<std::vector<int>> lines) override;
  // The line the list box's row `row` draws.
  int LineOfRow(int row) const { return rows_.LineAt(row); }

 private:
  int Rows() const { return rows_.Rows(Count()); }
  // The row a line is moved to when it may be hidden: its own or the next shown one, limited
  // to the last row; -1 without rows.
  int NearestRow(int line) const { return std::min(rows_.RowFrom(line), Rows() - 1); }
  void SelectRows(int first, int last, bool selected);
  // Lines first to last take `selected`, and the list is drawn again.
  void SetLines(int first, int last, bool selected);
  // The rows drawn show the selection as it is now; once a drawing is asked for, the changes
  // until it comes need none of their own.
  void SelectionChanged();
  LRESULT Send(UINT message, WPARAM w = 0, LPARAM l = 0) const {
    return SendMessageW(list_, message, w, l);
  }
  HWND list_;
  std::vector<std::u16string> lines_;
  std::vector<unsigned char> selected_;  // beside lines_, one flag a line
  RowMap rows_;
  int suspended_ = 0;
  bool repaintAsked_ = false;
  std::function<void()> observer_;
};

}  // namespace cardo
