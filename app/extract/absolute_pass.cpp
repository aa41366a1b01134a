#include "app/extract/absolute_pass.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

namespace cardo {
namespace {

constexpr std::uint64_t kHashBase = 0x100000001B3ull;

std::uint64_t Key(std::size_t tailLength, std::uint64_t hash) {
  return hash ^ (static_cast<std::uint64_t>(tailLength) * 0x9E3779B97F4A7C15ull);
}

// The line as character codes, or (HTML without "<base") as one byte per character.
std::size_t FindSep(const CodeText& text, std::size_t from = 0) {
  return FindSeparator(text, from);
}
std::size_t FindSep(const std::string& text, std::size_t from = 0) {
  return text.find("://", from);
}
template <typename Char>
std::uint64_t Unit(Char c) {
  return static_cast<std::make_unsigned_t<Char>>(c);
}
template <typename Char>
bool IsUrl(Char c) {
  return IsUrlChar(static_cast<char16_t>(Unit(c)), false);
}

// Ids by 64-bit key, several per key, in one flat table probed linearly: no allocation per
// entry, and a lookup touches one stretch of memory.
class FlatIndex {
 public:
  void Add(std::uint64_t key, std::uint32_t id) {
    if ((count_ + 1) * 2 > slots_.size()) Grow();
    Place(key | 1, id);  // an odd key, so that 0 marks an empty slot
    ++count_;
  }
  template <typename Visit>
  void Find(std::uint64_t key, Visit visit) const {
    if (slots_.empty()) return;
    key |= 1;
    for (std::size_t i = Home(key); slots_[i].key; i = (i + 1) & (slots_.size() - 1)) {
      if (slots_[i].key == key) visit(slots_[i].id);
    }
  }

 private:
  struct Slot {
    std::uint64_t key = 0;
    std::uint32_t id = 0;
  };
  // The keys are polynomial hashes, whose low bits vary little between similar texts: they
  // are mixed before they pick a slot.
  std::size_t Home(std::uint64_t key) const {
    key ^= key >> 33;
    key *= 0xFF51AFD7ED558CCDull;
    key ^= key >> 33;
    return static_cast<std::size_t>(key) & (slots_.size() - 1);
  }
  void Place(std::uint64_t key, std::uint32_t id) {
    std::size_t i = Home(key);
    while (slots_[i].key) i = (i + 1) & (slots_.size() - 1);
    slots_[i] = {key, id};
  }
  void Grow() {
    std::vector<Slot> old(std::max<std::size_t>(64, slots_.size() * 2));
    old.swap(slots_);
    for (const Slot& slot : old) {
      if (slot.key) Place(slot.key, slot.id);
    }
  }
  std::vector<Slot> slots_;
  std::size_t count_ = 0;
};

// The URLs found so far on the line, in order, each findable by the text from its first "://"
// to its end (its tail): an occurrence of a URL inside other text aligns that "://" with one
// of the text's "://", so the tails of every length the dictionary holds are looked up there.
template <typename Text>
class UrlDictionary {
 public:
  struct Url {
    Text text;
    std::size_t head;  // characters before its first "://"
  };

  bool Empty() const { return urls_.empty(); }
  const Url& operator[](std::size_t id) const { return urls_[id]; }
  std::size_t Longest() const { return longest_; }

  void Add(const Text& text) {
    const std::size_t head = FindSep(text);
    const std::size_t tail = text.size() - head;
    std::uint64_t hash = 0;
    for (std::size_t i = head; i < text.size(); ++i) hash = hash * kHashBase + Unit(text[i]);
    byTail_.Add(Key(tail, hash), static_cast<std::uint32_t>(urls_.size()));
    if (tail >= hasTail_.size()) hasTail_.resize(tail + 1, false);
    hasTail_[tail] = true;
    longest_ = std::max(longest_, text.size());
    urls_.push_back({text, head});
  }

