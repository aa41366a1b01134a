// The third manager's files: a plain list, aria2's input file and curl's config.
#include "app/export/download_names.h"
#include "app/export/export.h"
#include "app/export/export_url.h"

namespace cardo {
namespace {

// A curl config string: quoted, with its backslashes and quotes escaped.
std::string CurlQuoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '\\' || c == '"') quoted.push_back('\\');
    quoted.push_back(c);
  }
  return quoted + '"';
}

}  // namespace

std::string OtherExportText(ExportFormat format, const std::vector<std::u16string>& lines) {
  const bool curl = format == ExportFormat::Curl;
  std::string text;
  if (curl) {
    // No globbing of "[]" and "{}"; no scheme beyond those a list of downloads holds, for the
    // URLs and for where they redirect (a file:// there reads the user's own files).
    const std::string protocols = CurlQuoted(CurlProtocols());
    text = "globoff\r\nproto = " + protocols + "\r\nproto-redir = " + protocols + "\r\n";
  }
  UniqueNames names;
  for (const auto& line : lines) {
    const std::string url = OtherExportUrl(line);
    if (url.empty()) continue;
    if (format == ExportFormat::Plain) {
      text += url + "\r\n";
      continue;
    }
    const UrlParts parts = SplitUrl(url);
    const SchemeRow* scheme = FindScheme(parts.scheme);
    if (scheme == nullptr || !(curl ? scheme->curl : scheme->aria2)) {
      // A line the tool must not fetch stays in the file as a comment: curl ends its whole run
      // at a text it cannot read as an address ("out=x" among them), and aria2 opens a local
      // path as a torrent or metalink file.
      text += "# " + url + "\r\n";
      continue;
    }
    // Each URL gets its own file, named right after it: curl gives an option to the first URL
    // that has none, so one for every URL keeps them paired.
    const std::string name = names.Claim(DownloadFileName(parts.path));
    text += curl ? "url = " + CurlQuoted(url) + "\r\noutput = " + CurlQuoted(name) + "\r\n"
                 : url + "\r\n out=" + name + "\r\n";
  }
  return text;
}

}  // namespace cardo
