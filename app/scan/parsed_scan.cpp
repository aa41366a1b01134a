#include "app/scan/parsed_scan.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "app/text/byte_search.h"
#include "app/scan/character_references.h"
#include "app/scan/css_urls.h"
#include "app/scan/html_tokenizer.h"
#include "app/scan/url_characters.h"
#include "app/url/url.h"

namespace cardo {
namespace {

enum class ValueKind { Url, Srcset, Style };

// The attributes that hold links a browser loads or follows, and the elements that give them
// one; no elements: any element (the lazy-loading attributes pages put on whatever they like,
// and inline styles).
struct LinkAttribute {
  std::string_view name;
  ValueKind kind;
  std::array<std::string_view, 10> elements;
};
constexpr LinkAttribute kLinkAttributes[] = {
    {"href", ValueKind::Url, {"a", "area", "link", "image"}},
    {"src",
     ValueKind::Url,
     {"img", "script", "iframe", "frame", "embed", "source", "track", "video", "audio", "input"}},
    {"srcset", ValueKind::Srcset, {"img", "source"}},
    {"imagesrcset", ValueKind::Srcset, {"link"}},
    {"xlink:href", ValueKind::Url, {"a", "image"}},
    {"background", ValueKind::Url, {"body", "table", "td", "th"}},
    {"poster", ValueKind::Url, {"video"}},
    {"data", ValueKind::Url, {"object"}},
    {"action", ValueKind::Url, {"form"}},
    {"style", ValueKind::Style, {}},
    {"data-src", ValueKind::Url, {}},
    {"data-srcset", ValueKind::Srcset, {}},
    {"data-original", ValueKind::Url, {}},
    {"data-lazy-src", ValueKind::Url, {}},
    {"data-lazy-srcset", ValueKind::Srcset, {}},
    {"data-full", ValueKind::Url, {}},
    {"data-url", ValueKind::Url, {}},
};
static_assert(std::size(kLinkAttributes) <= 32, "one bit each in a tag's mask");
constexpr std::array<bool, 256> kLinkInitials = [] {
  std::array<bool, 256> initials{};
  for (const LinkAttribute& a : kLinkAttributes) {
    initials[static_cast<unsigned char>(a.name.front())] = true;
  }
  return initials;
}();

// The schemes a download manager fetches; a mail address, a script or the data of a data: URL
// is nothing to download.
constexpr std::array<std::u16string_view, 3> kFetchedSchemes = {u"http", u"https", u"ftp"};

bool Applies(const LinkAttribute& a, std::string_view element) {
  if (a.elements.front().empty()) return true;
  for (std::string_view e : a.elements) {
    if (e.empty()) return false;
    if (e == element) return true;
  }
  return false;
}

bool IsBlank(char16_t c) {
  return c <= u' ';
}
bool IsAsciiAlpha(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool IsSchemeUnit(char16_t c) {
  return IsAsciiAlpha(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}
char16_t LowerAscii(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
}
bool StartsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (LowerAscii(text[i]) != prefix[i]) return false;
  }
  return true;
}
bool EqualsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (static_cast<char>(LowerAscii(static_cast<unsigned char>(a[i]))) != b[i]) return false;
  }
  return true;
}

// A value's text into `out`: its characters as a URL holds them (AppendUrlText), references
// read, blanks trimmed, tabs and newlines gone.
void ValueText(std::string_view bytes, std::u16string& out) {
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  std::size_t first = 0;
  std::size_t last = bytes.size();
  while (first < last && data[first] <= ' ') ++first;
  while (last > first && data[last - 1] <= ' ') --last;
  // Most values are ASCII without references or line breaks: their bytes are their text.
  if (FindByteOf<true, '&', '\t', '\n', '\r'>(data, first, last) == last) {
    out.resize(last - first);
    std::copy(data + first, data + last, out.begin());
    return;
  }
  std::u16string written;
  written.reserve(last - first);
  AppendUrlText(written, bytes.substr(first, last - first));
  const std::u16string text = ReadEveryCharacterReference(written);
  std::size_t from = 0;
  std::size_t to = text.size();
  while (from < to && IsBlank(text[from])) ++from;
  while (to > from && IsBlank(text[to - 1])) --to;
  out.clear();
  for (std::size_t i = from; i < to; ++i) {
    if (text[i] != u'\t' && text[i] != u'\n' && text[i] != u'\r') out.push_back(text[i]);
  }
}

// The references resolved lately: pages repeat their links (a menu, an image and its link),
// and one resolved before gave a URL already offered. A slot a hash, the last reference wins,
// so that the memory stays the same however many links a page holds.
class RecentReferences {
 public:
  // True when `reference` was resolved lately; it is remembered either way.
  bool Seen(std::u16string_view reference) {
    if (reference.size() > kLongest) return false;
    std::u16string& slot =
        slots_[std::hash<std::u16string_view>{}(reference) & (slots_.size() - 1)];
    if (slot == reference) return true;
    slot.assign(reference);
    return false;
  }
  void Clear() {
    for (std::u16string& slot : slots_) slot.clear();
  }

