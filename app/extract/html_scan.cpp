#include "app/extract/html_scan.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "app/extract/absolute_pass.h"
#include "app/extract/character_references.h"
#include "app/extract/html_line_form.h"
#include "app/extract/relative_url.h"
#include "app/extract/url_characters.h"
#include "app/platform/lower_case.h"
#include "app/platform/word_matcher.h"

namespace cardo {
namespace {

// Where "href=" stands in the line, its letters in any case.
std::size_t FindHref(const CodeText& line) {
  return WordMatcher(u"href=", CodePageLower).Find(line);
}

// Every occurrence of `what` removed from `line`, left to right, in one linear pass.
void DeleteAll(CodeText& line, const CodeText& what) {
  if (what.empty()) return;
  const WordMatcher matcher(what, true);
  CodeText out;
  std::size_t from = 0;
  for (std::size_t at = matcher.Find(line); at != CodeText::npos; at = matcher.Find(line, from)) {
    out.append(line, from, at - from);
    from = at + what.size();
  }
  if (from == 0) return;
  out.append(line, from, CodeText::npos);
  line.swap(out);
}

// Whether the line holds "<base" in any case. Searched in the bytes with the C library's
// fast search: "<" is never a trail byte, and the ASCII letters after it are characters of
// their own, so a match of the bytes is a match of the characters.
bool HasBaseTag(std::string_view bytes) {
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    const void* found = std::memchr(bytes.data() + at, '<', bytes.size() - at);
    if (!found) return false;
    at = static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data());
    if (bytes.size() - at < 5) return false;
    bool same = true;
    for (int k = 0; k < 4 && same; ++k) same = (bytes[at + 1 + k] | 0x20) == "base"[k];
    if (same) return true;
  }
  return false;
}

// The base step of a line that holds "<base": may change the base (true then), offer it, and
// delete it from the line. On other lines the base stays as it is.
bool BaseStep(const ExtractOptions& options, CodeText& line, std::u16string& base,
              const CandidateSink& sink) {
  const bool hasHref = FindHref(line) != CodeText::npos;
  auto takeHref = [&] {
    const CodeText value = GetHrefValue(line);
    std::u16string text = CodesToText(CodeText(value));
    if (text.find(u'&') != std::u16string::npos) text = ReadCharacterReferences(u"", text);
    base = std::move(text);
    sink(base);
    DeleteAll(line, value);
    return true;
  };
  if (options.mode == ExtractMode::Download) return hasHref && takeHref();
  if (!options.baseUrlBox.empty()) return false;  // the box's base holds for every line
  if (hasHref) return takeHref();
  const bool changed = !base.empty();
  base.clear();
  return changed;
}

std::size_t FindDot(std::u16string_view line, std::size_t from) {
  return FindUnit(line, u'.', from);
}
std::size_t FindDot(std::string_view line, std::size_t from) {
  return line.find('.', from);
}

// A piece of a line as text: codes, or one byte per character with its markers' codes.
std::u16string Piece(std::u16string_view codes, std::u16string_view) {
  return CodesToText(CodeText(codes));
}
std::u16string Piece(std::string_view bytes, std::u16string_view markers) {
  if (markers.empty()) return std::u16string(bytes.begin(), bytes.end());
  CodeText codes;
  codes.reserve(bytes.size());
  std::size_t k = 0;
  for (const char b : bytes) codes.push_back(b == kMarkerUnit ? markers[k++] : char16_t(b));
  return CodesToText(std::move(codes));
}

// A URL's text from the line, split where "://" or the "." that made it one stands, with the
// markers of each side.
template <typename Char>
std::u16string UrlText(std::basic_string_view<Char> before, std::u16string_view beforeMarkers,
                       std::basic_string_view<Char> after, std::u16string_view afterMarkers) {
  if constexpr (std::is_same_v<Char, char>) {
    // Most URLs are ASCII without references: their bytes are their text.
    if (beforeMarkers.empty() && afterMarkers.empty() &&
        before.find('&') == std::string_view::npos && after.find('&') == std::string_view::npos) {
      std::u16string text(before.size() + after.size(), u'\0');
      std::copy(before.begin(), before.end(), text.begin());
      std::copy(after.begin(), after.end(),
                text.begin() + static_cast<std::ptrdiff_t>(before.size()));
      return text;
    }
  }
  std::u16string b = Piece(before, beforeMarkers);
  std::u16string a = Piece(after, afterMarkers);
  if (b.find(u'&') == std::u16string::npos && a.find(u'&') == std::u16string::npos) {
    return b + a;
  }
  return ReadCharacterReferences(b, a);
}

