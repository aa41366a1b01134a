#include "app/scan/html_scan.h"

#include <algorithm>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "app/scan/absolute_pass.h"
#include "app/scan/character_references.h"
#include "app/scan/html_line_form.h"
#include "app/scan/relative_url.h"
#include "app/scan/url_characters.h"
#include "app/text/byte_search.h"
#include "app/platform/lower_case.h"

namespace cardo {
namespace {

// Where "href=" first stands in the line, its letters in any case. In UTF-8 an ASCII byte is
// always a character of its own, so the bytes are searched.
std::size_t FindHref(std::string_view bytes) {
  for (std::size_t at = 0; at + 5 <= bytes.size(); ++at) {
    bool same = true;
    for (int k = 0; k < 5 && same; ++k) same = (bytes[at + k] | 0x20) == "href="[k];
    if (same) return at;
  }
  return std::string_view::npos;
}

// Whether the line holds "<base" in any case. A line holds many "<" and few "<b": the search
// looks for the pair, sixteen places at a time.
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
    const std::size_t close = line.find('"', from + 1);
    return line.substr(from + 1, close == std::string_view::npos ? close : close - from - 1);
  }
  std::size_t end = from;
  while (end < line.size() && IsAsciiUrlChar(static_cast<unsigned char>(line[end]))) ++end;
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
// against the page's address, becomes the base, and that value leaves the line (the rest of
// the line stays as it is): a base is where links are read from, not a link. On other lines
// the base stays as it is. Only the value is decoded, and its text becomes the base without a
// copy: a base line may be as long as the page.
void BaseStep(const ExtractOptions& options, std::string& line, BaseParts& page, BaseParts& base) {
  const std::string_view element = BaseElement(line);
  if (element.empty()) {
    // Without a value, HTML mode falls back on the empty base; the others keep theirs.
    if (options.mode == ExtractMode::Html && options.baseUrlBox.empty()) base = BaseParts();
    return;
  }
  const std::string_view value = HrefValue(element, FindHref(element));
  const auto at = static_cast<std::size_t>(value.data() - line.data());
  std::u16string text;
  // The base-URL box wins over the page's base in HTML mode; its value is no link either way.
  if (options.mode != ExtractMode::Html || options.baseUrlBox.empty()) {
    text.reserve(value.size());
    AppendUrlText(text, value);
  }
  line.erase(at, value.size());
  if (options.mode == ExtractMode::Html && !options.baseUrlBox.empty()) return;
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
  base = BaseParts(std::move(text));
}

std::size_t FindDot(std::string_view line, std::size_t from) {
  return line.find('.', from);
}

// A piece of a line's form as a URL's text: its units as the characters they stand for, its
// UTF-8 as AppendUrlText writes it. Most pieces are ASCII, widened a run at a time.
void AppendPiece(std::u16string& out, std::string_view form) {
  const auto* data = reinterpret_cast<const unsigned char*>(form.data());
  const std::size_t size = form.size();
  for (std::size_t i = 0; i < size;) {
    const std::size_t ascii = FindByteOf<true>(data, i, size);
    const std::size_t at = out.size();
    out.resize(at + ascii - i);
    std::copy(data + i, data + ascii, out.begin() + static_cast<std::ptrdiff_t>(at));
    if (ascii == size) return;
    std::size_t end = ascii;
    while (end < size && data[end] >= 0x80 && data[end] < kFirstValueUnit) ++end;
    if (end > ascii) {
      AppendUrlText(out, form.substr(ascii, end - ascii));
    } else {
      out.push_back(static_cast<unsigned char>(FormUnitCharacter(form[end++])));
    }
    i = end;
  }
}

// A URL's text from the line's form, split where "://" or the "." that made it one stands.
std::u16string UrlText(std::string_view before, std::string_view after) {
  std::u16string text;
  text.reserve(before.size() + after.size());
  AppendPiece(text, before);
  const std::size_t split = text.size();
  AppendPiece(text, after);
  if (text.find(u'&') == std::u16string::npos) return text;
  const std::u16string_view all(text);
  return ReadCharacterReferences(all.substr(0, split), all.substr(split));
}

// Whether a reference is a mail address: one with "@" outside a quoted value, and inside one
// one that says "mailto:" (there "b@2x.png" is a file). `run` is its form (html_line_form.h).
bool IsMailAddress(std::u16string_view reference, std::string_view run) {
  if (reference.find(u'@') == std::u16string_view::npos) return false;
  if (run.find('@') != std::string_view::npos || run.find(kValueAt) == std::string_view::npos) {
    return true;
  }
  constexpr std::u16string_view kMailto = u"mailto:";
  if (reference.size() < kMailto.size()) return false;
  for (std::size_t k = 0; k < kMailto.size(); ++k) {
    if (LowerUnit(reference[k]) != kMailto[k]) return false;
  }
  return true;
}

void RelativePass(std::string_view line, BaseParts& base, const CandidateSink& sink) {
  for (std::size_t p = FindDot(line, 0); p != line.npos;) {
    if (p == 0) return;
    std::size_t start = p;
    while (start > 0 && IsHtmlUrlUnit(static_cast<unsigned char>(line[start - 1]))) --start;
    std::size_t end = p + 1;
    if (end >= line.size()) return;
    while (end < line.size() && IsHtmlUrlUnit(static_cast<unsigned char>(line[end]))) ++end;
    // Without references the text ends as the bytes do: an abbreviation's "." or an "@" outside
    // a value skips the reference before it is made.
    const std::string_view run = line.substr(start, end - start);
    // A number names no file: "1.0" of an XML declaration's version, a price, a date.
    if (std::all_of(run.begin(), run.end(),
                    [](char c) { return c == '.' || (c >= '0' && c <= '9'); })) {
      p = FindDot(line, end);
      continue;
    }
    if (run.find('&') == std::string_view::npos &&
        (run.back() == '.' || run.find('@') != std::string_view::npos)) {
      p = FindDot(line, end);
      continue;
    }
    const std::u16string reference =
        UrlText(line.substr(start, p - start), line.substr(p, end - p));
    if (reference.back() != u'.' && !IsMailAddress(reference, run)) {
      sink(ResolveRelativeUrl(base, reference));
    }
    // The next reference may start right where this one ended.
    p = FindDot(line, end);
  }
}

void HtmlPasses(std::string& line, BaseParts& base, const CandidateSink& sink) {
  AbsolutePass(line, [&](std::string_view url) {
    const std::size_t sep = url.find("://");
    sink(UrlText(url.substr(0, sep), url.substr(sep)));
  });
  RelativePass(line, base, sink);
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
  // A download needs no fragment: a URL goes without its "#..." (the run offers it once).
  const CandidateSink offer = [&](std::u16string_view url) { sink(url.substr(0, url.find(u'#'))); };
  std::string bytes;
  while (source.Next(bytes)) {
    if (HasBaseTag(bytes)) BaseStep(options, bytes, page, base);
    CompactCharacters(bytes);
    HtmlPasses(bytes, base, offer);
  }
}

std::string_view GetHrefValue(std::string_view line) {
  return HrefValue(line, FindHref(line));
}

}  // namespace cardo