 private:
  static constexpr std::size_t kLongest = 256;
  std::vector<std::u16string> slots_ = std::vector<std::u16string>(4096);
};

// The target of a refresh's content ("5; url=next.html"), as a browser reads it; nothing
// (empty) when it names none.
std::u16string_view RefreshTarget(std::u16string_view content) {
  std::size_t i = 0;
  const auto skipBlanks = [&] {
    while (i < content.size() && IsBlank(content[i])) ++i;
  };
  skipBlanks();
  const std::size_t digits = i;
  while (i < content.size() && content[i] >= u'0' && content[i] <= u'9') ++i;
  if (i == digits && (i == content.size() || content[i] != u'.')) return {};
  while (i < content.size() && ((content[i] >= u'0' && content[i] <= u'9') || content[i] == u'.'))
    ++i;
  if (i < content.size() && !IsBlank(content[i]) && content[i] != u';' && content[i] != u',')
    return {};
  skipBlanks();
  if (i < content.size() && (content[i] == u';' || content[i] == u',')) ++i;
  skipBlanks();
  const std::size_t target = i;
  if (StartsWithNoCase(content.substr(i), u"url")) {
    i += 3;
    skipBlanks();
    if (i < content.size() && content[i] == u'=') {
      ++i;
      skipBlanks();
    } else {
      i = target;
    }
  }
  std::u16string_view url = content.substr(i);
  if (!url.empty() && (url.front() == u'"' || url.front() == u'\'')) {
    url = url.substr(1, url.find(url.front(), 1) - 1);
  }
  while (!url.empty() && IsBlank(url.back())) url.remove_suffix(1);
  return url;
}

class ParsedLinks final : public HtmlTokenHandler {
 public:
  ParsedLinks(std::u16string_view address, const CandidateSink& sink)
      : page_(ParseUrl(address, nullptr, UrlForm::AsWritten)), base_(page_), sink_(sink) {}

  void StartTag(std::string_view name, std::span<const HtmlAttribute> attributes) override {
    if (name == "base") {
      TakeBase(attributes);
      return;
    }
    if (name == "meta") {
      TakeRefresh(attributes);
      return;
    }
    if (name == "style") sheet_.Reset();
    std::uint32_t taken = 0;  // the first of a name counts, as a browser reads a tag
    for (const HtmlAttribute& a : attributes) {
      // Most attributes (class, id, title) are no link: one look at their first letter.
      if (a.name.empty() || !kLinkInitials[static_cast<unsigned char>(a.name.front())]) continue;
      for (std::size_t k = 0; k < std::size(kLinkAttributes); ++k) {
        const LinkAttribute& link = kLinkAttributes[k];
        if (link.name != a.name || (taken >> k & 1u) || !Applies(link, name)) continue;
        taken |= 1u << k;
        if (link.kind == ValueKind::Style) {
          OfferStyle(a.value);
          continue;
        }
        ValueText(a.value, value_);
        if (link.kind == ValueKind::Url) {
          OfferReference(value_);
        } else {
          OfferSrcset(value_);
        }
      }
    }
  }

  // A style sheet's images: its text as written, references unread.
  void StyleText(std::string_view bytes) override {
    sheet_.Feed(bytes, [&](std::string_view url) {
      value_.clear();
      AppendUrlText(value_, url);
      OfferReference(value_);
    });
  }

  // The "scheme://" URLs of the text, as the text mode reads them: references read, the URL
  // characters after "://" and the scheme's before it.
  void Text(std::string_view bytes) override {
    // The shortest URL, "a://b", has five bytes; pages hold many shorter texts between tags.
    if (bytes.size() < 5) return;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    std::size_t floor = 0;  // where the last URL ended: no scheme reaches before it
    for (std::size_t i = FindByteOf<false, ':'>(data, 0, size); i < size;
         i = FindByteOf<false, ':'>(data, i, size)) {
      if (i + 2 >= size || data[i + 1] != '/' || data[i + 2] != '/') {
        ++i;
        continue;
      }
      std::size_t start = i;
      while (start > floor && IsSchemeUnit(data[start - 1])) --start;
      while (start < i && !IsAsciiAlpha(data[start])) ++start;
      std::size_t end = i + 3;
      while (end < size && IsAsciiUrlChar(data[end])) ++end;
      if (start == i || end == i + 3) {
        i += 3;
        continue;
      }
      const std::u16string scheme(bytes.begin() + static_cast<std::ptrdiff_t>(start),
                                  bytes.begin() + static_cast<std::ptrdiff_t>(i));
      const std::u16string rest(bytes.begin() + static_cast<std::ptrdiff_t>(i),
                                bytes.begin() + static_cast<std::ptrdiff_t>(end));
      Offer(ReadCharacterReferences(scheme, rest));
      floor = i = end;
    }
  }

