#include "app/export/export_url.h"

#include <algorithm>

#include "app/export/export.h"
#include "app/platform/idna.h"
#include "app/platform/lower_case.h"
#include "app/platform/percent_encoding.h"
#include "app/platform/text.h"

namespace cardo {
namespace {

constexpr SchemeRow kSchemes[] = {
    {"http", true, true, true},   {"https", true, true, true},  {"ftp", true, true, true},
    {"ftps", false, true, false}, {"file", true, false, false}, {"ws", true, false, false},
    {"wss", true, false, false},
};

// The printable ASCII the URL standard's percent-encode sets hold, by part (a space, the
// controls and every byte beyond ASCII are encoded everywhere). The authority takes the path's.
constexpr std::string_view kPathSet = "\"<>`{}";
constexpr std::string_view kQuerySet = "\"<>";
constexpr std::string_view kSpecialQuerySet = "\"<>'";
constexpr std::string_view kFragmentSet = "\"<>`";

bool IsBlank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\u3000';
}

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The length of the scheme before "://" (a letter, then letters, digits, "+", "-" or "."), or 0.
std::size_t SchemeLength(std::string_view url) {
  if (url.empty() || !IsAsciiLetter(url[0])) return 0;
  std::size_t i = 1;
  while (i < url.size() && (IsAsciiLetter(url[i]) || (url[i] >= '0' && url[i] <= '9') ||
                            url[i] == '+' || url[i] == '-' || url[i] == '.')) {
    ++i;
  }
  return url.substr(i, 3) == "://" ? i : 0;
}

void AppendEncoded(std::string& out, std::string_view part, std::string_view set) {
  for (const char c : part) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte <= 0x20 || byte >= 0x7F || set.find(c) != std::string_view::npos) {
      AppendPercentEncoded(out, std::string_view(&c, 1));
    } else {
      out.push_back(c);
    }
  }
}

}  // namespace

UrlParts SplitUrl(std::string_view url) {
  UrlParts parts;
  const std::size_t schemeLength = SchemeLength(url);
  std::string_view rest = url;
  if (schemeLength > 0) {
    parts.scheme = url.substr(0, schemeLength);
    rest.remove_prefix(schemeLength + 3);
    const SchemeRow* row = FindScheme(parts.scheme);
    const std::size_t end = rest.find_first_of(row && row->special ? "/\\?#" : "/?#");
    parts.authority = rest.substr(0, end);
    rest.remove_prefix(parts.authority.size());
  }
  const std::size_t hash = std::min(rest.find('#'), rest.size());
  parts.fragment = rest.substr(hash);
  rest = rest.substr(0, hash);
  const std::size_t question = std::min(rest.find('?'), rest.size());
  parts.query = rest.substr(question);
  parts.path = rest.substr(0, question);
  return parts;
}

const SchemeRow* FindScheme(std::string_view scheme) {
  const std::string lower = AsciiLower(scheme);
  for (const SchemeRow& row : kSchemes) {
    if (row.name == lower) return &row;
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

std::string OtherExportUrl(std::u16string_view line) {
  while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
  while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
  // A browser drops a TAB or a line break inside an address before it reads it.
  std::u16string kept;
  for (const char16_t c : line) {
    if (c != u'\t' && c != u'\r' && c != u'\n') kept.push_back(c);
  }
  // A host beyond ASCII as a manager that knows no internationalized names resolves it: its
  // A-label. One that is not valid as such a name stays as it was (percent-encoded with the
  // rest), so the manager refuses that address with its own error instead of fetching another.
  if (auto ascii = WithAsciiHost(kept)) kept = std::move(*ascii);
  const std::string bytes = Utf16ToUtf8(kept);
  const UrlParts parts = SplitUrl(bytes);
  const SchemeRow* row = FindScheme(parts.scheme);
  const bool special = row && row->special;
  std::string url;
  if (!parts.scheme.empty()) {
    url += AsciiLower(parts.scheme) + "://";
    // Host names are compared without case: written in lower case, as a browser sends them.
    // The user information before the last "@" keeps its case.
    const std::size_t at = parts.authority.rfind('@');
    const std::size_t hostFrom = at == std::string_view::npos ? 0 : at + 1;
    const std::string authority = std::string(parts.authority.substr(0, hostFrom)) +
                                  AsciiLower(parts.authority.substr(hostFrom));
    AppendEncoded(url, authority, kPathSet);
  }
  std::string path(parts.path);
  if (special) {
    for (char& c : path) {
      if (c == '\\') c = '/';
    }
  }
  AppendEncoded(url, path, kPathSet);
  AppendEncoded(url, parts.query, special ? kSpecialQuerySet : kQuerySet);
  AppendEncoded(url, parts.fragment, kFragmentSet);
  return url;
}

}  // namespace cardo
