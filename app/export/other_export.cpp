// The third manager's files: a plain list, aria2's input file, curl's config, JDownloader's
// folder-watch jobs and Metalink 4.
#include <cstdio>
#include <vector>

#include "app/export/download_names.h"
#include "app/export/export.h"
#include "app/export/export_url.h"
#include "app/platform/text.h"

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

std::string XmlEscaped(std::string_view text) {
  std::string out;
  for (const char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out.push_back(c);
    }
  }
  return out;
}

// An XML comment cannot hold "--": each "-" of the line is written as its escape.
std::string XmlComment(std::string_view url) {
  std::string out = "<!-- ";
  for (const char c : url) out += c == '-' ? std::string("%2D") : std::string(1, c);
  return out + " -->";
}

// The Referer a browser sends from the page at `page` (as OtherExportUrl writes it), or empty
// when it sends none: it names only a web page, without the user information and the fragment
// (a file:// page would give away the user's folders).
std::string PageReferer(const std::string& page) {
  const UrlParts parts = SplitUrl(page);
  const SchemeRow* scheme = FindScheme(parts.scheme);
  if (scheme == nullptr || (scheme->name != "http" && scheme->name != "https")) return {};
  return std::string(parts.scheme) + "://" +
         std::string(parts.authority.substr(parts.authority.rfind('@') + 1)) +
         std::string(parts.path) + std::string(parts.query);
}

// The Referer for the list line `line`, exported as `url`.
std::string Referer(const ExportOptions& options, std::u16string_view line,
                    const std::string& url) {
  const UrlParts parts = SplitUrl(url);
  const std::string origin = std::string(parts.scheme) + "://" +
                             std::string(parts.authority.substr(parts.authority.rfind('@') + 1));
  switch (options.referer) {
    case RefererRule::None:
      return {};
    case RefererRule::Url:
      return origin + std::string(parts.path) + std::string(parts.query);
    case RefererRule::Page:
      if (options.pages != nullptr) {
        const std::u16string_view page = options.pages->PageOf(line);
        if (std::string referer = PageReferer(OtherExportUrl(page)); !referer.empty()) {
          return referer;
        }
      }
      // A line no page is known of (typed, opened from a file) gets the folder rule's Referer,
      // the page such a file is most often linked from.
      [[fallthrough]];
    case RefererRule::Folder: {
      const std::size_t slash = parts.path.rfind('/');
      return origin + (slash == std::string_view::npos
                           ? std::string("/")
                           : std::string(parts.path.substr(0, slash + 1)));
    }
    case RefererRule::SiteRoot:
      return origin + "/";
    case RefererRule::Fixed:
      return OtherExportUrl(options.fixedReferer);
  }
  return {};
}

// The file a URL is saved to, relative to the download folder, "/" between folders.
std::string RelativeName(const ExportOptions& options, const UrlParts& parts, int place) {
  const std::string server = DownloadFileName(parts.path);
  if (options.names == NameRule::Numbered) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%0*d", options.numberWidth, place);
    return digits + server.substr(ExtensionAt(server));
  }
  if (options.names == NameRule::Server) return server;
  // The host without the user information; its port's ":" becomes "_" as in any name.
  const std::string_view authority = parts.authority.substr(parts.authority.rfind('@') + 1);
  std::string name = SafeName(authority);
  if (name.empty()) name = "_";
  // The folders as the tool asks for them: "." left out, ".." going up (never above the host).
  std::vector<std::string> folders;
  std::string_view path = parts.path;
  const std::size_t last = path.rfind('/');
  path = last == std::string_view::npos ? std::string_view() : path.substr(0, last);
  while (!path.empty()) {
    const std::size_t slash = path.find('/');
    const std::string_view segment = path.substr(0, slash);
    if (segment == "..") {
      if (!folders.empty()) folders.pop_back();
    } else if (std::string folder = SafeName(segment); !folder.empty()) {
      folders.push_back(std::move(folder));
    }
    path = slash == std::string_view::npos ? std::string_view() : path.substr(slash + 1);
  }
  for (const std::string& folder : folders) name += "/" + folder;
  return name + "/" + server;
}

struct Entry {
  std::string url;
  std::string name;     // relative to the folder
  std::string referer;  // empty: none
};

