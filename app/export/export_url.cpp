#include "app/export/export_url.h"

#include <algorithm>

#include "app/export/export.h"
#include "app/platform/percent_encoding.h"
#include "app/platform/text.h"

namespace cardo {
namespace {

constexpr SchemeRow kSchemes[] = {
    {"http", true, true},
    {"https", true, true},
    {"ftp", true, true},
    {"ftps", true, false},
};

// What no address holds raw: written as %XX in a line that is no URL, besides the bytes
// outside printable ASCII.
constexpr std::string_view kNeverRaw = "\"<>`{}";

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\u3000';
}

bool IsAsciiLetter(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

// The scheme before "://" at the start of `line` (a letter, then letters, digits, "+", "-" or
// "."); empty when there is none.
std::u16string_view SchemeBeforeSlashes(std::u16string_view line) {
  if (line.empty() || !IsAsciiLetter(line[0])) return {};
  std::size_t i = 1;
  while (i < line.size() && (IsAsciiLetter(line[i]) || (line[i] >= u'0' && line[i] <= u'9') ||
                             line[i] == u'+' || line[i] == u'-' || line[i] == u'.')) {
    ++i;
  }
  return line.substr(i, 3) == u"://" ? line.substr(0, i) : std::u16string_view();
}

}  // namespace

const SchemeRow* FindScheme(std::u16string_view scheme) {
  for (const SchemeRow& row : kSchemes) {
    if (row.name.size() == scheme.size() &&
        std::equal(row.name.begin(), row.name.end(), scheme.begin(), [](char a, char16_t b) {
          return a == (b >= u'A' && b <= u'Z' ? b + 0x20 : b);
        })) {
      return &row;
    }
  }
  return nullptr;
}

std::string CurlProtocols() {
  std::string list = "=";
  for (const SchemeRow& row : kSchemes) {
    if (!row.curl) continue;
    if (list.size() > 1) list += ',';
    list += row.name;
  }
  return list;
}

ExportLine ReadExportLine(std::u16string_view line) {
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  ExportLine read{{}, ParseUrl(line), nullptr};
  if (read.url) {
    read.text = Utf16ToUtf8(read.url->Href());
    read.scheme = FindScheme(read.url->Scheme());
    return read;
  }
  // No URL (a host IDNA refuses, a relative path, a text): the line as it is, so that the
  // manager refuses it with its own error instead of fetching another address. A browser
  // drops a TAB or a line break inside.
  read.scheme = FindScheme(SchemeBeforeSlashes(line));
  for (const char c : Utf16ToUtf8(line)) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\t' || c == '\r' || c == '\n') continue;
    if (byte <= 0x20 || byte >= 0x7F || kNeverRaw.find(c) != std::string_view::npos) {
      AppendPercentEncoded(read.text, std::string_view(&c, 1));
    } else {
      read.text.push_back(c);
    }
  }
  return read;
}

std::string OtherExportUrl(std::u16string_view line) {
  return ReadExportLine(line).text;
}

}  // namespace cardo
