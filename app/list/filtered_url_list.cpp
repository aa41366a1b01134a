#include "app/list/filtered_url_list.h"

#include <algorithm>
#include <iterator>

#include "app/platform/word_matcher.h"

namespace cardo {

void FilteredUrlList::SetFilter(std::u16string text) {
  // A text holding the last one lets through only lines the last one let through, and while
  // nothing has changed since, those are all shown: typing on looks at the shown lines alone.
  const bool narrower =
      matched_ && Filtering() && !text_.empty() && text.find(text_) != std::u16string::npos;
  text_ = std::move(text);
  Match(narrower);
}

void FilteredUrlList::Refilter() {
  Match(false);
}

void FilteredUrlList::Match(bool shownOnly) {
  Changed();
  if (text_.empty()) {
    if (Filtering()) inner_.ShowOnly(std::nullopt);
    return;
  }
  const WordMatcher matcher(text_, false);
  const auto& lines = inner_.LineRefs();
  const auto matches = [&](int line) {
    return matcher.Find(lines[static_cast<std::size_t>(line)]) != std::u16string_view::npos;
  };
  std::vector<int> shown;
  if (shownOnly) {
    std::copy_if(Shown()->begin(), Shown()->end(), std::back_inserter(shown), matches);
  } else {
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
      if (matches(i)) shown.push_back(i);
    }
  }
  inner_.ShowOnly(std::move(shown));
  matched_ = true;
}

int FilteredUrlList::RowFrom(int line) const {
  const auto* shown = Shown();
  return static_cast<int>(std::lower_bound(shown->begin(), shown->end(), line) - shown->begin());
}

int FilteredUrlList::Count() const {
  const auto* shown = Shown();
  return shown ? static_cast<int>(shown->size()) : inner_.Count();
}

std::u16string FilteredUrlList::Line(int index) const {
  if (!Shown()) return inner_.Line(index);
  return ValidRow(index) ? inner_.Line(LineOf(index)) : std::u16string();
}

std::vector<std::u16string> FilteredUrlList::Lines() const {
  return Shown() ? LineRefs() : inner_.Lines();
}

const std::vector<std::u16string>& FilteredUrlList::LineRefs() const {
  const auto* shown = Shown();
  if (!shown) return inner_.LineRefs();
  if (!fresh_) {
    const auto& all = inner_.LineRefs();
    lines_.clear();
    lines_.reserve(shown->size());
    for (const int line : *shown) lines_.push_back(all[static_cast<std::size_t>(line)]);
    fresh_ = true;
  }
  return lines_;
}

void FilteredUrlList::SetLine(int index, std::u16string text) {
  if (!Shown()) {
    inner_.SetLine(index, std::move(text));
    return;
  }
  if (!ValidRow(index)) return;
  // A command rewriting line after line reads the lines between: they stay copied.
  if (fresh_) lines_[static_cast<std::size_t>(index)] = text;
  inner_.SetLine(LineOf(index), std::move(text));
}

bool FilteredUrlList::Selected(int index) const {
  if (!Shown()) return inner_.Selected(index);
  return ValidRow(index) && inner_.Selected(LineOf(index));
}

std::vector<int> FilteredUrlList::SelectedLines(bool shown) const {
  const auto& rows = *Shown();
  std::vector<int> lines;
  std::size_t row = 0;
  for (const int line : inner_.SelectedIndices()) {
    while (row < rows.size() && rows[row] < line) ++row;
    if ((row < rows.size() && rows[row] == line) == shown) lines.push_back(line);
  }
  return lines;
}

std::vector<int> FilteredUrlList::SelectedIndices() const {
  if (!Shown()) return inner_.SelectedIndices();
  auto selected = SelectedLines(true);
  for (int& line : selected) line = RowFrom(line);
  return selected;
}

int FilteredUrlList::SelectedCount() const {
  return Shown() ? static_cast<int>(SelectedLines(true).size()) : inner_.SelectedCount();
}

void FilteredUrlList::SetSelected(int index, bool selected) {
  if (!Shown()) {
    inner_.SetSelected(index, selected);
  } else if (ValidRow(index)) {
    inner_.SetSelected(LineOf(index), selected);
  }
}

void FilteredUrlList::SetAllSelected(bool selected) {
  if (Shown()) {
    SetRowsSelected(0, Count() - 1, selected);
  } else {
    inner_.SetAllSelected(selected);
  }
}

void FilteredUrlList::SetRangeSelected(int first, int last, bool selected) {
  if (Shown()) {
    SetRowsSelected(std::max(first, 0), std::min(last, Count() - 1), selected);
  } else {
    inner_.SetRangeSelected(first, last, selected);
  }
}

void FilteredUrlList::SetRowsSelected(int first, int last, bool selected) {
  // The hidden lines between keep their own selection: a run of neighbouring lines at a time.
  for (int row = first; row <= last;) {
    int end = row;
    while (end < last && LineOf(end + 1) == LineOf(end) + 1) ++end;
    inner_.SetRangeSelected(LineOf(row), LineOf(end), selected);
    row = end + 1;
  }
}

int FilteredUrlList::FocusIndex() const {
  const int focus = inner_.FocusIndex();
  if (!Shown() || focus < 0) return focus;
  return Count() == 0 ? -1 : std::min(RowFrom(focus), Count() - 1);
}

