#include "app/scan/html_scan.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>
#include <unordered_set>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "app/scan/absolute_pass.h"
#include "app/scan/character_references.h"
#include "app/text/code_page_search.h"
#include "app/scan/html_line_form.h"
#include "app/text/page_decoders.h"
#include "app/scan/relative_url.h"
#include "app/scan/url_characters.h"
#include "app/platform/lower_case.h"

namespace cardo {
namespace {

// Where "href=" first stands in the line's bytes, its letters in any case, at a character's
// start.
std::size_t FindHref(std::string_view bytes) {
  for (std::size_t at = 0; at + 5 <= bytes.size(); at += CharacterLength(bytes, at)) {
    bool same = true;
    for (int k = 0; k < 5 && same; ++k) {
      const auto b = static_cast<unsigned char>(bytes[at + k]);
      same = b < 0x80 && CodePageLower(b) == u"href="[k];
    }
    if (same) return at;
  }
  return std::string_view::npos;
}

// Whether the line holds "<base" in any case. Searched in the bytes: "<" is never a trail
// byte, and the ASCII letters after it are characters of their own, so a match of the bytes is
// a match of the characters. A line holds many "<" and few "<b": the search looks for the
// pair, sixteen places at a time.
bool HasBaseTag(std::string_view bytes) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t size = bytes.size();
  const auto isBase = [&](std::size_t at) {
    if (size - at < 5) return false;
    for (int k = 0; k < 4; ++k) {
      if ((data[at + 1 + k] | 0x20) != "base"[k]) return false;
    }
    return true;
  };
  std::size_t at = 0;
#if defined(__SSE2__)
  // Each window looks at sixteen places for a "<" with a "b" after it; the last window ends
  // with the line, the places already looked at masked off.
  const auto window = [&](std::size_t from, unsigned skip) {
    const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from));
    const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from + 1));
    const __m128i open = _mm_cmpeq_epi8(here, _mm_set1_epi8('<'));
    const __m128i b = _mm_cmpeq_epi8(_mm_or_si128(next, _mm_set1_epi8(0x20)), _mm_set1_epi8('b'));
    auto mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(open, b))) >> skip << skip;
    for (; mask; mask &= mask - 1) {
      if (isBase(from + static_cast<std::size_t>(std::countr_zero(mask)))) return true;
    }
    return false;
  };
  for (; at + 17 <= size; at += 16) {
    if (window(at, 0)) return true;
  }
  if (size >= 17)
    return at + 1 < size && window(size - 17, static_cast<unsigned>(at - (size - 17)));
#endif
  for (; at < size; ++at) {
    if (data[at] == '<' && isBase(at)) return true;
  }
  return false;
}

// The value after "href=" at `href` (npos: none).
std::string_view HrefValue(std::string_view line, std::size_t href) {
  if (href == std::string_view::npos) return {};
  const std::size_t from = href + 5;
  if (from < line.size() && line[from] == '"') {
    // A quote is never part of a double-byte character.
    const std::size_t close = line.find('"', from + 1);
    return line.substr(from + 1, close == std::string_view::npos ? close : close - from - 1);
  }
  std::size_t end = from;
  while (end < line.size() && CharacterLength(line, end) == 1 &&
         IsUrlChar(static_cast<unsigned char>(line[end]), false)) {
    ++end;
  }
  return line.substr(std::min(from, line.size()), end - std::min(from, line.size()));
}

// Where the first <base> element of the line that holds "href=" lies: from its "<" up to its
// ">" or the end of the line. Elements such as "<basefont" are no base.
std::string_view BaseElement(std::string_view bytes) {
  for (std::size_t at = bytes.find('<'); at != std::string_view::npos;
       at = bytes.find('<', at + 1)) {
    if (bytes.size() - at < 5) return {};
    bool same = true;
    for (int k = 0; k < 4 && same; ++k) same = (bytes[at + 1 + k] | 0x20) == "base"[k];
    if (!same) continue;
    const char after = at + 5 < bytes.size() ? bytes[at + 5] : '>';
    if (after != ' ' && after != '\t' && after != '\n' && after != '\f' && after != '\r' &&
        after != '/' && after != '>') {
      continue;
    }
    const std::size_t close = bytes.find('>', at + 5);
    const std::string_view element =
        bytes.substr(at, close == std::string_view::npos ? close : close - at);
    if (FindHref(element) != std::string_view::npos) return element;
    // A "<base" before that ">" would end there too, its attributes a part of these: none
    // holds "href=". Each byte is looked at once.
    if (close == std::string_view::npos) return {};
    at = close;
  }
  return {};
}

