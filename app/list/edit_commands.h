#pragma once
// The Edit menu, the sort submenu and the list's own keyboard and mouse edits. The list
// operations are plain functions over a UrlList; the commands add the clipboard, the modified
// mark and the horizontal extent.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "app/list/shell_context.h"

namespace cardo {

enum class SortOrder { Ascending, Descending };

// The selected lines in list order, each followed by CR LF.
std::u16string SelectedLinesText(const UrlList& list);
void RemoveSelectedLines(UrlList& list);
// Appends the clipboard text's lines, selected, after clearing every selection. Returns the
// number of lines the full list refused.
int AppendPastedText(UrlList& list, std::u16string_view text);
void InvertSelection(UrlList& list);
// Keeps the first copy of every non-empty line, in order; false (no change) below 2 lines.
bool RemoveDuplicateLines(UrlList& list);
// Ordinal sort (by UTF-16 code unit); false (no change) for an empty list.
bool SortLines(UrlList& list, SortOrder order);
// Uniformly random order; false (no change) for an empty list.
bool ShuffleLines(UrlList& list, std::uint64_t seed);
// Insert key: clears every selection if any line is selected, else selects the focus line.
void ToggleFocusSelection(UrlList& list);
// The row a dragged line lands on: top + drop height / line height (both in twips, the
// quotient truncated), limited to the last line.
int DropTargetRow(int topIndex, int dropYTwips, int lineHeightTwips, int count);
// Moves what a drag holds to `target`: the selection when it holds the focus line, else the
// focus line alone. The lines keep their order, are taken out and go back in from `target`
// (as far as the end allows), selected; false when nothing moves.
bool MoveLinesTo(UrlList& list, int target);
// Moves the selected lines one line up (delta -1) or down (+1), each run of them past the
// line beside it; false when nothing is selected or a selected line is already at that end.
bool MoveSelectedLines(UrlList& list, int delta);
// Dropped text: every piece between CR LFs, an empty last piece after a final break too.
std::vector<std::u16string> SplitDroppedText(std::u16string_view text);

// The commands as the menus run them.
void EditCopy(ShellContext& shell);
void EditCut(ShellContext& shell);
void EditPaste(ShellContext& shell);
void EditDelete(ShellContext& shell);
void EditSelectAll(ShellContext& shell);
void EditInvertSelection(ShellContext& shell);
void EditRemoveDuplicates(ShellContext& shell);
void EditSort(ShellContext& shell, SortOrder order);
void EditShuffle(ShellContext& shell);
void DropTextOnList(ShellContext& shell, std::u16string_view text);
void EditMoveLines(ShellContext& shell, int delta);
// Undo and redo of the list's history, the modified mark following it.
void EditUndo(ShellContext& shell);
void EditRedo(ShellContext& shell);
bool CanUndo(const ShellContext& shell);
bool CanRedo(const ShellContext& shell);

}  // namespace cardo
