#include "app/list/link_pages.h"

namespace cardo {

std::u16string_view LinkPages::PageOf(std::u16string_view line) const {
  const auto found = pageOf_.find(std::u16string(line));
  return found == pageOf_.end() ? std::u16string_view()
                                : std::u16string_view(pages_[found->second]);
}

void LinkPages::Record(std::span<const std::u16string> lines, std::u16string_view page,
                       const std::vector<std::u16string>& listed) {
  if (page.empty() || lines.empty()) return;
  std::size_t units = 0;
  for (const auto& line : lines) units += line.size();
  Bound(lines.size(), units, listed);
  const std::uint32_t id = Intern(page);
  for (const auto& line : lines) {
    if (pageOf_.insert_or_assign(line, id).second) units_ += line.size();
  }
}

void LinkPages::Carry(std::u16string_view from, std::u16string_view to,
                      const std::vector<std::u16string>& listed) {
  if (from == to || PageOf(from).empty()) return;
  Bound(1, to.size(), listed);
  const auto found = pageOf_.find(std::u16string(from));
  if (found == pageOf_.end()) return;  // forgotten: `from` was no longer listed
  if (pageOf_.insert_or_assign(std::u16string(to), found->second).second) units_ += to.size();
}

void LinkPages::Clear() {
  pages_.clear();
  pageIds_.clear();
  pageOf_.clear();
  units_ = 0;
}

void LinkPages::Bound(std::size_t lines, std::size_t units,
                      const std::vector<std::u16string>& listed) {
  if (pageOf_.size() + lines <= kMaxLines && units_ + units <= kMaxListUnits) return;
  LinkPages kept;
  for (const auto& line : listed) {
    const auto found = pageOf_.find(line);
    if (found == pageOf_.end()) continue;
    const std::uint32_t id = kept.Intern(pages_[found->second]);
    if (kept.pageOf_.try_emplace(line, id).second) kept.units_ += line.size();
  }
  *this = std::move(kept);
}

std::uint32_t LinkPages::Intern(std::u16string_view page) {
  const auto [at, added] =
      pageIds_.try_emplace(std::u16string(page), static_cast<std::uint32_t>(pages_.size()));
  if (added) pages_.emplace_back(page);
  return at->second;
}

}  // namespace cardo