// The base step of a line that holds "<base": the href of its first <base> element, resolved
// against the page's address, becomes the base and is offered, and that value leaves the line
// (the rest of the line stays as it is). It returns whether it offered one. On other lines the
// base stays as it is. Only the value is decoded, and its text becomes the base without a
// copy: a base line may be as long as the page.
bool BaseStep(const ExtractOptions& options, std::string& line, BaseParts& page, BaseParts& base,
              const CandidateSink& sink) {
  const std::string_view element = BaseElement(line);
  if (element.empty()) {
    // Without a value, HTML mode falls back on the empty base; the others keep theirs.
    if (options.mode == ExtractMode::Html && options.baseUrlBox.empty()) base = BaseParts();
    return false;
  }
  if (options.mode == ExtractMode::Html && !options.baseUrlBox.empty()) return false;
  const std::string_view value = HrefValue(element, FindHref(element));
  CodeText codes;
  if (value.find(kLackingMark) == std::string_view::npos) {
    codes = DecodeCodePage(value);
  } else {
    std::string unmarked(value);
    std::erase(unmarked, kLackingMark);  // its percent-encoded bytes stay
    codes = DecodeCodePage(unmarked);
  }
  line.erase(static_cast<std::size_t>(value.data() - line.data()), value.size());
  // Most bases are ASCII: their codes are their text, no copy.
  std::u16string text = CodesToText(std::move(codes));
  if (text.find(u'&') != std::u16string::npos) text = ReadCharacterReferences(u"", text);
  // A browser reads an attribute's URL without the blanks around it.
  constexpr std::u16string_view kBlanks = u" \t\n\f\r";
  const std::size_t first = text.find_first_not_of(kBlanks);
  text = first == std::u16string::npos
             ? std::u16string()
             : text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
  if (text.find(u"://") == std::u16string::npos) {
    std::u16string resolved = ResolveRelativeUrl(page, text);
    text = resolved == u"不正" ? std::u16string(page.Whole()) : std::move(resolved);
  }
  sink(text);
  base = BaseParts(std::move(text));
  return true;
}

std::size_t FindDot(std::string_view line, std::size_t from) {
  return line.find('.', from);
}

// A piece of a line as text: one byte per character with its markers' codes.
std::u16string Piece(std::string_view bytes, std::u16string_view markers) {
  if (markers.empty()) {
    std::u16string text(bytes.size(), u'\0');
    std::transform(bytes.begin(), bytes.end(), text.begin(), FormUnitText);
    return text;
  }
  CodeText codes;
  codes.reserve(bytes.size());
  std::size_t k = 0;
  for (const char b : bytes) codes.push_back(b == kMarkerUnit ? markers[k++] : FormUnitText(b));
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
      std::transform(before.begin(), before.end(), text.begin(), FormUnitText);
      std::transform(after.begin(), after.end(),
                     text.begin() + static_cast<std::ptrdiff_t>(before.size()), FormUnitText);
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

// Whether a reference is a mail address: one with "@" outside a quoted value, and inside one
// one that says "mailto:" (there "b@2x.png" is a file). `run` is its one-byte form.
bool IsMailAddress(std::u16string_view reference, std::string_view run) {
  if (reference.find(u'@') == std::u16string_view::npos) return false;
  if (run.find('@') != std::string_view::npos || run.find(kValueAt) == std::string_view::npos) {
    return true;
  }
  constexpr std::u16string_view kMailto = u"mailto:";
  if (reference.size() < kMailto.size()) return false;
  for (std::size_t k = 0; k < kMailto.size(); ++k) {
    if (CodePageLower(reference[k]) != kMailto[k]) return false;
  }
  return true;
}

std::string_view MarkerLine(std::string_view line) {
  return line;
}

// `markers` are the codes of the line's markers (one-byte form only).
template <typename Char>
void RelativePass(std::basic_string_view<Char> line, std::u16string_view markers, BaseParts& base,
                  const CandidateSink& sink) {
  MarkerCursor cursor(MarkerLine(line));
  for (std::size_t p = FindDot(line, 0); p != line.npos;) {
    if (p == 0) return;
    std::size_t start = p;
    while (start > 0 && IsHtmlUrl(line[start - 1])) --start;
    std::size_t end = p + 1;
    if (end >= line.size()) return;
    while (end < line.size() && IsHtmlUrl(line[end])) ++end;
    // Without references the text ends as the bytes do: an abbreviation's "." or an "@" outside
    // a value skips the reference before it is made.
    const std::string_view run = line.substr(start, end - start);
    if (run.find('&') == std::string_view::npos &&
        (run.back() == '.' || run.find('@') != std::string_view::npos)) {
      p = FindDot(line, end);
      continue;
    }
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
    if (reference.back() != u'.' && !IsMailAddress(reference, run)) {
      sink(ResolveRelativeUrl(base, reference));
    }
    // The next reference may start right where this one ended.
    p = FindDot(line, end);
  }
}

void HtmlPasses(std::string& line, CodeText& markers, BaseParts& base, const CandidateSink& sink) {
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
  std::u16string first;
  if (options.mode == ExtractMode::Download) {
    first = options.pageUrl;
  } else if (!options.baseUrlBox.empty()) {
    first = options.baseUrlBox;
  }
  // Taken apart once per base: a long base would otherwise be copied for every line.
  BaseParts page(first);
  BaseParts base(std::move(first));
  // A download needs no fragment: a URL goes without its "#...", and a page reached through
  // several of its anchors is offered once. The base a line's <base> gave is not offered again
  // by that line.
  std::unordered_set<std::u16string> anchored;
  std::u16string_view lineBase;  // a view of the base's own text
  const CandidateSink offer = [&](std::u16string_view url) {
    const std::size_t fragment = url.find(u'#');
    if (fragment != std::u16string_view::npos) url = url.substr(0, fragment);
    if (!lineBase.empty() && url == lineBase) return;
    if (fragment != std::u16string_view::npos && !anchored.emplace(url).second) return;
    sink(url);
  };
  std::string bytes;
  CodeText markers;
  while (source.Next(bytes)) {
    lineBase = {};
    if (HasBaseTag(bytes) && BaseStep(options, bytes, page, base, offer)) {
      lineBase = base.Given().substr(0, base.Given().find(u'#'));
    }
    markers.clear();
    CompactCharacters(bytes, markers);
    HtmlPasses(bytes, markers, base, offer);
  }
}

std::string_view GetHrefValue(std::string_view line) {
  return HrefValue(line, FindHref(line));
}

}  // namespace cardo
