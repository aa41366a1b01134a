#pragma once
// The URL list: the one document of the program. The main window's list box implements it;
// an in-memory implementation serves tests and tools. Every producer of lines is written
// against this interface.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cardo {

// Positions and counts are 16-bit signed in the list control, so it holds at most this many.
inline constexpr int kMaxListLines = 32767;
// The most code units all lines together may hold (64 MB), so that no command can exhaust a
// 32-bit program's memory; a full list of URLs holds a few million.
inline constexpr std::size_t kMaxListUnits = std::size_t{32} << 20;

class UrlList {
 public:
  virtual ~UrlList() = default;

  virtual int Count() const = 0;
  virtual std::u16string Line(int index) const = 0;
  virtual std::vector<std::u16string> Lines() const = 0;
  // The lines themselves, for reading without copies; valid until the next change.
  virtual const std::vector<std::u16string>& LineRefs() const = 0;
  // Rewrites one line in place; its selection and the focus line stay.
  virtual void SetLine(int index, std::u16string text) = 0;

  virtual bool Selected(int index) const = 0;
  // The selected positions in ascending order, asked in one step.
  virtual std::vector<int> SelectedIndices() const = 0;
  virtual int SelectedCount() const = 0;
  virtual void SetSelected(int index, bool selected) = 0;
  virtual void SetAllSelected(bool selected) = 0;
  // Sets positions first to last (inclusive) in one step.
  virtual void SetRangeSelected(int first, int last, bool selected) = 0;

  // The focus line, or -1 for an empty list.
  virtual int FocusIndex() const = 0;
  virtual void SetFocusIndex(int index) = 0;
  virtual int TopIndex() const = 0;
  // Scrolls so that `index` is the first visible line, as far as the list can scroll.
  virtual void SetTopIndex(int index) = 0;

  // Adds a new last line, selection of the others unchanged. False when the list is full.
  virtual bool AppendLine(std::u16string_view text) = 0;
  // Adds lines at the end in one step, selected or not, as far as the limit allows; returns
  // how many were added.
  virtual int AppendLines(const std::vector<std::u16string>& lines, bool select) = 0;
  // False when the list is full or `index` is past the end.
  virtual bool InsertLine(int index, std::u16string_view text) = 0;
  virtual void RemoveLine(int index) = 0;
  virtual void Clear() = 0;
  // Replaces every line at once (selection cleared); lines past the limit are dropped and
  // the number kept is returned. The top line and the focus line keep their positions, as
  // far as the new count allows, so the view does not jump.
  virtual int ReplaceAll(const std::vector<std::u16string>& lines) = 0;
  // Removes the lines at `positions` (ascending, each valid) in one step. The other lines keep
  // their selection and the focus stays on the line that followed the last removed one before
  // it, as single removals leave them.
  virtual void RemoveLines(const std::vector<int>& positions);
  // Puts the lines in a new order: line i becomes the line that stood at order[i], a
  // permutation of 0 .. Count() - 1. The selection is cleared.
  virtual void Reorder(const std::vector<int>& order);

  // Which lines the list shows when it shows only some: their positions, ascending; null while
  // it shows every line. A hidden line is never the focus line or the top line; it keeps its
  // selection, which the calls above read and set as they do a shown line's.
  virtual const std::vector<int>* ShownLines() const { return nullptr; }
  // Shows only the lines at `lines` (ascending, each valid), or every line for nullopt. Every
  // line keeps its selection; the focus and the top line move to the first shown line at or
  // after them. A list that always shows every line ignores it.
  virtual void ShowOnly(std::optional<std::vector<int>> lines) { (void)lines; }
  // The list whose lines this one shows: what the limits count and what must see every line
  // (save, export). A list is its own whole unless it is a view of another.
  virtual const UrlList& Whole() const { return *this; }

  // The changes between the outermost BeginStep and its EndStep are one step of the undo
  // history; calls nest. A list that keeps no history ignores them.
  virtual void BeginStep() {}
  virtual void EndStep() {}

  // Hides the list before a bulk change and shows it again after, so it is drawn once.
  // Calls nest; the list shows again when the outermost resume comes.
  virtual void SuspendListRedraw() = 0;
  virtual void ResumeListRedraw() = 0;
};

// Sets the selection of the lines at `lines` (ascending), a run of neighbours at a time.
void SetLinesSelected(UrlList& list, const std::vector<int>& lines, bool selected);

// After lines were added at the end: the last line becomes the focus line, scrolled into view,
// so that the user sees what a command added and a following Del acts on lines in view.
inline void ShowLastLine(UrlList& list) {
  if (list.Count() > 0) list.SetFocusIndex(list.Count() - 1);
}

// Suspends redraw for the lifetime of the object.
class RedrawSuspension {
 public:
  explicit RedrawSuspension(UrlList& list) : list_(list) { list_.SuspendListRedraw(); }
  ~RedrawSuspension() { list_.ResumeListRedraw(); }
  RedrawSuspension(const RedrawSuspension&) = delete;
  RedrawSuspension& operator=(const RedrawSuspension&) = delete;

 private:
  UrlList& list_;
};

// Groups one command's changes into one undo step for the lifetime of the object.
class ListStep {
 public:
  explicit ListStep(UrlList& list) : list_(list) { list_.BeginStep(); }
  ~ListStep() { list_.EndStep(); }
  ListStep(const ListStep&) = delete;
  ListStep& operator=(const ListStep&) = delete;

 private:
  UrlList& list_;
};

}  // namespace cardo
