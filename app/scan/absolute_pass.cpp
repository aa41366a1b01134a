#include "app/scan/absolute_pass.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "app/text/utf8_text.h"
#include "app/platform/code_page_table.h"

namespace cardo {
namespace {

bool IsUrl(char c) {
  return IsHtmlUrlUnit(static_cast<unsigned char>(c));
}

bool IsUtf8Byte(unsigned char b) {
  return b >= 0x80 && b < kFirstValueUnit;
}

// Calls take(byte) for each byte of the run as its URL is written: a character the code page
// lacks as its percent-encoded bytes (AppendUrlCharacter), so that such a character and the
// same bytes written out percent-encoded are one URL, as they are in the list.
template <typename Take>
void ForEachWrittenByte(std::string_view run, Take take) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const auto* d = reinterpret_cast<const unsigned char*>(run.data());
  for (std::size_t i = 0; i < run.size();) {
    if (!IsUtf8Byte(d[i])) {
      take(d[i++]);
      continue;
    }
    // The form holds whole, valid sequences only.
    const std::size_t length = std::max<std::size_t>(Utf8SequenceLength(d, i, run.size()), 1);
    const bool held = CodePageTable::Get().Holds(Utf8SequenceValue(d, i, length));
    for (std::size_t k = 0; k < length; ++k, ++i) {
      if (held) {
        take(d[i]);
      } else {
        take('%');
        take(kHex[d[i] >> 4]);
        take(kHex[d[i] & 0xF]);
      }
    }
  }
}

std::string WrittenBytes(std::string_view run) {
  std::string written;
  ForEachWrittenByte(run, [&](unsigned char b) { written.push_back(static_cast<char>(b)); });
  return written;
}

// Not a polynomial hash: those collide on known families of texts (Thue-Morse strings) for
// every base, which a page could use to make every lookup compare long texts. It hashes the
// run as written.
std::uint64_t Hash(std::string_view run) {
  std::uint64_t h = 0x9E3779B97F4A7C15ull;
  std::size_t size = 0;
  ForEachWrittenByte(run, [&](unsigned char b) {
    h = (h ^ b) * 0xFF51AFD7ED558CCDull;
    h ^= h >> 29;
    ++size;
  });
  return h ^ size;
}

// Whether two runs give one URL.
bool SameUrl(std::string_view a, std::string_view b) {
  if (a == b) return true;
  const auto beyondAscii = [](std::string_view run) {
    return std::any_of(run.begin(), run.end(),
                       [](char c) { return IsUtf8Byte(static_cast<unsigned char>(c)); });
  };
  return (beyondAscii(a) || beyondAscii(b)) && WrittenBytes(a) == WrittenBytes(b);
}

// The runs already found, by their place in the line as read, in one flat table probed
// linearly and kept at most three quarters full. `Index` holds a place in the line: 32 bits
// for every line shorter than 4 GiB, so a slot takes twelve bytes and a line packed with short
// URLs costs about its own size again. Runs are told apart as the URLs they give.
template <typename Index>
class FoundRuns {
 public:
  explicit FoundRuns(std::string_view line) : line_(line) {}

  // True when the run is new; it is remembered then unless `lookOnly`.
  bool Insert(std::size_t start, std::size_t length, bool lookOnly = false) {
    if ((count_ + 1) * 4 > slots_.size() * 3) Grow();
    const std::string_view run = line_.substr(start, length);
    const Index hash = static_cast<Index>(Hash(run)) | 1;  // odd: 0 marks an empty slot
    const std::size_t mask = slots_.size() - 1;
    std::size_t i = static_cast<std::size_t>(hash) & mask;
    for (; slots_[i].hash; i = (i + 1) & mask) {
      const Slot& s = slots_[i];
      if (s.hash == hash && SameUrl(line_.substr(s.start, s.length), run)) return false;
    }
    if (lookOnly) return true;
    slots_[i] = {hash, static_cast<Index>(start), static_cast<Index>(length)};
    ++count_;
    return true;
  }

 private:
  struct Slot {
    Index hash = 0;
    Index start = 0;
    Index length = 0;
  };
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
  std::string_view line_;
  std::vector<Slot> slots_;
  std::size_t count_ = 0;
};

// Calls visit(start, end, last) for each run of URL characters that holds "://", left to
// right, until it returns false. It stops at a "://" at the very start of the line; a run whose
// first "://" ends the line comes with `last` set.
template <typename Visit>
void ForEachUrlRun(std::string_view line, Visit visit) {
  std::size_t done = 0;
  for (std::size_t at = line.find("://"); at != std::string_view::npos;
       at = line.find("://", done)) {
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
template <typename Index>
std::size_t EmitNewRuns(std::string_view line, const std::function<void(std::string_view)>& emit) {
  std::size_t runs = 0;
  FoundRuns<Index> found(line);
  ForEachUrlRun(line, [&](std::size_t start, std::size_t end, bool last) {
    // A separator with nothing after it at the end of the line ends the pass, unless the run
    // repeats an earlier URL (whose turn deleted it).
    if (last) {
      if (found.Insert(start, end - start, true)) return false;
    } else if (found.Insert(start, end - start)) {
      emit(line.substr(start, end - start));
    }
    ++runs;
    return true;
  });
  return runs;
}

}  // namespace

void AbsolutePass(std::string& line, const std::function<void(std::string_view)>& emit) {
  const std::string_view view(line);
  std::size_t runs = line.size() <= std::numeric_limits<std::uint32_t>::max()
                         ? EmitNewRuns<std::uint32_t>(view, emit)
                         : EmitNewRuns<std::size_t>(view, emit);
  if (runs == 0) return;
  // Every run the walk visited is a URL or a repeat of one, and goes. The line is shortened in
  // place: what is kept is written behind what is still read.
  std::size_t kept = 0;
  std::size_t copied = 0;
  auto keep = [&](std::size_t end) {
    std::char_traits<char>::move(line.data() + kept, line.data() + copied, end - copied);
    kept += end - copied;
  };
  ForEachUrlRun(view, [&](std::size_t start, std::size_t end, bool) {
    if (runs == 0) return false;
    --runs;
    keep(start);
    copied = end;
    return true;
  });
  keep(line.size());
  line.resize(kept);
}

}  // namespace cardo
