#pragma once
// Which lines of a list its rows show, for the lists that draw their lines: every line, or
// only some, held as their ascending positions, one a row. The map follows the lines as they
// come and go; a line put in is shown, so the user sees what a command added.
#include <optional>
#include <vector>

namespace cardo {

class RowMap {
 public:
  // The shown positions, or null while every line is shown.
  const std::vector<int>* Shown() const { return shown_ ? &*shown_ : nullptr; }
  void Set(std::optional<std::vector<int>> shown) { shown_ = std::move(shown); }
  // How many rows a list of `lines` lines shows.
  int Rows(int lines) const { return shown_ ? static_cast<int>(shown_->size()) : lines; }
  // The line of `row`, a valid row.
  int LineAt(int row) const { return shown_ ? (*shown_)[static_cast<std::size_t>(row)] : row; }
  // The first row that shows `line` or a line after it (the row count when none does).
  int RowFrom(int line) const;
  // The row that shows `line`, or -1 when it is hidden.
  int RowOf(int line) const;

  // A line was put in at `line`: the lines from there move down one, the new one is shown.
  void Inserted(int line);
  // The line at `line` was taken out; the row that showed it, or -1.
  int Removed(int line);
  // `count` lines were added after the `before` lines there were; all are shown.
  void Appended(int before, int count);
  // The list holds `count` new lines in place of `before`: rows past its end go, lines past
  // the old end are shown.
  void Resized(int before, int count);
  void Cleared() {
    if (shown_) shown_->clear();
  }

 private:
  std::optional<std::vector<int>> shown_;
};

// Where the lines at `lines` (ascending) stand after the lines at `removed` (ascending) were
// taken out of the list; those taken out are left out.
std::vector<int> PositionsAfterRemoval(const std::vector<int>& lines,
                                       const std::vector<int>& removed);
// The shown positions after a new order (line i is the line that stood at order[i]): the same
// lines, where they went.
std::vector<int> ShownAfterReorder(const std::vector<int>& shown, const std::vector<int>& order);

}  // namespace cardo
