#pragma once
// The page each list line was found on, for the lines extraction from a downloaded page and a
// paste of links added, held while the program runs (list files hold no pages). Keyed by the
// line's text, so a line keeps its page through every command that moves, copies or restores
// text unchanged: sort, duplicate removal, cut and paste, undo and redo. Any line of that text
// has the page, a hand-typed one included: it is the same address.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "app/list/url_list.h"

namespace cardo {

class LinkPages {
 public:
  // Texts remembered beyond what the list shows (deleted lines, for an undo) are forgotten once
  // this many are held, or their code units pass kMaxListUnits; a list holds at most half as
  // many lines, and no more units.
  static constexpr std::size_t kMaxLines = 2 * kMaxListLines;

  // The page `line` was found on; empty when none is known. Valid until the next change.
  std::u16string_view PageOf(std::u16string_view line) const;
  // Remembers `page` for each of `lines` (a later page replaces an earlier one); an empty page
  // records nothing. `listed` is the list as it is now, the lines kept when the bound is met.
  void Record(std::span<const std::u16string> lines, std::u16string_view page,
              const std::vector<std::u16string>& listed);
  // A line rewritten from `from` to `to` (a replace, the one-line edit) keeps its page; `from`
  // keeps it too, for an undo. Nothing when `from` has none.
  void Carry(std::u16string_view from, std::u16string_view to,
             const std::vector<std::u16string>& listed);
  // A new or opened list starts with no pages.
  void Clear();
  std::size_t Size() const { return pageOf_.size(); }

 private:
  // Before `lines` more texts of `units` code units are held: when that would pass a bound, the
  // texts not in `listed` are forgotten, and the pages no text uses. Linear in what is held; at
  // most once per kMaxLines / 2 new texts. Page numbers change then.
  void Bound(std::size_t lines, std::size_t units, const std::vector<std::u16string>& listed);
  std::uint32_t Intern(std::u16string_view page);

  // Each page once, however many links it holds.
  std::vector<std::u16string> pages_;
  std::unordered_map<std::u16string, std::uint32_t> pageIds_;
  std::unordered_map<std::u16string, std::uint32_t> pageOf_;
  std::size_t units_ = 0;  // of the texts in pageOf_
};

}  // namespace cardo