  // Calls visit(id, start) for every URL that stands in `text` at `start` with its first
  // "://" at `at`.
  template <typename Visit>
  void MatchesAt(const Text& text, std::size_t at, Visit visit) const {
    std::uint64_t hash = 0;
    const std::size_t end = std::min(text.size(), at + hasTail_.size() - 1);
    for (std::size_t i = at; i < end; ++i) {
      hash = hash * kHashBase + Unit(text[i]);
      const std::size_t tail = i + 1 - at;
      if (!hasTail_[tail]) continue;
      byTail_.Find(Key(tail, hash), [&](std::uint32_t id) {
        const Url& url = urls_[id];
        if (url.head > at) return;
        const std::size_t start = at - url.head;
        if (text.compare(start, url.text.size(), url.text) == 0) visit(id, start);
      });
    }
  }

 private:
  std::vector<Url> urls_;
  FlatIndex byTail_;
  std::vector<bool> hasTail_;
  std::size_t longest_ = 0;
};

template <typename Text, typename Visit>
void ForEachSeparator(const Text& text, Visit visit) {
  for (std::size_t at = FindSep(text); at != Text::npos; at = FindSep(text, at + 1)) {
    visit(at);
  }
}

// The characters of a run deleted so far, as merged ranges.
class DeadRanges {
 public:
  bool Touches(std::size_t start, std::size_t end) const {
    auto it = ranges_.upper_bound(start);
    if (it != ranges_.begin() && std::prev(it)->second > start) return true;
    return it != ranges_.end() && it->first < end;
  }
  void Add(std::size_t start, std::size_t end) {
    auto it = ranges_.upper_bound(start);
    if (it != ranges_.begin() && std::prev(it)->second >= start) {
      --it;
      start = it->first;
      end = std::max(end, it->second);
      it = ranges_.erase(it);
    }
    while (it != ranges_.end() && it->first <= end) {
      end = std::max(end, it->second);
      it = ranges_.erase(it);
    }
    ranges_.emplace(start, end);
  }
  // The live characters around the gap between `left` and `right`, up to `count` on each side,
  // and where the gap lies among them.
  template <typename Text>
  Text Around(const Text& text, std::size_t left, std::size_t right, std::size_t count,
              std::size_t& gap) const {
    // Each walk keeps the nearest deleted range in hand instead of looking it up per character.
    Text before;
    auto next = ranges_.upper_bound(left);  // the ranges before it may hold what is left of `left`
    for (std::size_t i = left; i > 0 && before.size() < count;) {
      if (next != ranges_.begin() && std::prev(next)->second > i - 1) {
        --next;
        i = next->first;
        continue;
      }
      before.push_back(text[--i]);
    }
    std::reverse(before.begin(), before.end());
    gap = before.size();
    auto ahead = ranges_.upper_bound(right);
    if (ahead != ranges_.begin() && std::prev(ahead)->second > right) --ahead;
    for (std::size_t i = right; i < text.size() && before.size() < gap + count;) {
      if (ahead != ranges_.end() && ahead->first <= i) {
        i = std::max(i, ahead->second);
        ++ahead;
        continue;
      }
      before.push_back(text[i++]);
    }
    return before;
  }
  template <typename Text>
  Text Live(const Text& text) const {
    Text out;
    std::size_t from = 0;
    for (const auto& [start, end] : ranges_) {
      out.append(text, from, start - from);
      from = end;
    }
    out.append(text, from, Text::npos);
    return out;
  }

