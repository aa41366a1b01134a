#include "app/export/download_plan.h"

#include <cstdio>

#include "app/export/download_names.h"
#include "app/export/export_url.h"

namespace cardo {
namespace {

// The host and port, without the user information.
std::string_view HostOf(const UrlParts& parts) {
  return parts.authority.substr(parts.authority.rfind('@') + 1);
}
std::string OriginOf(const UrlParts& parts) {
  return std::string(parts.scheme) + "://" + std::string(HostOf(parts));
}
// The address as a browser sends it for a Referer: without the user information and the fragment.
std::string AsReferer(const UrlParts& parts) {
  return OriginOf(parts) + std::string(parts.path) + std::string(parts.query);
}

// The Referer a browser sends from the page at `page` (as OtherExportUrl writes it), or empty
// when it sends none: it names only a web page, without the user information and the fragment
// (a file:// page would give away the user's folders).
std::string PageReferer(const std::string& page) {
  const UrlParts parts = SplitUrl(page);
  const SchemeRow* scheme = FindScheme(parts.scheme);
  if (scheme == nullptr || (scheme->name != "http" && scheme->name != "https")) return {};
  return AsReferer(parts);
}

// The Referer for the list line `line`, exported as `url`, as a browser sends it: without the
// user information and the fragment.
std::string Referer(const ExportOptions& options, std::u16string_view line,
                    const std::string& url) {
  const UrlParts parts = SplitUrl(url);
  const std::string origin = OriginOf(parts);
  switch (options.referer) {
    case RefererRule::None:
      return {};
    case RefererRule::Url:
      return AsReferer(parts);
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
  const std::string_view authority = HostOf(parts);
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

}  // namespace

std::vector<PlannedDownload> PlanDownloads(ExportFormat format,
                                           const std::vector<std::u16string>& lines,
                                           const ExportOptions& options) {
  const bool curl = format == ExportFormat::Curl;
  const auto fetched = [curl](const UrlParts& parts) {
    const SchemeRow* scheme = FindScheme(parts.scheme);
    return scheme != nullptr && (curl ? scheme->curl : scheme->aria2);
  };
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
  std::vector<PlannedDownload> plan;
  int place = 0;
  for (const auto& line : lines) {
    std::string url = OtherExportUrl(line);
    if (url.empty()) continue;
    const UrlParts parts = SplitUrl(url);
    if (!fetched(parts)) {
      plan.push_back({std::move(url), false, {}, {}});
      continue;
    }
    std::string name = names.Claim(RelativeName(options, parts, ++place));
    std::string referer = Referer(options, line, url);
    plan.push_back({std::move(url), true, std::move(name), std::move(referer)});
  }
  return plan;
}

}  // namespace cardo
