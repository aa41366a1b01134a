#include "app/scan/absolute_pass.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <type_traits>
#include <vector>

namespace cardo {
namespace {

template <typename Char>
using View = std::basic_string_view<Char>;

std::size_t FindSep(View<char16_t> text, std::size_t from) {
  return FindSeparator(text, from);
}
std::size_t FindSep(View<char> text, std::size_t from) {
  return text.find("://", from);
}
template <typename Char>
bool IsUrl(Char c) {
  return IsHtmlUrlUnit(static_cast<char16_t>(static_cast<std::make_unsigned_t<Char>>(c)));
}

// Not a polynomial hash: those collide on known families of texts (Thue-Morse strings) for
// every base, which a page could use to make every lookup compare long texts.
template <typename Char>
std::uint64_t Hash(View<Char> text) {
  std::uint64_t h = 0x9E3779B97F4A7C15ull ^ text.size();
  for (const Char c : text) {
    h = (h ^ static_cast<std::make_unsigned_t<Char>>(c)) * 0xFF51AFD7ED558CCDull;
    h ^= h >> 29;
  }
  return h;
}

// The runs already found, by their place in the line as read, in one flat table probed
// linearly and kept at most three quarters full. `Index` holds a place in the line: 32 bits
// for every line shorter than 4 GiB, so a slot takes twelve bytes and a line packed with short
// URLs costs about its own size again. In the one-byte form a run's characters beyond ASCII
// all read as one marker: on a line that holds markers (`Marked`) two runs are the same URL
// only when their markers' codes are too, and a slot also keeps where its markers start.
template <typename Char, typename Index, bool Marked>
class FoundRuns {
 public:
  FoundRuns(View<Char> line, std::u16string_view markers) : line_(line), markers_(markers) {}

  // True when the run is new; it is remembered then unless `lookOnly`. Its markers are
  // markers[firstMarker, firstMarker + markerCount).
  bool Insert(std::size_t start, std::size_t length, std::size_t firstMarker,
              std::size_t markerCount, bool lookOnly = false) {
    if ((count_ + 1) * 4 > slots_.size() * 3) Grow();
    const View<Char> run = line_.substr(start, length);
    const std::u16string_view codes = markers_.substr(firstMarker, markerCount);
    std::uint64_t full = Hash(run);
    if (!codes.empty()) full ^= Hash(codes) * 0x9E3779B97F4A7C15ull;
    const Index hash = static_cast<Index>(full) | 1;  // odd: 0 marks an empty slot
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = static_cast<std::size_t>(hash) & mask;
    for (; slots_[i].hash; i = (i + 1) & mask) {
      const Slot& s = slots_[i];
      if (s.hash != hash || s.length != length || line_.substr(s.start, length) != run) continue;
      if constexpr (Marked) {
        if (markers_.substr(s.firstMarker, markerCount) != codes) continue;
      }
      return false;
    }
    if (lookOnly) return true;
    Slot& slot = slots_[i];
    slot.hash = hash;
    slot.start = static_cast<Index>(start);
    slot.length = static_cast<Index>(length);
    if constexpr (Marked) slot.firstMarker = static_cast<Index>(firstMarker);
    ++count_;
    return true;
  }

