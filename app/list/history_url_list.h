#pragma once
// The URL list with an undo history: it wraps the list the window shows and records every
// change made through it, so each producer written against UrlList becomes undoable as it is.
// The changes between the outermost BeginStep (or SuspendListRedraw) and its end form one
// step; a change outside any step is a step of its own.
//
// A step keeps only what changed: the lines a change took out, the count of lines it put in
// (they are in the list), and for a new order one permutation of the lines that moved. It also
// keeps the selection, focus and top line before and after, which undo and redo bring back.
// The history holds at most kMaxUndoSteps steps and kUndoBudgetBytes of them; the oldest go
// first, the latest step always stays.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/list/url_list.h"

namespace cardo {

inline constexpr std::size_t kMaxUndoSteps = 1000;
inline constexpr std::size_t kUndoBudgetBytes = std::size_t{64} << 20;

// What one step did, for the window to tell the user: the lines it added or removed when the
// count changed, else the lines it rewrote, else the lines it put in another order; or that
// the latest step was undone or redone.
struct ListOutcome {
  enum class Kind : std::uint8_t { Added, Removed, Changed, Reordered, Undone, Redone };
  Kind kind = Kind::Added;
  int lines = 0;
};

// The note the status bar shows for `outcome`: "120 行を追加しました", "元に戻しました".
std::u16string OutcomeNote(const ListOutcome& outcome);

class HistoryUrlList final : public UrlList {
 public:
  // Told after each step, undo and redo with what it did, and with nothing when the history
  // is cleared (a new or opened list has done nothing yet).
  using Observer = std::function<void(std::optional<ListOutcome>)>;
  void SetObserver(Observer observer) { observer_ = std::move(observer); }
  // Called by undo and redo once the lines are back, before the selection and focus are: a
  // view that shows only some lines looks at them again, so the selection finds them shown.
  void SetRestoredHook(std::function<void()> hook) { restored_ = std::move(hook); }

  explicit HistoryUrlList(UrlList& inner, std::size_t budgetBytes = kUndoBudgetBytes)
      : inner_(inner), budget_(budgetBytes) {}

  // Undoes the latest step (or redoes the latest undone one); false when there is none or a
  // step is still open.
  bool Undo();
  bool Redo();
  bool CanUndo() const { return depth_ == 0 && !done_.empty(); }
  bool CanRedo() const { return depth_ == 0 && !undone_.empty(); }
  std::size_t UndoSteps() const { return done_.size(); }
  // Forgets every step: a new or opened list starts a history of its own.
  void ClearHistory();
  // The list as it is now is the one in its file; AtSaved tells whether undo and redo have
  // come back to it (false once the steps leading there are gone).
  void MarkSaved() { saved_ = done_.size(); }
  bool AtSaved() const { return saved_ == done_.size(); }
  // What the steps hold, as they count against the budget.
  std::size_t HeldBytes() const { return held_; }

  int Count() const override { return inner_.Count(); }
  std::u16string Line(int index) const override { return inner_.Line(index); }
  std::vector<std::u16string> Lines() const override { return inner_.Lines(); }
  const std::vector<std::u16string>& LineRefs() const override { return inner_.LineRefs(); }
  bool Selected(int index) const override { return inner_.Selected(index); }
  std::vector<int> SelectedIndices() const override { return inner_.SelectedIndices(); }
  int SelectedCount() const override { return inner_.SelectedCount(); }
  void SetSelected(int index, bool selected) override { inner_.SetSelected(index, selected); }
  void SetAllSelected(bool selected) override { inner_.SetAllSelected(selected); }
  void SetRangeSelected(int first, int last, bool selected) override {
    inner_.SetRangeSelected(first, last, selected);
  }
  int FocusIndex() const override { return inner_.FocusIndex(); }
  void SetFocusIndex(int index) override { inner_.SetFocusIndex(index); }
  int TopIndex() const override { return inner_.TopIndex(); }
  void SetTopIndex(int index) override { inner_.SetTopIndex(index); }
  // Which lines are shown is how the list is looked at, not a change of it.
  const std::vector<int>* ShownLines() const override { return inner_.ShownLines(); }
  void ShowOnly(std::optional<std::vector<int>> lines) override {
    inner_.ShowOnly(std::move(lines));
  }

  void SetLine(int index, std::u16string text) override;
  bool AppendLine(std::u16string_view text) override;
  int AppendLines(const std::vector<std::u16string>& lines, bool select) override;
  bool InsertLine(int index, std::u16string_view text) override;
  void RemoveLine(int index) override;
  void Clear() override;
  int ReplaceAll(const std::vector<std::u16string>& lines) override;
  void RemoveLines(const std::vector<int>& positions) override;
  void Reorder(const std::vector<int>& order) override;

  void BeginStep() override;
  void EndStep() override;
  void SuspendListRedraw() override;
  void ResumeListRedraw() override;

 private:
  // Where the list was looked at: the selection as runs of positions, the focus and top line.
  struct View {
    std::vector<std::pair<int, int>> selectedRuns;
    int focus = -1;
    int top = 0;
  };
  // One change. Splice: the `count` lines from `at` stand where `lines` stood; applying it
  // swaps the two, so the same call undoes and redoes it. Scatter: the lines at the ascending
  // `positions` were removed (`lines` holds them). Permute: from `at`, line i stands where
  // line at + order[i] stood.
  struct Change {
    enum class Kind : std::uint8_t { Splice, Scatter, Permute } kind = Kind::Splice;
    int at = 0;
    int count = 0;
    std::vector<std::u16string> lines;
    std::vector<int> positions;  // Scatter: where; Permute: the order
    std::size_t bytes = 0;       // counted once, at the larger of its two sides
  };
  struct Step {
    std::vector<Change> changes;
    View before;
    View after;
    std::size_t bytes = 0;
  };

  View Look() const;
  // What the open step did, measured against the count it began with.
  std::optional<ListOutcome> OpenOutcome() const;
  void Tell(std::optional<ListOutcome> outcome) const {
    if (observer_) observer_(outcome);
  }
  void DropSteps();
  void Show(const View& view);
  // The step that takes a change: the open one, or one just for it.
  Step& Open();
  void Record(Change change);
  void Commit();
  void Trim();
  void Apply(Change& change, bool forward);
  void ApplySplice(Change& change);
  void ApplyScatter(Change& change, bool forward);
  void ApplyPermute(const Change& change, bool forward);

  UrlList& inner_;
  std::size_t budget_;
  std::vector<Step> done_;    // oldest first
  std::vector<Step> undone_;  // the latest undone last
  std::optional<Step> open_;
  int depth_ = 0;
  int countBefore_ = 0;
  Observer observer_;
  std::function<void()> restored_;
  std::size_t held_ = 0;
  // How many steps were done when the list was last saved; none once those steps are gone.
  std::optional<std::size_t> saved_ = 0;
};

}  // namespace cardo