 private:
  static const HtmlAttribute* Find(std::span<const HtmlAttribute> attributes,
                                   std::string_view name) {
    for (const HtmlAttribute& a : attributes) {
      if (a.name == name) return &a;
    }
    return nullptr;
  }

  // The first <base> with an href sets the base of what follows it, read against the page's
  // address; the base itself is no link. One that is no URL leaves the page's address the base.
  void TakeBase(std::span<const HtmlAttribute> attributes) {
    const HtmlAttribute* href = Find(attributes, "href");
    if (baseTaken_ || !href) return;
    baseTaken_ = true;
    ValueText(href->value, value_);
    if (auto base = ParseUrl(value_, page_ ? &*page_ : nullptr, UrlForm::AsWritten)) {
      base_ = std::move(base);
      recent_.Clear();
    }
  }

  void TakeRefresh(std::span<const HtmlAttribute> attributes) {
    const HtmlAttribute* equiv = Find(attributes, "http-equiv");
    const HtmlAttribute* content = Find(attributes, "content");
    if (!equiv || !content || !EqualsNoCase(equiv->value, "refresh")) return;
    ValueText(content->value, value_);
    const std::u16string_view target = RefreshTarget(value_);
    if (!target.empty()) OfferReference(target);
  }

  // The images of a style attribute; its references are read in each URL (a generator may
  // write url(&quot;a.png&quot;)).
  void OfferStyle(std::string_view value) {
    inline_.Reset();
    inline_.Feed(value, [&](std::string_view url) {
      ValueText(url, value_);
      std::u16string_view reference = value_;
      if (reference.size() >= 2 && (reference.front() == u'"' || reference.front() == u'\'') &&
          reference.back() == reference.front()) {
        reference = reference.substr(1, reference.size() - 2);
      }
      OfferReference(reference);
    });
  }

  // Each URL of a srcset's candidates, their descriptors ("2x", "100w") dropped.
  void OfferSrcset(std::u16string_view value) {
    std::size_t i = 0;
    while (i < value.size()) {
      while (i < value.size() && (IsBlank(value[i]) || value[i] == u',')) ++i;
      const std::size_t start = i;
      while (i < value.size() && !IsBlank(value[i])) ++i;
      std::u16string_view url = value.substr(start, i - start);
      if (url.empty()) break;
      if (url.back() == u',') {
        while (!url.empty() && url.back() == u',') url.remove_suffix(1);
      } else {
        bool inParentheses = false;
        for (; i < value.size(); ++i) {
          if (value[i] == u'(') inParentheses = true;
          if (value[i] == u')') inParentheses = false;
          if (value[i] == u',' && !inParentheses) break;
        }
      }
      OfferReference(url);
    }
  }

  // `reference` resolved as a browser resolves it; without an address, a relative one as
  // written. What is no URL, a reference to the page itself ("" or "#top") and a URL no
  // download manager fetches are no link.
  void OfferReference(std::u16string_view reference) {
    if (reference.empty() || reference.front() == u'#') return;
    // Pages repeat their links: a reference resolved before gave a URL already offered.
    if (recent_.Seen(reference)) return;
    UrlError error = UrlError::NotAUrl;
    const auto url = ParseUrl(reference, base_ ? &*base_ : nullptr, UrlForm::AsWritten, &error);
    if (!url) {
      if (error == UrlError::NoBase) Give(reference.substr(0, reference.find(u'#')));
      return;
    }
    const std::u16string_view scheme = url->Scheme();
    if (std::find(kFetchedSchemes.begin(), kFetchedSchemes.end(), scheme) ==
        kFetchedSchemes.end()) {
      return;
    }
    Give(url->Href(false));
  }

  // A URL of the text, read as the links are, so that it and a link to it are one URL.
  void Offer(std::u16string_view url) { OfferReference(url); }

  // The run offers each URL once (url_scanner.h).
  void Give(std::u16string_view url) {
    if (!url.empty()) sink_(url);
  }

  std::optional<Url> page_;
  std::optional<Url> base_;
  bool baseTaken_ = false;
  std::u16string value_;     // the value being read, its memory reused
  CssImageUrls sheet_;       // the <style> element being read
  CssImageUrls inline_;      // the style attribute being read
  RecentReferences recent_;  // resolved since base_ was set, as written
  const CandidateSink& sink_;
};

}  // namespace

std::uint64_t ScanParsed(LineSource& source, const ExtractOptions& options,
                         const CandidateSink& sink) {
  ParsedLinks links(options.pageUrl.empty() ? options.baseUrlBox : options.pageUrl, sink);
  HtmlTokenizer tokenizer(links);
  // Line ends are blanks to the tokenizer and end every run the handler reads in a text.
  std::string lines;
  while (source.NextLines(lines)) tokenizer.Feed(lines);
  return tokenizer.OverlongTags();
}

}  // namespace cardo