void FilteredUrlList::SetFocusIndex(int index) {
  if (!Shown()) {
    inner_.SetFocusIndex(index);
  } else if (ValidRow(index)) {
    inner_.SetFocusIndex(LineOf(index));
  }
}

int FilteredUrlList::TopIndex() const {
  const int top = inner_.TopIndex();
  if (!Shown() || Count() == 0) return Shown() ? 0 : top;
  return std::min(RowFrom(top), Count() - 1);
}

void FilteredUrlList::SetTopIndex(int index) {
  if (!Shown()) {
    inner_.SetTopIndex(index);
  } else if (ValidRow(index)) {
    inner_.SetTopIndex(LineOf(index));
  }
}

bool FilteredUrlList::AppendLine(std::u16string_view text) {
  Changed();
  return inner_.AppendLine(text);
}

int FilteredUrlList::AppendLines(const std::vector<std::u16string>& lines, bool select) {
  Changed();
  return inner_.AppendLines(lines, select);
}

bool FilteredUrlList::InsertLine(int index, std::u16string_view text) {
  const auto* shown = Shown();
  if (!shown) return inner_.InsertLine(index, text);
  if (index < 0 || index > Count()) return false;
  Changed();
  const int line = index < Count()  ? LineOf(index)
                   : shown->empty() ? inner_.Count()
                                    : shown->back() + 1;
  return inner_.InsertLine(line, text);
}

void FilteredUrlList::RemoveLine(int index) {
  if (!Shown()) {
    inner_.RemoveLine(index);
  } else if (ValidRow(index)) {
    Changed();
    inner_.RemoveLine(LineOf(index));
  }
}

void FilteredUrlList::Clear() {
  Changed();
  text_.clear();
  if (Filtering()) inner_.ShowOnly(std::nullopt);
  inner_.Clear();
}

int FilteredUrlList::ReplaceAll(const std::vector<std::u16string>& lines) {
  const auto* now = Shown();
  if (!now) return inner_.ReplaceAll(lines);
  Changed();
  const std::vector<int> shown = *now;
  const auto hiddenSelected = SelectedLines(false);
  const auto& all = inner_.LineRefs();
  const int top = TopIndex();
  const int focus = FocusIndex();
  const std::size_t hidden = all.size() - shown.size();
  const std::size_t n = std::min(lines.size(), static_cast<std::size_t>(kMaxListLines) - hidden);
  const std::size_t rest = shown.empty() ? all.size() : static_cast<std::size_t>(shown.back()) + 1;
  std::vector<std::u16string> whole;
  whole.reserve(hidden + n);
  std::vector<int> placed;
  placed.reserve(n);
  std::vector<int> reselected;  // where the selected hidden lines go
  reselected.reserve(hiddenSelected.size());
  std::size_t next = 0;   // the next new line
  std::size_t place = 0;  // the next shown line's place
  const auto put = [&] {
    placed.push_back(static_cast<int>(whole.size()));
    whole.push_back(lines[next++]);
  };
  for (std::size_t i = 0; i <= all.size(); ++i) {
    if (i == rest) {
      while (next < n) put();
    }
    if (i == all.size()) break;
    if (place < shown.size() && static_cast<std::size_t>(shown[place]) == i) {
      ++place;
      if (next < n) put();
    } else {
      if (std::binary_search(hiddenSelected.begin(), hiddenSelected.end(), static_cast<int>(i))) {
        reselected.push_back(static_cast<int>(whole.size()));
      }
      whole.push_back(all[i]);
    }
  }
  ListStep step(inner_);  // the view after it belongs to the step
  const int kept = inner_.ReplaceAll(whole);
  if (static_cast<std::size_t>(kept) != whole.size()) return 0;
  inner_.ShowOnly(std::move(placed));
  SetLinesSelected(inner_, reselected, true);
  if (Count() > 0) {
    SetTopIndex(std::clamp(top, 0, Count() - 1));
    SetFocusIndex(std::clamp(focus, 0, Count() - 1));
  }
  return static_cast<int>(n);
}

void FilteredUrlList::RemoveLines(const std::vector<int>& positions) {
  if (!Shown()) {
    inner_.RemoveLines(positions);
    return;
  }
  Changed();
  std::vector<int> lines;
  lines.reserve(positions.size());
  for (const int row : positions) lines.push_back(LineOf(row));
  inner_.RemoveLines(lines);
}

void FilteredUrlList::Reorder(const std::vector<int>& order) {
  const auto* shown = Shown();
  if (!shown) {
    inner_.Reorder(order);
    return;
  }
  Changed();
  std::vector<int> whole(static_cast<std::size_t>(inner_.Count()));
  for (std::size_t i = 0; i < whole.size(); ++i) whole[i] = static_cast<int>(i);
  for (std::size_t row = 0; row < order.size(); ++row) {
    whole[static_cast<std::size_t>((*shown)[row])] = (*shown)[static_cast<std::size_t>(order[row])];
  }
  // The hidden lines stay where they are.
  const auto hiddenSelected = SelectedLines(false);
  ListStep step(inner_);
  inner_.Reorder(whole);
  SetLinesSelected(inner_, hiddenSelected, true);
}

}  // namespace cardo
