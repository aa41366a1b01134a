#include "app/scan/text_scan.h"

#include <algorithm>
#include <deque>
#include <vector>

#include "app/scan/url_characters.h"
#include "app/platform/lower_case.h"
#include "app/platform/word_matcher.h"

namespace cardo {
namespace {

// Finds the protocol in a line whose letters are compared lower-cased. A short protocol that
// holds a unit nothing else lower-cases to (":" of "http://") is found by looking for that
// unit four at a time and checking the rest around it; others go through the linear matcher.
class ProtocolFinder {
 public:
  explicit ProtocolFinder(const std::u16string& protocol)
      : protocol_(protocol), matcher_(protocol, LowerUnit) {
    for (std::size_t k = 0; k < protocol.size() && protocol.size() <= 16; ++k) {
      const char16_t c = protocol[k];
      if (c < 0x80 && !(c >= u'a' && c <= u'z') && !(c >= u'A' && c <= u'Z')) {
        anchor_ = k;
        break;
      }
    }
  }

  std::size_t Find(const std::u16string& line, std::size_t from = 0) const {
    if (anchor_ == std::u16string::npos) return matcher_.Find(line, from);
    const std::size_t m = protocol_.size();
    for (std::size_t at = FindUnit(line, protocol_[anchor_], from + anchor_);
         at != std::u16string::npos; at = FindUnit(line, protocol_[anchor_], at + 1)) {
      const std::size_t start = at - anchor_;
      if (start + m > line.size()) return std::u16string::npos;
      std::size_t k = 0;
      while (k < m && LowerUnit(line[start + k]) == protocol_[k]) ++k;
      if (k == m) return start;
    }
    return std::u16string::npos;
  }

 private:
  const std::u16string& protocol_;
  WordMatcher matcher_;
  std::size_t anchor_ = std::u16string::npos;
};

// A URL this long that fills most of its line takes over the line's memory instead of a copy,
// so that the two are never held at once.
constexpr std::size_t kLongUrl = 1 << 16;

// The URL's first piece, line[d, stop) with the protocol as typed in front of it, into `url`.
// Returns where the piece ends in `line`, which may now hold only what followed it.
std::size_t TakeFirstPiece(std::u16string& line, std::size_t d, std::size_t stop,
                           const std::u16string& protocol, std::u16string& url) {
  if (stop - d >= kLongUrl && stop - d >= line.size() - stop) {
    std::u16string rest = line.substr(stop);
    line.resize(stop);
    line.erase(0, d);
    std::copy(protocol.begin(), protocol.end(), line.begin());
    url.swap(line);
    line.swap(rest);
    return 0;
  }
  url.assign(protocol);
  url.append(line, d + protocol.size(), stop - d - protocol.size());
  return stop;
}

// The protocols looked for at once. Each one's next place in the current line is kept, so a
// line is walked once per protocol however many URLs it holds.
class ProtocolSet {
 public:
  struct Match {
    std::size_t at = std::u16string::npos;
    const std::u16string* protocol = nullptr;
  };

  explicit ProtocolSet(const ExtractOptions& options) {
    std::vector<std::u16string> texts;
    texts.push_back(options.protocol);
    for (const auto& p : options.moreProtocols) texts.push_back(p);
    // Longest first, so that of two protocols standing at the same place the longer one wins.
    std::stable_sort(
        texts.begin(), texts.end(),
        [](const std::u16string& a, const std::u16string& b) { return a.size() > b.size(); });
    for (auto& text : texts) {
      // An empty protocol would match at every position and find nothing worth having.
      if (text.empty() || std::find(texts_.begin(), texts_.end(), text) != texts_.end()) continue;
      texts_.push_back(std::move(text));
    }
    for (const auto& text : texts_) finders_.emplace_back(text);
  }

  bool empty() const { return texts_.empty(); }

  // The cached places belong to one line's content: call after every change of it.
  void NewLine() { next_.assign(texts_.size(), kUnknown); }

  // The first protocol at or after `from`; of the line given since NewLine.
  Match Find(const std::u16string& line, std::size_t from) {
    Match best;
    for (std::size_t k = 0; k < texts_.size(); ++k) {
      if (next_[k] == kUnknown || (next_[k] != std::u16string::npos && next_[k] < from)) {
        next_[k] = finders_[k].Find(line, from);
      }
      if (next_[k] < best.at) best = {next_[k], &texts_[k]};
    }
    return best;
  }

  bool StartsLine(const std::u16string& line) const {
    for (const auto& text : texts_) {
      if (line.compare(0, text.size(), text) == 0) return true;
    }
    return false;
  }

 private:
  static constexpr std::size_t kUnknown = std::u16string::npos - 1;
  std::deque<std::u16string> texts_;  // never moved: the finders refer to them
  std::deque<ProtocolFinder> finders_;
  std::vector<std::size_t> next_;
};

}  // namespace

void ScanText(LineSource& source, const ExtractOptions& options, const CandidateSink& sink) {
  ProtocolSet protocols(options);
  if (protocols.empty()) return;
  auto runEnd = [&](const std::u16string& line, std::size_t from) {
    while (from < line.size()) {
      const char16_t unit = line[from];
      if (unit < 0x80) {
        if (!IsAsciiUrlChar(unit)) break;
        ++from;
      } else if (unit >= 0xD800 && unit <= 0xDBFF && from + 1 < line.size() &&
                 line[from + 1] >= 0xDC00 && line[from + 1] <= 0xDFFF) {
        from += 2;  // beyond the plane, so beyond the code page: a URL character
      } else if (IsTextUrlChar(unit, options.fullWidth)) {
        ++from;
      } else {
        break;
      }
    }
    return from;
  };
  std::u16string line;
  std::u16string url;
  while (source.NextText(line)) {
    protocols.NewLine();
    bool startsWithProtocol = protocols.StartsLine(line);
    for (auto m = protocols.Find(line, 0); m.at != std::u16string::npos;) {
      const std::u16string& protocol = *m.protocol;
      const std::size_t start = m.at + protocol.size();
      std::size_t stop = runEnd(line, start);
      // A URL that runs to the end of its line goes on at the start of the next one, unless its
      // line begins with a protocol.
      bool goesOn =
          stop == line.size() && stop > start && !options.notReturnSearch && !startsWithProtocol;
      const std::size_t taken = stop;
      stop = TakeFirstPiece(line, m.at, stop, protocol, url);
      // A long URL took the line over: what is left of it is a new line's content.
      if (stop != taken) protocols.NewLine();
      while (goesOn) {
        stop = 0;
        protocols.NewLine();
        if (!source.NextText(line)) {
          line.clear();
          break;
        }
        startsWithProtocol = protocols.StartsLine(line);
        stop = runEnd(line, 0);
        url.append(line, 0, stop);
        goesOn = stop == line.size() && stop > 0 && !startsWithProtocol;
      }
      sink(UrlText(std::move(url)));
      url.clear();
      // The next URL may start right where this one stopped.
      m = protocols.Find(line, stop);
    }
  }
}

}  // namespace cardo