 private:
  struct PlainSlot {
    Index hash = 0;
    Index start = 0;
    Index length = 0;
  };
  struct MarkedSlot : PlainSlot {
    Index firstMarker = 0;
  };
  using Slot = std::conditional_t<Marked, MarkedSlot, PlainSlot>;
  void Grow() {
    std::vector<Slot> old(slots_.empty() ? 64 : slots_.size() * 2);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& s : old) {
      if (!s.hash) continue;
      std::size_t i = static_cast<std::size_t>(s.hash) & mask;
      while (slots_[i].hash) i = (i + 1) & mask;
      slots_[i] = s;
    }
  }
  View<Char> line_;
  std::u16string_view markers_;
  std::vector<Slot> slots_;
  std::size_t count_ = 0;
};

// Calls visit(start, end, last) for each run of URL characters that holds "://", left to
// right, until it returns false. It stops at a "://" at the very start of the line; a run whose
// first "://" ends the line comes with `last` set.
template <typename Char, typename Visit>
void ForEachUrlRun(View<Char> line, Visit visit) {
  std::size_t done = 0;
  for (std::size_t at = FindSep(line, 0); at != View<Char>::npos; at = FindSep(line, done)) {
    if (at == 0) return;
    const std::size_t sepLength = at + 3 < line.size() && line[at + 3] == '/' ? 4 : 3;
    std::size_t start = at;
    while (start > done && IsUrl(line[start - 1])) --start;
    std::size_t end = at + 3;
    while (end < line.size() && IsUrl(line[end])) ++end;
    if (!visit(start, end, at + sepLength >= line.size())) return;
    done = end;
  }
}

// The walk that hands on each new URL; returns how many runs it visited.
template <typename Index, bool Marked, typename Char, typename Emit>
std::size_t EmitNewRuns(View<Char> view, const CodeText* markers, const Emit& emit) {
  constexpr bool marked = Marked;
  std::size_t runs = 0;
  const std::u16string_view allMarkers = marked ? std::u16string_view(*markers) : u"";
  FoundRuns<Char, Index, Marked> found(view, allMarkers);
  MarkerCursor cursor(
      marked ? std::string_view(reinterpret_cast<const char*>(view.data()), view.size())
             : std::string_view());
  ForEachUrlRun(view, [&](std::size_t start, std::size_t end, bool last) {
    std::size_t first = 0;
    std::size_t count = 0;
    if (marked) {
      first = cursor.Before(start);
      count = cursor.Before(end) - first;
    }
    // A separator with nothing after it at the end of the line ends the pass, unless the run
    // repeats an earlier URL (whose turn deleted it).
    if (last) {
      if (found.Insert(start, end - start, first, count, true)) return false;
    } else if (found.Insert(start, end - start, first, count)) {
      emit(view.substr(start, end - start), allMarkers.substr(first, count));
    }
    ++runs;
    return true;
  });
  return runs;
}

// `markers`, for the one-byte form only, holds the codes of the line's markers.
template <typename Char, typename Emit>
void AbsolutePassOn(std::basic_string<Char>& line, CodeText* markers, const Emit& emit) {
  const View<Char> view(line);
  const bool marked = markers && !markers->empty();
  std::size_t runs = line.size() <= std::numeric_limits<std::uint32_t>::max()
                         ? (marked ? EmitNewRuns<std::uint32_t, true>(view, markers, emit)
                                   : EmitNewRuns<std::uint32_t, false>(view, markers, emit))
                         : (marked ? EmitNewRuns<std::size_t, true>(view, markers, emit)
                                   : EmitNewRuns<std::size_t, false>(view, markers, emit));
  if (runs == 0) return;
  // Every run the walk visited is a URL or a repeat of one, and goes, with its markers. The
  // line is shortened in place: what is kept is written behind what is still read.
  std::size_t kept = 0;
  std::size_t copied = 0;
  MarkerCursor cursor(
      marked ? std::string_view(reinterpret_cast<const char*>(line.data()), line.size())
             : std::string_view());
  std::size_t keptMarkers = 0;
  std::size_t copiedMarkers = 0;
  auto keep = [&](std::size_t end) {
    if (marked) {  // counted before the text moves over it
      const std::size_t until = cursor.Before(end);
      std::char_traits<char16_t>::move(markers->data() + keptMarkers,
                                       markers->data() + copiedMarkers, until - copiedMarkers);
      keptMarkers += until - copiedMarkers;
      copiedMarkers = until;
    }
    std::char_traits<Char>::move(line.data() + kept, line.data() + copied, end - copied);
    kept += end - copied;
  };
  ForEachUrlRun(view, [&](std::size_t start, std::size_t end, bool) {
    if (runs == 0) return false;
    --runs;
    keep(start);
    copied = end;
    if (marked) copiedMarkers = cursor.Before(end);
    return true;
  });
  keep(line.size());
  line.resize(kept);
  if (marked) markers->resize(keptMarkers);
}

}  // namespace

std::size_t MarkerCursor::Before(std::size_t pos) {
  // Markers are few in most lines: the library's search jumps from one to the next.
  while (pos_ < pos) {
    const void* found = std::memchr(line_.data() + pos_, kMarkerUnit, pos - pos_);
    if (!found) break;
    ++count_;
    pos_ = static_cast<std::size_t>(static_cast<const char*>(found) - line_.data()) + 1;
  }
  pos_ = pos;
  return count_;
}

void AbsolutePass(CodeText& line, const std::function<void(std::u16string_view)>& emit) {
  AbsolutePassOn(line, nullptr, [&](std::u16string_view url, std::u16string_view) { emit(url); });
}

void AbsolutePass(std::string& line, CodeText& markers,
                  const std::function<void(std::string_view, std::u16string_view)>& emit) {
  AbsolutePassOn(line, &markers, emit);
}

}  // namespace cardo
