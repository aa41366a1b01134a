#include "app/extract/clipboard_links.h"

#include <iterator>
#include <optional>

#include "app/text/utf8_text.h"
#include "app/platform/text.h"

namespace cardo {
namespace {

constexpr std::size_t kUnusable = std::string_view::npos;

// What an address bar or a mail puts on the clipboard as text, looked for beside the protocol
// the user set for extraction.
const char16_t* const kTextPasteProtocols[] = {u"http://", u"https://", u"ftp://"};

std::string_view TrimBlanks(std::string_view text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool SameName(std::string_view name, std::string_view expected) {
  if (name.size() != expected.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if ((name[i] | 0x20) != (expected[i] | 0x20)) return false;
  }
  return true;
}

bool IsHeaderName(std::string_view name) {
  if (name.empty()) return false;
  for (const char c : name) {
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
  }
  return true;
}

// A decimal offset no larger than `size` (leading zeros allowed), or kUnusable.
std::size_t ParseOffset(std::string_view value, std::size_t size) {
  value = TrimBlanks(value);
  if (value.empty()) return kUnusable;
  std::size_t n = 0;
  for (const char c : value) {
    if (c < '0' || c > '9' || n > size / 10) return kUnusable;
    n = n * 10 + static_cast<std::size_t>(c - '0');
    if (n > size) return kUnusable;
  }
  return n;
}

std::optional<std::string_view> Range(std::string_view data, std::size_t start, std::size_t end) {
  if (start == kUnusable || end == kUnusable || start > end) return std::nullopt;
  return data.substr(start, end - start);
}

// The markup with each tag on a line of its own and the text between tags broken at its blanks.
// The HTML passes take a line's absolute URLs before its relative ones; a line holding one
// link at most gives the links in the order of the selection. A tag stays whole, so quoted
// values and a <base> keep their meaning.
std::u16string LinePerTag(std::u16string_view markup) {
  std::u16string out;
  out.reserve(markup.size() + markup.size() / 8);
  bool inTag = false;
  for (const char16_t c : markup) {
    if (c == u'<') {
      out += u'\n';
      inTag = true;
    }
    out += !inTag && (c == u' ' || c == u'\t') ? u'\n' : c;
    if (c == u'>') {
      out += u'\n';
      inTag = false;
    }
  }
  return out;
}

// A browser's markup is scanned as the extraction dialog scans a downloaded page: parsed when
// the user has chosen the parsed-HTML mode there, or parsing on its URL page.
bool ParsesMarkup(const Settings& settings) {
  return settings.UrlExtSelMode == static_cast<std::int16_t>(ExtractMode::Parsed) ||
         settings.UrlExtParsed == 1;
}

}  // namespace

HtmlFormat ParseHtmlFormat(std::string_view data) {
  data = data.substr(0, data.find('\0'));
  const std::size_t size = data.size();
  std::size_t startHtml = kUnusable, endHtml = kUnusable;
  std::size_t startFragment = kUnusable, endFragment = kUnusable;
  HtmlFormat format;
  std::size_t at = 0;
  while (at < size) {
    const std::size_t end = std::min(data.find_first_of("\r\n", at), size);
    const std::string_view line = data.substr(at, end - at);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || !IsHeaderName(line.substr(0, colon))) break;
    const std::string_view name = line.substr(0, colon);
    const std::string_view value = line.substr(colon + 1);
    if (SameName(name, "StartHTML")) {
      startHtml = ParseOffset(value, size);
    } else if (SameName(name, "EndHTML")) {
      endHtml = ParseOffset(value, size);
    } else if (SameName(name, "StartFragment")) {
      startFragment = ParseOffset(value, size);
    } else if (SameName(name, "EndFragment")) {
      endFragment = ParseOffset(value, size);
    } else if (SameName(name, "SourceURL")) {
      format.sourceUrl = TrimBlanks(value);
    }
    at = end;
    if (at < size && data[at] == '\r') ++at;
    if (at < size && data[at] == '\n') ++at;
  }
  format.markup = Range(data, startFragment, endFragment)
                      .value_or(Range(data, startHtml, endHtml).value_or(data.substr(at)));
  return format;
}

LinkScan PrepareLinkScan(const ClipboardContent& clipboard, const Settings& settings) {
  LinkScan scan;
  if (clipboard.html) {
    const HtmlFormat format = ParseHtmlFormat(*clipboard.html);
    if (!format.markup.empty()) {
      scan.options.pageUrl = Utf8ToUtf16(format.sourceUrl);
      // The parsed scan keeps the order of the selection itself and reads tags across lines.
      if (ParsesMarkup(settings)) {
        scan.options.mode = ExtractMode::Parsed;
        AppendValidUtf8(scan.text, format.markup);
      } else {
        scan.options.mode = ExtractMode::Download;
        scan.text = Utf16ToUtf8(LinePerTag(Utf8ToUtf16(format.markup)));
      }
      return scan;
    }
  }
  scan.options.mode = ExtractMode::Text;
  scan.options.protocol = settings.UrlExtProtocol;
  scan.options.moreProtocols.assign(std::begin(kTextPasteProtocols), std::end(kTextPasteProtocols));
  scan.options.fullWidth = settings.UrlTwinChar != 0;
  scan.options.notReturnSearch = settings.NotReturnSearch != 0;
  scan.text = Utf16ToUtf8(clipboard.text);
  return scan;
}

}  // namespace cardo
