#pragma once
// The list as the user sees it while a find-as-you-type filter is on: only the lines holding
// the filter's text, in list order, are shown, and every command written against UrlList acts
// on them alone (positions are rows of the view). It sits above the undo history, so that the
// history keeps the whole list's positions; the list it wraps draws only the shown lines
// (ShowOnly). With no filter every call goes straight through.
//
// The filter is applied when its text changes (and again by Refilter after undo or redo), not
// after each command: lines a command adds or rewrites stay shown, so the user sees them.
// New lines from AppendLines go at the end of the whole list. A hidden line keeps its selection
// through the filter and through every command: it is selected again when it shows again.
#include <string>
#include <vector>

#include "app/list/url_list.h"

namespace cardo {

class FilteredUrlList final : public UrlList {
 public:
  explicit FilteredUrlList(UrlList& inner) : inner_(inner) {}

  // Shows only the lines holding `text`, case ignored as the find command ignores it (ASCII and
  // the other letters it folds; Japanese text compared as it is); an empty text shows every
  // line again. Costs one pass over the lines, or over the shown ones when `text` holds the
  // last text and the list has not changed since.
  void SetFilter(std::u16string text);
  bool Filtering() const { return inner_.ShownLines() != nullptr; }
  // Matches every line again with the same text: after the list changed under the view.
  void Refilter();

  int Count() const override;
  std::u16string Line(int index) const override;
  std::vector<std::u16string> Lines() const override;
  const std::vector<std::u16string>& LineRefs() const override;
  void SetLine(int index, std::u16string text) override;
  bool Selected(int index) const override;
  // The shown lines that are selected; the hidden ones are not the view's.
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
  // Puts the line in before the shown line at `index`, or after the last shown one.
  bool InsertLine(int index, std::u16string_view text) override;
  void RemoveLine(int index) override;
  // Empties the whole list and ends the filter: only a new or opened list is cleared.
  void Clear() override;
  // The shown lines' places take the new lines in turn; places left over go, and new lines
  // past the last place follow it. The hidden lines stay as they are, selection included. One
  // undo step.
  int ReplaceAll(const std::vector<std::u16string>& lines) override;
  void RemoveLines(const std::vector<int>& positions) override;
  // The shown lines change places among their own positions.
  void Reorder(const std::vector<int>& order) override;
  void BeginStep() override { inner_.BeginStep(); }
  void EndStep() override { inner_.EndStep(); }
  void SuspendListRedraw() override { inner_.SuspendListRedraw(); }
  void ResumeListRedraw() override { inner_.ResumeListRedraw(); }
  const UrlList& Whole() const override { return inner_.Whole(); }

 private:
  // The shown lines' positions in the inner list, or null with no filter.
  const std::vector<int>* Shown() const { return inner_.ShownLines(); }
  int LineOf(int row) const { return (*Shown())[static_cast<std::size_t>(row)]; }
  // The row of a shown line, or of the first shown line after it.
  int RowFrom(int line) const;
  bool ValidRow(int row) const { return row >= 0 && row < Count(); }
  void Changed() {
    fresh_ = false;
    matched_ = false;
  }
  // Shows the lines holding the text, looking at every line or at the shown ones only.
  void Match(bool shownOnly);
  // The selected lines among the shown ones (true) or the hidden ones (false), ascending.
  std::vector<int> SelectedLines(bool shown) const;
  // Sets the selection of the lines rows `first` to `last` show.
  void SetRowsSelected(int first, int last, bool selected);

  UrlList& inner_;
  std::u16string text_;
  // The shown lines for LineRefs, copied when asked after a change.
  mutable std::vector<std::u16string> lines_;
  mutable bool fresh_ = false;
  // Whether the shown lines are those the text let through, the list unchanged since.
  bool matched_ = false;
};

}  // namespace cardo
