#include "app/extract/absolute_pass.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

namespace cardo {
namespace {

// Index keys cover the text from a "://" onward for every length up to this many characters.
constexpr std::size_t kKeyLength = 48;

struct Run {
  std::size_t gapBefore;  // the non-URL text before this run, as a position in the line
  std::size_t gapLength;
  CodeText text;
  std::uint32_t version = 0;
};

struct Entry {
  std::size_t run;
  std::uint32_t version;
  std::size_t offset;  // of the "://" in the run's text
};

std::uint64_t Mix(std::uint64_t h, char16_t c) {
  return (h ^ c) * 1099511628211ull;
}

class RunIndex {
 public:
  void Add(const std::vector<Run>& runs, std::size_t r) {
    const CodeText& text = runs[r].text;
    for (std::size_t at = text.find(u"://"); at != CodeText::npos; at = text.find(u"://", at + 1)) {
      std::uint64_t h = 1469598103934665603ull;
      for (std::size_t len = 1; len <= kKeyLength && at + len <= text.size(); ++len) {
        h = Mix(h, text[at + len - 1]);
        entries_[Key(h, len)].push_back({r, runs[r].version, at});
      }
    }
  }

  // Runs after `after` that hold `url` aligned with its first "://".
  std::vector<std::size_t> RunsHolding(const std::vector<Run>& runs, const CodeText& url,
                                       std::size_t after) const {
    std::vector<std::size_t> found;
    const std::size_t a = url.find(u"://");
    const std::size_t len = std::min(kKeyLength, url.size() - a);
    std::uint64_t h = 1469598103934665603ull;
    for (std::size_t k = 0; k < len; ++k) h = Mix(h, url[a + k]);
    const auto it = entries_.find(Key(h, len));
    if (it == entries_.end()) return found;
    for (const Entry& e : it->second) {
      if (e.run <= after || runs[e.run].version != e.version) continue;
      const CodeText& text = runs[e.run].text;
      if (e.offset < a || text.compare(e.offset - a, url.size(), url) != 0) continue;
      found.push_back(e.run);
    }
    // One entry per "://": a run holding the URL twice is still changed once, in one pass.
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
  }

 private:
  static std::uint64_t Key(std::uint64_t h, std::size_t len) { return h * 31 + len; }
  std::unordered_map<std::uint64_t, std::vector<Entry>> entries_;
};

// The runs of URL characters that hold "://", with the text between them. Other runs can
// neither become URLs nor hold one, so they stay part of the text in between.
std::vector<Run> SplitRuns(const CodeText& line, CodeText& tail) {
  std::vector<Run> runs;
  std::size_t done = 0;  // end of the last run
  for (std::size_t at = line.find(u"://"); at != CodeText::npos; at = line.find(u"://", done)) {
    std::size_t start = at;
    while (start > done && IsUrlChar(line[start - 1], false)) --start;
    std::size_t end = at + 3;
    while (end < line.size() && IsUrlChar(line[end], false)) ++end;
    runs.push_back({done, start - done, line.substr(start, end - start)});
    done = end;
  }
  tail = line.substr(done);
  return runs;
}

}  // namespace

void AbsolutePass(CodeText& line, const std::function<void(const CodeText&)>& emit) {
  if (line.find(u"://") == CodeText::npos) return;
  CodeText tail;
  std::vector<Run> runs = SplitRuns(line, tail);
  RunIndex index;
  for (std::size_t r = 0; r < runs.size(); ++r) index.Add(runs, r);

  const bool lineStartsWithRun = !runs.empty() && runs[0].gapLength == 0;
  for (std::size_t r = 0; r < runs.size(); ++r) {
    const std::size_t pos = runs[r].text.find(u"://");
    if (pos == CodeText::npos) continue;
    // "://" at the very start of the line ends the pass, as does a separator at its very end.
    if (r == 0 && lineStartsWithRun && pos == 0) break;
    const CodeText& text = runs[r].text;
    const std::size_t sepLength = text.compare(pos, 4, u":///") == 0 ? 4 : 3;
    if (pos + sepLength >= text.size() && r + 1 == runs.size() && tail.empty()) break;

    const CodeText url = text;
    for (const std::size_t holder : index.RunsHolding(runs, url, r)) {
      DeleteAll(runs[holder].text, url);
      ++runs[holder].version;
      index.Add(runs, holder);
    }
    runs[r].text.clear();
    ++runs[r].version;
    emit(url);
  }

  CodeText shortened;
  shortened.reserve(line.size());
  for (const Run& run : runs) {
    shortened.append(line, run.gapBefore, run.gapLength);
    shortened.append(run.text);
  }
  shortened.append(tail);
  line.swap(shortened);
}

}  // namespace cardo
