#include "app/extract/text_scan.h"

#include <algorithm>

#include "app/extract/url_characters.h"
#include "app/platform/lower_case.h"
#include "app/platform/word_matcher.h"

namespace cardo {
namespace {

// Finds the protocol in a line whose letters are compared lower-cased. A short protocol that
// holds a unit nothing else lower-cases to (":" of "http://") is found by looking for that
// unit four at a time and checking the rest around it; others go through the linear matcher.
class ProtocolFinder {
 public:
  explicit ProtocolFinder(const CodeText& protocol)
      : protocol_(protocol), matcher_(protocol, CodePageLower) {
    for (std::size_t k = 0; k < protocol.size() && protocol.size() <= 16; ++k) {
      const char16_t c = protocol[k];
      if (c < 0x80 && !(c >= u'a' && c <= u'z') && !(c >= u'A' && c <= u'Z')) {
        anchor_ = k;
        break;
      }
    }
  }

  std::size_t Find(const CodeText& line, std::size_t from = 0) const {
    if (anchor_ == CodeText::npos) return matcher_.Find(line, from);
    const std::size_t m = protocol_.size();
    for (std::size_t at = FindUnit(line, protocol_[anchor_], from + anchor_); at != CodeText::npos;
         at = FindUnit(line, protocol_[anchor_], at + 1)) {
      const std::size_t start = at - anchor_;
      if (start + m > line.size()) return CodeText::npos;
      std::size_t k = 0;
      while (k < m && CodePageLower(line[start + k]) == protocol_[k]) ++k;
      if (k == m) return start;
    }
    return CodeText::npos;
  }

 private:
  const CodeText& protocol_;
  WordMatcher matcher_;
  std::size_t anchor_ = CodeText::npos;
};

// A URL this long that fills most of its line takes over the line's memory instead of a copy,
// so that the two are never held at once.
constexpr std::size_t kLongUrl = 1 << 16;

// The URL's first piece, line[d, stop) with the protocol as typed in front of it, into `url`.
// Returns where the piece ends in `line`, which may now hold only what followed it.
std::size_t TakeFirstPiece(CodeText& line, std::size_t d, std::size_t stop,
                           const CodeText& protocol, CodeText& url) {
  if (stop - d >= kLongUrl && stop - d >= line.size() - stop) {
    CodeText rest = line.substr(stop);
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

}  // namespace

void ScanText(LineSource& source, const ExtractOptions& options, const CandidateSink& sink) {
  const CodeText protocol = TextToCodes(options.protocol);
  // An empty protocol would match at every position and find nothing worth having.
  if (protocol.empty()) return;
  const ProtocolFinder matcher(protocol);
  auto runEnd = [&](const CodeText& line, std::size_t from) {
    while (from < line.size() && IsUrlChar(line[from], options.fullWidth)) ++from;
    return from;
  };
  CodeText line;
  CodeText url;
  while (source.NextCodes(line)) {
    bool startsWithProtocol = line.compare(0, protocol.size(), protocol) == 0;
    for (std::size_t d = matcher.Find(line); d != CodeText::npos;) {
      const std::size_t start = d + protocol.size();
      std::size_t stop = runEnd(line, start);
      // A URL that runs to the end of its line goes on at the start of the next one, unless its
      // line begins with the protocol.
      bool goesOn =
          stop == line.size() && stop > start && !options.notReturnSearch && !startsWithProtocol;
      stop = TakeFirstPiece(line, d, stop, protocol, url);
      while (goesOn) {
        stop = 0;
        if (!source.NextCodes(line)) {
          line.clear();
          break;
        }
        startsWithProtocol = line.compare(0, protocol.size(), protocol) == 0;
        stop = runEnd(line, 0);
        url.append(line, 0, stop);
        goesOn = stop == line.size() && stop > 0 && !startsWithProtocol;
      }
      sink(CodesToText(std::move(url)));
      url.clear();
      // The next URL may start right where this one stopped.
      d = matcher.Find(line, stop);
    }
  }
}

}  // namespace cardo