 private:
  std::map<std::size_t, std::size_t> ranges_;
};

// The deletions of the earlier URLs, each in its turn, done one URL at a time: exact whatever
// the text, and quadratic when many URLs stand in one run.
template <typename Text>
void DeleteLiterally(Text& text, const UrlDictionary<Text>& urls) {
  std::size_t done = 0;  // the URLs before this one have had their turn
  for (;;) {
    std::size_t next = SIZE_MAX;
    ForEachSeparator(text, [&](std::size_t at) {
      urls.MatchesAt(text, at, [&](std::size_t id, std::size_t) {
        if (id >= done) next = std::min(next, id);
      });
    });
    if (next == SIZE_MAX) return;
    DeleteAll(text, urls[next].text);
    done = next + 1;
  }
}

// Applies to a run the deletions the earlier URLs of the line make, in their order. The
// occurrences are found once in the run as it stands; they are deleted URL by URL without
// moving text, and only a deletion that makes a new occurrence of a later URL where two pieces
// meet sends the run the literal way.
template <typename Text>
void DeleteEarlierUrls(Text& text, const UrlDictionary<Text>& urls) {
  struct Found {
    std::size_t id;
    std::size_t start;
  };
  std::vector<Found> found;
  ForEachSeparator(text, [&](std::size_t at) {
    urls.MatchesAt(text, at, [&](std::size_t id, std::size_t start) {
      found.push_back({id, start});
    });
  });
  if (found.empty()) return;
  std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
    return a.id != b.id ? a.id < b.id : a.start < b.start;
  });
  DeadRanges dead;
  for (std::size_t k = 0; k < found.size();) {
    const std::size_t id = found[k].id;
    const std::size_t length = urls[id].text.size();
    std::vector<std::size_t> joins;
    for (; k < found.size() && found[k].id == id; ++k) {
      const std::size_t start = found[k].start;
      if (dead.Touches(start, start + length)) continue;
      dead.Add(start, start + length);
      joins.push_back(start);
    }
    for (const std::size_t start : joins) {
      std::size_t gap = 0;
      const Text near = dead.Around(text, start, start + length, urls.Longest(), gap);
      bool made = false;
      ForEachSeparator(near, [&](std::size_t at) {
        urls.MatchesAt(near, at, [&](std::size_t other, std::size_t from) {
          made = made || (other > id && from < gap && from + urls[other].text.size() > gap);
        });
      });
      if (made) {
        DeleteLiterally(text, urls);
        return;
      }
    }
  }
  text = dead.Live(text);
}

template <typename Text>
void AbsolutePassOn(Text& line, const std::function<void(const Text&)>& emit) {
  if (FindSep(line) == Text::npos) return;
  // The runs of URL characters that hold "://", with the text between them. Other runs can
  // neither become URLs nor hold one, so they stay part of the text in between.
  struct Run {
    std::size_t start, end;
  };
  std::vector<Run> runs;
  std::size_t done = 0;
  for (std::size_t at = FindSep(line); at != Text::npos; at = FindSep(line, done)) {
    std::size_t start = at;
    while (start > done && IsUrl(line[start - 1])) --start;
    std::size_t end = at + 3;
    while (end < line.size() && IsUrl(line[end])) ++end;
    runs.push_back({start, end});
    done = end;
  }

  // The line is shortened in place: what is kept of it never outgrows what was read.
  UrlDictionary<Text> urls;
  std::size_t kept = 0;    // the shortened line so far is line[0, kept)
  std::size_t copied = 0;  // the line up to here has been taken
  auto keep = [&](const typename Text::value_type* from, std::size_t count) {
    std::copy(from, from + count, line.begin() + static_cast<std::ptrdiff_t>(kept));
    kept += count;
  };
  for (std::size_t r = 0; r < runs.size(); ++r) {
    Text text = line.substr(runs[r].start, runs[r].end - runs[r].start);
    if (!urls.Empty()) DeleteEarlierUrls(text, urls);
    keep(line.data() + copied, runs[r].start - copied);
    copied = runs[r].end;
    const std::size_t pos = FindSep(text);
    // "://" at the very start of the line ends the pass, as does a separator at its very end.
    const bool atLineStart = r == 0 && runs[0].start == 0 && pos == 0;
    const std::size_t sepLength =
        pos != Text::npos && pos + 3 < text.size() && text[pos + 3] == '/' ? 4 : 3;
    const bool atLineEnd = pos != Text::npos && pos + sepLength >= text.size() &&
                           r + 1 == runs.size() && runs[r].end == line.size();
    if (pos == Text::npos || atLineStart || atLineEnd) {
      keep(text.data(), text.size());
      if (atLineStart) break;
      continue;
    }
    emit(text);
    urls.Add(text);
  }
  keep(line.data() + copied, line.size() - copied);
  line.resize(kept);
}

}  // namespace

void AbsolutePass(CodeText& line, const std::function<void(const CodeText&)>& emit) {
  AbsolutePassOn(line, emit);
}

void AbsolutePass(std::string& line, const std::function<void(const std::string&)>& emit) {
  AbsolutePassOn(line, emit);
}

}  // namespace cardo