class Writer {
 public:
  Writer(ExportFormat format, const ExportOptions& options)
      : format_(format),
        folder_(Utf16ToUtf8(options.folder)),
        createDirs_(!options.folder.empty() || options.names == NameRule::Folders) {}
  void Header() {
    if (format_ == ExportFormat::Curl) CurlHeader();
    if (format_ == ExportFormat::Meta4) {
      text_ +=
          "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
          "<metalink xmlns=\"urn:ietf:params:xml:ns:metalink\">\r\n";
    }
  }
  void Comment(const std::string& url) {
    text_ += format_ == ExportFormat::Meta4 ? "  " + XmlComment(url) + "\r\n" : "# " + url + "\r\n";
  }
  void Add(const Entry& e) {
    switch (format_) {
      case ExportFormat::Aria2:
        text_ += e.url + "\r\n";
        if (!folder_.empty()) text_ += " dir=" + folder_ + "\r\n";
        text_ += " out=" + e.name + "\r\n";
        if (!e.referer.empty()) text_ += " referer=" + e.referer + "\r\n";
        break;
      case ExportFormat::Curl:
        if (e.referer != referer_) {
          // curl's options hold for its whole run up to "next": a Referer of its own starts a
          // run of its own, which needs the header again.
          if (started_) {
            text_ += "next\r\n";
            CurlHeader();
          }
          if (!e.referer.empty()) text_ += "referer = " + CurlQuoted(e.referer) + "\r\n";
          referer_ = e.referer;
        }
        text_ += "url = " + CurlQuoted(e.url) + "\r\noutput = " + CurlQuoted(e.name) + "\r\n";
        break;
      case ExportFormat::Crawljob: {
        const std::size_t slash = e.name.rfind('/');
        std::string folder = folder_;
        if (slash != std::string::npos) {
          folder += (folder.empty() ? "" : "/") + e.name.substr(0, slash);
        }
        if (started_) text_ += "\r\n";
        text_ += "text=" + e.url + "\r\nfilename=" + e.name.substr(slash + 1) + "\r\n";
        if (!folder.empty()) text_ += "downloadFolder=" + folder + "\r\n";
        text_ += "packageName=Cardo\r\nautoStart=TRUE\r\n";
        break;
      }
      case ExportFormat::Meta4:
        text_ += "  <file name=\"" + XmlEscaped(e.name) + "\">\r\n    <url>" + XmlEscaped(e.url) +
                 "</url>\r\n  </file>\r\n";
        break;
      default:
        break;
    }
    started_ = true;
  }
  std::string Finish() {
    if (format_ == ExportFormat::Meta4) text_ += "</metalink>\r\n";
    return std::move(text_);
  }

 private:
  void CurlHeader() {
    // No globbing of "[]" and "{}"; no scheme beyond those a list of downloads holds, for the
    // URLs and for where they redirect (a file:// there reads the user's own files).
    const std::string protocols = CurlQuoted(CurlProtocols());
    text_ += "globoff\r\nproto = " + protocols + "\r\nproto-redir = " + protocols + "\r\n";
    if (!folder_.empty()) text_ += "output-dir = " + CurlQuoted(folder_) + "\r\n";
    if (createDirs_) text_ += "create-dirs\r\n";
  }

  ExportFormat format_;
  std::string folder_;
  bool createDirs_;
  std::string text_;
  std::string referer_;
  bool started_ = false;
};

}  // namespace

bool IsWritableFolder(std::u16string_view folder) {
  for (const char16_t c : folder) {
    if (c < 0x20 || c == 0x7F) return false;
  }
  return true;
}

std::string OtherExportText(ExportFormat format, const std::vector<std::u16string>& lines,
                            const ExportOptions& options) {
  if (format == ExportFormat::Plain) {
    std::string text;
    for (const auto& line : lines) {
      const std::string url = OtherExportUrl(line);
      if (!url.empty()) text += url + "\r\n";
    }
    return text;
  }
  const bool curl = format == ExportFormat::Curl;
  const auto fetched = [curl](const UrlParts& parts) {
    const SchemeRow* scheme = FindScheme(parts.scheme);
    return scheme != nullptr && (curl ? scheme->curl : scheme->aria2);
  };
  Writer writer(format, options);
  writer.Header();
  UniqueNames names;
  if (options.names == NameRule::Folders) {
    // A file of the name a folder has ("/noext" beside "/noext/") would stop the tool making
    // that folder: the folders are taken first, so the file is the one renamed.
    for (const auto& line : lines) {
      const std::string url = OtherExportUrl(line);
      const UrlParts parts = SplitUrl(url);
      if (!fetched(parts)) continue;
      const std::string name = RelativeName(options, parts, 0);
      for (std::size_t slash = name.find('/'); slash != std::string::npos;
           slash = name.find('/', slash + 1)) {
        names.Reserve(name.substr(0, slash));
      }
    }
  }
  int place = 0;
  for (const auto& line : lines) {
    const std::string url = OtherExportUrl(line);
    if (url.empty()) continue;
    const UrlParts parts = SplitUrl(url);
    if (!fetched(parts)) {
      // A line the tool must not fetch stays in the file as a comment: curl ends its whole run
      // at a text it cannot read as an address ("out=x" among them), and aria2 opens a local
      // path as a torrent or metalink file.
      writer.Comment(url);
      continue;
    }
    // Each URL gets its own file, named right after it: curl gives an option to the first URL
    // that has none, so one for every URL keeps them paired.
    writer.Add(
        {url, names.Claim(RelativeName(options, parts, ++place)), Referer(options, line, url)});
  }
  return writer.Finish();
}

}  // namespace cardo