template <typename Char>
bool IsHtmlUrl(Char c) {
  return IsHtmlUrlUnit(static_cast<char16_t>(static_cast<std::make_unsigned_t<Char>>(c)));
}

std::string_view MarkerLine(std::string_view line) {
  return line;
}
std::string_view MarkerLine(std::u16string_view) {
  return {};
}

// `markers` are the codes of the line's markers (one-byte form only).
template <typename Char>
void RelativePass(std::basic_string_view<Char> line, std::u16string_view markers,
                  const BaseParts& base, const CandidateSink& sink) {
  MarkerCursor cursor(MarkerLine(line));
  for (std::size_t p = FindDot(line, 0); p != line.npos;) {
    if (p == 0) return;
    std::size_t start = p;
    while (start > 0 && IsHtmlUrl(line[start - 1])) --start;
    std::size_t end = p + 1;
    if (end >= line.size()) return;
    while (end < line.size() && IsHtmlUrl(line[end])) ++end;
    std::u16string_view before;
    std::u16string_view after;
    if (!markers.empty()) {
      const std::size_t first = cursor.Before(start);
      const std::size_t dot = cursor.Before(p);
      before = markers.substr(first, dot - first);
      after = markers.substr(dot, cursor.Before(end) - dot);
    }
    const std::u16string reference =
        UrlText(line.substr(start, p - start), before, line.substr(p, end - p), after);
    if (reference.back() != u'.' && reference.find(u'@') == std::u16string::npos) {
      sink(ResolveRelativeUrl(base, reference));
    }
    // The candidate's length past its ".", which may lie beyond its end.
    p = FindDot(line, p + (end - start));
  }
}

void HtmlPasses(CodeText& line, const BaseParts& base, const CandidateSink& sink) {
  AbsolutePass(line, [&](std::u16string_view url) {
    const std::size_t sep = FindSeparator(url);
    sink(UrlText(url.substr(0, sep), {}, url.substr(sep), {}));
  });
  RelativePass(std::u16string_view(line), {}, base, sink);
}

void HtmlPasses(std::string& line, CodeText& markers, const BaseParts& base,
                const CandidateSink& sink) {
  AbsolutePass(line, markers, [&](std::string_view url, std::u16string_view codes) {
    const std::size_t sep = url.find("://");
    const std::size_t split = static_cast<std::size_t>(
        std::count(url.begin(), url.begin() + static_cast<std::ptrdiff_t>(sep), kMarkerUnit));
    sink(UrlText(url.substr(0, sep), codes.substr(0, split), url.substr(sep), codes.substr(split)));
  });
  RelativePass(std::string_view(line), markers, base, sink);
}

}  // namespace

void ScanHtml(LineSource& source, const ExtractOptions& options, const CandidateSink& sink) {
  std::u16string base;
  if (options.mode == ExtractMode::Download) {
    base = options.pageUrl;
  } else if (!options.baseUrlBox.empty()) {
    base = options.baseUrlBox;
  }
  // Split once per base: a long base would otherwise be copied for every line.
  BaseParts parts = SplitBase(base);
  std::string bytes;
  CodeText markers;
  while (source.Next(bytes)) {
    if (HasBaseTag(bytes)) {
      // The base may hold any character: this line is taken as codes.
      CodeText codes = DecodeCodePage(bytes);
      if (BaseStep(options, codes, base, sink)) parts = SplitBase(base);
      PrepareCodes(codes);
      HtmlPasses(codes, parts, sink);
      continue;
    }
    markers.clear();
    CompactCharacters(bytes, markers);
    HtmlPasses(bytes, markers, parts, sink);
  }
}

CodeText GetHrefValue(const CodeText& line) {
  const std::size_t at = FindHref(line);
  if (at == CodeText::npos) return {};
  const std::size_t from = at + 5;
  if (from < line.size() && line[from] == u'"') {
    const std::size_t close = line.find(u'"', from + 1);
    return line.substr(from + 1, close == CodeText::npos ? CodeText::npos : close - from - 1);
  }
  std::size_t end = from;
  while (end < line.size() && IsUrlChar(line[end], false)) ++end;
  return line.substr(std::min(from, line.size()), end - std::min(from, line.size()));
}

}  // namespace cardo
